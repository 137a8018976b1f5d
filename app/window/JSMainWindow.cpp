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
#include <QStatusBar>

#include <QMDrovebot/batch/BatchArea.h>
#include <QMDrovebot/batch/MainWindow.h>
#include <QMDrovebot/batch/OptionsDialog.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/editor/RecoveryFile.h>
#include <QMDrovebot/editor/ScriptWritingTools.h>

JSMainWindow::JSMainWindow(QWidget *parent)
    : EditorWindow(16, parent)
{
    editor()->protectFromScripts(this);
    connect(editor(), &QMDrovebot::Editor::changeWindowTitle, this, &JSMainWindow::slotChangeWindowTitle);
    createActions();
    createStatusBar();
}

JSMainWindow::~JSMainWindow()
{
    delete m_batchWindow;
}

void JSMainWindow::createActions()
{
    auto *saveAction = new QAction(this);
    saveAction->setShortcut(QKeySequence::Save);
    connect(saveAction, &QAction::triggered, this, &JSMainWindow::save);
    addAction(saveAction);
    m_batchAction = new QAction(tr("Batch Runner…"), this);
    m_batchAction->setObjectName(QStringLiteral("batchRunnerAction"));
    m_batchAction->setShortcut(QKeySequence(Qt::Key_F9));
    connect(m_batchAction, &QAction::triggered, this, &JSMainWindow::batch);
    addAction(m_batchAction);
    addAction(writingTools()->pickAction());
    addAction(writingTools()->recordAction());
}

void JSMainWindow::createStatusBar()
{
    // A failed save must stay in view: the transient messages (and every
    // cursor move) replace each other, a permanent widget stays.
    m_fileStatus = new QLabel;
    m_fileStatus->setObjectName(QStringLiteral("fileStatus"));
    m_fileStatus->setStyleSheet(QStringLiteral("QLabel{background: transparent; color: #FF9090; font-weight: bold}"));
    m_fileStatus->hide();
    statusBar()->insertPermanentWidget(0, m_fileStatus);
    connect(editor(), &QMDrovebot::Editor::fileStatus, this, [this](const QString &message) {
        m_fileStatus->setText(message);
        m_fileStatus->setVisible(!message.isEmpty());
    });
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

QString JSMainWindow::fileStatusText() const
{
    return m_fileStatus->text();
}

bool JSMainWindow::isModified() const
{
    return editor()->isModified();
}

QString JSMainWindow::windowTitleText() const
{
    return m_windowTitleText;
}

void JSMainWindow::setFileMenu(QMenu *menu)
{
    menu->addAction(tr("S&ave As..."), this, &JSMainWindow::saveAs);
    menu->addSeparator();
    setRecentMenu(menu);
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
        editor()->textEdit()->restore(copy.fileName, copy.text);
    QMDrovebot::RecoveryFile::remove(copy);
}

void JSMainWindow::slotChangeWindowTitle(const QString &str)
{
    m_windowTitleText = str;
    emit changeWindowTitle(str);
}

void JSMainWindow::save()
{
    editor()->save();
    addRecentFile(editor()->fileName());
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
    editor()->run();
}

void JSMainWindow::stop()
{
    editor()->stopEvaluation();
}

void JSMainWindow::debug()
{
    editor()->debug();
}

void JSMainWindow::newFile()
{
    editor()->newFile();
}

void JSMainWindow::showCompressedContent()
{
    DlgJSCompressed dialog(this);
    dialog.setCompressedText(compressJavaScript(editor()));
    dialog.setBaseName(QFileInfo(m_windowTitleText).baseName());
    dialog.exec();
}

void JSMainWindow::zoomIn()
{
    editor()->zoomIn();
}

void JSMainWindow::zoomOut()
{
    editor()->zoomOut();
}
