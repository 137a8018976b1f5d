#pragma once

#include <QString>

class QPixmap;
class QWidget;

namespace QMDrovebot {

// What scripts use to talk to the user and to let the user interface run:
// modal message and input boxes, waiting, and pictures of widgets. Every
// call here runs the event loop except grab().
namespace ScriptDialogs {

void information(const QString &text);
// Closes itself after `milliseconds` (a negative time closes it at once).
void message(int milliseconds, const QString &text);
QString askText(const QString &label, const QString &text);
int askInt(const QString &label, int value);
// Runs the event loop for the given time (MTools::Delay::kForever: until
// the script is stopped); a negative time counts as 0.
void delay(qint64 milliseconds);
// Lets the pending events through once.
void processPendingEvents();

// What the widget shows; an OpenGL widget's frame buffer when it has a live
// context. A null widget gives a null pixmap.
QPixmap grab(QWidget *widget);
void grabAndSave(QWidget *widget, const QString &fileName);

} // namespace ScriptDialogs

} // namespace QMDrovebot
