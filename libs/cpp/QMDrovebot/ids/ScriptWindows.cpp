#include "ScriptWindows.h"

#include <QMWidgets/TopLevelOrder.h>

#include <QVariant>
#include <QWidget>

#include <algorithm>

namespace QMDrovebot {
namespace ScriptWindows {

namespace {

bool g_hidesOwnWindows = false;
const char ownProperty[] = "corvellaOwnWindow";

} // namespace

QWidgetList topLevels()
{
    QWidgetList windows = QMWidgets::TopLevelOrder::topLevelWidgets();
    if (g_hidesOwnWindows)
        windows.erase(std::remove_if(windows.begin(), windows.end(), isOwn), windows.end());
    return windows;
}

bool isOwn(const QWidget *widget)
{
    for (const QWidget *w = widget ? widget->window() : nullptr; w;
         w = w->parentWidget() ? w->parentWidget()->window() : nullptr) {
        if (w->property(ownProperty).toBool() || QByteArray(w->metaObject()->className()).startsWith("QMDrovebot::"))
            return true;
    }
    return false;
}

void markOwn(QWidget *window)
{
    window->setProperty(ownProperty, true);
}

void setHidesOwnWindows(bool hide)
{
    g_hidesOwnWindows = hide;
}

bool hidesOwnWindows()
{
    return g_hidesOwnWindows;
}

} // namespace ScriptWindows
} // namespace QMDrovebot
