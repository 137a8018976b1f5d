#include "AutomationState.h"

#include "KeyNames.h"

#include <QMDrovebot/engine/ScriptEngine.h>
#include <QMDrovebot/ids/ScriptWindows.h>
#include <QMDrovebot/ids/WidgetIds.h>

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QWidget>

namespace QMDrovebot {

namespace {

QPointer<QWidget> g_applicationWidget;
QPointer<QWidget> g_lastActiveWindow;
bool g_followsActiveWindow = false;
bool g_quitsDirectly = false;
bool g_quitRequested = false;

} // namespace

void AutomationState::setUp()
{
    WidgetIds::fillAliases();
    WidgetIds::recordToolTips();
    KeyNames::fill();
    WidgetIds::installHoverFilters();
}

void AutomationState::setApplicationWidget(QWidget *widget)
{
    g_applicationWidget = widget;
}

QWidget *AutomationState::applicationWidget()
{
    if (g_applicationWidget || !g_followsActiveWindow)
        return g_applicationWidget;
    QWidget *active = QApplication::activeWindow();
    if (active && !ScriptWindows::isOwn(active))
        g_lastActiveWindow = active;
    if (g_lastActiveWindow && g_lastActiveWindow->isVisible())
        return g_lastActiveWindow;
    const QWidgetList windows = ScriptWindows::topLevels();
    for (QWidget *window : windows) {
        if (window->isVisible() && !ScriptWindows::isOwn(window) && !qobject_cast<QMenu *>(window))
            return window;
    }
    return nullptr;
}

void AutomationState::setFollowsActiveWindow(bool follow)
{
    g_followsActiveWindow = follow;
}

bool AutomationState::followsActiveWindow()
{
    return g_followsActiveWindow;
}

void AutomationState::setQuitsDirectly(bool direct)
{
    g_quitsDirectly = direct;
}

bool AutomationState::quitsDirectly()
{
    return g_quitsDirectly;
}

void AutomationState::setQuitRequested(bool requested)
{
    g_quitRequested = requested;
}

bool AutomationState::quitRequested()
{
    return g_quitRequested;
}

void AutomationState::quitApplication()
{
    setQuitRequested(true);
    QWidget *application = applicationWidget();
    if (application && !AutomationState::quitsDirectly()) {
        // Quitting at once would drop unsaved text without a word.
        ScriptEngine::scriptWaits();
        application->close();
        return;
    }
    QCoreApplication::quit();
}

} // namespace QMDrovebot
