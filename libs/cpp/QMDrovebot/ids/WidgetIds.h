#pragma once

#include <QHash>
#include <QMap>
#include <QString>

class QObject;
class QWidget;

namespace QMDrovebot {

// Short, stable widget IDs shown as tool tips, so a user can hover a widget,
// paste its ID into a script and find the widget again by tool tip.
//
// All state is process-wide and touched only on the GUI thread: the tool
// tips saved before IDs replaced them, the ID map (computed once, at the
// first generateIDs) and the alias table. Widgets are held through guarded
// pointers, so a widget that died is never touched and a new widget that
// happens to get a dead widget's address does not inherit its ID.
class WidgetIds
{
public:
    using ToolTips = QHash<const QObject *, QString>;

    // The editor's set-up steps, in the order it calls them. Each one does
    // its work once per process (the hover filters once per editor).
    static void fillAliases();
    static void recordToolTips();
    static void installHoverFilters();

    // The script functions and the document window's slots.
    static void generateIDs();
    static void restoreOriginalToolTips();
    static void generateIDsForWidget(QWidget *widget);
    static void showAliases();

    static QMap<QString, QString> aliases();
    // The widget's entry in the ID map; empty before generateIDs.
    static QString id(const QWidget *widget);

    // Every application widget's ID as generateIDs() gives it, without
    // showing any: reports and evidence name widgets by it.
    static QHash<const QWidget *, QString> currentIds();
    // The "Vis/" IDs generateIDsForWidget(widget) would show, without
    // showing them.
    static QHash<const QWidget *, QString> idsForWidget(QWidget *widget);

    // "/" + segment for each object from the top down to `object`; only the
    // tool tips in `toolTips` count, not the objects' current ones.
    static QString fullName(const QObject *object, const ToolTips &toolTips);
    // The text whose byte sum tells apart widgets with equal names: names,
    // classes and captions up the chain, layout positions, sizes.
    static QString signature(const QWidget *widget);
};

} // namespace QMDrovebot
