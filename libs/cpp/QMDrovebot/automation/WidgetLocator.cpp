#include "WidgetLocator.h"

#include "WidgetLookup.h"
#include <QMDrovebot/ids/ScriptWindows.h>
#include <QMDrovebot/ids/WidgetIds.h>

#include <QAbstractButton>
#include <QHash>
#include <QWidget>

#include <functional>

namespace QMDrovebot {

namespace {

QString className(const QObject *object)
{
    return QString::fromLatin1(object->metaObject()->className());
}

// A tool tip that shows an ID is gone once the script runs without IDs, and
// an ID has its own, later rung.
bool ownToolTip(const QWidget *widget)
{
    const QString tip = widget->toolTip();
    return !tip.isEmpty() && tip != WidgetIds::id(widget) && !tip.startsWith(QLatin1String("Vis/"));
}

// How often each name, title and tool tip occurs where the global lookups
// search: object names over every object (getWidgetByObjectName also finds
// actions and layouts), titles over the windows, tool tips over the widgets.
struct Census
{
    QHash<QString, int> objectNames;
    QHash<QString, int> titles;
    QHash<QString, int> toolTips;

    Census()
    {
        const QWidgetList windows = ScriptWindows::topLevels();
        for (QWidget *window : windows) {
            ++titles[window->windowTitle()];
            ++objectNames[window->objectName()];
            ++toolTips[window->toolTip()];
            const QList<QObject *> objects = window->findChildren<QObject *>();
            for (QObject *object : objects) {
                ++objectNames[object->objectName()];
                if (object->isWidgetType())
                    ++toolTips[static_cast<QWidget *>(object)->toolTip()];
            }
        }
    }
};

int countBelow(const QWidget *ancestor, const std::function<bool(const QWidget *)> &match)
{
    int count = 0;
    const QList<QWidget *> descendants = ancestor->findChildren<QWidget *>();
    for (const QWidget *descendant : descendants)
        count += match(descendant) ? 1 : 0;
    return count;
}

// The key of the only entry of `ids` whose value is `id`, or null.
QWidget *onlyWithId(const QHash<const QWidget *, QString> &ids, const QString &id)
{
    const QWidget *found = nullptr;
    for (auto it = ids.cbegin(); it != ids.cend(); ++it) {
        if (it.value() != id)
            continue;
        if (found)
            return nullptr;
        found = it.key();
    }
    return const_cast<QWidget *>(found);
}

QList<QWidget *> ancestorsUpTo(QWidget *widget, const QWidget *last)
{
    QList<QWidget *> chain;
    for (QWidget *w = widget->parentWidget(); w; w = w->parentWidget()) {
        if (w == last)
            break;
        chain.append(w);
        if (w->isWindow())
            break;
    }
    return chain;
}

} // namespace

WidgetLocator::WidgetLocator(Kind kind, const QString &text, const WidgetLocator *parent)
    : m_kind(kind)
    , m_text(text)
    , m_parent(parent ? std::make_shared<const WidgetLocator>(*parent) : nullptr)
{
}

WidgetLocator WidgetLocator::locate(QWidget *widget)
{
    if (!widget)
        return {};
    const Census census;
    // The rungs that need no ancestor; also how an ancestor is found.
    const auto direct = [&census](QWidget *w) -> WidgetLocator {
        const QString name = w->objectName();
        if (!name.isEmpty() && census.objectNames.value(name) == 1)
            return WidgetLocator(Kind::ObjectName, name);
        if (w->isWindow() && !w->windowTitle().isEmpty() && census.titles.value(w->windowTitle()) == 1)
            return WidgetLocator(Kind::WindowTitle, w->windowTitle());
        if (ownToolTip(w) && census.toolTips.value(w->toolTip()) == 1)
            return WidgetLocator(Kind::ToolTip, w->toolTip());
        return {};
    };
    const auto found = [widget](const WidgetLocator &locator) { return locator.resolve() == widget; };

    const WidgetLocator own = direct(widget);
    if (own.isValid() && found(own))
        return own;
    const QList<QWidget *> ancestors = ancestorsUpTo(widget, nullptr);
    QVector<WidgetLocator> aboveLocators;
    for (QWidget *ancestor : ancestors)
        aboveLocators.append(direct(ancestor));
    const QString name = widget->objectName();
    const QString ownClass = className(widget);
    // A name below the nearest ancestor found alone beats any class.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < ancestors.size(); ++i) {
            const WidgetLocator &above = aboveLocators.at(i);
            if (!above.isValid() || above.resolve() != ancestors.at(i))
                continue;
            WidgetLocator candidate;
            if (pass == 0 && !name.isEmpty() &&
                countBelow(ancestors.at(i), [&](const QWidget *w) { return w->objectName() == name; }) == 1)
                candidate = WidgetLocator(Kind::SubObjectName, name, &above);
            else if (pass == 1 &&
                     countBelow(ancestors.at(i), [&](const QWidget *w) { return className(w) == ownClass; }) == 1)
                candidate = WidgetLocator(Kind::SubClassName, ownClass, &above);
            if (candidate.isValid() && found(candidate))
                return candidate;
        }
    }
    const WidgetLocator byId(Kind::Id, WidgetIds::currentIds().value(widget));
    return !byId.m_text.isEmpty() && found(byId) ? byId : WidgetLocator();
}

WidgetLocator WidgetLocator::locateWithin(QWidget *widget, QWidget *scope, const QString &scopeName)
{
    if (!widget || !scope)
        return {};
    WidgetLocator root(Kind::Scope, scopeName);
    root.m_scope = scope;
    if (widget == scope)
        return root;
    if (!scope->isAncestorOf(widget))
        return locate(widget);
    const auto found = [widget](const WidgetLocator &locator) { return locator.resolve() == widget; };
    const auto unique = [](const QWidget *below, const std::function<bool(const QWidget *)> &match) {
        return countBelow(below, match) == 1;
    };
    // Found by name or tool tip below the scope: the widget itself, or an
    // ancestor to search below.
    const auto direct = [&](QWidget *w) -> WidgetLocator {
        const QString name = w->objectName();
        if (!name.isEmpty() && unique(scope, [&](const QWidget *o) { return o->objectName() == name; }))
            return WidgetLocator(Kind::SubObjectName, name, &root);
        if (ownToolTip(w) && unique(scope, [&](const QWidget *o) { return o->toolTip() == w->toolTip(); }))
            return WidgetLocator(Kind::SubToolTip, w->toolTip(), &root);
        return {};
    };
    const WidgetLocator own = direct(widget);
    if (own.isValid() && found(own))
        return own;
    const QList<QWidget *> ancestors = ancestorsUpTo(widget, scope);
    const QString name = widget->objectName();
    if (!name.isEmpty()) {
        for (QWidget *ancestor : ancestors) {
            const WidgetLocator above = direct(ancestor);
            if (!above.isValid() || !unique(ancestor, [&](const QWidget *o) { return o->objectName() == name; }))
                continue;
            const WidgetLocator candidate(Kind::SubObjectName, name, &above);
            if (found(candidate))
                return candidate;
        }
    }
    const QString ownClass = className(widget);
    const auto sameClass = [&](const QWidget *o) { return className(o) == ownClass; };
    if (unique(scope, sameClass)) {
        const WidgetLocator candidate(Kind::SubClassName, ownClass, &root);
        if (found(candidate))
            return candidate;
    }
    for (QWidget *ancestor : ancestors) {
        const WidgetLocator above = direct(ancestor);
        if (!above.isValid() || !unique(ancestor, sameClass))
            continue;
        const WidgetLocator candidate(Kind::SubClassName, ownClass, &above);
        if (found(candidate))
            return candidate;
    }
    if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
        const WidgetLocator byText(Kind::ButtonText, button->text(), &root);
        if (!button->text().isEmpty() && found(byText))
            return byText;
    }
    const QString id = WidgetIds::idsForWidget(scope).value(widget);
    const WidgetLocator byId(Kind::ScopeId, id, &root);
    return !id.contains(QLatin1String("?/")) && found(byId) ? byId : WidgetLocator();
}

QString WidgetLocator::expression() const
{
    const QString text = scriptString(m_text);
    const QString parent = m_parent ? m_parent->expression() + QStringLiteral(", ") : QString();
    switch (m_kind) {
    case Kind::None:
        return QString();
    case Kind::Scope:
        return m_text;
    case Kind::ObjectName:
        return QStringLiteral("getWidgetByObjectName(%1)").arg(text);
    case Kind::WindowTitle:
        return QStringLiteral("getWidgetByWindowTitle(%1)").arg(text);
    case Kind::ToolTip:
        return QStringLiteral("getWidgetByToolTip(%1)").arg(text);
    case Kind::SubObjectName:
        return QStringLiteral("getSubWidgetByObjectName(%1%2)").arg(parent, text);
    case Kind::SubToolTip:
    case Kind::ScopeId:
        return QStringLiteral("getSubWidgetByToolTip(%1%2)").arg(parent, text);
    case Kind::SubClassName:
        return QStringLiteral("getSubWidgetByClassName(%1%2)").arg(parent, text);
    case Kind::Id:
        return QStringLiteral("getWidgetByID(%1)").arg(text);
    case Kind::ButtonText:
        return QStringLiteral("buttonWithText(%1%2)").arg(parent, text);
    }
    return QString();
}

QWidget *WidgetLocator::resolve() const
{
    QWidget *parent = m_parent ? m_parent->resolve() : nullptr;
    switch (m_kind) {
    case Kind::None:
        return nullptr;
    case Kind::Scope:
        return m_scope;
    case Kind::ObjectName:
        return qobject_cast<QWidget *>(WidgetLookup::byObjectName(m_text));
    case Kind::WindowTitle:
        return WidgetLookup::byWindowTitle(m_text);
    case Kind::ToolTip:
        return WidgetLookup::byToolTip(m_text, false);
    case Kind::SubObjectName:
        return WidgetLookup::subByObjectName(parent, m_text);
    case Kind::SubToolTip:
        return WidgetLookup::subByToolTip(parent, m_text);
    case Kind::SubClassName:
        return WidgetLookup::subByClassName(parent, m_text, false);
    case Kind::Id:
        // The lookup goes by the tool tip that shows the ID, and IDs are not
        // shown while the user picks: the ID must name one widget alone.
        return onlyWithId(WidgetIds::currentIds(), m_text);
    case Kind::ScopeId:
        return onlyWithId(WidgetIds::idsForWidget(parent), m_text);
    case Kind::ButtonText:
        // As the helper walks findChildren(): every object below, in order.
        for (QObject *child : parent ? parent->findChildren<QObject *>() : QList<QObject *>()) {
            auto *button = qobject_cast<QAbstractButton *>(child);
            if (button && button->text() == m_text)
                return button;
        }
        return nullptr;
    }
    return nullptr;
}

QString WidgetLocator::buttonHelper()
{
    return QStringLiteral(
        "// The button below parentWidget that shows text.\n"
        "function buttonWithText(parentWidget, text) {\n"
        "    var children = parentWidget.findChildren();\n"
        "    for (var i = 0; i < children.length; ++i) {\n"
        "        var child = children[i];\n"
        "        if (child.text == text && Support.parentByInherits(child, \"QAbstractButton\") == child)\n"
        "            return child;\n"
        "    }\n"
        "    return null;\n"
        "}\n");
}

QString WidgetLocator::scriptString(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u == '\\' || u == '"')
            out += QLatin1Char('\\') + c;
        else if (u == '\n')
            out += QLatin1String("\\n");
        else if (u == '\t')
            out += QLatin1String("\\t");
        else if (u < 0x20 || u == 0x7F || u == 0x2028 || u == 0x2029)
            out += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

} // namespace QMDrovebot
