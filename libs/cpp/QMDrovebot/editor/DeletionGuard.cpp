#include "DeletionGuard.h"

#include <QEvent>

namespace QMDrovebot {

DeletionGuard::DeletionGuard(QObject *parent)
    : QObject(parent)
{
}

void DeletionGuard::protect(QObject *object)
{
    m_protected.append(object);
    watchAncestors(object);
}

void DeletionGuard::watchAncestors(QObject *object)
{
    // Installing again only moves the filter to the front.
    for (QObject *ancestor = object; ancestor; ancestor = ancestor->parent())
        ancestor->installEventFilter(this);
}

bool DeletionGuard::holdsProtected(const QObject *object) const
{
    // Asked each time: a former ancestor that no longer holds anything of
    // ours may go.
    for (const QPointer<QObject> &own : m_protected) {
        for (const QObject *ancestor = own; ancestor; ancestor = ancestor->parent()) {
            if (ancestor == object)
                return true;
        }
    }
    return false;
}

bool DeletionGuard::eventFilter(QObject *watched, QEvent *event)
{
    // Widgets learn of a new parent by this event: from there up, all is new.
    if (event->type() == QEvent::ParentChange)
        watchAncestors(watched);
    if (event->type() != QEvent::DeferredDelete || !holdsProtected(watched))
        return false;
    emit refused(tr("deleteLater() refused: %1 is or holds one of the application's own windows")
                     .arg(QString::fromLatin1(watched->metaObject()->className())));
    return true;
}

} // namespace QMDrovebot
