#pragma once

#include <QByteArray>
#include <QString>

// What can be told about a program before Corvella is attached to it. Free of
// widgets and processes: it only looks at the file.
namespace ProgramCheck {

enum class Kind {
    Missing,
    NotExecutable,
    QtWidgets5, // links Qt 5 Widgets
    Qt5WithoutWidgets,
    Qt6,
    NoQt,  // an executable file that links no Qt library
    Script // "#!": what it starts is known only once it runs
};

// `program` as the shell finds it: a name without "/" is looked up in PATH.
QString resolve(const QString &program);
Kind inspect(const QString &path);
// From the libraries an executable names: the dynamic string table holds
// each name between NUL bytes.
Kind kindOfExecutable(const QByteArray &bytes);

// Why the program cannot be attached to, as the line that says so; empty for
// the kinds that may be.
QString refusal(Kind kind, const QString &program);

} // namespace ProgramCheck
