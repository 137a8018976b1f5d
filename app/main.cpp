#include "cli/AppOption.h"
#include "cli/CommandLine.h"
#include "cli/ProgramLauncher.h"
#include "cli/ScriptCommand.h"
#include "compress/CompressCommand.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMWidgets/App.h>

#include <cstdio>

using namespace CommandLine;

int main(int argc, char **argv)
{
    QCoreApplication::setOrganizationName(QLatin1String(organization));
    QCoreApplication::setApplicationName(QLatin1String(application));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // With --app, what follows "--" belongs to the program, not to us.
    const QStringList programArguments = splitProgramArguments(&arguments);

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
    const QCommandLineOption batchOption(
        QStringLiteral("batch"),
        QStringLiteral("Run the scripts listed in LIST (.jslst, paths relative to its folder) one after another, print "
                       "each one's output and state, exit with 0 (all done), 1 (an error) or 2 (unreadable list)."),
        QStringLiteral("LIST"));
    const QCommandLineOption junitOption(QStringLiteral("junit"),
                                         QStringLiteral("With --batch or --run: also write a JUnit XML report."),
                                         QStringLiteral("REPORT"));
    const QCommandLineOption timeoutOption(QStringLiteral("timeout"),
                                           QStringLiteral("With --run or --batch: stop each script after SECONDS, as "
                                                          "Stop does; it then counts as failed."),
                                           QStringLiteral("SECONDS"));
    parser.addOption(runOption);
    parser.addOption(batchOption);
    parser.addOption(junitOption);
    const QCommandLineOption evidenceOption(
        QStringLiteral("evidence"),
        QStringLiteral("With --run or --batch: a failed script leaves pictures of the windows, the widget tree and "
                       "its output in a new folder below FOLDER."),
        QStringLiteral("FOLDER"));
    parser.addOption(timeoutOption);
    parser.addOption(evidenceOption);
    parser.addOption(compressOption);
    parser.addOption(outputOption);
    const QCommandLineOption appOption = addAppOption(&parser);
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
    const int commands =
        int(parser.isSet(runOption)) + int(parser.isSet(compressOption)) + int(parser.isSet(batchOption));
    if (commands > 1)
        return fail(QStringLiteral("--run, --batch and --compress cannot be combined"), 2);
    if (parser.isSet(junitOption) && !parser.isSet(runOption) && !parser.isSet(batchOption))
        return fail(QStringLiteral("--junit is only used with --batch or --run"), 2);
    if (parser.isSet(timeoutOption) && !parser.isSet(runOption) && !parser.isSet(batchOption))
        return fail(QStringLiteral("--timeout is only used with --run or --batch"), 2);
    if (parser.isSet(evidenceOption) && !parser.isSet(runOption) && !parser.isSet(batchOption))
        return fail(QStringLiteral("--evidence is only used with --run or --batch"), 2);
    int timeLimit = 0;
    if (parser.isSet(timeoutOption)) {
        bool ok = false;
        timeLimit = parser.value(timeoutOption).toInt(&ok);
        // The limit's timer counts milliseconds in an int.
        if (!ok || timeLimit < 1 || timeLimit > 1000000)
            return fail(QStringLiteral("--timeout takes a whole number of seconds from 1 to 1000000"), 2);
    }
    if (parser.isSet(outputOption) && !parser.isSet(compressOption))
        return fail(QStringLiteral("-o is only used with --compress"), 2);
    if (commands > 0 && !positional.isEmpty())
        return fail(QStringLiteral("unexpected argument %1").arg(positional.first()), 2);
    if (positional.size() > 1)
        return fail(QStringLiteral("only one file can be opened at a time"), 2);

    if (parser.isSet(appOption) && parser.isSet(compressOption))
        return fail(QStringLiteral("--app is used with --run, --batch or alone"), 2);
    if (parser.isSet(appOption) && !positional.isEmpty())
        return fail(
            QStringLiteral("the program's own arguments follow \"--\": --app PROGRAM -- %1").arg(positional.first()),
            2);
    const QStringList appCommand =
        parser.isSet(appOption) ? QStringList{parser.value(appOption)} + programArguments : QStringList();

    if (parser.isSet(compressOption)) {
        QCoreApplication app(argc, argv);
        return runCompressCommand(parser.value(compressOption), parser.value(outputOption));
    }
    ScriptCommandOptions options;
    options.reportPath = parser.value(junitOption);
    options.timeLimitSeconds = timeLimit;
    options.evidenceFolder = parser.value(evidenceOption);
    options.appCommand = appCommand;
    if (parser.isSet(batchOption))
        return runBatchCommand(argc, argv, parser.value(batchOption), options);
    if (parser.isSet(runOption))
        return runScriptCommand(argc, argv, parser.value(runOption), options);

    if (!hasDisplay())
        return fail(QStringLiteral("no display found: set DISPLAY (or run under xvfb-run), or use --run FILE.js"), 1);
    if (!appCommand.isEmpty())
        return runAttachedEditor(argc, argv, appCommand);

    QMWidgets::App app(argc, argv, QLatin1String(organization), QLatin1String(application));
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
    // Asked once the event loop runs, so the question shows over the window.
    QTimer::singleShot(0, frame.mainWindow(), &JSMainWindow::offerRecovery);
    return app.exec();
}
