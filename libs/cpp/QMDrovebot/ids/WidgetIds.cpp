#include "WidgetIds.h"

#include "AliasesWidget.h"
#include "EditorFilter.h"
#include "IdNaming.h"
#include "ScriptWindows.h"

#include <QMWidgets/TopLevelOrder.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QSet>
#include <QVector>
#include <QWidget>

namespace QMDrovebot {

namespace {

struct Entry
{
    QPointer<QWidget> widget;
    QString text;
};

using EntryMap = QMap<QWidget *, Entry>; // ordered by address

EntryMap &savedToolTips()
{
    static EntryMap map;
    return map;
}

EntryMap &idMap()
{
    static EntryMap map;
    return map;
}

QMap<QString, QString> &aliasTable()
{
    static QMap<QString, QString> table;
    return table;
}

QString className(const QObject *object)
{
    return QString::fromLatin1(object->metaObject()->className());
}

// The automation tool's own windows (the aliases window, for one) get no IDs.
bool isToolWindow(const QWidget *topLevel)
{
    return className(topLevel).contains(QLatin1String("QMDrovebot::"));
}

// Every widget of the application's windows, tool windows left out, each
// top-level before its descendants.
QVector<QWidget *> applicationWidgets()
{
    QVector<QWidget *> widgets;
    const QWidgetList topLevels = ScriptWindows::topLevels();
    for (QWidget *top : topLevels) {
        if (isToolWindow(top))
            continue;
        widgets.append(top);
        const QList<QWidget *> descendants = top->findChildren<QWidget *>();
        for (QWidget *descendant : descendants)
            widgets.append(descendant);
    }
    return widgets;
}

void dropVanished(EntryMap &map)
{
    const QVector<QWidget *> live = applicationWidgets();
    const QSet<QWidget *> alive(live.cbegin(), live.cend());
    for (auto it = map.begin(); it != map.end();) {
        if (!it->widget || !alive.contains(it.key()))
            it = map.erase(it);
        else
            ++it;
    }
}

QString caption(const QObject *object)
{
    if (auto *button = qobject_cast<const QAbstractButton *>(object)) {
        if (!button->text().isEmpty())
            return button->text();
    }
    if (auto *label = qobject_cast<const QLabel *>(object))
        return label->text();
    return QString();
}

QString segmentOf(const QObject *object, const WidgetIds::ToolTips &toolTips)
{
    return IdNaming::segment(toolTips.value(object), object->objectName(), caption(object), className(object),
                             aliasTable());
}

// Full names share their ancestors' prefixes; computing each prefix once
// keeps naming a large window linear in its size.
class NameBuilder
{
public:
    explicit NameBuilder(const WidgetIds::ToolTips &toolTips)
        : m_toolTips(toolTips)
    {
    }

    QString fullName(const QObject *object)
    {
        auto it = m_prefixes.constFind(object);
        if (it != m_prefixes.cend())
            return *it;
        const QObject *parent = object->parent();
        const QString name = (parent ? fullName(parent) : QString()) + QLatin1Char('/') + segmentOf(object, m_toolTips);
        m_prefixes.insert(object, name);
        return name;
    }

private:
    const WidgetIds::ToolTips &m_toolTips;
    QHash<const QObject *, QString> m_prefixes;
};

void resolveMarkers(EntryMap &map)
{
    for (Entry &entry : map) {
        if (entry.widget && IdNaming::hasMarker(entry.text))
            entry.text = IdNaming::resolveMarker(entry.text, WidgetIds::signature(entry.widget));
    }
}

void showNames(const EntryMap &map)
{
    for (const Entry &entry : map) {
        if (entry.widget)
            entry.widget->setToolTip(entry.text);
    }
}

} // namespace

void WidgetIds::fillAliases()
{
    // None of this system's own classes gets an alias: IDs keep their full
    // names ("QMDrovebot::Editor"), as the scripts written for it spell
    // them. The table stays for other applications' classes.
}

QMap<QString, QString> WidgetIds::aliases()
{
    return aliasTable();
}

void WidgetIds::recordToolTips()
{
    EntryMap &map = savedToolTips();
    if (!map.isEmpty())
        return;
    // Tool windows included: only generating IDs leaves them out.
    const QWidgetList topLevels = QMWidgets::TopLevelOrder::topLevelWidgets();
    for (QWidget *top : topLevels) {
        map.insert(top, {top, top->toolTip()});
        const QList<QWidget *> descendants = top->findChildren<QWidget *>();
        for (QWidget *descendant : descendants)
            map.insert(descendant, {descendant, descendant->toolTip()});
    }
}

void WidgetIds::installHoverFilters()
{
    const QWidgetList topLevels = ScriptWindows::topLevels();
    for (QWidget *top : topLevels) {
        if (className(top) == QLatin1String("QMenu") || isToolWindow(top))
            continue;
        EditorFilter::watch(top);
        const QList<QWidget *> descendants = top->findChildren<QWidget *>();
        for (QWidget *descendant : descendants)
            EditorFilter::watch(descendant);
    }
}

namespace {

// The IDs of `widgets`, named from the recorded tool tips.
EntryMap computeIds(const QVector<QWidget *> &widgets)
{
    WidgetIds::ToolTips toolTips;
    for (const Entry &entry : qAsConst(savedToolTips())) {
        if (entry.widget)
            toolTips.insert(entry.widget, entry.text);
    }
    NameBuilder builder(toolTips);
    IdNaming::NameMap names;
    for (QWidget *widget : widgets)
        names.insert(reinterpret_cast<IdNaming::Key>(widget), builder.fullName(widget));
    const IdNaming::NameMap shortened = IdNaming::shorten(names);
    // Resolved in the walk's order, which is the same in every run, so the
    // same widget keeps a contested ID.
    QStringList ordered;
    QStringList signatures;
    for (QWidget *widget : widgets) {
        ordered.append(shortened.value(reinterpret_cast<IdNaming::Key>(widget)));
        signatures.append(IdNaming::hasMarker(ordered.last()) ? WidgetIds::signature(widget) : QString());
    }
    const QStringList resolved = IdNaming::resolveMarkers(ordered, signatures);
    EntryMap ids;
    for (int i = 0; i < widgets.size(); ++i)
        ids.insert(widgets.at(i), {widgets.at(i), resolved.at(i)});
    return ids;
}

} // namespace

void WidgetIds::generateIDs()
{
    EntryMap &ids = idMap();
    if (ids.isEmpty()) {
        const QVector<QWidget *> widgets = applicationWidgets();
        ids = computeIds(widgets);
        // Widgets made after the recording (the frame's tool bar is built
        // after its editor) would lose their own tool tips for good once the
        // IDs replace them; keep those too. One without a tool tip has
        // nothing to keep, so a restore leaves its ID in place. The names
        // above still use only what was recorded.
        EntryMap &saved = savedToolTips();
        for (QWidget *widget : widgets) {
            if ((!saved.contains(widget) || !saved.value(widget).widget) && !widget->toolTip().isEmpty())
                saved.insert(widget, {widget, widget->toolTip()});
        }
        showNames(ids);
    }
    dropVanished(ids);
    showNames(ids);
    resolveMarkers(ids);
}

void WidgetIds::restoreOriginalToolTips()
{
    EntryMap &map = savedToolTips();
    dropVanished(map);
    showNames(map);
}

void WidgetIds::generateIDsForWidget(QWidget *widget)
{
    const QHash<const QWidget *, QString> ids = idsForWidget(widget);
    for (auto it = ids.cbegin(); it != ids.cend(); ++it) {
        auto *descendant = const_cast<QWidget *>(it.key());
        descendant->setToolTip(it.value());
        EditorFilter::watch(descendant);
    }
}

QHash<const QWidget *, QString> WidgetIds::idsForWidget(QWidget *widget)
{
    QHash<const QWidget *, QString> ids;
    if (!widget)
        return ids;
    const QList<QWidget *> descendants = widget->findChildren<QWidget *>();
    ToolTips toolTips;
    for (QWidget *descendant : descendants)
        toolTips.insert(descendant, descendant->toolTip());

    NameBuilder builder(toolTips);
    IdNaming::NameMap names;
    for (QWidget *descendant : descendants)
        names.insert(reinterpret_cast<IdNaming::Key>(descendant), builder.fullName(descendant));
    const IdNaming::NameMap shortened = IdNaming::shorten(names);
    for (QWidget *descendant : descendants)
        ids.insert(descendant, QStringLiteral("Vis/") + shortened.value(reinterpret_cast<IdNaming::Key>(descendant)));
    return ids;
}

void WidgetIds::showAliases()
{
    // Lives until the process ends, like every window a script opens.
    auto *window = new AliasesWidget(aliasTable());
    window->resize(400, 300);
    window->show();
}

QString WidgetIds::id(const QWidget *widget)
{
    const EntryMap &ids = idMap();
    auto it = ids.constFind(const_cast<QWidget *>(widget));
    return it != ids.cend() && it->widget ? it->text : QString();
}

QHash<const QWidget *, QString> WidgetIds::currentIds()
{
    EntryMap ids = idMap();
    if (ids.isEmpty())
        ids = computeIds(applicationWidgets());
    QHash<const QWidget *, QString> result;
    for (const Entry &entry : qAsConst(ids)) {
        if (entry.widget)
            result.insert(entry.widget, entry.text);
    }
    return result;
}

QString WidgetIds::fullName(const QObject *object, const ToolTips &toolTips)
{
    NameBuilder builder(toolTips);
    return builder.fullName(object);
}

QString WidgetIds::signature(const QWidget *widget)
{
    QString s;
    QVector<const QLayout *> layouts;
    int ancestors = -1;
    for (const QObject *o = widget; o; o = o->parent()) {
        ++ancestors;
        s += o->objectName();
        s += className(o);
        s += caption(o);
        if (o->isWidgetType()) {
            if (const QLayout *layout = static_cast<const QWidget *>(o)->layout())
                layouts.append(layout);
        }
    }
    for (const QLayout *layout : qAsConst(layouts)) {
        const int index = layout->indexOf(const_cast<QWidget *>(widget));
        if (index >= 0)
            s += className(layout) + QString::number(index);
    }
    const int descendants = widget->findChildren<QObject *>().size();
    s += QString::number(s.size()) + QLatin1Char('$') + QString::number(ancestors);
    if (descendants > 0)
        s += QLatin1Char('_') + QString::number(descendants);
    return s;
}

} // namespace QMDrovebot
