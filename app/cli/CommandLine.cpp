#include "CommandLine.h"

#include "window/JavaScriptEvaluator.h"

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

} // namespace CommandLine
