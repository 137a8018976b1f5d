#include "ScriptEditor.h"

#include "MainWindow.h"
#include <QMDrovebot/automation/AutomationState.h>
#include <QMDrovebot/ids/ScriptWindows.h>
#include <QMWidgets/App.h>

#include <QApplication>
#include <QPointer>

namespace QMDrovebot {

void prepareHostProgram(QWidget *applicationWidget)
{
    QMWidgets::App::setIdentityWithoutApp(QStringLiteral("Brightfold"), QStringLiteral("Corvella"));
    ScriptWindows::setHidesOwnWindows(true);
    AutomationState::setApplicationWidget(applicationWidget);
    AutomationState::setFollowsActiveWindow(applicationWidget == nullptr);
}

MainWindow *openScriptEditor(QWidget *applicationWidget)
{
    static QPointer<MainWindow> window;
    if (!window) {
        prepareHostProgram(applicationWidget);
        // A tool window: closing the application's last window still ends
        // the application, and window managers keep it above its owner.
        window = new MainWindow;
        window->setWindowFlag(Qt::Tool);
        window->setAttribute(Qt::WA_QuitOnClose, false);
        // Gone before the application object, whose widgets it refers to.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { delete window; });
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace QMDrovebot
