#include "DropSimulator.h"

#include "AutomationState.h"

#include <QCoreApplication>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTimer>
#include <QWidget>

namespace QMDrovebot {

DropSimulator::DropSimulator(QObject *parent)
    : QObject(parent)
{
}

DropSimulator::~DropSimulator() = default;

void DropSimulator::setSource(QWidget *source)
{
    if (m_source)
        m_source->removeEventFilter(this);
    m_source = source;
    if (m_source)
        m_source->installEventFilter(this);
}

void DropSimulator::setTarget(QWidget *target, const QPoint &position)
{
    m_target = target;
    m_position = position;
}

void DropSimulator::start(int milliseconds)
{
    QTimer::singleShot(qMax(0, milliseconds), this, &DropSimulator::simulate);
}

bool DropSimulator::eventFilter(QObject *watched, QEvent *event)
{
    // A new child of the source may be the drag it is about to start; it is
    // still being constructed here, so its kind is checked only when it is
    // about to be deleted.
    if (watched == m_source && event->type() == QEvent::ChildAdded) {
        if (QObject *child = static_cast<QChildEvent *>(event)->child())
            child->installEventFilter(this);
    } else if (event->type() == QEvent::DeferredDelete) {
        auto *drag = qobject_cast<QDrag *>(watched);
        if (drag && drag->parent() == m_source && drag->mimeData()) {
            const QMimeData *data = drag->mimeData();
            m_capturedData = std::make_unique<QMimeData>();
            const QStringList formats = data->formats();
            for (const QString &format : formats)
                m_capturedData->setData(format, data->data(format));
        }
    }
    return false;
}

void DropSimulator::simulate()
{
    if (m_source && m_target) {
        const QList<QDrag *> drags = m_source->findChildren<QDrag *>();
        if (!drags.isEmpty()) {
            deliverDrop(drags.last()->mimeData());
            // The drag's own loop is still running; Escape ends it. Without a
            // registered application widget the source takes the key, which
            // the running drag consumes before the widget sees it.
            QWidget *receiver = AutomationState::applicationWidget();
            if (!receiver)
                receiver = m_source;
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString());
            QCoreApplication::sendEvent(receiver, &escape);
        } else if (m_capturedData) {
            deliverDrop(m_capturedData.get());
        }
    }
    if (m_source)
        m_source->removeEventFilter(this);
    deleteLater();
}

void DropSimulator::deliverDrop(const QMimeData *data)
{
    const Qt::DropActions actions = Qt::CopyAction;
    QDragEnterEvent enter(m_position, actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_target, &enter);
    if (!m_target)
        return;
    QDragMoveEvent move(m_position, actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_target, &move);
    if (!m_target)
        return;
    QDropEvent drop(m_position, actions, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_target, &drop);
}

} // namespace QMDrovebot
