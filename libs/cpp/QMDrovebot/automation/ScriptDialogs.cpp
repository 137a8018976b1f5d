#include "ScriptDialogs.h"

#include <MTools/Delay.h>
#include <QMDrovebot/engine/ScriptEngine.h>

#include <QCoreApplication>
#include <QGLWidget>
#include <QInputDialog>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QTimer>

#include <climits>

namespace QMDrovebot {
namespace ScriptDialogs {

namespace {

// Every call below is a wait of the running script: what it held back
// (posted input, due timers, a dialog handler) gets through now. False when
// the script was stopped, which then opens nothing more.
bool beginWait()
{
    ScriptEngine::scriptWaits();
    const ScriptEngine *engine = ScriptEngine::runningEngine();
    return !engine || !engine->isInterrupted();
}

} // namespace

void information(const QString &text)
{
    if (!beginWait())
        return;
    QMessageBox::information(nullptr, QStringLiteral("Information"), text);
}

void message(int milliseconds, const QString &text)
{
    if (!beginWait())
        return;
    QPointer<QMessageBox> box =
        new QMessageBox(QMessageBox::Information, QStringLiteral("Message"), text, QMessageBox::Ok);
    // A negative time would never close the box; treat it as "at once".
    QTimer::singleShot(qMax(0, milliseconds), box, &QMessageBox::accept);
    box->exec();
    delete box;
}

QString askText(const QString &label, const QString &text)
{
    if (!beginWait())
        return QString();
    return QInputDialog::getText(nullptr, QCoreApplication::translate("QMDrovebot::Support", "Script Text Dialog"),
                                 label, QLineEdit::Normal, text);
}

int askInt(const QString &label, int value)
{
    if (!beginWait())
        return value;
    return QInputDialog::getInt(nullptr, QStringLiteral("Script Text Dialog"), label, value, -INT_MAX, INT_MAX, 1);
}

void delay(qint64 milliseconds)
{
    if (!beginWait())
        return;
    // Stop ends the wait at once instead of after the rest of a long delay.
    MTools::Delay::delay(milliseconds, ScriptEngine::runningEngine(), &ScriptEngine::interrupted);
}

void processPendingEvents()
{
    if (!beginWait())
        return;
    // No event loop of its own tells that the script waits here.
    ScriptEngine::Activity waiting(ScriptEngine::runningEngine(), ScriptEngine::Activity::Waiting);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

QPixmap grab(QWidget *widget)
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

void grabAndSave(QWidget *widget, const QString &fileName)
{
    if (!widget)
        return;
    grab(widget).save(fileName, "PNG");
}

} // namespace ScriptDialogs
} // namespace QMDrovebot
