#include "AutomationState.h"

#include "KeyNames.h"

#include <QMDrovebot/ids/WidgetIds.h>

#include <QPointer>
#include <QWidget>

namespace QMDrovebot {

namespace {

QPointer<QWidget> g_applicationWidget;
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
    return g_applicationWidget;
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

} // namespace QMDrovebot
