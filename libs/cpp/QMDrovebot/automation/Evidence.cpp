#include "Evidence.h"

#include "ScriptDialogs.h"

#include <MTools/CheckedSaveFile.h>
#include <QMDrovebot/ids/ScriptWindows.h>
#include <QMDrovebot/ids/WidgetIds.h>

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QRegularExpression>
#include <QWidget>

namespace QMDrovebot {

namespace {

QString quoted(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('"'), QLatin1String("\\\""))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

void describe(QWidget *widget, int depth, const QHash<const QWidget *, QString> &ids, QString &out)
{
    const QRect g = widget->geometry();
    out += QString(depth * 2, QLatin1Char(' ')) + QString::fromLatin1(widget->metaObject()->className());
    out += QStringLiteral(" name=") + quoted(widget->objectName());
    if (widget->isWindow())
        out += QStringLiteral(" title=") + quoted(widget->windowTitle());
    out += QStringLiteral(" geometry=%1,%2 %3x%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height());
    out += widget->isVisible() ? QStringLiteral(" visible") : QStringLiteral(" hidden");
    out += widget->isEnabled() ? QStringLiteral(" enabled") : QStringLiteral(" disabled");
    const QString id = ids.value(widget);
    if (!id.isEmpty())
        out += QStringLiteral(" id=") + quoted(id);
    out += QLatin1Char('\n');
    for (QObject *child : widget->children()) {
        if (child->isWidgetType() && !static_cast<QWidget *>(child)->isWindow())
            describe(static_cast<QWidget *>(child), depth + 1, ids, out);
    }
}

// A file name made of what the window shows, so the pictures sort and read
// well in a CI server's artifact list.
QString pictureName(int number, const QWidget *window)
{
    QString label = window->windowTitle().isEmpty() ? QString::fromLatin1(window->metaObject()->className())
                                                    : window->windowTitle();
    label.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]+")), QStringLiteral("_"));
    return QStringLiteral("window-%1-%2.png").arg(number).arg(label.left(40));
}

} // namespace

QString Evidence::widgetTree()
{
    const QHash<const QWidget *, QString> ids = WidgetIds::currentIds();
    QString out;
    const QWidgetList topLevels = ScriptWindows::topLevels();
    for (QWidget *top : topLevels)
        describe(top, 0, ids, out);
    return out;
}

Evidence::Snapshot Evidence::capture()
{
    Snapshot snapshot;
    snapshot.widgetTree = widgetTree();
    const QWidgetList topLevels = ScriptWindows::topLevels();
    for (QWidget *top : topLevels) {
        if (top->isVisible())
            snapshot.pictures.append({pictureName(snapshot.pictures.size() + 1, top), ScriptDialogs::grab(top)});
    }
    return snapshot;
}

QString Evidence::write(const QString &folder, const QString &scriptPath, const QString &outputText, QString *error)
{
    return write(folder, scriptPath, outputText, capture(), error);
}

QString Evidence::write(const QString &folder, const QString &scriptPath, const QString &outputText,
                        const Snapshot &snapshot, QString *error)
{
    QString base = QFileInfo(scriptPath).completeBaseName();
    // A name that starts with "-" reads as an option to the tools that
    // handle the folder later.
    if (base.isEmpty() || base.startsWith(QLatin1Char('-')))
        base.prepend(QLatin1Char('_'));
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QDir root(folder);
    QString name = base + QLatin1Char('-') + stamp;
    for (int n = 2; root.exists(name); ++n)
        name = base + QLatin1Char('-') + stamp + QLatin1Char('-') + QString::number(n);
    if (!root.mkpath(name)) {
        if (error)
            *error = QStringLiteral("cannot create %1").arg(root.filePath(name));
        return QString();
    }
    const QDir dir(root.filePath(name));
    // The first file that could not be written, and why: a folder that holds
    // half the evidence (or an empty picture) is no evidence.
    QString failure;
    const auto save = [&dir, &failure](const QString &file, const QByteArray &bytes) {
        QString reason;
        if (failure.isEmpty() && !MTools::CheckedSaveFile::writeFile(dir.filePath(file), bytes, &reason))
            failure = QStringLiteral("cannot write %1: %2").arg(dir.filePath(file), reason);
    };
    save(QStringLiteral("output-pane.txt"), outputText.toUtf8());
    if (!snapshot.widgetTree.isEmpty())
        save(QStringLiteral("widgets.txt"), snapshot.widgetTree.toUtf8());
    for (const auto &picture : snapshot.pictures) {
        // Encoded in memory and saved like the texts: the image writer's own
        // file reports no failed flush. Light compression: the pictures are
        // read once, and writing them must not hold up a failing suite.
        QBuffer bytes;
        bytes.open(QIODevice::WriteOnly);
        picture.second.save(&bytes, "PNG", 90);
        save(picture.first, bytes.data());
    }
    if (!failure.isEmpty()) {
        if (error)
            *error = failure;
        return QString();
    }
    return QFileInfo(dir.path()).absoluteFilePath();
}

} // namespace QMDrovebot
