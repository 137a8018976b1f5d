#include "AppOption.h"

#include <QCommandLineParser>

QStringList splitProgramArguments(QStringList *arguments)
{
    const int separator = arguments->indexOf(QStringLiteral("--"));
    if (separator < 0)
        return {};
    bool app = false;
    for (int i = 1; i < separator; ++i)
        app = app || arguments->at(i) == QLatin1String("--app") || arguments->at(i).startsWith(QLatin1String("--app="));
    if (!app)
        return {};
    const QStringList program = arguments->mid(separator + 1);
    *arguments = arguments->mid(0, separator);
    return program;
}

QCommandLineOption addAppOption(QCommandLineParser *parser)
{
    const QCommandLineOption option(
        QStringLiteral("app"),
        QStringLiteral("Attach to PROGRAM (a Qt 5 Widgets program; its arguments follow \"--\"): alone, it opens the "
                       "script editor window beside the program's windows; with --run or --batch, the scripts run "
                       "inside the program."),
        QStringLiteral("PROGRAM"));
    parser->addOption(option);
    return option;
}
