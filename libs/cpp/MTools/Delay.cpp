#include "Delay.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace MTools {

void Delay::delay(qint64 milliseconds)
{
    QEventLoop loop;
    wait(loop, milliseconds);
}

void Delay::wait(QEventLoop &loop, qint64 milliseconds)
{
    if (!QCoreApplication::instance())
        return;
    milliseconds = std::max<qint64>(milliseconds, 0);
    QElapsedTimer clock;
    clock.start();
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    bool due = false;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        due = true;
        loop.quit();
    });
    // A timer takes at most INT_MAX ms and may still fire a little early:
    // the clock decides, and a wait that is not over yet goes on. elapsed()
    // rounds down, so it never claims more time than has passed.
    for (;;) {
        due = false;
        // Never negative: on a busy machine the clock may already be past
        // the end here, and a timer refused would leave the loop waiting
        // for ever.
        timer.start(int(std::clamp<qint64>(milliseconds - clock.elapsed(), 0, INT_MAX)));
        // A zero-time timer still lets one full pass of pending events through.
        loop.exec();
        if (!due || clock.elapsed() >= milliseconds)
            return; // ended by the sender or by the application quitting, or over
    }
}

} // namespace MTools
