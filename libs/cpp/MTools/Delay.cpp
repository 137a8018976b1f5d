#include "Delay.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace MTools {

void Delay::delay(int milliseconds)
{
    if (milliseconds < 0)
        milliseconds = 0;
    if (!QCoreApplication::instance())
        return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(milliseconds);
    // A zero-time timer still lets one full pass of pending events through.
    loop.exec();
}

} // namespace MTools
