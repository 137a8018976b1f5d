#include "AutomationState.h"

#include "KeyNames.h"

#include <QMDrovebot/ids/WidgetIds.h>

#include <QPointer>
#include <QWidget>

namespace QMDrovebot {

namespace {

QPointer<QWidget> g_applicationWidget;

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

} // namespace QMDrovebot
