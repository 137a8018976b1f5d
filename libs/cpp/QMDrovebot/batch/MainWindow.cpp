#include "MainWindow.h"

#include "BatchArea.h"
#include "OptionsDialog.h"
#include <QMDrovebot/automation/Support.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/editor/FindDialog.h>
#include <QMDrovebot/editor/ScriptWritingTools.h>
#include <QMDrovebot/ids/WidgetIds.h>

#include <QAction>
#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>

#include <QMWidgets/App.h>
#include <QMWidgets/RecentFiles.h>

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

QPointer<QObject> &commonObjectPointer()
{
    static QPointer<QObject> object;
    return object;
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    // Owned by the window so they go with it.
    auto *fileMenu = new QMenu(QStringLiteral("&File"), this);
    auto *viewMenu = new QMenu(QStringLiteral("&View"), this);
    auto *runMenu = new QMenu(QStringLiteral("&Run"), this);
    auto *editMenu = new QMenu(QStringLiteral("&Edit"), this);
    auto *helpMenu = new QMenu(QStringLiteral("&Help"), this);

    m_editor = new Editor;
    m_batchArea = new BatchArea(m_editor);
    m_batchDock = new QDockWidget(QStringLiteral("Batch Area"), this);
    m_batchDock->setObjectName(QStringLiteral("batchDock"));
    m_batchDock->setWidget(m_batchArea);
    addDockWidget(Qt::RightDockWidgetArea, m_batchDock);
    connect(m_batchArea, &BatchArea::statusMessage, this, &MainWindow::showStatus);
    connect(m_batchArea, &BatchArea::listFileChanged, this, &MainWindow::updateTitle);

    auto add = [](QMenu *menu, const QString &text, const QKeySequence &shortcut, const QIcon &icon, auto *receiver,
                  auto slot) {
        QAction *action = menu->addAction(icon, text);
        action->setShortcut(shortcut);
        QObject::connect(action, &QAction::triggered, receiver, slot);
        return action;
    };
    const QIcon none;
    // Open keeps Ctrl+O; Options and Zoom Out have keys of their own, since a
    // key bound to several actions of one window triggers none of them.
    QAction *newAction = add(fileMenu, QStringLiteral("&New..."), QKeySequence(QStringLiteral("CTRL+N")),
                             icon("New", "", "On", "Dis", "Hi"), m_editor, &Editor::newFile);
    QAction *openAction = add(fileMenu, QStringLiteral("&Open..."), QKeySequence(QStringLiteral("CTRL+O")),
                              icon("RecallLg"), this, &MainWindow::open);
    QAction *saveAction = add(fileMenu, QStringLiteral("&Save"), QKeySequence(QStringLiteral("CTRL+S")), icon("Save"),
                              m_editor, &Editor::save);
    add(fileMenu, QStringLiteral("S&ave As..."), QKeySequence(), none, this, &MainWindow::saveAs);
    add(fileMenu, QStringLiteral("O&ptions..."), QKeySequence(QStringLiteral("CTRL+P")), none, this,
        &MainWindow::options);
    m_recentMenu = new QMenu(QStringLiteral("&Recent Opened"), this);
    fileMenu->addMenu(m_recentMenu);
    fileMenu->addSeparator();
    add(fileMenu, QStringLiteral("&Quit"), QKeySequence(QStringLiteral("CTRL+Q")), none, this, &QWidget::hide);

    QAction *findAction = add(viewMenu, QStringLiteral("&Find"), QKeySequence(QStringLiteral("CTRL+F")),
                              icon("RenderButton"), this, &MainWindow::find);
    QAction *zoomInAction = add(viewMenu, QStringLiteral("&Zoom In"), QKeySequence(QStringLiteral("CTRL+I")),
                                icon("ZoomButton"), m_editor, &Editor::zoomIn);
    QAction *zoomOutAction = add(viewMenu, QStringLiteral("&Zoom Out"), QKeySequence(QStringLiteral("CTRL+-")),
                                 icon("ZoomButton"), m_editor, &Editor::zoomOut);
    m_onTopAction = add(viewMenu, QStringLiteral("&OnTop"), QKeySequence(QStringLiteral("CTRL+T")), icon("3DLut"), this,
                        &MainWindow::stayOnTop);
    m_onTopAction->setCheckable(true);

    QAction *runAction = add(runMenu, QStringLiteral("&Run"), QKeySequence(QStringLiteral("F4")), icon("Release"),
                             m_editor, &Editor::run);
    QAction *stopAction = add(runMenu, QStringLiteral("&Stop"), QKeySequence(QStringLiteral("F8")), icon("ViewStab"),
                              this, &MainWindow::stopEvaluation);
    QAction *debugAction = add(runMenu, QStringLiteral("&Debug"), QKeySequence(QStringLiteral("F5")),
                               icon("Lift", "", "N"), m_editor, &Editor::debug);
    QAction *batchAction = add(runMenu, QStringLiteral("&Batch"), QKeySequence(QStringLiteral("F9")), icon("ResetLg"),
                               this, &MainWindow::batch);
    add(runMenu, QStringLiteral("&Generate IDs"), QKeySequence(QStringLiteral("F6")), none, this,
        &MainWindow::generateIDs);
    add(runMenu, QStringLiteral("&Restore The Original ToolTips"), QKeySequence(QStringLiteral("F7")), none, this,
        &MainWindow::restoreOriginalToolTips);
    m_writing = new ScriptWritingTools(m_editor, this);
    runMenu->addActions({m_writing->pickAction(), m_writing->recordAction()});
    QAction *aliasesAction = add(runMenu, QStringLiteral("&Show Aliases"), QKeySequence(QStringLiteral("F10")),
                                 icon("ViewTrack", "", "N"), this, &MainWindow::showAliaces);

    QAction *undoAction = add(editMenu, QStringLiteral("&Undo"), QKeySequence(Qt::CTRL + Qt::Key_Z),
                              icon("ExpandUp", "H", "N"), this, &MainWindow::undo);
    QAction *redoAction = add(editMenu, QStringLiteral("&Redo"), QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_Z),
                              icon("ExpandDown", "H", "N"), this, &MainWindow::redo);
    QAction *copyAction = add(editMenu, QStringLiteral("&Copy"), QKeySequence(Qt::CTRL + Qt::Key_C),
                              icon("DaCopy", "H", "N"), this, &MainWindow::copy);
    QAction *pasteAction = add(editMenu, QStringLiteral("&Paste"), QKeySequence(Qt::CTRL + Qt::Key_V),
                               icon("DaPaste", "H", "N"), this, &MainWindow::paste);

    add(helpMenu, QStringLiteral("&About"), QKeySequence(Qt::Key_F1), none, this, &MainWindow::about);

    for (QMenu *menu : {fileMenu, viewMenu, editMenu, runMenu, helpMenu})
        menuBar()->addMenu(menu);
    menuBar()->addSeparator();
    menuBar()->setStyleSheet(QStringLiteral("QMenuBar{background-color: #303030; color: #FFFFFF}"));

    auto toolBar = [this](const QString &title, const QList<QAction *> &actions) {
        auto *bar = new QToolBar(title);
        bar->setObjectName(title);
        addToolBar(Qt::TopToolBarArea, bar);
        bar->setStyleSheet(QStringLiteral("QToolBar{background-color: #606060; color: #FFFFFF}"));
        bar->addActions(actions);
    };
    toolBar(QStringLiteral("File Operations"), {newAction, openAction, saveAction});
    toolBar(QStringLiteral("View Operations"), {m_onTopAction, zoomInAction, zoomOutAction, findAction});
    toolBar(QStringLiteral("Edit Operations"), {copyAction, pasteAction, undoAction, redoAction});
    toolBar(QStringLiteral("Script Operations"), {runAction, stopAction, debugAction, aliasesAction, batchAction});

    setCentralWidget(m_editor);
    connect(m_editor, &Editor::changeWindowTitle, this, &MainWindow::changeWindowTitle);
    connect(m_editor, &Editor::cursorPositionChanged, this, &MainWindow::updateCursorPosition);
    connect(m_editor, &Editor::statusMessage, this, &MainWindow::showStatus);
    statusBar()->setStyleSheet(QStringLiteral("QStatusBar{background-color: #303030; color: #FFFFFF}"));
    statusBar()->showMessage(QStringLiteral("Ready"), 2000);
    // Beside the transient messages (cursor position, failed file
    // operations), which would otherwise hide it.
    auto *progress = new QLabel;
    progress->setObjectName(QStringLiteral("batchProgress"));
    statusBar()->addPermanentWidget(progress);
    connect(m_batchArea, &BatchArea::progressChanged, progress, &QLabel::setText);
    updateTitle();

    loadRecentFiles();
    resize(1100, 650);
}

MainWindow::~MainWindow() = default;

Editor *MainWindow::editor() const
{
    return m_editor;
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

QStringList MainWindow::recentFiles() const
{
    return m_recentFiles;
}

void MainWindow::showStatus(const QString &message)
{
    statusBar()->showMessage(message, 10000);
}

void MainWindow::loadRecentFiles()
{
    // The setting is shared with the document window, whose list is longer:
    // its latest entries lead the stored value.
    for (const QString &entry : QMWidgets::RecentFiles::stored().mid(0, maximumRecentFiles)) {
        m_recentFiles.append(entry);
        m_recentMenu->addAction(entry, this, &MainWindow::recentClicked);
    }
}

void MainWindow::addRecentFile(const QString &name)
{
    const QStringList shown =
        QMWidgets::RecentFiles::add(&m_recentFiles, name, m_editor->fileName(), maximumRecentFiles);
    m_recentMenu->clear();
    for (const QString &entry : shown)
        m_recentMenu->addAction(entry, this, &MainWindow::recentClicked);
}

void MainWindow::about()
{
    QMessageBox::about(this, QStringLiteral("About"), QStringLiteral("<H2>Drovebot Internal Script Editor</H2>"));
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

void MainWindow::updateCursorPosition(int row, int column)
{
    statusBar()->showMessage(QStringLiteral("Row:") + QString::number(row) + QStringLiteral("; Column:") +
                             QString::number(column));
}

void MainWindow::generateIDs()
{
    WidgetIds::generateIDs();
}

void MainWindow::restoreOriginalToolTips()
{
    WidgetIds::restoreOriginalToolTips();
}

void MainWindow::showAliaces()
{
    m_editor->showAliaces();
}

void MainWindow::copy()
{
    m_editor->copy();
}

void MainWindow::paste()
{
    m_editor->paste();
}

void MainWindow::undo()
{
    m_editor->undo();
}

void MainWindow::redo()
{
    m_editor->redo();
}

void MainWindow::displayError(const QString &message)
{
    m_editor->displayError(message);
}

void MainWindow::displayWarning(const QString &message)
{
    m_editor->displayWarning(message);
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

void MainWindow::stopEvaluation()
{
    m_editor->stopEvaluation();
}

void MainWindow::open()
{
    m_editor->open();
    addRecentFile(m_editor->fileName());
}

void MainWindow::saveAs()
{
    m_editor->saveAs();
    addRecentFile(m_editor->fileName());
}

void MainWindow::recentClicked()
{
    auto *action = qobject_cast<QAction *>(sender());
    if (!action)
        return;
    const QString name = action->text();
    m_editor->open(name);
    addRecentFile(name);
}

void MainWindow::find()
{
    if (!m_findDialog)
        m_findDialog = new FindDialog(m_editor, this);
    m_findDialog->show();
    m_findDialog->raise();
    m_findDialog->activateWindow();
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

ScriptWritingTools *MainWindow::writingTools() const
{
    return m_writing;
}

void MainWindow::pickWidget()
{
    m_writing->pickWidget();
}

void MainWindow::startRecording()
{
    m_writing->startRecording();
}

void MainWindow::stopRecording()
{
    m_writing->stopRecording();
}

void MainWindow::publishObject(QObject *object, const QString &name)
{
    m_editor->publishObject(object, name);
}

void MainWindow::publishCommonObject(QObject *object)
{
    m_editor->publishObject(object, QStringLiteral("Common"));
    commonObjectPointer() = object;
}

void MainWindow::registerApplicationWidget(QWidget *widget)
{
    Support::setApplicationWidget(widget);
}

} // namespace QMDrovebot
