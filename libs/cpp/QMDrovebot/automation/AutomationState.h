#pragma once

class QWidget;

namespace QMDrovebot {

// The automation state that belongs to the process, not to one editor: the
// widget that receives simulated shortcuts, the key-name table, and the
// widget-ID tables (aliases, saved tool tips, hover filters). It lives until
// the process ends and is touched only on the GUI thread.
class AutomationState
{
public:
    // Fills the tables and installs the hover filters. Each editor calls it
    // when it is built, so widgets created since the last call are covered.
    static void setUp();

    // The widget that receives simulated shortcuts and a drop's closing
    // Escape; null until a host registers one.
    static void setApplicationWidget(QWidget *widget);
    static QWidget *applicationWidget();
    // Inside another program no one widget of its own is known: with this on
    // and none registered, shortcuts go to the program's active window, or,
    // while Corvella's own window has the focus, to the program's window that
    // had it last (else its first visible one).
    static void setFollowsActiveWindow(bool follow);
    static bool followsActiveWindow();

    // quitApplication() closes the application widget the way the user
    // would, so its questions (unsaved changes) are asked; an unattended
    // host, with nobody to answer, has the application quit at once.
    static void setQuitsDirectly(bool direct);
    static bool quitsDirectly();

    // Set by quitApplication(), so a host that runs scripts one after another
    // (a batch) ends instead of running the next one in an application that
    // is going away; the host clears it before each script.
    static void setQuitRequested(bool requested);
    static bool quitRequested();

    // What a script's quitApplication() does, as configured above.
    static void quitApplication();
};

} // namespace QMDrovebot
