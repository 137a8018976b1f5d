#pragma once

class QWidget;

namespace QMDrovebot {

class MainWindow;

// Corvella inside another application's process: linked in through the
// library, or attached to a program that was never built with it.

// Sets the process up once for scripts that drive this application rather
// than Corvella: Corvella's own windows become tools that the searches leave
// out, its settings stay in Corvella's store, and shortcuts go to
// `applicationWidget` or, without one, to the application's active window.
void prepareHostProgram(QWidget *applicationWidget = nullptr);

// The one call an application makes (behind a shortcut or a menu entry of
// its choosing) to script itself in place: opens the internal script editor
// window, with its batch area, as a tool window beside the application's
// windows. The window is made on the first call and shown again by later
// ones; it lives until the application ends.
MainWindow *openScriptEditor(QWidget *applicationWidget = nullptr);

} // namespace QMDrovebot
