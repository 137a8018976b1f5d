#include "cli/RunCommand.h"
#include "compress/CompressCommand.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

#include <QMWidgets/App.h>

#include <cstdio>

namespace {

const char kOrganization[] = "Brightfold";
const char kApplication[] = "Corvella";

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
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

void setUpApplication(QMWidgets::App &app)
{
    app.setProductPage(QMWidgets::App::webAddress(QString()));
    app.setApplicationVersion(QStringLiteral("1.0"));
    app.setOrganizationDomain(QStringLiteral("example.org"));
    app.setStyleSheet(JavaScriptEvaluator::applicationStyleSheet());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setOrganizationName(QLatin1String(kOrganization));
    QCoreApplication::setApplicationName(QLatin1String(kApplication));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Corvella: edit, run, debug and compress JavaScript files "
                                                    "whose scripts can drive the application's own user interface."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption runOption(QStringLiteral("run"),
                                       QStringLiteral("Run FILE as the Run button does, print the output pane, exit "
                                                      "with 0 (no error), 1 (error) or 2 (unreadable file)."),
                                       QStringLiteral("FILE"));
    const QCommandLineOption compressOption(QStringLiteral("compress"),
                                            QStringLiteral("Write the minified FILE to standard output (or to -o)."),
                                            QStringLiteral("FILE"));
    const QCommandLineOption outputOption(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                          QStringLiteral("With --compress: write the minified script to OUT."),
                                          QStringLiteral("OUT"));
    const QCommandLineOption timeoutOption(QStringLiteral("timeout"),
                                           QStringLiteral("With --run: stop the script after SECONDS, as Stop does, "
                                                          "and exit with 1."),
                                           QStringLiteral("SECONDS"));
    parser.addOption(runOption);
    parser.addOption(timeoutOption);
    parser.addOption(compressOption);
    parser.addOption(outputOption);
    parser.addPositionalArgument(QStringLiteral("FILE.js"), QStringLiteral("A script to open in the editor."));

    if (!parser.parse(arguments))
        return fail(parser.errorText(), 2);
    // --help-all is listed by the help text itself; it gets the same answer.
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        // The help text names the program from the application's arguments;
        // a core application needs no display.
        QCoreApplication app(argc, argv);
        printLine(stdout, parser.helpText().trimmed());
        return 0;
    }
    if (parser.isSet(versionOption)) {
        printLine(stdout, QStringLiteral("Corvella 1.0"));
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(runOption) && parser.isSet(compressOption))
        return fail(QStringLiteral("--run and --compress cannot be combined"), 2);
    if (parser.isSet(outputOption) && !parser.isSet(compressOption))
        return fail(QStringLiteral("-o is only used with --compress"), 2);
    if (parser.isSet(timeoutOption) && !parser.isSet(runOption))
        return fail(QStringLiteral("--timeout is only used with --run"), 2);
    int timeLimit = 0;
    if (parser.isSet(timeoutOption)) {
        bool ok = false;
        timeLimit = parser.value(timeoutOption).toInt(&ok);
        // The limit's timer counts milliseconds in an int.
        if (!ok || timeLimit < 1 || timeLimit > 1000000)
            return fail(QStringLiteral("--timeout takes a whole number of seconds from 1 to 1000000"), 2);
    }
    if ((parser.isSet(runOption) || parser.isSet(compressOption)) && !positional.isEmpty())
        return fail(QStringLiteral("unexpected argument %1").arg(positional.first()), 2);
    if (positional.size() > 1)
        return fail(QStringLiteral("only one file can be opened at a time"), 2);

    if (parser.isSet(compressOption)) {
        QCoreApplication app(argc, argv);
        return runCompressCommand(parser.value(compressOption), parser.value(outputOption));
    }
    if (parser.isSet(runOption)) {
        const QString path = parser.value(runOption);
        const QFileInfo info(path);
        if (!info.isFile() || !info.isReadable())
            return fail(QStringLiteral("cannot read %1").arg(path), 2);
        // A script run needs no screen: without one, draw off screen.
        if (!hasDisplay())
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QMWidgets::App app(argc, argv, QLatin1String(kOrganization), QLatin1String(kApplication));
        setUpApplication(app);
        return runCommand(path, timeLimit);
    }

    if (!hasDisplay())
        return fail(QStringLiteral("no display found: set DISPLAY (or run under xvfb-run), or use --run FILE.js"), 1);

    QMWidgets::App app(argc, argv, QLatin1String(kOrganization), QLatin1String(kApplication));
    setUpApplication(app);
    JavaScriptEvaluator frame;
    QObject::connect(&app, &QMWidgets::App::dockClicked, &frame, &QWidget::showNormal);
    frame.showAtStartUp();
    app.setMainWidget(&frame);
    // Scripts' shortcuts go to the frame, where the tool bar's and the
    // document window's shortcuts live.
    frame.mainWindow()->registerApplicationWidget(&frame);
    if (!positional.isEmpty()) {
        frame.mainWindow()->openPath(QFileInfo(positional.first()).absoluteFilePath());
    }
    return app.exec();
}
