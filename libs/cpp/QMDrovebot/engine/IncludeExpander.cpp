#include "IncludeExpander.h"

#include "ScriptEngine.h"
#include "SyntaxCheck.h"
#include "ValueTexts.h"

#include <MTools/BoundedFile.h>

#include <QCryptographicHash>
#include <QFileInfo>
#include <QHash>
#include <QScriptContext>
#include <QScriptEngine>
#include <QTimer>

namespace QMDrovebot {

namespace {

const QString kInclude = QStringLiteral("include");
constexpr int kCheckTimeLimitMs = 5000;
// How often a check lets events through: the window repaints, and the
// run's time limit, its signals and Stop reach the check.
constexpr int kCheckEventIntervalMs = 50;

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

// `settled`: false when the verdict depends on the moment (the check ran
// out of time, or the run it belongs to was stopped).
QString checkContents(const QString &path, const QString &contents, bool *settled)
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

    // Bounded by time, not by statements: an empty endless loop has none.
    // No agent counts anything, so the check computes at the engine's speed.
    QScriptEngine engine;
    IncludeExpander::ignoreIncludes(&engine);
    const ValueTexts texts(&engine);
    engine.setProcessEventsInterval(kCheckEventIntervalMs);
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &engine, [&engine] {
        engine.abortEvaluation(engine.currentContext()->throwError(
            QStringLiteral("the included file ran longer than %1 seconds").arg(kCheckTimeLimitMs / 1000)));
    });
    ScriptEngine *run = ScriptEngine::preparingEngine();
    if (run) {
        QObject::connect(run, &ScriptEngine::interrupted, &engine, [&engine] { engine.abortEvaluation(); });
    }
    limit.start(kCheckTimeLimitMs);
    engine.evaluate(contents, QString(), 1);
    *settled = limit.isActive() && !(run && run->isInterrupted());
    limit.stop();
    if (!engine.hasUncaughtException())
        return QString();
    return QStringLiteral("Evaluation Error in included file:\"") + shownPath + QStringLiteral("\"<BR>nLine") +
           QString::number(engine.uncaughtExceptionLineNumber()) + QStringLiteral("<BR>") +
           texts.text(engine.uncaughtException()).toHtmlEscaped() + QStringLiteral("<BR>Backtrace: ") +
           engine.uncaughtExceptionBacktrace().join(QLatin1Char('\n')).toHtmlEscaped();
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
    // difference. A verdict of the moment (the check ran out of time, or
    // the run was stopped) holds for the rest of its run only: a file is
    // checked at most once per run, and again in the next.
    // A digest stands for the contents, so the cache holds no copy of the
    // files it has seen.
    struct Verdict
    {
        QByteArray digest;
        QString text;
        int runId; // 0: settled
    };
    static QHash<QString, Verdict> verdicts;
    const ScriptEngine *run = ScriptEngine::preparingEngine();
    const int runId = run ? run->runId() : 0;
    const QByteArray digest = QCryptographicHash::hash(
        QByteArray::fromRawData(reinterpret_cast<const char *>(contents.constData()), contents.size() * 2),
        QCryptographicHash::Md5);
    const auto known = verdicts.constFind(path);
    if (known != verdicts.constEnd() && known->digest == digest && (known->runId == 0 || known->runId == runId))
        return known->text;
    // A stopped run checks nothing more.
    if (run && run->isInterrupted())
        return QString();
    bool settled = true;
    const QString text = checkContents(path, contents, &settled);
    if (settled || run)
        verdicts.insert(path, Verdict{digest, text, settled ? 0 : runId});
    return text;
}

} // namespace QMDrovebot
