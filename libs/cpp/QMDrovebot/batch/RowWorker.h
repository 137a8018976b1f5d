#pragma once

#include <QMDrovebot/automation/Evidence.h>

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QQueue>

#include <memory>

namespace QMDrovebot {

class Editor;
class RunChannel;
struct ScriptRun;

// The side of a run channel that runs scripts: each "run" opens the script
// in the editor and runs it as the batch runner does, and its outcome goes
// back as one "result"; "stop" ends the running script as the Stop button
// does, with the reason as its red line; "quit" ends the application
// normally. A failed script leaves its evidence here, where its windows are.
class RowWorker : public QObject
{
    Q_OBJECT

public:
    RowWorker(Editor *editor, RunChannel *channel, QObject *parent = nullptr);

    // Tells the other side that scripts can run now.
    void sendReady();

    static QJsonObject resultMessage(const ScriptRun &run);
    static ScriptRun runFromMessage(const QJsonObject &message);

private:
    void received(const QJsonObject &message);
    void runNext();

    QPointer<Editor> m_editor;
    RunChannel *m_channel;
    QQueue<QJsonObject> m_queue;
    // A stop that came before its script started still stops that script.
    QString m_pendingStop;
    bool m_running = false;
    // The running row's evidence folder, and what the screen showed when a
    // stop came, before the stop closed what the script waited for.
    QString m_evidenceFolder;
    std::unique_ptr<Evidence::Snapshot> m_stopSnapshot;
};

} // namespace QMDrovebot
