#include "Support.h"

namespace QMDrovebot {

Support::Support(QObject *parent)
    : QObject(parent)
{
}

} // namespace QMDrovebot
