#pragma once

#include <QPixmap>
#include <QString>
#include <QVector>

class QWidget;

namespace QMDrovebot {

// What a failed script leaves behind for the person who reads the failure
// later: a picture of every visible window, the widget tree and the output
// pane's text, in a folder of its own.
class Evidence
{
public:
    // What the screen showed: a picture of every visible window and the
    // widget tree. Taken when a script is stopped, before the stop closes
    // what the script was waiting for; an empty one stands for a script that
    // never ran (no windows of another script).
    struct Snapshot
    {
        QString widgetTree;
        // File name and picture.
        QVector<QPair<QString, QPixmap>> pictures;
    };
    static Snapshot capture();

    // Writes into `folder`/<script base name>-<date and time>/ (made unique
    // with a number when a script fails twice within a second; a name that
    // would start with "-" gets a "_" in front) and returns that folder's
    // path. When any file cannot be written, returns an empty text and sets
    // `error` to the first such file and the reason. The first form captures
    // the screen now.
    static QString write(const QString &folder, const QString &scriptPath, const QString &outputText,
                         QString *error = nullptr);
    static QString write(const QString &folder, const QString &scriptPath, const QString &outputText,
                         const Snapshot &snapshot, QString *error = nullptr);

    // One line per widget, indented by depth under its top-level window:
    // class, object name, window title, geometry, visibility, enabled state
    // and ID.
    static QString widgetTree();
};

} // namespace QMDrovebot
