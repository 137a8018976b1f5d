#include "JSMainWindow.h"

#include "DlgJSCompressed.h"
#include "JSCompressor.h"

#include <QAction>
#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QStatusBar>

#include <QMDrovebot/automation/Support.h>
#include <QMDrovebot/batch/BatchArea.h>
#include <QMDrovebot/batch/MainWindow.h>
#include <QMDrovebot/batch/OptionsDialog.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/editor/FindDialog.h>
#include <QMDrovebot/editor/RecoveryFile.h>
#include <QMDrovebot/editor/ScriptWritingTools.h>
#include <QMDrovebot/ids/WidgetIds.h>
#include <QMWidgets/App.h>
#include <QMWidgets/RecentFiles.h>

namespace {

QPointer<QObject> &commonObjectPointer()
{
    static QPointer<QObject> object;
    return object;
}

} // namespace

JSMainWindow::JSMainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    m_editor = new QMDrovebot::Editor;
    auto *saveAction = new QAction(this);
    saveAction->setShortcut(QKeySequence(QStringLiteral("CTRL+S")));
    connect(saveAction, &QAction::triggered, this, &JSMainWindow::save);
    addAction(saveAction);
    m_batchAction = new QAction(tr("Batch Runner…"), this);
    m_batchAction->setObjectName(QStringLiteral("batchRunnerAction"));
    m_batchAction->setShortcut(QKeySequence(Qt::Key_F9));
    connect(m_batchAction, &QAction::triggered, this, &JSMainWindow::batch);
    addAction(m_batchAction);
    setCentralWidget(m_editor);
    m_editor->protectFromScripts(this);
    connect(m_editor, &QMDrovebot::Editor::changeWindowTitle, this, &JSMainWindow::slotChangeWindowTitle);
    connect(m_editor, &QMDrovebot::Editor::cursorPositionChanged, this, &JSMainWindow::updateCursorPosition);
    connect(m_editor, &QMDrovebot::Editor::statusMessage, this,
            [this](const QString &message) { statusBar()->showMessage(message, 10000); });
    // A failed save must stay in view: the transient messages (and every
    // cursor move) replace each other, a permanent widget stays.
    m_fileStatus = new QLabel;
    m_fileStatus->setObjectName(QStringLiteral("fileStatus"));
    m_fileStatus->setStyleSheet(QStringLiteral("QLabel{background: transparent; color: #FF9090; font-weight: bold}"));
    m_fileStatus->hide();
    statusBar()->addPermanentWidget(m_fileStatus);
    connect(m_editor, &QMDrovebot::Editor::fileStatus, this, [this](const QString &message) {
        m_fileStatus->setText(message);
        m_fileStatus->setVisible(!message.isEmpty());
    });
    m_writing = new QMDrovebot::ScriptWritingTools(m_editor, this);
    addAction(m_writing->pickAction());
    addAction(m_writing->recordAction());
    statusBar()->setStyleSheet(QStringLiteral("QStatusBar{background-color: #303030; color: #FFFFFF}"));
    statusBar()->showMessage(tr("Ready"), 2000);
}

JSMainWindow::~JSMainWindow()
{
    delete m_batchWindow;
}

QAction *JSMainWindow::batchAction() const
{
    return m_batchAction;
}

QMDrovebot::MainWindow *JSMainWindow::batchWindow() const
{
    return m_batchWindow;
}

void JSMainWindow::closeBatchWindow()
{
    if (!m_batchWindow)
        return;
    m_batchWindow->batchArea()->abandon();
    m_batchWindow->close();
}

QMDrovebot::ScriptWritingTools *JSMainWindow::writingTools() const
{
    return m_writing;
}

QMDrovebot::Editor *JSMainWindow::editor() const
{
    return m_editor;
}

QStringList JSMainWindow::recentFiles() const
{
    return m_recentFiles;
}

QMDrovebot::FindDialog *JSMainWindow::findDialog() const
{
    return m_findDialog;
}

QString JSMainWindow::fileStatusText() const
{
    return m_fileStatus->text();
}

bool JSMainWindow::isModified() const
{
    return m_editor->isModified();
}

QString JSMainWindow::windowTitleText() const
{
    return m_windowTitleText;
}

void JSMainWindow::setFileMenu(QMenu *menu)
{
    m_fileMenu = menu;
    addMenuHead();
    loadRecentFiles();
}

void JSMainWindow::addMenuHead()
{
    if (!m_fileMenu)
        return;
    m_fileMenu->addAction(tr("S&ave As..."), this, &JSMainWindow::saveAs);
    m_fileMenu->addSeparator();
}

void JSMainWindow::loadRecentFiles()
{
    const QStringList pieces = QMWidgets::RecentFiles::stored();
    for (const QString &piece : pieces) {
        m_recentFiles.append(piece);
        if (m_fileMenu)
            m_fileMenu->addAction(piece, this, &JSMainWindow::recentClicked);
    }
}

void JSMainWindow::addRecentFile(const QString &name)
{
    const QStringList shown = QMWidgets::RecentFiles::add(&m_recentFiles, name, m_editor->fileName(), 16);
    if (!m_fileMenu)
        return;
    m_fileMenu->clear();
    addMenuHead();
    for (const QString &entry : shown)
        m_fileMenu->addAction(entry, this, &JSMainWindow::recentClicked);
}

void JSMainWindow::offerRecovery()
{
    const QList<QMDrovebot::RecoveryFile::Copy> copies = QMDrovebot::RecoveryFile::orphans();
    if (copies.isEmpty())
        return;
    const QMDrovebot::RecoveryFile::Copy &copy = copies.first();
    const QString name = copy.fileName.isEmpty() ? tr("an unsaved document") : copy.fileName;
    const QString text = tr("Corvella ended without saving the changes to %1 (last kept %2).\n"
                            "Do you want to restore them?\n\n"
                            "Yes restores the text, No discards it, Cancel keeps it for the next start.")
                             .arg(name, QLocale().toString(copy.written.toLocalTime(), QLocale::ShortFormat));
    const auto answer = QMessageBox::warning(this, QStringLiteral("Warning"), text,
                                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel)
        return;
    if (answer == QMessageBox::Yes)
        m_editor->textEdit()->restore(copy.fileName, copy.text);
    QMDrovebot::RecoveryFile::remove(copy);
}

void JSMainWindow::about()
{
    QMessageBox::about(this, tr("About"), QStringLiteral("<H2>Drovebot Internal Script Editor</H2>"));
}

void JSMainWindow::slotChangeWindowTitle(const QString &str)
{
    m_windowTitleText = str;
    emit changeWindowTitle(str);
}

void JSMainWindow::updateCursorPosition(int row, int column)
{
    statusBar()->showMessage(QStringLiteral("Row:") + QString::number(row) + QStringLiteral("; Column:") +
                             QString::number(column));
}

void JSMainWindow::generateIDs()
{
    QMDrovebot::WidgetIds::generateIDs();
}

void JSMainWindow::restoreOriginalToolTips()
{
    QMDrovebot::WidgetIds::restoreOriginalToolTips();
}

void JSMainWindow::showAliaces()
{
    m_editor->showAliaces();
}

void JSMainWindow::copy()
{
    m_editor->copy();
}

void JSMainWindow::paste()
{
    m_editor->paste();
}

void JSMainWindow::undo()
{
    m_editor->undo();
}

void JSMainWindow::redo()
{
    m_editor->redo();
}

void JSMainWindow::displayError(const QString &message)
{
    m_editor->displayError(message);
}

void JSMainWindow::displayWarning(const QString &message)
{
    m_editor->displayWarning(message);
}

void JSMainWindow::stayOnTop()
{
    // This window has no stay-on-top action; the frame decides its flags.
}

void JSMainWindow::stopEvaluation()
{
    m_editor->stopEvaluation();
}

void JSMainWindow::open()
{
    m_editor->open();
    addRecentFile(m_editor->fileName());
}

void JSMainWindow::saveAs()
{
    m_editor->saveAs();
    addRecentFile(m_editor->fileName());
}

void JSMainWindow::save()
{
    m_editor->save();
    addRecentFile(m_editor->fileName());
}

void JSMainWindow::openPath(const QString &path)
{
    m_editor->open(path);
    addRecentFile(m_editor->fileName());
}

void JSMainWindow::recentClicked()
{
    auto *action = qobject_cast<QAction *>(sender());
    if (!action)
        return;
    const QString name = action->text();
    m_editor->open(name);
    addRecentFile(name);
}

void JSMainWindow::find()
{
    if (!m_findDialog)
        m_findDialog = new QMDrovebot::FindDialog(m_editor, this);
    m_findDialog->show();
    m_findDialog->raise();
    m_findDialog->activateWindow();
}

void JSMainWindow::batch()
{
    if (!m_batchWindow) {
        m_batchWindow = new QMDrovebot::MainWindow;
        // Closing the frame ends the program even while this window is open.
        m_batchWindow->setAttribute(Qt::WA_QuitOnClose, false);
    }
    m_batchWindow->batchDock()->show();
    m_batchWindow->show();
    m_batchWindow->raise();
    m_batchWindow->activateWindow();
}

void JSMainWindow::options()
{
    QMDrovebot::OptionsDialog dialog(nullptr);
    dialog.exec();
}

void JSMainWindow::run()
{
    m_editor->run();
}

void JSMainWindow::stop()
{
    m_editor->stopEvaluation();
}

void JSMainWindow::debug()
{
    m_editor->debug();
}

void JSMainWindow::newFile()
{
    m_editor->newFile();
}

void JSMainWindow::showCompressedContent()
{
    DlgJSCompressed dialog(this);
    dialog.setCompressedText(compressJavaScript(m_editor));
    dialog.setBaseName(QFileInfo(m_windowTitleText).baseName());
    dialog.exec();
}

void JSMainWindow::zoomIn()
{
    m_editor->zoomIn();
}

void JSMainWindow::zoomOut()
{
    m_editor->zoomOut();
}

void JSMainWindow::pickWidget()
{
    m_writing->pickWidget();
}

void JSMainWindow::startRecording()
{
    m_writing->startRecording();
}

void JSMainWindow::stopRecording()
{
    m_writing->stopRecording();
}

void JSMainWindow::publishObject(QObject *object, const QString &name)
{
    m_editor->publishObject(object, name);
}

void JSMainWindow::publishCommonObject(QObject *object)
{
    m_editor->publishObject(object, QStringLiteral("Common"));
    commonObjectPointer() = object;
}

QObject *JSMainWindow::commonObject()
{
    return commonObjectPointer();
}

void JSMainWindow::registerApplicationWidget(QWidget *widget)
{
    QMDrovebot::Support::setApplicationWidget(widget);
}
