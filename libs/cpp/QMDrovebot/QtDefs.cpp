#include "QtDefs.h"

namespace QMDrovebot {

QtDefs::QtDefs(QObject *parent)
    : QObject(parent)
{
}

} // namespace QMDrovebot
