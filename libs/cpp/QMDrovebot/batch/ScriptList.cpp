#include "ScriptList.h"

#include <QDir>
#include <QFileInfo>

namespace QMDrovebot {
namespace ScriptList {

QStringList parse(const QByteArray &bytes)
{
    QStringList paths;
    int start = 0;
    while (start < bytes.size()) {
        if (bytes.at(start) == '\0')
            break;
        int end = bytes.indexOf('\n', start);
        end = end < 0 ? bytes.size() : end + 1;
        QByteArray line = bytes.mid(start, end - start);
        const int nul = line.indexOf('\0');
        if (nul >= 0)
            line.truncate(nul);
        QString path = QString::fromUtf8(line);
        path.remove(QLatin1Char('\r'));
        path.remove(QLatin1Char('\n'));
        paths.append(path);
        start = end;
    }
    return paths;
}

QByteArray serialize(const QStringList &paths)
{
    QByteArray bytes;
    for (const QString &path : paths)
        bytes += path.toUtf8() + '\n';
    return bytes;
}

QString storedText(const QStringList &paths)
{
    return paths.join(QLatin1Char(';'));
}

QStringList fromStoredText(const QString &text)
{
    // Splitting an empty text would give one empty row, and an empty row runs
    // whatever the editor happens to hold.
    if (text.isEmpty())
        return {};
    return text.split(QLatin1Char(';'));
}

QString resolve(const QString &path, const QString &listFile)
{
    if (path.isEmpty() || QFileInfo(path).isAbsolute())
        return path;
    return QDir::cleanPath(QFileInfo(listFile).absoluteDir().absoluteFilePath(path));
}

QString withSuffix(const QString &fileName)
{
    static const QString suffix = QStringLiteral(".jslst");
    return fileName.endsWith(suffix) ? fileName : fileName + suffix;
}

} // namespace ScriptList
} // namespace QMDrovebot
