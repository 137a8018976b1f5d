#pragma once

#include <QMDrovebot/editor/EditorWindow.h>

class QAction;
class QDockWidget;
class QMenu;

namespace QMDrovebot {

class BatchArea;

// The automation tool's own script editor window: the editor with menus,
// tool bars and a status bar, and the batch area in a dock ("Batch Area",
// toggled by F9).
class MainWindow : public EditorWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The recent list is shorter here than in the document window.
    static constexpr int maximumRecentFiles = 4;

    BatchArea *batchArea() const;
    QDockWidget *batchDock() const;
    QAction *onTopAction() const;

public slots:
    void changeWindowTitle(const QString &str);
    void stayOnTop();
    void batch();
    void options();

private:
    void createBatchDock();
    void createActions();
    QMenu *createFileMenu();
    QMenu *createViewMenu();
    QMenu *createRunMenu();
    QMenu *createEditMenu();
    void createToolBars();
    void createStatusBar();
    // "Batch Runner — LIST — DOCUMENT", as far as they are known.
    void updateTitle();

    BatchArea *m_batchArea = nullptr;
    QDockWidget *m_batchDock = nullptr;
    QString m_documentTitle;

    // The actions the tool bars share with the menus.
    QAction *m_newAction = nullptr;
    QAction *m_openAction = nullptr;
    QAction *m_saveAction = nullptr;
    QAction *m_findAction = nullptr;
    QAction *m_zoomInAction = nullptr;
    QAction *m_zoomOutAction = nullptr;
    QAction *m_onTopAction = nullptr;
    QAction *m_runAction = nullptr;
    QAction *m_stopAction = nullptr;
    QAction *m_debugAction = nullptr;
    QAction *m_batchAction = nullptr;
    QAction *m_aliasesAction = nullptr;
    QAction *m_undoAction = nullptr;
    QAction *m_redoAction = nullptr;
    QAction *m_copyAction = nullptr;
    QAction *m_pasteAction = nullptr;
};

} // namespace QMDrovebot
