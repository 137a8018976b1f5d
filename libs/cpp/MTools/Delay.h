#pragma once

#include <QEventLoop>
#include <QObject>

#include <limits>

namespace MTools {

// Waits while the event loop keeps running: the GUI stays responsive and
// posted events (simulated clicks, timers, Stop) are delivered meanwhile.
// Never sleeps the thread. A wait never ends before its time, measured on a
// monotonic clock (a coarse timer may fire up to 5% early), and takes any
// time up to `kForever`, which never ends by itself. A negative time counts
// as zero.
class Delay
{
public:
    static constexpr qint64 kForever = std::numeric_limits<qint64>::max();

    static void delay(qint64 milliseconds);

    // The same wait, over as soon as `sender` emits `signal` (a stopped
    // script does not sit out the rest of a long wait). A null sender waits
    // the whole time.
    template <typename Sender, typename Signal>
    static void delay(qint64 milliseconds, const Sender *sender, Signal signal)
    {
        QEventLoop loop;
        if (sender)
            QObject::connect(sender, signal, &loop, &QEventLoop::quit);
        wait(loop, milliseconds);
    }

private:
    static void wait(QEventLoop &loop, qint64 milliseconds);
};

} // namespace MTools
