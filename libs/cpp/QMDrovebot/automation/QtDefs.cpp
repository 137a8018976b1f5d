#include "QtDefs.h"

#include <QLabel>

namespace QMDrovebot {

QtDefs::QtDefs(QObject *parent)
    : QObject(parent)
{
}

QWidget *QtDefs::QLabel(const QString &str)
{
    return new ::QLabel(str);
}

QWidget *QtDefs::QLabel()
{
    return new ::QLabel;
}

int QtDefs::noButton()
{
    return Qt::NoButton;
}
int QtDefs::leftButton()
{
    return Qt::LeftButton;
}
int QtDefs::rightButton()
{
    return Qt::RightButton;
}
int QtDefs::middleButton()
{
    return Qt::MiddleButton;
}
int QtDefs::shiftModifier()
{
    return Qt::ShiftModifier;
}
int QtDefs::metaModifier()
{
    return Qt::MetaModifier;
}
int QtDefs::controlModifier()
{
    return Qt::ControlModifier;
}
int QtDefs::altModifier()
{
    return Qt::AltModifier;
}
int QtDefs::key_Enter()
{
    return Qt::Key_Enter;
}
int QtDefs::key_Space()
{
    return Qt::Key_Space;
}

} // namespace QMDrovebot
