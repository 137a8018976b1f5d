#include "Support.h"

#include "AutomationState.h"
#include "InputSimulator.h"
#include "ScriptDialogs.h"
#include "WidgetLookup.h"

#include <QEvent>
#include <QWidget>

namespace QMDrovebot {

Support::Support(QObject *parent)
    : QObject(parent)
{
}

void Support::setApplicationWidget(QWidget *widget)
{
    AutomationState::setApplicationWidget(widget);
}

QWidget *Support::applicationWidget()
{
    return AutomationState::applicationWidget();
}

QPixmap Support::grab(QWidget *widget)
{
    return ScriptDialogs::grab(widget);
}

void Support::grabAndSave(QWidget *widget, const QString &fileName)
{
    ScriptDialogs::grabAndSave(widget, fileName);
}

QWidget *Support::findVisiblePopup()
{
    return WidgetLookup::visiblePopup();
}

QWidget *Support::findVisibleDialog()
{
    return WidgetLookup::visibleDialog();
}

void Support::dumpHierarchy(QWidget *widget)
{
    WidgetLookup::dumpChain(widget);
}

int Support::numOfParents(QWidget *widget)
{
    return WidgetLookup::ancestorCount(widget);
}

void Support::keyPress(QWidget *widget, int key)
{
    InputSimulator::postKey(widget, key);
}

void Support::quitApplication()
{
    AutomationState::quitApplication();
}

void Support::delay(int milliseconds)
{
    ScriptDialogs::delay(milliseconds);
}

void Support::waitForDialogTermination()
{
    ScriptDialogs::processPendingEvents();
}

QObject *Support::parentByClassNameSkipNS(QWidget *widget, const QString &className)
{
    return WidgetLookup::chainByClassNameSuffix(widget, className);
}

QObject *Support::parentByClassName(QWidget *widget, const QString &className)
{
    return WidgetLookup::chainByClassNameOrSuffix(widget, className);
}

QObject *Support::parentByObjectName(QWidget *widget, const QString &objectName)
{
    return WidgetLookup::chainByObjectName(widget, objectName);
}

QObject *Support::parentByInherits(QWidget *widget, const QString &className)
{
    return WidgetLookup::chainByInheritance(widget, className);
}

QObject *Support::getWidgetByObjectName(const QString &objectName)
{
    return WidgetLookup::byObjectName(objectName);
}

QObject *Support::getWidgetByWindowTitle(const QString &title)
{
    return WidgetLookup::byWindowTitle(title);
}

QObject *Support::getWidgetByClassName(const QString &className)
{
    return WidgetLookup::byClassName(className, false);
}

QObject *Support::getWidgetByToolTip(const QString &toolTip)
{
    return WidgetLookup::byToolTip(toolTip, false);
}

QObject *Support::getVisibleWidgetByToolTip(const QString &toolTip)
{
    return WidgetLookup::byToolTip(toolTip, true);
}

QObject *Support::getVisibleWidgetByClassName(const QString &className)
{
    return WidgetLookup::byClassName(className, true);
}

QObject *Support::getSubWidgetByObjectName(QWidget *widget, const QString &objectName)
{
    return WidgetLookup::subByObjectName(widget, objectName);
}

QObject *Support::getVisibleSubWidgetByClassName(QWidget *widget, const QString &className)
{
    return WidgetLookup::subByClassName(widget, className, true);
}

QObject *Support::getSubWidgetByClassName(QWidget *widget, const QString &className)
{
    return WidgetLookup::subByClassName(widget, className, false);
}

QObject *Support::getSubWidgetByInheritClassName(QWidget *widget, const QString &className)
{
    return WidgetLookup::subByInheritance(widget, className);
}

QObject *Support::getSubWidgetByToolTip(QWidget *widget, const QString &toolTip)
{
    return WidgetLookup::subByToolTip(widget, toolTip);
}

QObject *Support::getParentWidgetByClassName(QWidget *widget, const QString &className)
{
    return WidgetLookup::ancestorByClassName(widget, className);
}

void Support::clickMenuItem(QWidget *widget, const QString &text)
{
    InputSimulator::clickMenuItem(widget, text);
}

void Support::keyPress(QWidget *widget, const QString &text)
{
    InputSimulator::postText(widget, text);
}

void Support::sendEvent(QWidget *widget, int type)
{
    InputSimulator::sendEvent(widget, type);
}

void Support::shortCutPress(const QString &shortcut, QWidget *peditor)
{
    InputSimulator::postShortcut(shortcut, peditor);
}

void Support::shortCutPress(const QString &shortcut)
{
    InputSimulator::postShortcut(shortcut, nullptr);
}

void Support::dragAndDrop(QWidget *source, int x1, int y1, QWidget *target, int x2, int y2)
{
    InputSimulator::dragAndDrop(source, x1, y1, target, x2, y2);
}

void Support::informationDialog(const QString &text)
{
    ScriptDialogs::information(text);
}

void Support::messageDialog(int milliseconds, const QString &text)
{
    ScriptDialogs::message(milliseconds, text);
}

QString Support::textDialog(const QString &label, const QString &text)
{
    return ScriptDialogs::askText(label, text);
}

int Support::intDialog(const QString &label, int value)
{
    return ScriptDialogs::askInt(label, value);
}

void Support::mouseMove(QWidget *widget, int x, int y, int mb, int mbs)
{
    InputSimulator::postMouse(QEvent::MouseMove, widget, x, y, mb, mbs);
}

void Support::mousePress(QWidget *widget, int x, int y, int mb, int mbs)
{
    InputSimulator::postMouse(QEvent::MouseButtonPress, widget, x, y, mb, mbs);
}

void Support::mouseRelease(QWidget *widget, int x, int y, int mb, int mbs)
{
    InputSimulator::postMouse(QEvent::MouseButtonRelease, widget, x, y, mb, mbs);
}

void Support::mouseClick(QWidget *widget, int x, int y, int mb, int mbs)
{
    InputSimulator::postClick(widget, x, y, mb, mbs);
}

void Support::mouseDoubleClick(QWidget *widget, int x, int y, int mb, int mbs)
{
    InputSimulator::postMouse(QEvent::MouseButtonDblClick, widget, x, y, mb, mbs);
}

} // namespace QMDrovebot
