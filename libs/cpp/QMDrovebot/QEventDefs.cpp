#include "QEventDefs.h"

namespace QMDrovebot {

QEventDefs::QEventDefs(QObject *parent)
    : QObject(parent)
{
}

} // namespace QMDrovebot
