#include "Timer.h"

namespace QMDrovebot {

Timer::Timer(QObject *parent)
    : QTimer(parent)
{
    setSingleShot(true);
}

} // namespace QMDrovebot
