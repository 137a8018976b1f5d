#pragma once

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

class QAction;
class QMenu;

namespace QMDrovebot {

class Editor;
class FindDialog;
class ScriptWritingTools;

// What the document window and the batch runner's window share: the editor
// as the central widget, its status-bar messages, the recent-file list, the
// find dialog, Pick Widget and Record, and the slots scripts call on either
// window. Each window adds its own menus and tool bars.
class EditorWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The recent-file list keeps at most `maximumRecentFiles` entries.
    explicit EditorWindow(int maximumRecentFiles, QWidget *parent = nullptr);
    ~EditorWindow() override;

    Editor *editor() const;
    QStringList recentFiles() const;
    FindDialog *findDialog() const;
    ScriptWritingTools *writingTools() const;

    // Opens a file named outside the dialogs (the command line) as Open does.
    void openPath(const QString &path);

    // Host operations for programs that embed the window.
    void publishObject(QObject *object, const QString &name);
    void registerApplicationWidget(QWidget *widget);

    // Scripts call these by name on either window.
public slots:
    void about();
    void updateCursorPosition(int row, int column);
    void generateIDs();
    void restoreOriginalToolTips();
    void showAliaces();
    void copy();
    void paste();
    void undo();
    void redo();
    void displayError(const QString &message);
    void displayWarning(const QString &message);
    void stopEvaluation();
    void open();
    void saveAs();
    void recentClicked();
    void find();
    void pickWidget();
    void startRecording();
    void stopRecording();

protected:
    // Lists the stored recent files at the end of `menu`, after what it holds
    // now. The stored list is shared by both windows.
    void setRecentMenu(QMenu *menu);
    // After a file command on `name`: moves it to the top of the list.
    void addRecentFile(const QString &name);
    void showStatus(const QString &message);

private:
    void showRecentFiles(const QStringList &entries);

    Editor *m_editor = nullptr;
    ScriptWritingTools *m_writing = nullptr;
    FindDialog *m_findDialog = nullptr;
    // The document window is handed a menu its frame owns.
    QPointer<QMenu> m_recentMenu;
    QList<QPointer<QAction>> m_recentEntries;
    const int m_maximumRecent;
    QStringList m_recentFiles;
};

} // namespace QMDrovebot
