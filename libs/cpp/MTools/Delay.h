#pragma once

#include <QEventLoop>
#include <QObject>

namespace MTools {

// Waits while the event loop keeps running: the GUI stays responsive and
// posted events (simulated clicks, timers, Stop) are delivered meanwhile.
// Never sleeps the thread. A negative time counts as zero.
class Delay
{
public:
    static void delay(int milliseconds);

    // The same wait, over as soon as `sender` emits `signal` (a stopped
    // script does not sit out the rest of a long wait). A null sender waits
    // the whole time.
    template <typename Sender, typename Signal> static void delay(int milliseconds, const Sender *sender, Signal signal)
    {
        QEventLoop loop;
        if (sender)
            QObject::connect(sender, signal, &loop, &QEventLoop::quit);
        wait(loop, milliseconds);
    }

private:
    static void wait(QEventLoop &loop, int milliseconds);
};

} // namespace MTools
