#pragma once

#include <QEventLoop>
#include <QMap>
#include <QStringList>
#include <QWidget>

#include <QMDrovebot/batch/ScriptRunner.h>

class QAction;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace QMDrovebot {

class Editor;

// A list of scripts that runs one after another in an editor, with each
// row's state ("Running...", "Done", "Error") and the output of its latest
// run. The list is kept in the settings store and read from and written to
// `.jslst` files.
class BatchArea : public QWidget
{
    Q_OBJECT

public:
    BatchArea(Editor *editor, QWidget *parent = nullptr);
    ~BatchArea() override;

    void storeList();
    void restoreList();

    QTreeWidget *tree() const;
    // Read by scripts that check a batch.
    Q_INVOKABLE QStringList paths() const;
    Q_INVOKABLE QStringList states() const;
    Q_INVOKABLE bool isRunning() const;
    QString output(const QString &path) const;
    ScriptRunner &runner();

    // Ends the batch: the current script is stopped and no further row runs.
    // For a host that goes away while a batch runs.
    void abandon();

signals:
    void scriptFileDoubleClicked(const QString &path);
    // A failed list file operation, with the system's reason.
    void statusMessage(const QString &message);

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
};

} // namespace QMDrovebot
