#include "WidgetPicker.h"

#include "PickOutline.h"
#include <QMDrovebot/ids/ScriptWindows.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace QMDrovebot {

WidgetPicker::WidgetPicker(QObject *parent)
    : QObject(parent)
{
}

WidgetPicker::~WidgetPicker()
{
    if (m_picking)
        end();
    delete m_outline;
}

void WidgetPicker::exclude(QWidget *widget)
{
    m_excluded.append(widget);
}

void WidgetPicker::start()
{
    if (m_picking)
        return;
    m_picking = true;
    m_hovered = nullptr;
    if (!m_outline)
        m_outline = new PickOutline;
    qApp->installEventFilter(this);
    QApplication::setOverrideCursor(Qt::CrossCursor);
}

void WidgetPicker::cancel()
{
    if (m_picking)
        end();
}

bool WidgetPicker::isPicking() const
{
    return m_picking;
}

QWidget *WidgetPicker::hovered() const
{
    return m_hovered;
}

PickOutline *WidgetPicker::outline() const
{
    return m_outline;
}

void WidgetPicker::end()
{
    m_picking = false;
    m_hovered = nullptr;
    if (m_outline)
        m_outline->hide();
    QApplication::restoreOverrideCursor();
    if (!m_swallow)
        qApp->removeEventFilter(this);
    emit finished();
}

QWidget *WidgetPicker::pickable(QObject *object) const
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (widget == m_outline || widget->window()->windowType() == Qt::ToolTip || ScriptWindows::isOwn(widget))
        return nullptr;
    for (const QPointer<QWidget> &excluded : m_excluded) {
        if (excluded && (excluded == widget || excluded->isAncestorOf(widget)))
            return nullptr;
    }
    return widget;
}

void WidgetPicker::hover(QWidget *widget)
{
    if (widget == m_hovered)
        return;
    m_hovered = widget;
    if (!widget) {
        m_outline->hide();
        return;
    }
    m_locator = WidgetLocator::locate(widget);
    const QString text =
        m_locator.isValid()
            ? m_locator.expression()
            : QStringLiteral("no expression finds this %1").arg(QString::fromLatin1(widget->metaObject()->className()));
    m_outline->showAround(widget, text);
}

bool WidgetPicker::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (m_swallow && (type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick) &&
        watched == m_swallow) {
        if (type == QEvent::MouseButtonRelease) {
            m_swallow = nullptr;
            if (!m_picking)
                qApp->removeEventFilter(this);
        }
        return true;
    }
    if (!m_picking)
        return false;
    switch (type) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            end();
            return true;
        }
        return false;
    case QEvent::MouseMove: {
        // Every move passes here, also where no widget tracks the mouse; a
        // move that a child ignored reaches its parents at the same place.
        const QPoint at = static_cast<QMouseEvent *>(event)->globalPos();
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || (at == m_lastGlobalPos && m_hovered && widget != m_hovered && widget->isAncestorOf(m_hovered)))
            return false;
        m_lastGlobalPos = at;
        hover(pickable(widget));
        return false;
    }
    case QEvent::MouseButtonPress: {
        QWidget *widget = pickable(watched);
        if (!widget)
            return false;
        hover(widget);
        m_swallow = widget;
        const WidgetLocator locator = m_locator;
        end();
        emit picked(widget, locator);
        return true;
    }
    default:
        return false;
    }
}

} // namespace QMDrovebot
