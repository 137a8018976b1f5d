#include "CommandLine.h"

#include "window/JavaScriptEvaluator.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <QMWidgets/App.h>

namespace CommandLine {

const char organization[] = "Brightfold";
const char application[] = "Corvella";

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

void chooseHeadlessPlatform()
{
    if (!hasDisplay())
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void setUpApplication(QMWidgets::App &app)
{
    app.setProductPage(QMWidgets::App::webAddress(QString()));
    app.setApplicationVersion(QStringLiteral("1.0"));
    app.setOrganizationDomain(QStringLiteral("example.org"));
    app.setStyleSheet(JavaScriptEvaluator::applicationStyleSheet());
}

void printLine(FILE *stream, const QString &text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    fflush(stream);
}

int fail(const QString &message, int status)
{
    printLine(stderr, QStringLiteral("corvella: ") + message);
    return status;
}

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

} // namespace CommandLine
