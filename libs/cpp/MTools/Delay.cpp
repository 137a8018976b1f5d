#include "Delay.h"

#include <QCoreApplication>
#include <QTimer>

namespace MTools {

void Delay::delay(int milliseconds)
{
    QEventLoop loop;
    wait(loop, milliseconds);
}

void Delay::wait(QEventLoop &loop, int milliseconds)
{
    if (milliseconds < 0)
        milliseconds = 0;
    if (!QCoreApplication::instance())
        return;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(milliseconds);
    // A zero-time timer still lets one full pass of pending events through.
    loop.exec();
}

} // namespace MTools
