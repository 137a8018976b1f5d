#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QMap>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <QMDrovebot/batch/ScriptRunner.h>

class QAction;
class QPushButton;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace QMDrovebot {

class Editor;

// A list of scripts that runs one after another in an editor, with each
// row's state ("Running...", "Done", "Error", "Not run" after Stop All or a
// script's quitApplication()) and the output of its latest run. The list is
// kept in the settings store and read from and written to `.jslst` files.
class BatchArea : public QWidget
{
    Q_OBJECT

public:
    BatchArea(Editor *editor, QWidget *parent = nullptr);
    ~BatchArea() override;

    void storeList();
    void restoreList();

    QTreeWidget *tree() const;
    // The list file last loaded or saved; empty for a list from the settings.
    QString listFile() const;
    // The window that "Show Output" shows; null until it first does.
    QTextEdit *outputWindow() const;
    // Read by scripts that check a batch.
    Q_INVOKABLE QStringList paths() const;
    Q_INVOKABLE QStringList states() const;
    Q_INVOKABLE bool isRunning() const;
    QString output(const QString &path) const;
    ScriptRunner &runner();

signals:
    void scriptFileDoubleClicked(const QString &path);
    // A failed list file operation, with the system's reason.
    void statusMessage(const QString &message);
    // Where a running batch stands ("12 of 60: 10 done, 2 errors — 0:42"),
    // every second and after every row; it keeps its last text afterwards.
    void progressChanged(const QString &text);
    void listFileChanged(const QString &path);

public slots:
    // "Stop All" (and Esc): the current script is stopped and no further row
    // runs. Also for a host that goes away while a batch runs.
    void abandon();

private slots:
    void run();
    void addJS();
    void removeJS();
    void removeJSOnKey();
    void loadList();
    void saveListAs();
    void itemDoubleClicked(QTreeWidgetItem *item, int column);
    void checkForDone();
    void showOutput();

private:
    void appendRow(const QString &path);
    void setRunning(bool running);
    // Start opens the rows' files over the editor's text: false when the
    // user keeps the unsaved text instead.
    bool mayReplaceEdits();
    void showProgress();
    void setListFile(const QString &path);
    void placeBesideWindow(QWidget *window);

    QTreeWidget *m_tree = nullptr;
    Editor *m_editor = nullptr;
    QEventLoop m_eventLoop;
    QMap<QString, QString> m_outputs;
    QString m_path;

    ScriptRunner m_runner;
    bool m_running = false;
    bool m_abandoned = false;
    // Refused while a batch runs: a second start, and everything that would
    // change the rows being run.
    QList<QPushButton *> m_refusedWhileRunning;
    QList<QAction *> m_keyActions;
    QPushButton *m_stopAll = nullptr;
    QAction *m_stopAllKey = nullptr;

    QString m_listFile;
    QPointer<QTextEdit> m_outputWindow;
    // Progress of the running batch.
    int m_total = 0;
    int m_done = 0;
    int m_errors = 0;
    QElapsedTimer m_sinceStart;
    QTimer m_clock;
};

} // namespace QMDrovebot
