#pragma once

#include <QByteArray>
#include <QString>

namespace MTools {

// Reads a whole file, but only a regular one and only up to a limit: a named
// pipe would block on open, a device never ends, and a huge file would stall
// the program. Every reader of user-named files goes through here.
class BoundedFile
{
public:
    enum Status { Ok, Missing, Folder, NotRegular, Unreadable, TooLarge };

    // On Unreadable, `error` holds the system's reason.
    static Status read(const QString &path, qint64 maximumSize, QByteArray *bytes, QString *error = nullptr);
};

} // namespace MTools
