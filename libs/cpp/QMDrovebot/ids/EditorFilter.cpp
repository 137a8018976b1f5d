#include "EditorFilter.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

namespace QMDrovebot {

EditorFilter::EditorFilter(QObject *parent)
    : QObject(parent)
{
}

void EditorFilter::watch(QObject *widget)
{
    // Parentless on purpose: as a child it would count among the widget's
    // descendants, which enter the widget's "F#" ID.
    auto *filter = new EditorFilter;
    widget->installEventFilter(filter);
    connect(widget, &QObject::destroyed, filter, &QObject::deleteLater);
}

bool EditorFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Enter) {
        if (auto *widget = qobject_cast<QWidget *>(watched)) {
            if (QClipboard *clipboard = QGuiApplication::clipboard())
                clipboard->setText(widget->toolTip());
        }
    }
    return false;
}

} // namespace QMDrovebot
