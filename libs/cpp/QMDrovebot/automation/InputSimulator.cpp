#include "InputSimulator.h"

#include "AutomationState.h"
#include "DropSimulator.h"
#include "KeyNames.h"
#include <QMDrovebot/engine/ScriptEngine.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>

namespace QMDrovebot {
namespace InputSimulator {

void postMouse(int type, QWidget *widget, int x, int y, int mb, int mbs)
{
    if (!widget)
        return;
    const QPoint local(x, y);
    ScriptEngine::postWhenScriptWaits(widget,
                                      new QMouseEvent(QEvent::Type(type), local, widget->mapToGlobal(local),
                                                      Qt::MouseButton(mb), Qt::MouseButtons(mbs), Qt::NoModifier));
}

void postClick(QWidget *widget, int x, int y, int mb, int mbs)
{
    if (!widget)
        return;
    const int px = x >= 0 ? x : widget->width() / 2;
    const int py = y >= 0 ? y : widget->height() / 2;
    postMouse(QEvent::MouseButtonPress, widget, px, py, mb, mbs);
    postMouse(QEvent::MouseButtonRelease, widget, px, py, mb, mbs);
}

void postKey(QWidget *widget, int key)
{
    if (!widget)
        return;
    ScriptEngine::postWhenScriptWaits(widget,
                                      new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, QString(), false, 1));
}

void postText(QWidget *widget, const QString &text)
{
    if (!widget)
        return;
    for (const QChar c : text) {
        ScriptEngine::postWhenScriptWaits(
            widget, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QString(c), false, 1));
    }
}

void sendEvent(QWidget *widget, int type)
{
    if (!widget)
        return;
    switch (type) {
    case QEvent::Close: {
        QCloseEvent event;
        QCoreApplication::sendEvent(widget, &event);
        break;
    }
    case QEvent::Hide: {
        QHideEvent event;
        QCoreApplication::sendEvent(widget, &event);
        break;
    }
    case QEvent::Show: {
        QShowEvent event;
        QCoreApplication::sendEvent(widget, &event);
        break;
    }
    case QEvent::Paint: {
        QPaintEvent event(QRect(QPoint(0, 0), QPoint(widget->width() - 1, widget->height() - 1)));
        QCoreApplication::sendEvent(widget, &event);
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        postMouse(type, widget, 1, 1, Qt::LeftButton, Qt::LeftButton);
        break;
    default:
        break;
    }
}

void postShortcut(const QString &shortcut, QWidget *disabled)
{
    QWidget *receiver = AutomationState::applicationWidget();
    if (!receiver)
        return;
    const KeyNames::Shortcut parsed = KeyNames::parse(shortcut);
    if (parsed.key < 1)
        return;
    // A window's shortcuts fire only while it is the active window; in
    // another program the user may have pressed Run in Corvella's window,
    // and a closed modal dialog does not always hand the activation back
    // (never off screen). The window system activates it later; the
    // toolkit, which matches the shortcut, is told now, before the key
    // arrives. An open modal dialog keeps it: the key is not for it.
    if (!receiver->isActiveWindow() && (AutomationState::followsActiveWindow() || !QApplication::activeModalWidget())) {
        receiver->activateWindow();
        QApplication::setActiveWindow(receiver);
    }
    if (disabled)
        disabled->setEnabled(false);
    ScriptEngine::postWhenScriptWaits(
        receiver, new QKeyEvent(QEvent::KeyPress, parsed.key, parsed.modifiers, QString(), false, 1));
    if (disabled)
        disabled->setEnabled(true);
}

void clickMenuItem(QWidget *widget, const QString &text)
{
    auto *menu = qobject_cast<QMenu *>(widget);
    if (!menu)
        return;
    const QList<QAction *> actions = menu->actions();
    for (QAction *action : actions) {
        if (action->text() == text) {
            // The middle of the entry, not its corner: a menu takes a press
            // at its own (0, 0), where its first entry starts, for a click
            // elsewhere and closes.
            const QPoint middle = menu->actionGeometry(action).center();
            postClick(menu, middle.x(), middle.y(), Qt::LeftButton, Qt::LeftButton);
            return;
        }
    }
    const QList<QWidget *> descendants = menu->findChildren<QWidget *>();
    for (QWidget *descendant : descendants) {
        if (descendant->toolTip() == text) {
            postClick(descendant, 1, 1, Qt::LeftButton, Qt::LeftButton);
            return;
        }
    }
    for (QWidget *descendant : descendants) {
        auto *button = qobject_cast<QAbstractButton *>(descendant);
        if (button && button->text() == text) {
            postClick(button, 1, 1, Qt::LeftButton, Qt::LeftButton);
            return;
        }
    }
}

void dragAndDrop(QWidget *source, int x1, int y1, QWidget *target, int x2, int y2)
{
    if (!source)
        return;
    postMouse(QEvent::MouseButtonPress, source, x1, y1, Qt::LeftButton, Qt::LeftButton);
    // Far enough to pass the toolkit's start-drag distance.
    postMouse(QEvent::MouseMove, source, x1 + 7, y1 + 7, Qt::LeftButton, Qt::LeftButton);
    // Owned by the source: a drag that never comes (the script never waits
    // again) goes with the widget instead of living on unowned.
    auto *simulator = new DropSimulator(source);
    simulator->setSource(source);
    simulator->setTarget(target, QPoint(x2, y2));
    // Its clock starts with the press it belongs to; a stopped script's
    // drag never starts.
    if (ScriptEngine *engine = ScriptEngine::runningEngine())
        QObject::connect(engine, &ScriptEngine::interrupted, simulator, &QObject::deleteLater);
    ScriptEngine::whenScriptWaits(simulator, [simulator] { simulator->start(5); });
}

} // namespace InputSimulator
} // namespace QMDrovebot
