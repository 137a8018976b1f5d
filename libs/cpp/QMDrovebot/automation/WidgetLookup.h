#pragma once

#include <QString>

class QObject;
class QWidget;

namespace QMDrovebot {

// Finding widgets: over all top-level windows, below one widget, or up the
// parent chain. Nothing found is null; a null widget to search finds nothing.
//
// Over the top-level windows, a matching top-level wins at once; among
// descendants, the first match in pre-order under the last top-level that
// has one wins (scripts depend on this order when names repeat).
namespace WidgetLookup {

QWidget *byClassName(const QString &className, bool visibleOnly);
QWidget *byToolTip(const QString &toolTip, bool visibleOnly);
// Any kind of object, the first top-level's first: scripts also look up
// actions and layouts by name.
QObject *byObjectName(const QString &objectName);
// Top-level windows only.
QWidget *byWindowTitle(const QString &title);
QWidget *visiblePopup();
QWidget *visibleDialog();

QWidget *subByObjectName(QWidget *widget, const QString &objectName);
QWidget *subByClassName(QWidget *widget, const QString &className, bool visibleOnly);
QWidget *subByInheritance(QWidget *widget, const QString &className);
QWidget *subByToolTip(QWidget *widget, const QString &toolTip);

// The chain starts at the widget itself.
QObject *chainByClassName(QObject *object, const QString &className);
QObject *chainByClassNameSuffix(QObject *object, const QString &suffix);
QObject *chainByObjectName(QObject *object, const QString &objectName);
QObject *chainByInheritance(QObject *object, const QString &className);
// The exact class name first; only when no object on the chain has it, a
// class name that ends in it, so "Editor" also finds "QMDrovebot::Editor".
QObject *chainByClassNameOrSuffix(QObject *object, const QString &className);
// The chain above the widget: the widget itself never matches.
QObject *ancestorByClassName(QWidget *widget, const QString &className);

// The number of ancestors, -1 for no widget.
int ancestorCount(QWidget *widget);
// The widget and its ancestors, each one more indented, on the debug output.
void dumpChain(QWidget *widget);

} // namespace WidgetLookup

} // namespace QMDrovebot
