#pragma once

#include <QString>

#include <cstdio>

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

// The text, a line feed, and a flush, so a reader sees each line at once.
void printLine(FILE *stream, const QString &text);
// "corvella: " and the message on standard error; returns `status`.
int fail(const QString &message, int status);

} // namespace CommandLine
