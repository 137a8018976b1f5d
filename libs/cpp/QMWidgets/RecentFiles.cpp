#include "RecentFiles.h"

#include "App.h"

namespace QMWidgets {

QStringList RecentFiles::add(QStringList *recent, const QString &name, const QString &current, int maximum)
{
    // One entry at most goes per call, before the new one comes in, so the
    // list settles at `maximum` entries.
    if (recent->size() > (recent->contains(name) ? maximum : maximum - 1))
        recent->removeFirst();
    if (!current.isEmpty() && !recent->contains(current))
        recent->append(current);
    QStringList shown;
    if (!name.isEmpty())
        shown.append(name);
    for (const QString &entry : qAsConst(*recent)) {
        if (entry != name)
            shown.append(entry);
    }
    App::setSettingValue(QStringLiteral("recent"), shown.join(QLatin1Char(';')));
    return shown;
}

QStringList RecentFiles::stored()
{
    return App::settingValue(QStringLiteral("recent"), QString())
        .toString()
        .split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

} // namespace QMWidgets
