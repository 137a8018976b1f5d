#include "WidgetLookup.h"

#include <QMDrovebot/ids/ScriptWindows.h>

#include <QDebug>
#include <QDialog>
#include <QMenu>
#include <QWidget>

namespace QMDrovebot {
namespace WidgetLookup {

namespace {

bool hasClassName(const QObject *object, const QString &className)
{
    return className == QLatin1String(object->metaObject()->className());
}

// The first descendant widget that matches, in the order of the toolkit's
// recursive child search (pre-order), without building the whole list.
template <typename Match> QWidget *firstDescendant(const QObject *object, const Match &match)
{
    for (QObject *child : object->children()) {
        if (child->isWidgetType() && match(static_cast<QWidget *>(child)))
            return static_cast<QWidget *>(child);
        if (QWidget *found = firstDescendant(child, match))
            return found;
    }
    return nullptr;
}

template <typename Match> QWidget *searchTopLevels(bool visibleOnly, Match match)
{
    const auto accepted = [&](QWidget *w) { return match(w) && (!visibleOnly || w->isVisible()); };
    QWidget *result = nullptr;
    const QWidgetList topLevels = ScriptWindows::topLevels();
    for (QWidget *top : topLevels) {
        if (accepted(top))
            return top;
        if (QWidget *found = firstDescendant(top, accepted))
            result = found;
    }
    return result;
}

template <typename Match> QWidget *searchDescendants(QWidget *widget, Match match)
{
    return widget ? firstDescendant(widget, match) : nullptr;
}

template <typename Match> QObject *searchChain(QObject *object, Match match)
{
    for (; object; object = object->parent()) {
        if (match(object))
            return object;
    }
    return nullptr;
}

} // namespace

QWidget *byClassName(const QString &className, bool visibleOnly)
{
    return searchTopLevels(visibleOnly, [&](QWidget *w) { return hasClassName(w, className); });
}

QWidget *byToolTip(const QString &toolTip, bool visibleOnly)
{
    return searchTopLevels(visibleOnly, [&](QWidget *w) { return w->toolTip() == toolTip; });
}

QObject *byObjectName(const QString &objectName)
{
    const QWidgetList topLevels = ScriptWindows::topLevels();
    for (QWidget *top : topLevels) {
        if (top->objectName() == objectName)
            return top;
        if (QObject *child = top->findChild<QObject *>(objectName))
            return child;
    }
    return nullptr;
}

QWidget *byWindowTitle(const QString &title)
{
    const QWidgetList topLevels = ScriptWindows::topLevels();
    for (QWidget *top : topLevels) {
        if (top->windowTitle() == title)
            return top;
    }
    return nullptr;
}

QWidget *visiblePopup()
{
    return searchTopLevels(true, [](QWidget *w) { return qobject_cast<QMenu *>(w) != nullptr; });
}

QWidget *visibleDialog()
{
    return searchTopLevels(true, [](QWidget *w) { return qobject_cast<QDialog *>(w) != nullptr; });
}

QWidget *subByObjectName(QWidget *widget, const QString &objectName)
{
    return searchDescendants(widget, [&](QWidget *w) { return w->objectName() == objectName; });
}

QWidget *subByClassName(QWidget *widget, const QString &className, bool visibleOnly)
{
    return searchDescendants(
        widget, [&](QWidget *w) { return hasClassName(w, className) && (!visibleOnly || w->isVisible()); });
}

QWidget *subByInheritance(QWidget *widget, const QString &className)
{
    const QByteArray name = className.toLatin1();
    return searchDescendants(widget, [&](QWidget *w) { return w->inherits(name.constData()); });
}

QWidget *subByToolTip(QWidget *widget, const QString &toolTip)
{
    return searchDescendants(widget, [&](QWidget *w) { return w->toolTip() == toolTip; });
}

QObject *chainByClassName(QObject *object, const QString &className)
{
    return searchChain(object, [&](QObject *o) { return hasClassName(o, className); });
}

QObject *chainByClassNameSuffix(QObject *object, const QString &suffix)
{
    return searchChain(object,
                       [&](QObject *o) { return QString::fromLatin1(o->metaObject()->className()).endsWith(suffix); });
}

QObject *chainByObjectName(QObject *object, const QString &objectName)
{
    return searchChain(object, [&](QObject *o) { return o->objectName() == objectName; });
}

QObject *chainByInheritance(QObject *object, const QString &className)
{
    const QByteArray name = className.toLatin1();
    return searchChain(object, [&](QObject *o) { return o->inherits(name.constData()); });
}

QObject *chainByClassNameOrSuffix(QObject *object, const QString &className)
{
    if (QObject *exact = chainByClassName(object, className))
        return exact;
    return chainByClassNameSuffix(object, className);
}

QObject *ancestorByClassName(QWidget *widget, const QString &className)
{
    return widget ? chainByClassName(widget->parent(), className) : nullptr;
}

int ancestorCount(QWidget *widget)
{
    if (!widget)
        return -1;
    int count = 0;
    for (QObject *ancestor = widget->parent(); ancestor; ancestor = ancestor->parent())
        ++count;
    return count;
}

void dumpChain(QWidget *widget)
{
    if (!widget)
        return;
    qDebug() << widget;
    QString indent;
    for (QObject *ancestor = widget->parent(); ancestor; ancestor = ancestor->parent()) {
        indent += QLatin1String("  ");
        qDebug().noquote() << indent << ancestor;
    }
}

} // namespace WidgetLookup
} // namespace QMDrovebot
