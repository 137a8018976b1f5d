#include "DeletionGuard.h"

#include <QEvent>

namespace QMDrovebot {

DeletionGuard::DeletionGuard(QObject *parent)
    : QObject(parent)
{
}

void DeletionGuard::protect(QObject *object)
{
    object->installEventFilter(this);
}

bool DeletionGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::DeferredDelete)
        return false;
    emit refused(tr("deleteLater() refused: %1 is one of the application's own windows")
                     .arg(QString::fromLatin1(watched->metaObject()->className())));
    return true;
}

} // namespace QMDrovebot
