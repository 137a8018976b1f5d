#include "IncludeExpander.h"

#include "SyntaxCheck.h"

#include <MTools/BoundedFile.h>

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QScriptContext>
#include <QScriptEngine>
#include <QScriptEngineAgent>

namespace QMDrovebot {

namespace {

const QString kInclude = QStringLiteral("include");
constexpr int kCheckTimeLimitMs = 5000;

// Ends a bare engine's evaluation once it has run too long. The engine calls
// positionChange() for every statement, so even a tight loop is caught
// without processing any user-interface events.
class TimeLimitAgent : public QScriptEngineAgent
{
public:
    explicit TimeLimitAgent(QScriptEngine *engine)
        : QScriptEngineAgent(engine)
    {
        m_clock.start();
    }

    void positionChange(qint64, int, int) override
    {
        if (++m_steps % 4096 != 0 || m_aborted || m_clock.elapsed() < kCheckTimeLimitMs)
            return;
        m_aborted = true;
        QScriptEngine *e = engine();
        e->abortEvaluation(e->currentContext()->throwError(
            QStringLiteral("the included file ran longer than %1 seconds").arg(kCheckTimeLimitMs / 1000)));
    }

    bool timedOut() const { return m_aborted; }

private:
    QElapsedTimer m_clock;
    quint64 m_steps = 0;
    bool m_aborted = false;
};

} // namespace

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// The end of the string or regular-expression literal that opens at
// `start`: the index after its closing character, or the end of its line
// when it is not closed there (the evaluator would reject it anyway).
int literalEnd(const QString &text, int start, bool *closed = nullptr)
{
    const QChar close = text.at(start);
    bool inClass = false;
    if (closed)
        *closed = false;
    int i = start + 1;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n'))
            return i;
        if (c == QLatin1Char('\\')) {
            ++i;
        } else if (close == QLatin1Char('/') && c == QLatin1Char('[')) {
            inClass = true;
        } else if (inClass && c == QLatin1Char(']')) {
            inClass = false;
        } else if (c == close && !inClass) {
            if (closed)
                *closed = true;
            return i + 1;
        }
    }
    return i;
}

// Whether a "/" after `previous` (the last word or sign outside blanks and
// comments) opens a regular expression rather than dividing.
bool regexMayFollow(const QString &previous)
{
    if (previous.isEmpty())
        return true;
    const QChar last = previous.at(previous.size() - 1);
    if (isNameChar(last)) {
        static const QStringList keywords = {
            QStringLiteral("return"), QStringLiteral("typeof"), QStringLiteral("case"),      QStringLiteral("do"),
            QStringLiteral("else"),   QStringLiteral("in"),     QStringLiteral("new"),       QStringLiteral("delete"),
            QStringLiteral("void"),   QStringLiteral("throw"),  QStringLiteral("instanceof")};
        return keywords.contains(previous);
    }
    return last != QLatin1Char(')') && last != QLatin1Char(']') && last != QLatin1Char('}') &&
           last != QLatin1Char('"') && last != QLatin1Char('\'') && last != QLatin1Char('/');
}

// After the word include at `p`: blanks, "(", blanks and a quoted name. The
// name is taken as written, escapes and all.
bool readCall(const QString &text, int p, QString *name)
{
    int i = p + kInclude.size();
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    if (i >= text.size() || text.at(i) != QLatin1Char('('))
        return false;
    ++i;
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    if (i >= text.size() || (text.at(i) != QLatin1Char('"') && text.at(i) != QLatin1Char('\'')))
        return false;
    bool closed = false;
    const int end = literalEnd(text, i, &closed);
    if (!closed)
        return false;
    *name = text.mid(i + 1, end - i - 2);
    return true;
}

} // namespace

QStringList IncludeExpander::includedNames(const QString &text)
{
    // One pass over the program's tokens as far as they matter here:
    // comments, string and regular-expression literals are skipped whole, so
    // a word inside them never counts.
    QStringList names;
    QString previous;
    const int size = text.size();
    int i = 0;
    while (i < size) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < size ? text.at(i + 1) : QChar();
        if (isBlank(c)) {
            ++i;
        } else if (c == QLatin1Char('/') && next == QLatin1Char('/')) {
            const int end = text.indexOf(QLatin1Char('\n'), i);
            i = end < 0 ? size : end;
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            const int end = text.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? size : end + 2;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'') ||
                   (c == QLatin1Char('/') && regexMayFollow(previous))) {
            i = literalEnd(text, i);
            previous = c;
        } else if (isNameChar(c)) {
            int end = i + 1;
            while (end < size && isNameChar(text.at(end)))
                ++end;
            const QStringRef word = text.midRef(i, end - i);
            // A member of another object (x.include) is no include call.
            const bool member = previous == QLatin1String(".");
            QString name;
            if (word == kInclude && !member && readCall(text, i, &name))
                names.append(name);
            previous = word.toString();
            i = end;
        } else {
            previous = c;
            ++i;
        }
    }
    return names;
}

QString IncludeExpander::resolve(const QString &name, const QString &documentPath)
{
    if (name.contains(QLatin1Char('/')))
        return name;
    const QString dir = documentPath.isEmpty() ? QString() : QFileInfo(documentPath).absolutePath();
    return dir + QLatin1Char('/') + name;
}

bool IncludeExpander::readFile(const QString &path, QString *contents)
{
    QByteArray bytes;
    if (MTools::BoundedFile::read(path, maximumFileSize, &bytes) != MTools::BoundedFile::Ok)
        return false;
    const int zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    *contents = QString::fromUtf8(bytes);
    return true;
}

QString IncludeExpander::fileBlock(const QString &path, const QString &contents)
{
    return QStringLiteral("\n // ------- included file \"") + path + QStringLiteral("\"--------\n") + contents +
           QLatin1Char('\n');
}

int IncludeExpander::lineCount(const QString &text)
{
    int lines = 0;
    const int size = text.size();
    for (int i = 0; i < size; ++i) {
        const ushort c = text.at(i).unicode();
        if (c == '\n' || c == '\r') {
            ++lines;
            if (i + 1 < size && text.at(i + 1).unicode() == (c == '\n' ? '\r' : '\n'))
                ++i;
        } else if (c == 0x2028 || c == 0x2029) {
            ++lines;
        }
    }
    return lines;
}

void IncludeExpander::ignoreIncludes(QScriptEngine *engine)
{
    engine->globalObject().setProperty(
        kInclude, engine->newFunction([](QScriptContext *, QScriptEngine *e) { return e->nullValue(); }));
}

QString IncludeExpander::missingFileText(const QString &path)
{
    return QStringLiteral("Error: The included file\"") + path.toHtmlEscaped() + QStringLiteral("\" does not exist");
}

QString IncludeExpander::unreadableFileText(const QString &path)
{
    return QStringLiteral("Error: The included file\"") + path.toHtmlEscaped() + QStringLiteral("\" can not be opened");
}

namespace {

// `timedOut` tells a verdict that depends on the machine's speed.
QString checkContents(const QString &path, const QString &contents, bool *timedOut)
{
    // The texts are HTML for the output pane, so the file's path and the
    // engine's texts are escaped ("<global>()" in a backtrace is no tag).
    const QString shownPath = path.toHtmlEscaped();
    const SyntaxVerdict syntax = checkProgramSyntax(contents);
    if (!syntax.valid) {
        return QStringLiteral("Syntax error in included file:\"") + shownPath + QStringLiteral("\" ") +
               syntax.message.toHtmlEscaped() + QStringLiteral("<BR>") + QStringLiteral("Line: ") +
               QString::number(syntax.line) + QStringLiteral("<BR> Column: ") + QString::number(syntax.column);
    }

    QScriptEngine engine;
    IncludeExpander::ignoreIncludes(&engine);
    TimeLimitAgent agent(&engine);
    engine.setAgent(&agent);
    engine.evaluate(contents, QString(), 1);
    engine.setAgent(nullptr);
    *timedOut = agent.timedOut();
    if (!engine.hasUncaughtException())
        return QString();

    // Under an agent the engine keeps no backtrace, nor a line for a thrown
    // value that is no Error. A file that failed by itself (not by the time
    // limit) fails alike without one, so it runs once more in a fresh engine
    // whose report carries the engine's own line and backtrace.
    QScriptEngine plain;
    IncludeExpander::ignoreIncludes(&plain);
    const QScriptEngine *reporter = &engine;
    if (!agent.timedOut()) {
        plain.evaluate(contents, QString(), 1);
        if (plain.hasUncaughtException())
            reporter = &plain;
    }
    return QStringLiteral("Evaluation Error in included file:\"") + shownPath + QStringLiteral("\"<BR>nLine") +
           QString::number(reporter->uncaughtExceptionLineNumber()) + QStringLiteral("<BR>") +
           reporter->uncaughtException().toString().toHtmlEscaped() + QStringLiteral("<BR>Backtrace: ") +
           reporter->uncaughtExceptionBacktrace().join(QLatin1Char('\n')).toHtmlEscaped();
}

} // namespace

QString checkIncludedFile(const QString &path)
{
    QString contents;
    bool readable = false;
    return checkIncludedFile(path, &contents, &readable);
}

QString checkIncludedFile(const QString &path, QString *readContents, bool *readable)
{
    readContents->clear();
    *readable = false;
    if (!QFileInfo::exists(path))
        return IncludeExpander::missingFileText(path);
    if (!IncludeExpander::readFile(path, readContents))
        return IncludeExpander::unreadableFileText(path);
    *readable = true;
    const QString &contents = *readContents;

    // Every Run assembles the program twice and checks each file each time,
    // in a new engine; with many files that is most of a Run. The verdict
    // depends only on the path (it is part of the text) and the contents, so
    // it is kept per path until the contents change. Only a file whose
    // top-level code depends on the clock or on chance could tell the
    // difference; a file stopped by the time limit is checked again.
    // A digest stands for the contents, so the cache holds no copy of the
    // files it has seen.
    struct Verdict
    {
        QByteArray digest;
        QString text;
    };
    static QHash<QString, Verdict> verdicts;
    const QByteArray digest = QCryptographicHash::hash(
        QByteArray::fromRawData(reinterpret_cast<const char *>(contents.constData()), contents.size() * 2),
        QCryptographicHash::Md5);
    const auto known = verdicts.constFind(path);
    if (known != verdicts.constEnd() && known->digest == digest)
        return known->text;
    bool timedOut = false;
    const QString text = checkContents(path, contents, &timedOut);
    if (!timedOut)
        verdicts.insert(path, Verdict{digest, text});
    return text;
}

} // namespace QMDrovebot
