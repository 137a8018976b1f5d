#include "CommandLine.h"

#include "window/JavaScriptEvaluator.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <QMWidgets/App.h>

#include <sys/stat.h>

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

QString overwritesInput(const QString &option, const QString &path, const QStringList &inputs)
{
    struct stat output = {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &output) != 0)
        return QString();
    for (const QString &input : inputs) {
        struct stat in = {};
        if (!input.isEmpty() && ::stat(QFile::encodeName(input).constData(), &in) == 0 && in.st_dev == output.st_dev &&
            in.st_ino == output.st_ino) {
            return QStringLiteral("%1 %2 would overwrite the input file %3; nothing was written")
                .arg(option, path, input);
        }
    }
    return QString();
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
