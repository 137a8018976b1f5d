#include "EditorFilter.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QSet>
#include <QWidget>

namespace QMDrovebot {

EditorFilter::EditorFilter(QObject *parent)
    : QObject(parent)
{
}

void EditorFilter::watch(QObject *widget)
{
    // Every editor and every generateIDsForWidget() watches again; a second
    // filter would only copy the same text to the clipboard once more.
    static QSet<const QObject *> watched;
    if (watched.contains(widget))
        return;
    watched.insert(widget);
    // Parentless on purpose: as a child it would count among the widget's
    // descendants, which enter the widget's "F#" ID.
    auto *filter = new EditorFilter;
    widget->installEventFilter(filter);
    connect(widget, &QObject::destroyed, filter, [filter, widget] {
        watched.remove(widget);
        filter->deleteLater();
    });
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
