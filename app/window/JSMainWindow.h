#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

class QAction;
class QLabel;
class QMenu;

namespace QMDrovebot {
class Editor;
class FindDialog;
class MainWindow;
class ScriptWritingTools;
} // namespace QMDrovebot

// The document window: hosts the editor, keeps the recent-file list and
// hands every tool-bar command on to the editor.
class JSMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit JSMainWindow(QWidget *parent = nullptr);
    ~JSMainWindow() override;

    void setFileMenu(QMenu *menu);
    // Opens a file named outside the dialogs (the command line) as Open does.
    void openPath(const QString &path);
    bool isModified() const;
    QString windowTitleText() const;
    QMDrovebot::Editor *editor() const;
    QStringList recentFiles() const;
    QMDrovebot::FindDialog *findDialog() const;
    // The entry that opens the batch runner (F9); the frame also lists it in
    // its application menu.
    QAction *batchAction() const;
    // The batch runner window, null until batch() first opens it.
    QMDrovebot::MainWindow *batchWindow() const;
    // Ends a running batch and closes its window: the program is closing.
    void closeBatchWindow();
    // Pick Widget and Record; the frame also lists their actions.
    QMDrovebot::ScriptWritingTools *writingTools() const;
    // The lasting note about the document's file; empty when all is well.
    QString fileStatusText() const;

    // Offers the newest text left by an editor that did not end normally;
    // Yes restores it, No drops it, Cancel keeps it for a later start. For
    // the interactive editor only: the command-line modes never ask.
    void offerRecovery();

    // Host operations for programs that embed the editor.
    void publishObject(QObject *object, const QString &name);
    void publishCommonObject(QObject *object);
    static QObject *commonObject();
    void registerApplicationWidget(QWidget *widget);

signals:
    void changeWindowTitle(const QString &title);

public slots:
    void about();
    void slotChangeWindowTitle(const QString &str);
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
    void save();
    void recentClicked();
    void find();
    void batch();
    void options();
    void run();
    void stop();
    void debug();
    void newFile();
    void showCompressedContent();
    void zoomIn();
    void zoomOut();
    void pickWidget();
    void startRecording();
    void stopRecording();

private:
    void loadRecentFiles();
    void addRecentFile(const QString &name);
    void addMenuHead();

    QMDrovebot::Editor *m_editor = nullptr;
    QPointer<QMenu> m_fileMenu;
    QStringList m_recentFiles;
    QMDrovebot::FindDialog *m_findDialog = nullptr;
    QString m_windowTitleText;
    QAction *m_batchAction = nullptr;
    // Its own top-level window, so it has no parent; a script may delete it.
    QPointer<QMDrovebot::MainWindow> m_batchWindow;
    QLabel *m_fileStatus = nullptr;
    QMDrovebot::ScriptWritingTools *m_writing = nullptr;
};
