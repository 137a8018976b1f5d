#pragma once

#include <QPointer>
#include <QString>

#include <QMDrovebot/editor/EditorWindow.h>

class QAction;
class QLabel;
class QMenu;

namespace QMDrovebot {
class MainWindow;
} // namespace QMDrovebot

// The document window: the editor below the frame's tool bar. It keeps the
// longer recent-file list in the frame's file menu and opens the batch runner.
class JSMainWindow : public QMDrovebot::EditorWindow
{
    Q_OBJECT

public:
    explicit JSMainWindow(QWidget *parent = nullptr);
    ~JSMainWindow() override;

    void setFileMenu(QMenu *menu);
    bool isModified() const;
    QString windowTitleText() const;
    // The entry that opens the batch runner (F9); the frame also lists it in
    // its application menu.
    QAction *batchAction() const;
    // The batch runner window, null until batch() first opens it.
    QMDrovebot::MainWindow *batchWindow() const;
    // Ends a running batch and closes its window: the program is closing.
    void closeBatchWindow();
    // The lasting note about the document's file; empty when all is well.
    QString fileStatusText() const;

    // Offers the newest text left by an editor that did not end normally;
    // Yes restores it, No drops it, Cancel keeps it for a later start. For
    // the interactive editor only: the command-line modes never ask.
    void offerRecovery();

signals:
    void changeWindowTitle(const QString &title);

public slots:
    void slotChangeWindowTitle(const QString &str);
    void save();
    void batch();
    void options();
    void run();
    void stop();
    void debug();
    void newFile();
    void showCompressedContent();
    void zoomIn();
    void zoomOut();

private:
    void createActions();
    void createStatusBar();

    QString m_windowTitleText;
    QAction *m_batchAction = nullptr;
    // Its own top-level window, so it has no parent; a script may delete it.
    QPointer<QMDrovebot::MainWindow> m_batchWindow;
    QLabel *m_fileStatus = nullptr;
};
