#include "ScriptEditor.h"

#include "MainWindow.h"
#include <QMDrovebot/automation/AutomationState.h>
#include <QMDrovebot/ids/ScriptWindows.h>
#include <QMWidgets/App.h>

#include <QApplication>
#include <QPointer>
#include <QScreen>

namespace QMDrovebot {

namespace {

// To the right of the application's window where the screen has room, else
// at the screen's right edge: never on top of what the scripts drive, if it
// can be helped.
void placeBeside(QWidget *window, const QWidget *application)
{
    if (!application || !application->isVisible())
        return;
    const QRect screen = application->screen()->availableGeometry();
    const QRect beside = application->frameGeometry();
    const int width = qMin(window->width(), screen.width());
    const int x = beside.right() + 1 + width <= screen.right() ? beside.right() + 1 : screen.right() + 1 - width;
    window->setGeometry(qMax(screen.left(), x), qMax(screen.top(), beside.top()), width,
                        qMin(window->height(), screen.height()));
}

} // namespace

void prepareHostProgram(QWidget *applicationWidget)
{
    QMWidgets::App::setIdentityWithoutApp(QStringLiteral("Brightfold"), QStringLiteral("Corvella"));
    ScriptWindows::setHidesOwnWindows(true);
    AutomationState::setApplicationWidget(applicationWidget);
    AutomationState::setFollowsActiveWindow(applicationWidget == nullptr);
}

namespace {

QPointer<MainWindow> g_window;

// Gone before the application object, whose widgets it refers to; also when
// the application never ran its event loop's end (a test, an early exit).
void closeScriptEditor()
{
    delete g_window;
}

} // namespace

MainWindow *openScriptEditor(QWidget *applicationWidget)
{
    QPointer<MainWindow> &window = g_window;
    if (!window) {
        prepareHostProgram(applicationWidget);
        // A tool window: closing the application's last window still ends
        // the application, and window managers keep it above its owner.
        window = new MainWindow;
        window->setWindowFlag(Qt::Tool);
        window->setAttribute(Qt::WA_QuitOnClose, false);
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, closeScriptEditor);
        qAddPostRoutine(closeScriptEditor);
        placeBeside(window, AutomationState::applicationWidget());
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace QMDrovebot
