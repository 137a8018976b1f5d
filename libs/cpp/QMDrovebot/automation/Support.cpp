#include "Support.h"

#include "DropSimulator.h"
#include "KeyNames.h"

#include <MTools/Delay.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDebug>
#include <QDialog>
#include <QGLWidget>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPointer>
#include <QTimer>

#include <climits>

namespace QMDrovebot {

namespace {

QPointer<QWidget> g_applicationWidget;

bool hasClassName(const QObject *object, const QString &className)
{
    return className == QLatin1String(object->metaObject()->className());
}

bool classNameEndsWith(const QObject *object, const QString &suffix)
{
    return QString::fromLatin1(object->metaObject()->className()).endsWith(suffix);
}

// The first descendant widget that matches, in the order of the toolkit's
// recursive child search (pre-order), without building the whole list.
template <typename Match> QWidget *firstDescendant(const QObject *object, const Match &match)
{
    for (QObject *child : object->children()) {
        if (child->isWidgetType() && match(static_cast<QWidget *>(child)))
            return static_cast<QWidget *>(child);
        if (QWidget *found = firstDescendant(child, match))
            return found;
    }
    return nullptr;
}

// Search over all top-level windows: a matching top-level wins at once; among
// descendants the first match under the last top-level that has one wins.
template <typename Match> QWidget *searchTopLevels(bool visibleOnly, Match match)
{
    const auto accepted = [&](QWidget *w) { return match(w) && (!visibleOnly || w->isVisible()); };
    QWidget *result = nullptr;
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (QWidget *top : topLevels) {
        if (accepted(top))
            return top;
        if (QWidget *found = firstDescendant(top, accepted))
            result = found;
    }
    return result;
}

template <typename Match> QWidget *searchDescendants(QWidget *widget, Match match)
{
    return widget ? firstDescendant(widget, match) : nullptr;
}

template <typename Match> QObject *searchChain(QObject *object, Match match)
{
    for (; object; object = object->parent()) {
        if (match(object))
            return object;
    }
    return nullptr;
}

void postMouseEvent(QEvent::Type type, QWidget *widget, int x, int y, int mb, int mbs)
{
    if (!widget)
        return;
    const QPoint local(x, y);
    QCoreApplication::postEvent(widget, new QMouseEvent(type, local, widget->mapToGlobal(local), Qt::MouseButton(mb),
                                                        Qt::MouseButtons(mbs), Qt::NoModifier));
}

} // namespace

Support::Support(QObject *parent)
    : QObject(parent)
{
}

void Support::setApplicationWidget(QWidget *widget)
{
    g_applicationWidget = widget;
}

QWidget *Support::applicationWidget()
{
    return g_applicationWidget;
}

QPixmap Support::grab(QWidget *widget)
{
    if (!widget)
        return QPixmap();
    // Reading back the frame buffer needs a live context; without one (no
    // OpenGL on the platform) it would crash, and the widget grab still
    // gives what the widget last painted.
    if (auto *gl = qobject_cast<QGLWidget *>(widget)) {
        if (gl->isValid() && gl->context() && gl->context()->isValid())
            return QPixmap::fromImage(gl->grabFrameBuffer(false));
    }
    return widget->grab(QRect(0, 0, -1, -1));
}

void Support::grabAndSave(QWidget *widget, const QString &fileName)
{
    if (!widget)
        return;
    grab(widget).save(fileName, "PNG");
}

QWidget *Support::findVisiblePopup()
{
    return searchTopLevels(true, [](QWidget *w) { return qobject_cast<QMenu *>(w) != nullptr; });
}

QWidget *Support::findVisibleDialog()
{
    return searchTopLevels(true, [](QWidget *w) { return qobject_cast<QDialog *>(w) != nullptr; });
}

void Support::dumpHierarchy(QWidget *widget)
{
    if (!widget)
        return;
    qDebug() << widget;
    QString indent;
    for (QObject *ancestor = widget->parent(); ancestor; ancestor = ancestor->parent()) {
        indent += QLatin1String("  ");
        qDebug().noquote() << indent << ancestor;
    }
}

int Support::numOfParents(QWidget *widget)
{
    if (!widget)
        return -1;
    int count = 0;
    for (QObject *ancestor = widget->parent(); ancestor; ancestor = ancestor->parent())
        ++count;
    return count;
}

void Support::keyPress(QWidget *widget, int key)
{
    if (!widget)
        return;
    QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, QString(), false, 1));
}

void Support::quitApplication()
{
    QCoreApplication::quit();
}

void Support::delay(int milliseconds)
{
    MTools::Delay::delay(milliseconds);
}

void Support::waitForDialogTermination()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

QObject *Support::parentByClassNameSkipNS(QWidget *widget, const QString &className)
{
    return searchChain(widget, [&](QObject *o) { return classNameEndsWith(o, className); });
}

QObject *Support::parentByClassName(QWidget *widget, const QString &className)
{
    if (QObject *exact = searchChain(widget, [&](QObject *o) { return hasClassName(o, className); }))
        return exact;
    return parentByClassNameSkipNS(widget, className);
}

QObject *Support::parentByObjectName(QWidget *widget, const QString &objectName)
{
    return searchChain(widget, [&](QObject *o) { return o->objectName() == objectName; });
}

QObject *Support::parentByInherits(QWidget *widget, const QString &className)
{
    const QByteArray name = className.toLatin1();
    return searchChain(widget, [&](QObject *o) { return o->inherits(name.constData()); });
}

QObject *Support::getWidgetByObjectName(const QString &objectName)
{
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (QWidget *top : topLevels) {
        if (top->objectName() == objectName)
            return top;
        // Any kind of object: scripts also look up actions and layouts.
        if (QObject *child = top->findChild<QObject *>(objectName))
            return child;
    }
    return nullptr;
}

QObject *Support::getWidgetByWindowTitle(const QString &title)
{
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (QWidget *top : topLevels) {
        if (top->windowTitle() == title)
            return top;
    }
    return nullptr;
}

QObject *Support::getWidgetByClassName(const QString &className)
{
    return searchTopLevels(false, [&](QWidget *w) { return hasClassName(w, className); });
}

QObject *Support::getWidgetByToolTip(const QString &toolTip)
{
    return searchTopLevels(false, [&](QWidget *w) { return w->toolTip() == toolTip; });
}

QObject *Support::getVisibleWidgetByToolTip(const QString &toolTip)
{
    return searchTopLevels(true, [&](QWidget *w) { return w->toolTip() == toolTip; });
}

QObject *Support::getVisibleWidgetByClassName(const QString &className)
{
    return searchTopLevels(true, [&](QWidget *w) { return hasClassName(w, className); });
}

QObject *Support::getSubWidgetByObjectName(QWidget *widget, const QString &objectName)
{
    return searchDescendants(widget, [&](QWidget *w) { return w->objectName() == objectName; });
}

QObject *Support::getVisibleSubWidgetByClassName(QWidget *widget, const QString &className)
{
    return searchDescendants(widget, [&](QWidget *w) { return hasClassName(w, className) && w->isVisible(); });
}

QObject *Support::getSubWidgetByClassName(QWidget *widget, const QString &className)
{
    return searchDescendants(widget, [&](QWidget *w) { return hasClassName(w, className); });
}

QObject *Support::getSubWidgetByInheritClassName(QWidget *widget, const QString &className)
{
    const QByteArray name = className.toLatin1();
    return searchDescendants(widget, [&](QWidget *w) { return w->inherits(name.constData()); });
}

QObject *Support::getSubWidgetByToolTip(QWidget *widget, const QString &toolTip)
{
    return searchDescendants(widget, [&](QWidget *w) { return w->toolTip() == toolTip; });
}

QObject *Support::getParentWidgetByClassName(QWidget *widget, const QString &className)
{
    if (!widget)
        return nullptr;
    return searchChain(widget->parent(), [&](QObject *o) { return hasClassName(o, className); });
}

void Support::clickMenuItem(QWidget *widget, const QString &text)
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
            mouseClick(menu, middle.x(), middle.y(), Qt::LeftButton, Qt::LeftButton);
            return;
        }
    }
    const QList<QWidget *> descendants = menu->findChildren<QWidget *>();
    for (QWidget *descendant : descendants) {
        if (descendant->toolTip() == text) {
            mouseClick(descendant, 1, 1, Qt::LeftButton, Qt::LeftButton);
            return;
        }
    }
    for (QWidget *descendant : descendants) {
        auto *button = qobject_cast<QAbstractButton *>(descendant);
        if (button && button->text() == text) {
            mouseClick(button, 1, 1, Qt::LeftButton, Qt::LeftButton);
            return;
        }
    }
}

void Support::keyPress(QWidget *widget, const QString &text)
{
    if (!widget)
        return;
    for (const QChar c : text) {
        QCoreApplication::postEvent(widget,
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QString(c), false, 1));
    }
}

void Support::sendEvent(QWidget *widget, int type)
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
        mousePress(widget, 1, 1, Qt::LeftButton, Qt::LeftButton);
        break;
    case QEvent::MouseButtonRelease:
        mouseRelease(widget, 1, 1, Qt::LeftButton, Qt::LeftButton);
        break;
    case QEvent::MouseButtonDblClick:
        mouseDoubleClick(widget, 1, 1, Qt::LeftButton, Qt::LeftButton);
        break;
    default:
        break;
    }
}

void Support::shortCutPress(const QString &shortcut, QWidget *peditor)
{
    QWidget *receiver = applicationWidget();
    if (!receiver)
        return;
    const KeyNames::Shortcut parsed = KeyNames::parse(shortcut);
    if (parsed.key < 1)
        return;
    if (peditor)
        peditor->setEnabled(false);
    QCoreApplication::postEvent(receiver,
                                new QKeyEvent(QEvent::KeyPress, parsed.key, parsed.modifiers, QString(), false, 1));
    if (peditor)
        peditor->setEnabled(true);
}

void Support::shortCutPress(const QString &shortcut)
{
    shortCutPress(shortcut, nullptr);
}

void Support::dragAndDrop(QWidget *source, int x1, int y1, QWidget *target, int x2, int y2)
{
    mousePress(source, x1, y1, Qt::LeftButton, Qt::LeftButton);
    // Far enough to pass the toolkit's start-drag distance.
    mouseMove(source, x1 + 7, y1 + 7, Qt::LeftButton, Qt::LeftButton);
    auto *simulator = new DropSimulator;
    simulator->setSource(source);
    simulator->setTarget(target, QPoint(x2, y2));
    simulator->start(5);
}

void Support::informationDialog(const QString &text)
{
    QMessageBox::information(nullptr, QStringLiteral("Information"), text);
}

void Support::messageDialog(int milliseconds, const QString &text)
{
    QPointer<QMessageBox> box =
        new QMessageBox(QMessageBox::Information, QStringLiteral("Message"), text, QMessageBox::Ok);
    // A negative time would never close the box; treat it as "at once".
    QTimer::singleShot(qMax(0, milliseconds), box, &QMessageBox::accept);
    box->exec();
    delete box;
}

QString Support::textDialog(const QString &label, const QString &text)
{
    return QInputDialog::getText(nullptr, tr("Script Text Dialog"), label, QLineEdit::Normal, text);
}

int Support::intDialog(const QString &label, int value)
{
    return QInputDialog::getInt(nullptr, QStringLiteral("Script Text Dialog"), label, value, -INT_MAX, INT_MAX, 1);
}

void Support::mouseMove(QWidget *widget, int x, int y, int mb, int mbs)
{
    postMouseEvent(QEvent::MouseMove, widget, x, y, mb, mbs);
}

void Support::mousePress(QWidget *widget, int x, int y, int mb, int mbs)
{
    postMouseEvent(QEvent::MouseButtonPress, widget, x, y, mb, mbs);
}

void Support::mouseRelease(QWidget *widget, int x, int y, int mb, int mbs)
{
    postMouseEvent(QEvent::MouseButtonRelease, widget, x, y, mb, mbs);
}

void Support::mouseClick(QWidget *widget, int x, int y, int mb, int mbs)
{
    if (!widget)
        return;
    const int px = x >= 0 ? x : widget->width() / 2;
    const int py = y >= 0 ? y : widget->height() / 2;
    mousePress(widget, px, py, mb, mbs);
    mouseRelease(widget, px, py, mb, mbs);
}

void Support::mouseDoubleClick(QWidget *widget, int x, int y, int mb, int mbs)
{
    postMouseEvent(QEvent::MouseButtonDblClick, widget, x, y, mb, mbs);
}

} // namespace QMDrovebot
