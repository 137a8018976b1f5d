#include "QEventDefs.h"

#include <QEvent>

namespace QMDrovebot {

QEventDefs::QEventDefs(QObject *parent)
    : QObject(parent)
{
}

int QEventDefs::none()
{
    return QEvent::None;
}
int QEventDefs::close()
{
    return QEvent::Close;
}
int QEventDefs::hide()
{
    return QEvent::Hide;
}
int QEventDefs::show()
{
    return QEvent::Show;
}
int QEventDefs::move()
{
    return QEvent::Move;
}
int QEventDefs::mouseButtonPress()
{
    return QEvent::MouseButtonPress;
}
int QEventDefs::mouseButtonRelease()
{
    return QEvent::MouseButtonRelease;
}
int QEventDefs::mouseButtonDblClick()
{
    return QEvent::MouseButtonDblClick;
}

} // namespace QMDrovebot
