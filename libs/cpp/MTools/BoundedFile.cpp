#include "BoundedFile.h"

#include <QFile>
#include <QFileInfo>

namespace MTools {

BoundedFile::Status BoundedFile::read(const QString &path, qint64 maximumSize, QByteArray *bytes, QString *error)
{
    bytes->clear();
    const QFileInfo info(path);
    if (!info.exists())
        return Missing;
    if (info.isDir())
        return Folder;
    if (!info.isFile())
        return NotRegular;
    if (info.size() > maximumSize)
        return TooLarge;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return Unreadable;
    }
    // Bounded even if the file grows while it is read.
    *bytes = file.read(maximumSize + 1);
    if (bytes->size() > maximumSize) {
        bytes->clear();
        return TooLarge;
    }
    return Ok;
}

} // namespace MTools
