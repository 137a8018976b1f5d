#include "MainWindow.h"

#include "BatchArea.h"
#include "OptionsDialog.h"
#include <QMDrovebot/automation/Support.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/editor/ScriptWritingTools.h>

#include <QAction>
#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace QMDrovebot {

namespace {

// The window's pictures are addressed by resource paths that this program
// does not ship; a missing picture adds nothing, so such an icon stays empty
// and the tool bars show the entries' texts.
QIcon icon(const QByteArray &normalOn, const QByteArray &normalOff, const QByteArray &disabledOn,
           const QByteArray &selectedOff)
{
    QIcon result;
    result.addPixmap(QPixmap(QString::fromLatin1(normalOn)), QIcon::Normal, QIcon::On);
    result.addPixmap(QPixmap(QString::fromLatin1(normalOff)), QIcon::Normal, QIcon::Off);
    result.addPixmap(QPixmap(QString::fromLatin1(disabledOn)), QIcon::Disabled, QIcon::On);
    result.addPixmap(QPixmap(QString::fromLatin1(selectedOff)), QIcon::Selected, QIcon::Off);
    return result;
}

// Most pictures are named NAME + O, N, D, H.
QIcon icon(const char *name, const char *normalOn = "O", const char *normalOff = "N", const char *disabledOn = "D",
           const char *selectedOff = "H")
{
    const QByteArray base = QByteArray(":/pix/") + name;
    return icon(base + normalOn + ".png", base + normalOff + ".png", base + disabledOn + ".png",
                base + selectedOff + ".png");
}

// The menu owns the entry, so it goes with the menu.
template <typename Receiver, typename Slot>
QAction *addEntry(QMenu *menu, const QString &text, const QKeySequence &shortcut, const QIcon &icon, Receiver *receiver,
                  Slot slot)
{
    QAction *action = menu->addAction(icon, text);
    action->setShortcut(shortcut);
    QObject::connect(action, &QAction::triggered, receiver, slot);
    return action;
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : EditorWindow(maximumRecentFiles, parent)
{
    createBatchDock();
    createActions();
    createToolBars();
    createStatusBar();
    connect(editor(), &Editor::changeWindowTitle, this, &MainWindow::changeWindowTitle);
    updateTitle();
    resize(1100, 650);
}

MainWindow::~MainWindow() = default;

void MainWindow::createBatchDock()
{
    m_batchArea = new BatchArea(editor());
    m_batchDock = new QDockWidget(tr("Batch Area"), this);
    m_batchDock->setObjectName(QStringLiteral("batchDock"));
    m_batchDock->setWidget(m_batchArea);
    addDockWidget(Qt::RightDockWidgetArea, m_batchDock);
    connect(m_batchArea, &BatchArea::statusMessage, this, &MainWindow::showStatus);
    connect(m_batchArea, &BatchArea::listFileChanged, this, &MainWindow::updateTitle);
}

void MainWindow::createActions()
{
    QMenu *fileMenu = createFileMenu();
    QMenu *viewMenu = createViewMenu();
    QMenu *runMenu = createRunMenu();
    QMenu *editMenu = createEditMenu();
    auto *helpMenu = new QMenu(tr("&Help"), this);
    addEntry(helpMenu, tr("&About"), QKeySequence::HelpContents, QIcon(), this, &MainWindow::about);

    for (QMenu *menu : {fileMenu, viewMenu, editMenu, runMenu, helpMenu})
        menuBar()->addMenu(menu);
    menuBar()->addSeparator();
    menuBar()->setStyleSheet(QStringLiteral("QMenuBar{background-color: #303030; color: #FFFFFF}"));
}

QMenu *MainWindow::createFileMenu()
{
    // Owned by the window so it goes with it.
    auto *menu = new QMenu(tr("&File"), this);
    const QIcon none;
    m_newAction = addEntry(menu, tr("&New..."), QKeySequence::New, icon("New", "", "On", "Dis", "Hi"), editor(),
                           &Editor::newFile);
    m_openAction = addEntry(menu, tr("&Open..."), QKeySequence::Open, icon("RecallLg"), this, &MainWindow::open);
    m_saveAction = addEntry(menu, tr("&Save"), QKeySequence::Save, icon("Save"), editor(), &Editor::save);
    addEntry(menu, tr("S&ave As..."), QKeySequence(), none, this, &MainWindow::saveAs);
    // Options has a key of its own rather than sharing Open's: a key bound to
    // several actions of one window triggers none of them.
    addEntry(menu, tr("O&ptions..."), QKeySequence(QStringLiteral("CTRL+P")), none, this, &MainWindow::options);
    auto *recentMenu = new QMenu(tr("&Recent Opened"), this);
    menu->addMenu(recentMenu);
    menu->addSeparator();
    addEntry(menu, tr("&Quit"), QKeySequence(QStringLiteral("CTRL+Q")), none, this, &QWidget::hide);
    setRecentMenu(recentMenu);
    return menu;
}

QMenu *MainWindow::createViewMenu()
{
    auto *menu = new QMenu(tr("&View"), this);
    m_findAction = addEntry(menu, tr("&Find"), QKeySequence::Find, icon("RenderButton"), this, &MainWindow::find);
    // Keeps Ctrl+I, which recorded scripts may press, rather than the
    // standard Ctrl++.
    m_zoomInAction = addEntry(menu, tr("&Zoom In"), QKeySequence(QStringLiteral("CTRL+I")), icon("ZoomButton"),
                              editor(), &Editor::zoomIn);
    m_zoomOutAction =
        addEntry(menu, tr("&Zoom Out"), QKeySequence::ZoomOut, icon("ZoomButton"), editor(), &Editor::zoomOut);
    m_onTopAction = addEntry(menu, tr("&OnTop"), QKeySequence(QStringLiteral("CTRL+T")), icon("3DLut"), this,
                             &MainWindow::stayOnTop);
    m_onTopAction->setCheckable(true);
    return menu;
}

QMenu *MainWindow::createRunMenu()
{
    auto *menu = new QMenu(tr("&Run"), this);
    const QIcon none;
    m_runAction = addEntry(menu, tr("&Run"), QKeySequence(Qt::Key_F4), icon("Release"), editor(), &Editor::run);
    m_stopAction =
        addEntry(menu, tr("&Stop"), QKeySequence(Qt::Key_F8), icon("ViewStab"), this, &MainWindow::stopEvaluation);
    m_debugAction =
        addEntry(menu, tr("&Debug"), QKeySequence(Qt::Key_F5), icon("Lift", "", "N"), editor(), &Editor::debug);
    m_batchAction = addEntry(menu, tr("&Batch"), QKeySequence(Qt::Key_F9), icon("ResetLg"), this, &MainWindow::batch);
    addEntry(menu, tr("&Generate IDs"), QKeySequence(Qt::Key_F6), none, this, &MainWindow::generateIDs);
    addEntry(menu, tr("&Restore The Original ToolTips"), QKeySequence(Qt::Key_F7), none, this,
             &MainWindow::restoreOriginalToolTips);
    menu->addActions({writingTools()->pickAction(), writingTools()->recordAction()});
    m_aliasesAction = addEntry(menu, tr("&Show Aliases"), QKeySequence(Qt::Key_F10), icon("ViewTrack", "", "N"), this,
                               &MainWindow::showAliaces);
    return menu;
}

QMenu *MainWindow::createEditMenu()
{
    auto *menu = new QMenu(tr("&Edit"), this);
    m_undoAction = addEntry(menu, tr("&Undo"), QKeySequence::Undo, icon("ExpandUp", "H", "N"), this, &MainWindow::undo);
    m_redoAction = addEntry(menu, tr("&Redo"), QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_Z),
                            icon("ExpandDown", "H", "N"), this, &MainWindow::redo);
    m_copyAction = addEntry(menu, tr("&Copy"), QKeySequence::Copy, icon("DaCopy", "H", "N"), this, &MainWindow::copy);
    m_pasteAction =
        addEntry(menu, tr("&Paste"), QKeySequence::Paste, icon("DaPaste", "H", "N"), this, &MainWindow::paste);
    return menu;
}

void MainWindow::createToolBars()
{
    auto toolBar = [this](const QString &name, const QString &title, const QList<QAction *> &actions) {
        auto *bar = new QToolBar(title);
        // Scripts find the bar by this name whatever language its title is in.
        bar->setObjectName(name);
        addToolBar(Qt::TopToolBarArea, bar);
        bar->setStyleSheet(QStringLiteral("QToolBar{background-color: #606060; color: #FFFFFF}"));
        bar->addActions(actions);
    };
    toolBar(QStringLiteral("File Operations"), tr("File Operations"), {m_newAction, m_openAction, m_saveAction});
    toolBar(QStringLiteral("View Operations"), tr("View Operations"),
            {m_onTopAction, m_zoomInAction, m_zoomOutAction, m_findAction});
    toolBar(QStringLiteral("Edit Operations"), tr("Edit Operations"),
            {m_copyAction, m_pasteAction, m_undoAction, m_redoAction});
    toolBar(QStringLiteral("Script Operations"), tr("Script Operations"),
            {m_runAction, m_stopAction, m_debugAction, m_aliasesAction, m_batchAction});
}

void MainWindow::createStatusBar()
{
    // Beside the transient messages (cursor position, failed file
    // operations), which would otherwise hide it.
    auto *progress = new QLabel;
    progress->setObjectName(QStringLiteral("batchProgress"));
    statusBar()->addPermanentWidget(progress);
    connect(m_batchArea, &BatchArea::progressChanged, progress, &QLabel::setText);
}

BatchArea *MainWindow::batchArea() const
{
    return m_batchArea;
}

QDockWidget *MainWindow::batchDock() const
{
    return m_batchDock;
}

QAction *MainWindow::onTopAction() const
{
    return m_onTopAction;
}

void MainWindow::changeWindowTitle(const QString &str)
{
    m_documentTitle = str;
    updateTitle();
}

void MainWindow::updateTitle()
{
    // The list leads: a runner is told apart from the editor by it.
    QString title = tr("Batch Runner");
    if (!m_batchArea->listFile().isEmpty())
        title += QStringLiteral(" \u2014 ") + QFileInfo(m_batchArea->listFile()).fileName();
    if (!m_documentTitle.isEmpty())
        title += QStringLiteral(" \u2014 ") + m_documentTitle;
    setWindowTitle(title);
}

void MainWindow::stayOnTop()
{
    if (m_onTopAction->isChecked()) {
        if (QWidget *application = Support::applicationWidget()) {
            application->setWindowFlags(Qt::Window);
            application->show();
        }
        setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint);
        show();
        raise();
        activateWindow();
    } else {
        setWindowFlags(Qt::Window);
        show();
    }
}

void MainWindow::batch()
{
    m_batchDock->setVisible(!m_batchDock->isVisible());
}

void MainWindow::options()
{
    OptionsDialog dialog(nullptr);
    dialog.exec();
}

} // namespace QMDrovebot
