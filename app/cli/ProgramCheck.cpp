#include "ProgramCheck.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <climits>

namespace ProgramCheck {

QString resolve(const QString &program)
{
    if (program.contains(QLatin1Char('/')))
        return QFileInfo(program).absoluteFilePath();
    const QString found = QStandardPaths::findExecutable(program);
    return found.isEmpty() ? program : found;
}

Kind kindOfExecutable(const QByteArray &bytes)
{
    const auto names = [&bytes](const char *library) { return bytes.contains(QByteArray(library) + '\0'); };
    if (names("libQt6Core.so.6") || names("libQt6Widgets.so.6"))
        return Kind::Qt6;
    if (names("libQt5Widgets.so.5"))
        return Kind::QtWidgets5;
    if (names("libQt5Core.so.5"))
        return Kind::Qt5WithoutWidgets;
    return Kind::NoQt;
}

Kind inspect(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Kind::Missing;
    if (!info.isFile() || !info.isExecutable())
        return Kind::NotExecutable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Kind::NotExecutable;
    const QByteArray head = file.peek(4);
    if (head.startsWith("#!"))
        return Kind::Script;
    if (head != QByteArray("\x7f"
                           "ELF"))
        return Kind::NotExecutable;
    // Mapped, not read: a program file may be large and is needed only once.
    const qint64 size = file.size();
    uchar *mapped = file.map(0, size);
    if (!mapped)
        return kindOfExecutable(file.readAll());
    return kindOfExecutable(
        QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), int(qMin<qint64>(size, INT_MAX))));
}

QString refusal(Kind kind, const QString &program)
{
    switch (kind) {
    case Kind::Missing:
        return QStringLiteral("%1: no such program").arg(program);
    case Kind::NotExecutable:
        return QStringLiteral("%1: not an executable program").arg(program);
    case Kind::Qt6:
        return QStringLiteral("%1 is built against Qt 6; Corvella attaches to Qt 5 Widgets programs only").arg(program);
    case Kind::Qt5WithoutWidgets:
        return QStringLiteral("%1 is a Qt 5 program without Qt Widgets (Qt Quick and QML cannot be driven)")
            .arg(program);
    case Kind::NoQt:
        return QStringLiteral("%1 is not a Qt 5 Widgets program: it links no Qt library (a static Qt cannot be "
                              "attached to)")
            .arg(program);
    case Kind::QtWidgets5:
    case Kind::Script:
        break;
    }
    return QString();
}

} // namespace ProgramCheck
