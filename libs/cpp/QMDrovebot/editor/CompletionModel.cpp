#include "CompletionModel.h"

#include <QMDrovebot/automation/ScriptApi.h>

#include <QFile>
#include <QMetaMethod>
#include <QRegularExpression>
#include <QScriptEngine>
#include <QScriptValueIterator>
#include <QSet>

#include <algorithm>

// Outside any namespace, as the resource system wants it.
static void initReference()
{
    Q_INIT_RESOURCE(reference);
}

namespace QMDrovebot {

namespace {

// The reference's words for one line: Markdown taken out, the first
// sentence only, and never so long that a list row becomes unreadable.
QString firstSentence(QString text)
{
    static const QRegularExpression link(QStringLiteral("\\[([^\\]]*)\\]\\([^)]*\\)"));
    static const QRegularExpression end(QStringLiteral("(?<!e\\.g)(?<!i\\.e)\\.(?=\\s|$)"));
    text.replace(link, QStringLiteral("\\1"));
    text.remove(QStringLiteral("**"));
    text.remove(QLatin1Char('`'));
    text = text.simplified();
    const QRegularExpressionMatch stop = end.match(text);
    if (stop.hasMatch())
        text.truncate(stop.capturedEnd());
    constexpr int kLongest = 140;
    if (text.size() > kLongest)
        text = text.left(kLongest - 1).trimmed() + QChar(0x2026);
    return text;
}

QStringList codeSpans(const QString &text)
{
    static const QRegularExpression span(QStringLiteral("`([A-Za-z_$][\\w$]*)[^`]*`"));
    QStringList names;
    for (auto it = span.globalMatch(text); it.hasNext();)
        names << it.next().captured(1);
    return names;
}

// What a bare engine already has is plain ECMAScript, not the script API.
const QSet<QString> &bareGlobals()
{
    static const QSet<QString> names = [] {
        QSet<QString> result;
        QScriptEngine bare;
        for (QScriptValueIterator it(bare.globalObject()); it.hasNext();) {
            it.next();
            result.insert(it.name());
        }
        return result;
    }();
    return names;
}

} // namespace

QString CompletionModel::Entry::display() const
{
    return summary.isEmpty() ? name + arguments : name + arguments + QStringLiteral(" \u2014 ") + summary;
}

CompletionModel::References CompletionModel::parseReference(const QString &markdown)
{
    References references;
    const QStringList lines = markdown.split(QLatin1Char('\n'));
    static const QRegularExpression heading(
        QStringLiteral("^### `([A-Za-z_$][\\w$]*(?:\\.[A-Za-z_$][\\w$]*)?)(\\([^`]*\\))?`"));
    for (int i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch match = heading.match(lines.at(i));
        if (!match.hasMatch())
            continue;
        QString paragraph;
        for (int j = i + 1; j < lines.size(); ++j) {
            const QString line = lines.at(j).trimmed();
            if (line.isEmpty() && paragraph.isEmpty())
                continue;
            if (line.isEmpty() || line.startsWith(QLatin1String("```")) || line.startsWith(QLatin1Char('|')) ||
                line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1String("<!--")))
                break;
            paragraph += QLatin1Char(' ') + line;
        }
        references.insert(match.captured(1), {match.captured(2), firstSentence(paragraph)});
    }

    // Tables of members: the first cell names them, the second describes
    // them, often only by the global function they behave like.
    static const QRegularExpression member(QStringLiteral("`([A-Za-z_$][\\w$]*\\.[A-Za-z_$][\\w$]*)(\\([^`]*\\))`"));
    static const QRegularExpression onlyCode(QStringLiteral("^(`[^`]*`[\\s,]*)+$"));
    for (const QString &line : lines) {
        const QStringList cells = line.split(QLatin1Char('|'));
        if (!line.startsWith(QLatin1Char('|')) || cells.size() < 4)
            continue;
        const QString description = cells.at(2).trimmed();
        const bool refers =
            description.startsWith(QLatin1String("the global function")) || onlyCode.match(description).hasMatch();
        const QStringList spans = codeSpans(description);
        QStringList names;
        QStringList arguments;
        for (auto it = member.globalMatch(cells.at(1)); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            names << match.captured(1);
            arguments << match.captured(2);
        }
        for (int k = 0; k < names.size(); ++k) {
            if (references.contains(names.at(k)))
                continue;
            QString summary = firstSentence(description);
            if (refers) {
                QString global = names.at(k).section(QLatin1Char('.'), 1);
                if (!references.contains(global))
                    global = spans.size() == names.size() ? spans.at(k) : spans.value(0);
                summary = references.value(global).summary;
            }
            references.insert(names.at(k), {arguments.at(k), summary});
        }
    }

    // Members only mentioned in passing still have their arguments.
    for (auto it = member.globalMatch(markdown); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (!references.contains(match.captured(1)))
            references.insert(match.captured(1), {match.captured(2), QString()});
    }
    return references;
}

const CompletionModel::References &CompletionModel::builtInReference()
{
    static const References references = [] {
        initReference();
        QFile file(QStringLiteral(":/corvella/scripting.md"));
        return parseReference(file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString());
    }();
    return references;
}

QList<CompletionModel::Entry> CompletionModel::entries(QScriptEngine *engine, const QString &qualifier,
                                                       const References &reference)
{
    QList<Entry> result;
    if (!engine)
        return result;
    const QStringList published = ScriptApi::publishedNames(engine);
    const QScriptValue global = engine->globalObject();
    if (qualifier.isEmpty()) {
        for (QScriptValueIterator it(global); it.hasNext();) {
            it.next();
            const QString name = it.name();
            const QScriptValue value = it.value();
            if (bareGlobals().contains(name))
                continue;
            const Reference doc = reference.value(name);
            if (value.isQObject() && published.contains(name))
                result.append({name, QString(), doc.summary, false});
            // Functions a script defined stay in the engine too; only the
            // native ones are the API.
            else if (value.isFunction() && value.toString().contains(QLatin1String("[native code]")))
                result.append(
                    {name, doc.arguments.isEmpty() ? QStringLiteral("()") : doc.arguments, doc.summary, true});
        }
    } else if (published.contains(qualifier)) {
        const QObject *object = global.property(qualifier).toQObject();
        const QMetaObject *meta = object ? object->metaObject() : nullptr;
        QSet<QString> seen;
        for (int i = QObject::staticMetaObject.methodCount(); meta && i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            const QString name = QString::fromLatin1(method.name());
            if (method.access() != QMetaMethod::Public || method.methodType() == QMetaMethod::Signal ||
                method.methodType() == QMetaMethod::Constructor || name.startsWith(QLatin1String("_q_")) ||
                seen.contains(name))
                continue;
            seen.insert(name);
            const Reference doc = reference.value(qualifier + QLatin1Char('.') + name);
            QStringList parameters;
            for (const QByteArray &parameter : method.parameterNames())
                parameters << QString::fromLatin1(parameter);
            const QString arguments = doc.arguments.isEmpty()
                                          ? QLatin1Char('(') + parameters.join(QStringLiteral(", ")) + QLatin1Char(')')
                                          : doc.arguments;
            // An undocumented member of a documented object (a slot of the
            // text edit behind `output`) says whose it is.
            result.append(
                {name, arguments, doc.summary.isEmpty() ? reference.value(qualifier).summary : doc.summary, true});
        }
    }
    std::sort(result.begin(), result.end(),
              [](const Entry &a, const Entry &b) { return a.name.compare(b.name, Qt::CaseInsensitive) < 0; });
    return result;
}

QList<CompletionModel::Entry> CompletionModel::matching(const QList<Entry> &entries, const QString &prefix)
{
    QList<Entry> result;
    for (const Entry &entry : entries) {
        if (entry.name.startsWith(prefix, Qt::CaseInsensitive))
            result.append(entry);
    }
    return result;
}

} // namespace QMDrovebot
