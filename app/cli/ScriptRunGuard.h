#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <functional>

class QTimer;

namespace QMDrovebot {
class Editor;
} // namespace QMDrovebot

// Runs scripts for a host that nobody watches (the command line). A time
// limit, and SIGINT or SIGTERM, end a run exactly as the Stop button does:
// the script stops wherever it is, a modal dialog it opened is closed, and a
// red line in the output pane says why. The run always ends, and what the
// pane held so far is kept.
//
// The run includes what the script set in motion last: a click it posted
// just before its end is delivered under the same limit, and a modal dialog
// that opens then, which nobody would answer, is closed at once with a red
// line that says so (the run has failed).
//
// Signals are process-wide: the first SIGINT or SIGTERM stops the current
// run and is remembered, so a host running several scripts can stop there;
// a second one ends the process the default way. What a run that never
// returns to the event loop needs is RunWatchdog's.
class ScriptRunGuard : public QObject
{
    Q_OBJECT

public:
    // A limit of 0 seconds or less means none.
    explicit ScriptRunGuard(int timeLimitSeconds = 0, QObject *parent = nullptr);
    ~ScriptRunGuard() override;

    // Runs the editor's document as Run does, within the limit. A signal
    // that arrived earlier keeps the script from starting at all.
    void run(QMDrovebot::Editor *editor);
    // The same for a script that runs elsewhere (in another process):
    // `body` returns when it has ended, `stop` asks it to end now with the
    // given red line.
    void run(const std::function<void()> &body, const std::function<void(const QString &reason)> &stop);
    static bool signalReceived();
    // Stops the running script now, as the time limit does, with `reason`
    // as its red line; a stop asked for from elsewhere (another process).
    void stop(const QString &reason);

    // Called when a limit or a signal is about to stop a script, after the
    // red line and before the stop closes its dialogs: the moment to take
    // pictures of what the script was waiting for.
    void setBeforeStop(std::function<void()> beforeStop);

    static QString timeLimitText(int seconds);
    // The red line for the signal that arrived, and its name ("SIGTERM");
    // empty before one did.
    static QString signalText();
    static QString signalName();

private:
    void signalArrived();
    // Lets the script's last posted input take effect, closing any modal
    // dialog it opens.
    void settle();
    void closeLateDialog();

    int m_timeLimitSeconds;
    QTimer *m_timeLimit;
    std::function<void(const QString &)> m_stop;
    QElapsedTimer m_clock; // since the run started
    QPointer<QMDrovebot::Editor> m_editor;
    std::function<void()> m_beforeStop;
    QTimer *m_lateDialogs;
};
