#include "CommandOptions.h"

#include "AppOption.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QThread>
#include <QVector>

namespace {

using Command = CommandOptions::Command;

// The commands an option goes with.
enum UsedWith : unsigned { WithRun = 1, WithBatch = 2, WithCompress = 4, WithEditor = 8 };

struct OptionRow
{
    QStringList names;
    QString valueName; // empty for an option without a value
    QString description;
    // The command an option starts, or Editor for one that only adds to a
    // command.
    Command command;
    unsigned usedWith;
    // Takes the option's value; false with a message when it is not valid.
    bool (*take)(const QString &value, CommandOptions *options, QString *error);
    // Left out of --help: for Corvella's own use.
    bool hidden = false;
};

bool takeFile(const QString &value, CommandOptions *options, QString *)
{
    options->file = value;
    return true;
}

bool takeOutput(const QString &value, CommandOptions *options, QString *)
{
    options->outputPath = value;
    return true;
}

bool takeNothing(const QString &, CommandOptions *, QString *)
{
    return true;
}

// A whole number from `low` to `high`, else false with `error` set.
bool wholeNumber(const QString &value, int low, int high, int *number, QString *error, const QString &mistake)
{
    bool ok = false;
    *number = value.toInt(&ok);
    if (ok && *number >= low && *number <= high)
        return true;
    *error = mistake;
    return false;
}

const QVector<OptionRow> &optionTable()
{
    // clang-format off
    static const QVector<OptionRow> rows{
        {{"run"}, "FILE",
         "Open FILE, run it as the Run button does and print its output pane. Exit status 0 when the script ran "
         "without error, 1 when it failed (an error text, a failed check, a stop), 2 when FILE cannot be read.",
         Command::Run, 0, takeFile},
        {{"batch"}, "LIST",
         "Run the scripts of the list file LIST one after another in one editor, as the batch runner's Start does; "
         "print each one's output and state, then a summary. Exit status 0 when every script is done, 1 when any "
         "failed or did not run, 2 when the list cannot be read or holds no scripts.",
         Command::Batch, 0, takeFile},
        {{"junit"}, "REPORT",
         "With --run or --batch: also write a JUnit XML report. It is in place before the first script starts and "
         "kept current while the scripts run, so a job killed half-way leaves a readable one.",
         Command::Editor, WithRun | WithBatch,
         [](const QString &value, CommandOptions *options, QString *) {
             options->script.reportPath = value;
             return true;
         }},
        {{"timeout"}, "SECONDS",
         "With --run or --batch: stop each script as Stop does after SECONDS, a whole number from 1 to 1000000; "
         "the script then counts as failed.",
         Command::Editor, WithRun | WithBatch,
         [](const QString &value, CommandOptions *options, QString *error) {
             bool ok = false;
             const int seconds = value.toInt(&ok);
             // The limit's timer counts milliseconds in an int.
             if (!ok || seconds < 1 || seconds > 1000000) {
                 *error = QStringLiteral("--timeout takes a whole number of seconds from 1 to 1000000");
                 return false;
             }
             options->script.timeLimitSeconds = seconds;
             return true;
         }},
        {{"evidence"}, "FOLDER",
         "With --run or --batch: a failed script leaves pictures of the windows, the widget tree and its output in "
         "a new folder below FOLDER.",
         Command::Editor, WithRun | WithBatch,
         [](const QString &value, CommandOptions *options, QString *) {
             options->script.evidenceFolder = value;
             return true;
         }},
        {{"compress"}, "FILE", "Write the minified FILE to standard output (or to -o).", Command::Compress, 0, takeFile},
        {{"o", "output"}, "OUT", "With --compress: write the minified script to OUT.", Command::Editor, WithCompress,
         takeOutput},
        {{"app"}, "PROGRAM",
         "Attach to PROGRAM (a Qt 5 Widgets program; its own arguments follow \"--\"): alone, it opens the script "
         "editor window beside the program's windows; with --run or --batch, the scripts run inside the program.",
         Command::Editor, WithRun | WithBatch | WithEditor,
         [](const QString &value, CommandOptions *options, QString *) {
             options->script.appCommand.prepend(value);
             return true;
         }},
        {{"jobs"}, "N",
         "With --batch: run the scripts on N worker processes at once (1 to 256; 0: one per processor), each "
         "script in a fresh editor of its own (with --app, a fresh instance of the program) drawing off screen. "
         "The output and the report keep the list's order.",
         Command::Editor, WithBatch,
         [](const QString &value, CommandOptions *options, QString *error) {
             if (!wholeNumber(value, 0, 256, &options->script.jobs, error,
                              QStringLiteral("--jobs takes a whole number from 0 (one per processor) to 256")))
                 return false;
             if (options->script.jobs == 0)
                 options->script.jobs = qMax(1, QThread::idealThreadCount());
             return true;
         }},
        {{"shard"}, "K/N",
         "With --batch: run only the K-th of N parts of the list (1 <= K <= N), so N machines share one suite; "
         "every script belongs to exactly one part. The parts are balanced by --durations when given, else by "
         "count; a part may be empty.",
         Command::Editor, WithBatch,
         [](const QString &value, CommandOptions *options, QString *error) {
             const QRegularExpressionMatch parts =
                 QRegularExpression(QStringLiteral("^(\\d{1,6})/(\\d{1,6})$")).match(value);
             const int index = parts.captured(1).toInt(), count = parts.captured(2).toInt();
             if (!parts.hasMatch() || index < 1 || index > count) {
                 *error = QStringLiteral("--shard %1: give K/N with whole numbers 1 <= K <= N, such as 2/5").arg(value);
                 return false;
             }
             options->script.shardIndex = index;
             options->script.shardCount = count;
             return true;
         }},
        {{"durations"}, "REPORT",
         "With --batch: an earlier JUnit report of the suite; --shard balances the parts by its times and --jobs "
         "starts the longest scripts first (a script it lacks counts as its median time). When REPORT does not "
         "exist, the parts are balanced by count.",
         Command::Editor, WithBatch,
         [](const QString &value, CommandOptions *options, QString *) {
             options->script.durationsPath = value;
             return true;
         }},
        {{"retries"}, "N",
         "With --batch: run a failed script again, in a fresh editor, up to N more times (0 to 100). A script that "
         "fails and then passes is flaky: its block ends \"-- Flaky\" and it does not fail the run.",
         Command::Editor, WithBatch,
         [](const QString &value, CommandOptions *options, QString *error) {
             return wholeNumber(value, 0, 100, &options->script.retries, error,
                                QStringLiteral("--retries takes a whole number from 0 to 100"));
         }},
        {{"fail-on-flaky"}, "", "With --batch: a flaky script fails the run (exit status 1).", Command::Editor,
         WithBatch,
         [](const QString &, CommandOptions *options, QString *) {
             options->script.failOnFlaky = true;
             return true;
         }},
        {{"merge-junit"}, "OUT",
         "Write one JUnit report OUT holding every test case of the reports named after it (IN.xml ...), with the "
         "counts summed. Exit status 2, and nothing written, when one of them cannot be read.",
         Command::Merge, 0, takeOutput},
        {{"worker"}, "", "", Command::Worker, 0, takeNothing, true},
    };
    // clang-format on
    return rows;
}

unsigned bitOf(Command command)
{
    switch (command) {
    case Command::Run:
        return WithRun;
    case Command::Batch:
        return WithBatch;
    case Command::Compress:
        return WithCompress;
    case Command::Editor:
        return WithEditor;
    default:
        return 0;
    }
}

QString dashed(const QString &name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// "--run or --batch", from the command options' own rows.
QString commandsText(unsigned usedWith)
{
    QStringList names;
    for (const OptionRow &row : optionTable()) {
        if (row.command != Command::Editor && (usedWith & bitOf(row.command)))
            names << dashed(row.names.first());
    }
    if (usedWith & WithEditor)
        names << QStringLiteral("alone");
    const QString last = names.takeLast();
    return names.isEmpty() ? last : names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

struct Parser
{
    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();
    QVector<QCommandLineOption> options;

    Parser()
    {
        parser.setApplicationDescription(
            QStringLiteral("Corvella: edit, run, debug and compress JavaScript files whose scripts can drive the "
                           "application's own user interface."));
        for (const OptionRow &row : optionTable()) {
            options.append(QCommandLineOption(row.names, row.description, row.valueName));
            if (row.hidden)
                options.last().setFlags(QCommandLineOption::HiddenFromHelp);
            parser.addOption(options.last());
        }
        parser.addPositionalArgument(QStringLiteral("FILE.js"),
                                     QStringLiteral("Optional: a script to open in the editor; without it the editor "
                                                    "starts with a new document."),
                                     QStringLiteral("[FILE.js]"));
    }
};

const char helpEpilogue[] = "Exit status: 0 success; 1 a script failed, was stopped or did not run;\n"
                            "2 unreadable input (a script, a list, a file to compress), bad arguments,\n"
                            "or a report or output that cannot be written, or would overwrite an input.\n"
                            "\n"
                            "SIGINT or SIGTERM stops the running script (with --jobs, every one) as Stop\n"
                            "does: its output so far is printed, no further script runs, the report is\n"
                            "written, and the exit status is 1; a second one ends the program at once.\n"
                            "A script that has not stopped 5 seconds after its time limit or a signal\n"
                            "is abandoned that way; with --jobs, only its own process is ended, and the\n"
                            "other scripts go on.\n"
                            "\n"
                            "List file (.jslst): one script path per line (UTF-8; LF, CR LF or CR line\n"
                            "ends), relative to the list's folder; an empty line is a row that fails.\n"
                            "\n"
                            "Environment: DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM (with none of them\n"
                            "set, --run and --batch draw off screen); XDG_CONFIG_HOME (settings);\n"
                            "XDG_DATA_HOME (recovery copies of unsaved text); CORVELLA_SHOW_QT_MESSAGES\n"
                            "(not empty: the toolkit's messages on standard error);\n"
                            "CORVELLA_NON_NATIVE_DIALOGS (set: the toolkit's own file dialogs).";

// The arguments that are no option: the file to open in the editor, the
// reports --merge-junit reads, or a mistake.
bool takePositional(const QStringList &positional, int commands, CommandOptions *options, QString *error)
{
    if (!options->script.appCommand.isEmpty() && !positional.isEmpty()) {
        *error =
            QStringLiteral("the program's own arguments follow \"--\": --app PROGRAM -- %1").arg(positional.first());
        return false;
    }
    if (options->command == Command::Merge) {
        options->mergeInputs = positional;
        if (positional.isEmpty()) {
            *error = QStringLiteral("--merge-junit OUT.xml needs the reports to merge after it: IN.xml ...");
            return false;
        }
        return true;
    }
    if (commands > 0 && !positional.isEmpty()) {
        *error = QStringLiteral("unexpected argument %1").arg(positional.first());
        return false;
    }
    if (positional.size() > 1) {
        *error = QStringLiteral("only one file can be opened at a time");
        return false;
    }
    if (commands == 0)
        options->file = positional.value(0);
    return true;
}

} // namespace

bool CommandOptions::parse(const QStringList &commandLine, CommandOptions *options, QString *error)
{
    // With --app, what follows "--" belongs to the program, not to us.
    QStringList arguments = commandLine;
    options->script.appCommand = splitProgramArguments(&arguments);
    Parser p;
    if (!p.parser.parse(arguments)) {
        *error = p.parser.errorText();
        return false;
    }
    // --help-all is listed by the help text itself; it gets the same answer.
    if (p.parser.isSet(p.help) || p.parser.isSet(QStringLiteral("help-all"))) {
        options->command = Command::Help;
        return true;
    }
    if (p.parser.isSet(p.version)) {
        options->command = Command::Version;
        return true;
    }
    const QVector<OptionRow> &rows = optionTable();
    int commands = 0;
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i].command != Command::Editor && p.parser.isSet(p.options[i])) {
            options->command = rows[i].command;
            ++commands;
        }
    }
    if (commands > 1) {
        *error = p.parser.isSet(QStringLiteral("merge-junit"))
                     ? QStringLiteral("--merge-junit cannot be combined with --run, --batch or --compress")
                     : QStringLiteral("--run, --batch and --compress cannot be combined");
        return false;
    }
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i].command == Command::Editor && p.parser.isSet(p.options[i]) &&
            !(rows[i].usedWith & bitOf(options->command))) {
            *error =
                dashed(rows[i].names.first()) + QStringLiteral(" is only used with ") + commandsText(rows[i].usedWith);
            return false;
        }
    }
    for (int i = 0; i < rows.size(); ++i) {
        if (p.parser.isSet(p.options[i]) && !rows[i].take(p.parser.value(p.options[i]), options, error))
            return false;
    }
    return takePositional(p.parser.positionalArguments(), commands, options, error);
}

QString CommandOptions::helpText()
{
    Parser p;
    return p.parser.helpText().trimmed() + QStringLiteral("\n\n") + QLatin1String(helpEpilogue);
}
