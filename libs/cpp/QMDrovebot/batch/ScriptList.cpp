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
        int end = start;
        while (end < bytes.size() && bytes.at(end) != '\n' && bytes.at(end) != '\r')
            ++end;
        QByteArray line = bytes.mid(start, end - start);
        const int nul = line.indexOf('\0');
        if (nul >= 0)
            line.truncate(nul);
        paths.append(QString::fromUtf8(line));
        // CR LF is one line end; a CR alone (old Mac files) is one too.
        start = end + (bytes.mid(end, 2) == "\r\n" ? 2 : 1);
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

QString relativeTo(const QString &path, const QString &listFile)
{
    const QDir folder = QFileInfo(listFile).absoluteDir();
    const QString clean = QDir::cleanPath(path);
    if (!QFileInfo(path).isAbsolute() || !clean.startsWith(folder.absolutePath() + QLatin1Char('/')))
        return path;
    return folder.relativeFilePath(clean);
}

QString withSuffix(const QString &fileName)
{
    static const QString suffix = QStringLiteral(".jslst");
    return fileName.endsWith(suffix) ? fileName : fileName + suffix;
}

} // namespace ScriptList
} // namespace QMDrovebot
