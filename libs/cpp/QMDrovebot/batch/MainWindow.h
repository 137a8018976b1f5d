#pragma once

#include <QMainWindow>
#include <QStringList>

class QAction;
class QDockWidget;
class QMenu;

namespace QMDrovebot {

class BatchArea;
class Editor;
class FindDialog;
class ScriptWritingTools;

// The automation tool's own script editor window: the editor with menus,
// tool bars and a status bar, and the batch area in a dock ("Batch Area",
// toggled by F9).
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The recent list is shorter here than in the document window.
    static constexpr int maximumRecentFiles = 4;

    Editor *editor() const;
    BatchArea *batchArea() const;
    QDockWidget *batchDock() const;
    QAction *onTopAction() const;
    QStringList recentFiles() const;
    ScriptWritingTools *writingTools() const;

    // Host operations for programs that embed the window.
    void publishObject(QObject *object, const QString &name);
    void publishCommonObject(QObject *object);
    void registerApplicationWidget(QWidget *widget);

public slots:
    void about();
    void changeWindowTitle(const QString &str);
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
    void stayOnTop();
    void stopEvaluation();
    void open();
    void saveAs();
    void recentClicked();
    void find();
    void batch();
    void options();
    void pickWidget();
    void startRecording();
    void stopRecording();

private:
    void loadRecentFiles();
    void addRecentFile(const QString &name);
    void showStatus(const QString &message);
    // "Batch Runner — LIST — DOCUMENT", as far as they are known.
    void updateTitle();

    Editor *m_editor = nullptr;
    QAction *m_onTopAction = nullptr;
    QMenu *m_recentMenu = nullptr;
    QStringList m_recentFiles;
    FindDialog *m_findDialog = nullptr;
    BatchArea *m_batchArea = nullptr;
    QDockWidget *m_batchDock = nullptr;
    QString m_documentTitle;
    ScriptWritingTools *m_writing = nullptr;
};

} // namespace QMDrovebot
