#include "cli/CommandLine.h"
#include "cli/CommandOptions.h"
#include "cli/JUnitFile.h"
#include "cli/ProgramLauncher.h"
#include "cli/ScriptCommand.h"
#include "cli/WorkerCommand.h"
#include "compress/CompressCommand.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"

#include <QFileInfo>
#include <QTimer>

#include <QMWidgets/App.h>

using namespace CommandLine;

namespace {

int runEditor(int argc, char **argv, const CommandOptions &options)
{
    if (!hasDisplay())
        return fail(QStringLiteral("no display found: set DISPLAY (or run under xvfb-run), or use --run FILE.js"), 1);
    if (!options.script.appCommand.isEmpty())
        return runAttachedEditor(argc, argv, options.script.appCommand);
    const QString &file = options.file;

    QMWidgets::App app(argc, argv, QLatin1String(organization), QLatin1String(application));
    setUpApplication(app);
    JavaScriptEvaluator frame;
    QObject::connect(&app, &QMWidgets::App::dockClicked, &frame, &QWidget::showNormal);
    frame.showAtStartUp();
    app.setMainWidget(&frame);
    // Scripts' shortcuts go to the frame, where the tool bar's and the
    // document window's shortcuts live.
    frame.mainWindow()->registerApplicationWidget(&frame);
    if (!file.isEmpty())
        frame.mainWindow()->openPath(QFileInfo(file).absoluteFilePath());
    // Asked once the event loop runs, so the question shows over the window.
    QTimer::singleShot(0, frame.mainWindow(), &JSMainWindow::offerRecovery);
    return app.exec();
}

int runCompress(int argc, char **argv, const CommandOptions &options)
{
    const QString refusal = overwritesInput(QStringLiteral("-o"), options.outputPath, {options.file});
    if (!refusal.isEmpty())
        return fail(refusal, 2);
    QCoreApplication app(argc, argv);
    return runCompressCommand(options.file, options.outputPath);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setOrganizationName(QLatin1String(organization));
    QCoreApplication::setApplicationName(QLatin1String(application));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    CommandOptions options;
    QString error;
    if (!CommandOptions::parse(arguments, &options, &error))
        return fail(error, 2);

    switch (options.command) {
    case CommandOptions::Command::Help: {
        // A core application needs no display.
        QCoreApplication app(argc, argv);
        printLine(stdout, CommandOptions::helpText());
        return 0;
    }
    case CommandOptions::Command::Version:
        printLine(stdout, QStringLiteral("Corvella 1.0"));
        return 0;
    case CommandOptions::Command::Compress:
        return runCompress(argc, argv, options);
    case CommandOptions::Command::Merge: {
        QCoreApplication app(argc, argv);
        return runMergeCommand(options.outputPath, options.mergeInputs);
    }
    case CommandOptions::Command::Worker:
        return runWorkerCommand(argc, argv);
    case CommandOptions::Command::Batch:
        return runBatchCommand(argc, argv, options.file, options.script);
    case CommandOptions::Command::Run:
        return runScriptCommand(argc, argv, options.file, options.script);
    case CommandOptions::Command::Editor:
        break;
    }
    return runEditor(argc, argv, options);
}
