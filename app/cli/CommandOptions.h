#pragma once

#include "ScriptCommand.h"

#include <QString>
#include <QStringList>

// What the command line asks for, parsed and checked before anything runs,
// so main() only dispatches. Every option is one row of a table in the .cpp
// file (names, value, help text, the commands it goes with, how its value is
// taken): a new option is a new row and, where it carries a value, a field.
struct CommandOptions
{
    // Worker: a process that runs one script for --batch --jobs over the run
    // channel; started only by Corvella itself, so --help does not list it.
    enum class Command { Editor, Run, Batch, Compress, Merge, Worker, Help, Version };

    Command command = Command::Editor;
    // --run FILE, --batch LIST, --compress FILE, or the file the editor opens
    // (empty for none).
    QString file;
    // -o: where --compress writes; empty for standard output. --merge-junit's
    // report.
    QString outputPath;
    // The reports --merge-junit reads.
    QStringList mergeInputs;
    // What --run and --batch share.
    ScriptCommandOptions script;

    // `arguments` starts with the program's name. False after a mistake, with
    // a one-line message (no program name) in `error`; the caller exits 2.
    static bool parse(const QStringList &arguments, CommandOptions *options, QString *error);

    // The whole --help text. Needs the application object: the usage line
    // names the program as it was called.
    static QString helpText();
};
