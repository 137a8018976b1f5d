#include "EditorWindow.h"

#include "Editor.h"
#include "FindDialog.h"
#include "ScriptWritingTools.h"
#include <QMDrovebot/automation/Support.h>
#include <QMDrovebot/ids/WidgetIds.h>

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>

#include <QMWidgets/RecentFiles.h>

namespace QMDrovebot {

EditorWindow::EditorWindow(int maximumRecentFiles, QWidget *parent)
    : QMainWindow(parent)
    , m_editor(new Editor)
    , m_maximumRecent(maximumRecentFiles)
{
    setCentralWidget(m_editor);
    connect(m_editor, &Editor::cursorPositionChanged, this, &EditorWindow::updateCursorPosition);
    connect(m_editor, &Editor::statusMessage, this, &EditorWindow::showStatus);
    m_writing = new ScriptWritingTools(m_editor, this);
    statusBar()->setStyleSheet(QStringLiteral("QStatusBar{background-color: #303030; color: #FFFFFF}"));
    statusBar()->showMessage(tr("Ready"), 2000);
}

EditorWindow::~EditorWindow() = default;

Editor *EditorWindow::editor() const
{
    return m_editor;
}

QStringList EditorWindow::recentFiles() const
{
    return m_recentFiles;
}

FindDialog *EditorWindow::findDialog() const
{
    return m_findDialog;
}

ScriptWritingTools *EditorWindow::writingTools() const
{
    return m_writing;
}

void EditorWindow::showStatus(const QString &message)
{
    statusBar()->showMessage(message, 10000);
}

void EditorWindow::setRecentMenu(QMenu *menu)
{
    m_recentMenu = menu;
    // A shorter list takes the latest entries, which lead the stored value.
    m_recentFiles = QMWidgets::RecentFiles::stored().mid(0, m_maximumRecent);
    showRecentFiles(m_recentFiles);
}

void EditorWindow::addRecentFile(const QString &name)
{
    showRecentFiles(QMWidgets::RecentFiles::add(&m_recentFiles, name, m_editor->fileName(), m_maximumRecent));
}

void EditorWindow::showRecentFiles(const QStringList &entries)
{
    if (!m_recentMenu)
        return;
    // Only the entries go: what the menu starts with stays.
    for (QAction *entry : qAsConst(m_recentEntries))
        delete entry;
    m_recentEntries.clear();
    for (const QString &entry : entries)
        m_recentEntries.append(m_recentMenu->addAction(entry, this, &EditorWindow::recentClicked));
}

void EditorWindow::about()
{
    QMessageBox::about(this, tr("About"), QStringLiteral("<H2>Drovebot Internal Script Editor</H2>"));
}

void EditorWindow::updateCursorPosition(int row, int column)
{
    statusBar()->showMessage(tr("Row:%1; Column:%2").arg(row).arg(column));
}

void EditorWindow::generateIDs()
{
    WidgetIds::generateIDs();
}

void EditorWindow::restoreOriginalToolTips()
{
    WidgetIds::restoreOriginalToolTips();
}

void EditorWindow::showAliaces()
{
    m_editor->showAliaces();
}

void EditorWindow::copy()
{
    m_editor->copy();
}

void EditorWindow::paste()
{
    m_editor->paste();
}

void EditorWindow::undo()
{
    m_editor->undo();
}

void EditorWindow::redo()
{
    m_editor->redo();
}

void EditorWindow::displayError(const QString &message)
{
    m_editor->displayError(message);
}

void EditorWindow::displayWarning(const QString &message)
{
    m_editor->displayWarning(message);
}

void EditorWindow::stopEvaluation()
{
    m_editor->stopEvaluation();
}

void EditorWindow::open()
{
    m_editor->open();
    addRecentFile(m_editor->fileName());
}

void EditorWindow::openPath(const QString &path)
{
    m_editor->open(path);
    addRecentFile(m_editor->fileName());
}

void EditorWindow::saveAs()
{
    m_editor->saveAs();
    addRecentFile(m_editor->fileName());
}

void EditorWindow::recentClicked()
{
    auto *action = qobject_cast<QAction *>(sender());
    if (!action)
        return;
    const QString name = action->text();
    m_editor->open(name);
    addRecentFile(name);
}

void EditorWindow::find()
{
    if (!m_findDialog)
        m_findDialog = new FindDialog(m_editor, this);
    m_findDialog->show();
    m_findDialog->raise();
    m_findDialog->activateWindow();
}

void EditorWindow::pickWidget()
{
    m_writing->pickWidget();
}

void EditorWindow::startRecording()
{
    m_writing->startRecording();
}

void EditorWindow::stopRecording()
{
    m_writing->stopRecording();
}

void EditorWindow::publishObject(QObject *object, const QString &name)
{
    m_editor->publishObject(object, name);
}

void EditorWindow::registerApplicationWidget(QWidget *widget)
{
    Support::setApplicationWidget(widget);
}

} // namespace QMDrovebot
