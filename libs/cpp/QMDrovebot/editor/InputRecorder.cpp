#include "InputRecorder.h"

#include <QMDrovebot/automation/KeyNames.h>
#include <QMDrovebot/automation/WidgetLocator.h>
#include <QMDrovebot/ids/ScriptWindows.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QShortcutEvent>
#include <QThread>

#include <algorithm>

namespace QMDrovebot {

namespace {

// How long the replay waits for a window before it reports a failure.
const char kPatience[] = "10000";

int loopLevel()
{
    return QThread::currentThread()->loopLevel();
}

QString buttonName(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return QStringLiteral("Qt.LeftButton");
    case Qt::RightButton:
        return QStringLiteral("Qt.RightButton");
    case Qt::MiddleButton:
        return QStringLiteral("Qt.MiddleButton");
    default:
        return QString::number(int(button));
    }
}

QString className(const QObject *object)
{
    return QString::fromLatin1(object->metaObject()->className());
}

// What the script cannot write, said where the line would have been.
QString unlocated(const QString &call, const QWidget *widget)
{
    return QStringLiteral("// %1: no expression finds this %2").arg(call, className(widget));
}

// A modal dialog holds the replaying script until it is answered, and so
// does a menu that a button opens; pop-ups that do not are answered the
// same way, which works for both.
bool isHandled(const QWidget *window)
{
    return window->isModal() || window->windowType() == Qt::Popup;
}

} // namespace

InputRecorder::InputRecorder(QObject *parent)
    : QObject(parent)
{
}

InputRecorder::~InputRecorder()
{
    stop();
}

void InputRecorder::exclude(QWidget *widget)
{
    m_excluded.append(widget);
}

void InputRecorder::ignore(QObject *object)
{
    m_ignored.insert(object);
}

void InputRecorder::start(const QString &script)
{
    if (m_recording)
        return;
    m_script = RecordedScript();
    m_hasIds = script.contains(QLatin1String("generateIDs("));
    m_hasButtonHelper = script.contains(QLatin1String("function buttonWithText("));
    m_contexts.clear();
    m_shown.clear();
    m_waited.clear();
    m_press = Press();
    m_statements = 0;
    m_typedInto = nullptr;
    m_recording = true;
    qApp->installEventFilter(this);
}

void InputRecorder::stop()
{
    if (!m_recording)
        return;
    m_recording = false;
    if (qApp)
        qApp->removeEventFilter(this);
    m_script.finish();
    emit changed();
}

bool InputRecorder::isRecording() const
{
    return m_recording;
}

QString InputRecorder::text() const
{
    return m_script.text();
}

QWidget *InputRecorder::recordable(QObject *object) const
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (widget->window()->windowType() == Qt::ToolTip || ScriptWindows::isOwn(widget))
        return nullptr;
    for (const QPointer<QWidget> &excluded : m_excluded) {
        if (excluded && (excluded == widget || excluded->isAncestorOf(widget)))
            return nullptr;
    }
    return widget;
}

bool InputRecorder::propagated(QObject *receiver, const QEvent *event, QPoint globalPos, ulong timestamp)
{
    // An event a widget ignores goes on to its parent: a key event as the
    // same object, a mouse event as a copy at the same place and time.
    auto *widget = qobject_cast<QWidget *>(receiver);
    auto *last = qobject_cast<QWidget *>(m_lastReceiver.data());
    const bool same = m_lastType == int(event->type()) &&
                      (event == m_lastEvent || (globalPos == m_lastGlobalPos && timestamp == m_lastTimestamp));
    const bool toParent = same && widget && last && widget != last && widget->isAncestorOf(last);
    if (!toParent) {
        m_lastType = int(event->type());
        m_lastEvent = event;
        m_lastGlobalPos = globalPos;
        m_lastTimestamp = timestamp;
        m_lastReceiver = receiver;
    }
    return toParent;
}

bool InputRecorder::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
        if (QWidget *window = recordable(watched)) {
            if (window->isWindow())
                event->type() == QEvent::Show ? windowShown(window) : windowHidden(window);
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        QWidget *widget = recordable(watched);
        if (!widget || propagated(watched, event, mouse->globalPos(), mouse->timestamp()))
            break;
        if (event->type() == QEvent::MouseButtonPress)
            mousePress(widget, mouse);
        else if (event->type() == QEvent::MouseButtonDblClick)
            mouseDoubleClick(widget, mouse);
        else if (m_press.widget == widget)
            m_press = Press(); // the click is complete
        break;
    }
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        QWidget *widget = recordable(watched);
        if (widget && !propagated(watched, event, QPoint(), key->timestamp()))
            keyPress(widget, key);
        break;
    }
    case QEvent::Shortcut:
        if (!m_ignored.contains(watched))
            shortcut(watched, static_cast<QShortcutEvent *>(event)->key());
        break;
    case QEvent::Drop:
        if (QWidget *target = recordable(watched))
            drop(target, static_cast<QDropEvent *>(event)->pos());
        break;
    case QEvent::Close:
        // The title bar's close button; what a script's sendEvent does.
        if (QWidget *window = recordable(watched)) {
            if (event->spontaneous() && qobject_cast<QDialog *>(window))
                add(window, QStringLiteral("sendEvent(%1, QEvent.Close);").arg(expression(window)));
        }
        break;
    default:
        break;
    }
    return false;
}

void InputRecorder::windowShown(QWidget *window)
{
    m_typedInto = nullptr;
    if (!isHandled(window)) {
        if (!m_shown.contains(window))
            m_shown.append(window);
        return;
    }
    for (const Context &context : qAsConst(m_contexts)) {
        if (context.window == window)
            return;
    }
    QString what;
    QString finder = windowFinder(window, &what);
    const QString variable = qobject_cast<QMenu *>(window) ? QString()
                             : window->isModal()           ? QStringLiteral("dialog")
                                                           : QStringLiteral("popup");
    if (finder.isEmpty())
        finder = QStringLiteral("// no search finds this %1 alone").arg(className(window));
    else if (!variable.isEmpty())
        finder = QStringLiteral("var %1 = %2").arg(variable, finder);
    m_script.openHandler(what, finder, loopLevel(), !window->isModal());
    m_contexts.append({window, variable});
    emit changed();
}

void InputRecorder::windowHidden(QWidget *window)
{
    m_typedInto = nullptr;
    for (int i = m_contexts.size() - 1; i >= 0; --i) {
        if (m_contexts.at(i).window != window)
            continue;
        while (m_contexts.size() > i) {
            m_contexts.removeLast();
            m_script.closeHandler();
        }
        emit changed();
        return;
    }
}

QString InputRecorder::windowFinder(QWidget *window, QString *what) const
{
    if (qobject_cast<QMenu *>(window)) {
        *what = QStringLiteral("the menu");
        return QStringLiteral("waitFor(function () { return getVisiblePopup(); }, %1);").arg(kPatience);
    }
    // waitForWidget takes the first match that is visible: only the visible
    // windows count.
    int titles = 0, names = 0, classes = 0;
    const QWidgetList windows = ScriptWindows::topLevels();
    for (const QWidget *other : windows) {
        if (!other->isVisible() && other != window)
            continue;
        titles += other->windowTitle() == window->windowTitle() ? 1 : 0;
        names += other->objectName() == window->objectName() ? 1 : 0;
        classes += className(other) == className(window) ? 1 : 0;
    }
    QString kind, text;
    if (!window->windowTitle().isEmpty() && titles == 1) {
        kind = QStringLiteral("windowTitle");
        text = window->windowTitle();
        *what = WidgetLocator::scriptString(text);
    } else if (!window->objectName().isEmpty() && names == 1) {
        kind = QStringLiteral("objectName");
        text = window->objectName();
        *what = QStringLiteral("the window ") + WidgetLocator::scriptString(text);
    } else if (classes == 1) {
        kind = QStringLiteral("className");
        text = className(window);
        *what = QStringLiteral("the ") + text;
    } else {
        *what = QStringLiteral("a ") + className(window);
        return QString();
    }
    return QStringLiteral("waitForWidget(\"%1\", %2, %3);").arg(kind, WidgetLocator::scriptString(text), kPatience);
}

QString InputRecorder::expression(QWidget *widget)
{
    WidgetLocator locator;
    if (!m_contexts.isEmpty() && m_contexts.last().window && !m_contexts.last().variable.isEmpty())
        locator = WidgetLocator::locateWithin(widget, m_contexts.last().window, m_contexts.last().variable);
    else
        locator = WidgetLocator::locate(widget);
    if (locator.kind() == WidgetLocator::Kind::ScopeId)
        m_script.needWindowIds();
    else if (locator.kind() == WidgetLocator::Kind::Id && !m_hasIds)
        m_script.needIds();
    else if (locator.kind() == WidgetLocator::Kind::ButtonText && !m_hasButtonHelper)
        m_script.needButtonHelper();
    return locator.expression();
}

void InputRecorder::waitForWindowOf(QWidget *target)
{
    QWidget *window = target->window();
    if (!m_shown.contains(window) || m_waited.contains(window))
        return;
    m_waited.append(window);
    QString what;
    const QString finder = windowFinder(window, &what);
    if (!finder.isEmpty()) {
        m_script.addStatement(finder, loopLevel());
        ++m_statements;
    }
}

void InputRecorder::add(QWidget *target, const QString &statement)
{
    waitForWindowOf(target);
    m_script.addStatement(statement, loopLevel());
    ++m_statements;
    emit changed();
}

void InputRecorder::mousePress(QWidget *widget, QMouseEvent *event)
{
    m_press = Press();
    if (auto *menu = qobject_cast<QMenu *>(widget)) {
        QAction *action = menu->actionAt(event->pos());
        if (!menu->rect().contains(event->pos())) {
            // A click beside a menu closes it, as Escape does.
            add(menu, QStringLiteral("Support.keyPress(getVisiblePopup(), 0x01000000);"));
        } else if (action && !m_ignored.contains(action) && !action->menu() && !action->isSeparator() &&
                   action->isEnabled()) {
            add(menu, QStringLiteral("clickMenuItem(getVisiblePopup(), %1);")
                          .arg(WidgetLocator::scriptString(action->text())));
        }
        return;
    }
    const QString target = expression(widget);
    if (target.isEmpty()) {
        add(widget, unlocated(QStringLiteral("mouseClick"), widget));
        return;
    }
    // A press is recorded at once: it may open a menu or a pop-up, whose
    // handler needs this line as its opener.
    const bool plainClick = event->button() == Qt::LeftButton && qobject_cast<QAbstractButton *>(widget);
    add(widget, plainClick ? QStringLiteral("mouseClick(%1);").arg(target)
                           : QStringLiteral("mouseClick(%1, %2, %3, %4);")
                                 .arg(target, buttonName(event->button()))
                                 .arg(event->pos().x())
                                 .arg(event->pos().y()));
    m_press = {widget, event->pos(), m_statements};
}

void InputRecorder::mouseDoubleClick(QWidget *widget, QMouseEvent *event)
{
    m_press = Press();
    const QString target = expression(widget);
    add(widget, target.isEmpty() ? unlocated(QStringLiteral("mouseDoubleClick"), widget)
                                 : QStringLiteral("mouseDoubleClick(%1, %2, %3, %4);")
                                       .arg(target, buttonName(event->button()))
                                       .arg(event->pos().x())
                                       .arg(event->pos().y()));
}

void InputRecorder::keyPress(QWidget *widget, QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta ||
        key == Qt::Key_AltGr || key == 0 || key == Qt::Key_unknown)
        return;
    // Finding a widget walks the whole application; a run of characters
    // into one widget needs it once.
    const bool typingOn = widget == m_typedInto && m_statements == m_typedAt;
    const QString target = typingOn ? m_typedTarget : expression(widget);
    if (target.isEmpty()) {
        add(widget, unlocated(QStringLiteral("keyPress"), widget));
        return;
    }
    const Qt::KeyboardModifiers held = event->modifiers();
    const QString text = event->text();
    if (held & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        // It reached the widget, so it is no shortcut of the window; the
        // library posts keys with modifiers only to the window.
        const int mask = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
        add(widget, QStringLiteral("// %1 pressed in %2: no call posts it to that widget")
                        .arg(QKeySequence(int(held & mask) | key).toString(QKeySequence::PortableText), target));
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        add(widget, QStringLiteral("enterPress(%1);").arg(target));
    } else if (!text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); })) {
        waitForWindowOf(widget);
        m_script.addText(target, text, loopLevel());
        m_typedInto = widget;
        m_typedTarget = target;
        m_typedAt = ++m_statements;
        emit changed();
    } else if (key == Qt::Key_Space) {
        add(widget, QStringLiteral("spacePress(%1);").arg(target));
    } else {
        const QString name = KeyNames::name(key);
        add(widget, QStringLiteral("Support.keyPress(%1, 0x%2);%3")
                        .arg(target, QString::number(key, 16).toUpper(),
                             name.isEmpty() ? QString() : QStringLiteral(" // ") + name));
    }
}

void InputRecorder::shortcut(QObject *receiver, const QKeySequence &keys)
{
    QWidget *owner = nullptr;
    if (auto *action = qobject_cast<QAction *>(receiver)) {
        owner = action->parentWidget();
    } else if (receiver && receiver->isWidgetType()) {
        owner = static_cast<QWidget *>(receiver);
    } else if (receiver) {
        owner = qobject_cast<QWidget *>(receiver->parent()); // a QShortcut
    }
    if (!owner || !recordable(owner))
        return;
    // A button's mnemonic (Alt+Y for "&Yes") clicks that button, wherever
    // the replay's shortcuts go.
    if (auto *button = qobject_cast<QAbstractButton *>(receiver)) {
        const QString target = expression(button);
        add(button, target.isEmpty() ? unlocated(QStringLiteral("mouseClick"), button)
                                     : QStringLiteral("mouseClick(%1);").arg(target));
        return;
    }
    const int combined = keys.isEmpty() ? 0 : keys[0];
    const QString text = KeyNames::shortcutText(combined & ~Qt::KeyboardModifierMask,
                                                Qt::KeyboardModifiers(combined & Qt::KeyboardModifierMask));
    add(owner,
        text.isEmpty()
            ? QStringLiteral("// the shortcut %1 has no key names").arg(keys.toString(QKeySequence::PortableText))
            : QStringLiteral("shortCutPress(%1);").arg(WidgetLocator::scriptString(text)));
}

void InputRecorder::drop(QWidget *target, QPoint position)
{
    QWidget *source = m_press.widget;
    const bool justPressed = source && m_press.statements == m_statements;
    const QString from = source ? expression(source) : QString();
    const QString to = expression(target);
    const QPoint start = m_press.position;
    m_press = Press();
    if (!justPressed || from.isEmpty() || to.isEmpty())
        return;
    m_script.replaceLastStatement(QStringLiteral("dragAndDrop(%1, %2, %3, %4, %5, %6);")
                                      .arg(from)
                                      .arg(start.x())
                                      .arg(start.y())
                                      .arg(to)
                                      .arg(position.x())
                                      .arg(position.y()));
    emit changed();
}

} // namespace QMDrovebot
