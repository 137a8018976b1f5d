#include "AppOption.h"

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
