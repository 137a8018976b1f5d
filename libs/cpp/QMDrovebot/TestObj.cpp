#include "TestObj.h"

namespace QMDrovebot {

TestObj::TestObj(QObject *parent)
    : QObject(parent)
{
}

} // namespace QMDrovebot
