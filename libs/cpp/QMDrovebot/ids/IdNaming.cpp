#include "IdNaming.h"

#include <QHash>
#include <QSet>
#include <QVector>

#include <algorithm>
#include <climits>
#include <set>
#include <utility>

namespace QMDrovebot {

namespace {

const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcefghijklmnopqrstuvwxyz";
constexpr int kBase = 61;
static_assert(sizeof(kDigits) - 1 == kBase, "the alphabet has 61 symbols");

const QString kMarker = QStringLiteral("?/");

QString escaped(QString text)
{
    return text.replace(QLatin1Char('/'), QLatin1Char('_'));
}

QString reversed(const QString &text)
{
    QString result(text.size(), Qt::Uninitialized);
    std::reverse_copy(text.cbegin(), text.cend(), result.begin());
    return result;
}

QString lastSegment(const QString &name)
{
    const QStringList parts = name.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return parts.isEmpty() ? QString() : parts.last();
}

// Names indexed by their reversed text, so "every name ending with X" is one
// range of the ordered set instead of a scan over all names. The set follows
// every rename, since later groups are formed from the current names.
class SuffixIndex
{
public:
    explicit SuffixIndex(const IdNaming::NameMap &names)
    {
        for (auto it = names.cbegin(); it != names.cend(); ++it)
            m_entries.emplace(reversed(it.value()), it.key());
    }

    void rename(IdNaming::Key key, const QString &from, const QString &to)
    {
        m_entries.erase({reversed(from), key});
        m_entries.emplace(reversed(to), key);
    }

    // Keys in ascending order, which is the name map's order.
    QVector<IdNaming::Key> endingWith(const QString &suffix) const
    {
        const QString prefix = reversed(suffix);
        QVector<IdNaming::Key> keys;
        for (auto it = m_entries.lower_bound({prefix, 0}); it != m_entries.end() && it->first.startsWith(prefix); ++it)
            keys.append(it->second);
        std::sort(keys.begin(), keys.end());
        return keys;
    }

private:
    std::set<std::pair<QString, IdNaming::Key>> m_entries;
};

} // namespace

QString IdNaming::base61(qint64 number)
{
    // Only a signature full of high Latin-1 characters sums below zero.
    const bool negative = number < 0;
    quint64 rest = negative ? 0 - quint64(number) : quint64(number);
    QString result;
    for (;;) {
        const quint64 digit = rest % kBase;
        result.prepend(QLatin1Char(kDigits[digit]));
        if (digit == rest)
            break;
        rest /= kBase;
    }
    return negative ? QLatin1Char('-') + result : result;
}

int IdNaming::signatureSum(const QString &signature)
{
    int sum = 0;
    for (const QChar c : signature) {
        if (c.unicode() <= 0xFF)
            sum += static_cast<signed char>(c.unicode());
    }
    return sum;
}

QString IdNaming::segment(const QString &savedToolTip, const QString &objectName, const QString &caption,
                          const QString &className, const QMap<QString, QString> &aliases)
{
    if (!savedToolTip.isEmpty())
        return QStringLiteral("T#") + escaped(savedToolTip);
    if (!objectName.isEmpty())
        return QStringLiteral("O#") + escaped(objectName);
    if (!caption.isEmpty())
        return QStringLiteral("L#") + escaped(caption);
    return aliases.value(className, className);
}

QString IdNaming::fullName(const QStringList &segmentsFromTop)
{
    QString name;
    for (const QString &segment : segmentsFromTop)
        name += QLatin1Char('/') + segment;
    if (name.endsWith(QLatin1Char('/')))
        name.chop(1);
    return name;
}

namespace {

// The first segment in which all the names differ, or -1.
int distinguishingSegment(const QVector<QStringList> &segments)
{
    int shortest = INT_MAX;
    for (const QStringList &parts : segments)
        shortest = std::min(shortest, int(parts.size()));
    // The top-level segment (position 0) never tells widgets apart in a
    // useful way, and the last one is the shared suffix itself.
    for (int i = 1; i <= shortest - 2; ++i) {
        QSet<QString> seen;
        bool allDifferent = true;
        for (const QStringList &parts : segments) {
            if (seen.contains(parts.at(i))) {
                allDifferent = false;
                break;
            }
            seen.insert(parts.at(i));
        }
        if (allDifferent)
            return i;
    }
    return -1;
}

} // namespace

IdNaming::NameMap IdNaming::shorten(const NameMap &names)
{
    NameMap current = names;
    SuffixIndex index(names);

    // Walk the names in text order; a stable sort keeps equal names in key
    // order, and they always end up in one group anyway.
    QVector<std::pair<QString, Key>> byName;
    byName.reserve(names.size());
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        byName.append({it.value(), it.key()});
    std::stable_sort(byName.begin(), byName.end(), [](const auto &a, const auto &b) { return a.first < b.first; });

    QSet<Key> grouped;
    const auto rename = [&](Key key, const QString &name) {
        QString &slot = current[key];
        if (slot == name)
            return;
        index.rename(key, slot, name);
        slot = name;
    };

    for (const auto &[name, key] : byName) {
        if (grouped.contains(key))
            continue;
        const QString last = lastSegment(name);
        const QVector<Key> group = index.endingWith(last);
        for (Key member : group)
            grouped.insert(member);

        if (group.size() == 1) {
            rename(group.first(), last);
            continue;
        }

        QVector<QStringList> segments;
        segments.reserve(group.size());
        for (Key member : group)
            segments.append(current.value(member).split(QLatin1Char('/'), Qt::SkipEmptyParts));
        const int position = distinguishingSegment(segments);
        for (int m = 0; m < group.size(); ++m) {
            const QString prefix = position >= 0 ? segments.at(m).at(position) + QLatin1Char('/') : kMarker;
            rename(group.at(m), prefix + last);
        }
    }
    return current;
}

bool IdNaming::hasMarker(const QString &name)
{
    return name.startsWith(kMarker);
}

namespace {

QString withNumber(const QString &name, qint64 number)
{
    return QString(name).replace(kMarker, QStringLiteral("F#") + IdNaming::base61(number) + QLatin1Char('/'));
}

} // namespace

QString IdNaming::resolveMarker(const QString &name, const QString &signature)
{
    return withNumber(name, signatureSum(signature));
}

QStringList IdNaming::resolveMarkers(const QStringList &names, const QStringList &signatures)
{
    QStringList result = names;
    QHash<QString, int> uses;
    QSet<QString> owned; // names already given for good
    for (int i = 0; i < names.size(); ++i) {
        if (hasMarker(names.at(i)))
            result[i] = resolveMarker(names.at(i), signatures.value(i));
        else
            owned.insert(names.at(i));
        ++uses[result.at(i)];
    }
    QSet<QString> taken(result.cbegin(), result.cend());
    for (int i = 0; i < names.size(); ++i) {
        if (!hasMarker(names.at(i)) || uses.value(result.at(i)) == 1)
            continue;
        if (!owned.contains(result.at(i))) {
            owned.insert(result.at(i));
            continue;
        }
        qint64 number = signatureSum(signatures.value(i));
        QString free;
        do
            free = withNumber(names.at(i), ++number);
        while (taken.contains(free));
        taken.insert(free);
        owned.insert(free);
        result[i] = free;
    }
    return result;
}

} // namespace QMDrovebot
