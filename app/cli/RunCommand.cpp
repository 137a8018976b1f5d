#include "RunCommand.h"

#include "ScriptRunGuard.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <QWindow>

#include <QMDrovebot/automation/AutomationState.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMWidgets/App.h>

#include <cstdio>

namespace {

void printLine(FILE *stream, const QString &text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    fflush(stream);
}

// Shortcuts reach only the active window, so a script's first statement
// may press one only once the frame is on screen and has the focus. A
// platform that never activates it still gets its run, a little later.
void waitUntilActive(QWidget *frame)
{
    frame->activateWindow();
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        const QWindow *window = frame->windowHandle();
        const bool ready = window && window->isExposed() && frame->isActiveWindow();
        if (ready || clock.elapsed() > 5000)
            loop.quit();
    });
    poll.start(5);
    loop.exec();
}

} // namespace

int runCommand(const QString &path, int timeLimitSeconds)
{
    // Nobody is there to answer the unsaved-changes question.
    QMDrovebot::AutomationState::setQuitsDirectly(true);
    ScriptRunGuard guard(timeLimitSeconds);

    JavaScriptEvaluator frame;
    frame.showAtStartUp();
    if (QMWidgets::App *app = QMWidgets::App::instance())
        app->setMainWidget(&frame);
    frame.mainWindow()->registerApplicationWidget(&frame);

    QMDrovebot::Editor *editor = frame.mainWindow()->editor();
    if (!editor->textEdit()->openFile(QFileInfo(path).absoluteFilePath())) {
        printLine(stderr, QStringLiteral("corvella: cannot read %1").arg(path));
        return 2;
    }
    waitUntilActive(&frame);
    guard.run(editor);
    // Whatever the script posted last (a click, a key) still takes effect.
    QCoreApplication::processEvents();
    printLine(stdout, editor->outputArea()->toPlainText());
    const bool failed = editor->errorStatus() != 0 || guard.timedOut() || ScriptRunGuard::signalReceived();
    return failed ? 1 : 0;
}
