#pragma once

#include <QPointer>
#include <QString>

#include <memory>

class QWidget;

namespace QMDrovebot {

// The script expression that finds one widget again, in the most robust form
// that finds exactly that widget now. A name the developer gave survives
// layout changes best, a window title or tool tip next; then a name or a
// class below an ancestor that is itself found that way; a generated ID,
// which changes whenever the window's tree does, comes last.
//
// Every candidate is checked by resolving it through the same lookups the
// script will call, so an expression is offered only when it finds the very
// widget it was made for.
class WidgetLocator
{
public:
    enum class Kind {
        None,
        Scope,         // a variable the script already holds
        ObjectName,    // getWidgetByObjectName
        WindowTitle,   // getWidgetByWindowTitle
        ToolTip,       // getWidgetByToolTip
        SubObjectName, // getSubWidgetByObjectName below the parent locator
        SubToolTip,    // getSubWidgetByToolTip below the parent locator
        SubClassName,  // getSubWidgetByClassName below the parent locator
        Id,            // getWidgetByID, once generateIDs() has shown the IDs
        ScopeId,       // a "Vis/" ID below the scope, once generateIDsForWidget(scope) ran
        ButtonText,    // buttonWithText(scope, text), a helper the script defines
    };

    WidgetLocator() = default;

    // Over the application's windows, as the global lookups search them.
    static WidgetLocator locate(QWidget *widget);
    // Inside `scope`, a window the script holds in the variable `scopeName`
    // (a dialog its handler waited for): shorter, and independent of
    // whatever else is open. Buttons that nothing else tells apart (a
    // dialog's "&Save" and "&Cancel" with one object name) are found by
    // their text, through the helper function of the reference's worked
    // example, before the window's "Vis/" IDs.
    static WidgetLocator locateWithin(QWidget *widget, QWidget *scope, const QString &scopeName);

    bool isValid() const { return m_kind != Kind::None; }
    Kind kind() const { return m_kind; }
    QString expression() const;
    // The widget the expression finds now, or null.
    QWidget *resolve() const;

    // `text` as a double-quoted script string literal.
    static QString scriptString(const QString &text);
    // The helper that a ButtonText expression calls.
    static QString buttonHelper();

private:
    WidgetLocator(Kind kind, const QString &text, const WidgetLocator *parent = nullptr);

    Kind m_kind = Kind::None;
    QString m_text;
    std::shared_ptr<const WidgetLocator> m_parent;
    QPointer<QWidget> m_scope;
};

} // namespace QMDrovebot
