#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace QMDrovebot {

// The text side of widget IDs: segments, full names, shortening and the
// "F#" resolution. Widgets are named by opaque keys (their addresses) so all
// of this runs and is tested without a display.
class IdNaming
{
public:
    using Key = quintptr;
    using NameMap = QMap<Key, QString>; // ordered by key, as the ID map is

    // "0123456789ABC...Zabc efg...z": 61 symbols, the letter d left out.
    static QString base61(qint64 number);

    // The sum of the signature's Latin-1 codes read as signed bytes, so
    // 0x80..0xFF count -128..-1; characters beyond Latin-1 count 0.
    static int signatureSum(const QString &signature);

    // One segment of a full name: "T#" tool tip, else "O#" object name, else
    // "L#" caption (button or label text), else the class name or its alias.
    static QString segment(const QString &savedToolTip, const QString &objectName, const QString &caption,
                           const QString &className, const QMap<QString, QString> &aliases);

    // "/" before each segment, top-level first.
    static QString fullName(const QStringList &segmentsFromTop);

    // Every name is cut down to what still tells its widget apart: the last
    // segment when no other name ends with it, else the first segment that
    // differs across the whole group plus the last one, else "?/" + last.
    static NameMap shorten(const NameMap &names);

    // "?/" becomes "F#" + the base-61 signature sum + "/".
    static QString resolveMarker(const QString &name, const QString &signature);
    static bool hasMarker(const QString &name);

    // Resolves every marker of `names`, given in the order the widgets are
    // walked, with `signatures` holding the signature of each marked name.
    // Sums can collide: when a resolved name is one that another widget's
    // name also is, the widget first in the walk keeps it (an unmarked name
    // always does), and each later one counts its number up by one until
    // the name is nobody's. Every other name stays as it is.
    static QStringList resolveMarkers(const QStringList &names, const QStringList &signatures);
};

} // namespace QMDrovebot
