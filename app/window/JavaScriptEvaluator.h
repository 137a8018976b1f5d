#pragma once

#include <QFrame>

class JSMainWindow;
class MUITabBar;
class MUITabBarItem;

// The program's top-level window: the icon tool bar above the document
// window. Keeps its size in the settings and asks before closing over
// unsaved changes.
class JavaScriptEvaluator : public QFrame
{
    Q_OBJECT

public:
    explicit JavaScriptEvaluator(QWidget *parent = nullptr);

    JSMainWindow *mainWindow() const;
    MUITabBar *tabBar() const;

    static QString applicationStyleSheet();

    // Shows the frame as the program starts it: titled with the application
    // name until the document reports a title.
    void showAtStartUp();

public slots:
    void slotChangeWindowTitle(const QString &title);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createToolBar();
    void createMenus();

    JSMainWindow *m_mainWindow = nullptr;
    MUITabBar *m_tabBar = nullptr;
    MUITabBarItem *m_menuButton = nullptr;
    MUITabBarItem *m_newButton = nullptr;
    MUITabBarItem *m_saveButton = nullptr;
    MUITabBarItem *m_saveAsButton = nullptr;
    MUITabBarItem *m_openButton = nullptr;
    MUITabBarItem *m_zoomInButton = nullptr;
    MUITabBarItem *m_zoomOutButton = nullptr;
    MUITabBarItem *m_findButton = nullptr;
    MUITabBarItem *m_undoButton = nullptr;
    MUITabBarItem *m_redoButton = nullptr;
    MUITabBarItem *m_runButton = nullptr;
    MUITabBarItem *m_stopButton = nullptr;
    MUITabBarItem *m_debugButton = nullptr;
    MUITabBarItem *m_compressButton = nullptr;
    MUITabBarItem *m_moreButton = nullptr;
    MUITabBarItem *m_appButton = nullptr;
};
