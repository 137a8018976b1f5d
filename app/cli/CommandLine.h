#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

class QWidget;

namespace QMWidgets {
class App;
}

// What the program's commands share: the identity, the application set-up,
// and one-line answers on the standard streams.
namespace CommandLine {

extern const char organization[];
extern const char application[];

bool hasDisplay();
// Commands that run scripts need no screen: without one they draw off
// screen. Call before the application object exists.
void chooseHeadlessPlatform();
void setUpApplication(QMWidgets::App &app);

// Shortcuts reach only the active window, so a script's first statement may
// press one only once the frame is on screen and has the focus. A platform
// that never activates it still gets its run, after at most five seconds.
void waitUntilActive(QWidget *frame);

// The text, a line feed, and a flush, so a reader sees each line at once.
void printLine(FILE *stream, const QString &text);
// "corvella: " and the message on standard error; returns `status`.
int fail(const QString &message, int status);

// The one-line refusal when the output `path` of `option` (--junit, -o, ...)
// is one of `inputs`; empty when it is none. Files are compared as the system
// sees them, so another spelling of a path, a symbolic or a hard link counts.
QString overwritesInput(const QString &option, const QString &path, const QStringList &inputs);

} // namespace CommandLine
