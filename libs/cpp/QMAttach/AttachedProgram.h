#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace QMDrovebot {
class RunChannel;
} // namespace QMDrovebot

// Corvella inside a program it was attached to. Waits for the program's
// first window, then either opens the script editor window beside it or runs
// the scripts the launcher sends over the channel.
class AttachedProgram : public QObject
{
    Q_OBJECT

public:
    enum class Mode { Editor, Run };

    // The program gets this long to show its first window.
    static constexpr int firstWindowMilliseconds = 10000;

    AttachedProgram(Mode mode, QMDrovebot::RunChannel *channel, QObject *parent = nullptr);

private:
    void poll();
    void begin();

    Mode m_mode;
    QMDrovebot::RunChannel *m_channel;
    QTimer m_poll;
    QElapsedTimer m_clock;
    QElapsedTimer m_activating;
};
