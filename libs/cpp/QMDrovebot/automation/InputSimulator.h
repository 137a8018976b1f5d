#pragma once

#include <QString>

class QWidget;

namespace QMDrovebot {

// Simulated input. Mouse and key events are posted, so they take effect only
// when the event loop runs, and a running script's own input waits until the
// script waits (delay() and the other waits) even though the engine lets the
// window repaint meanwhile; window events and a drop are delivered at once.
// A null widget is ignored.
namespace InputSimulator {

// `type` is a mouse event type; mb is the button, mbs the held buttons.
void postMouse(int type, QWidget *widget, int x, int y, int mb, int mbs);
// A press and a release; a negative coordinate means the middle of the widget.
void postClick(QWidget *widget, int x, int y, int mb, int mbs);
void postKey(QWidget *widget, int key);
// One key press per character: key code A, the character as the event text.
void postText(QWidget *widget, const QString &text);
// Close, Hide, Show and Paint are sent; the three mouse-button types are
// posted as left-button events at (1, 1); other types are ignored.
void sendEvent(QWidget *widget, int type);
// Posts the shortcut to the registered application widget, with `disabled`
// switched off meanwhile so it does not take the key itself.
void postShortcut(const QString &shortcut, QWidget *disabled);
// Clicks the entry of a menu whose text matches, else a descendant whose
// tool tip matches, else a descendant button whose text matches.
void clickMenuItem(QWidget *widget, const QString &text);
void dragAndDrop(QWidget *source, int x1, int y1, QWidget *target, int x2, int y2);

} // namespace InputSimulator

} // namespace QMDrovebot
