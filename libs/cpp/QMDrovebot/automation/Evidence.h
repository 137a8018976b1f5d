#pragma once

#include <QString>

class QWidget;

namespace QMDrovebot {

// What a failed script leaves behind for the person who reads the failure
// later: a picture of every visible window, the widget tree and the output
// pane's text, in a folder of its own.
class Evidence
{
public:
    // Writes into `folder`/<script base name>-<date and time>/ (made unique
    // with a number when a script fails twice within a second) and returns
    // that folder's path. When any file cannot be written, returns an empty
    // text and sets `error` to the first such file and the reason.
    static QString write(const QString &folder, const QString &scriptPath, const QString &outputText,
                         QString *error = nullptr);

    // One line per widget, indented by depth under its top-level window:
    // class, object name, window title, geometry, visibility, enabled state
    // and ID.
    static QString widgetTree();
};

} // namespace QMDrovebot
