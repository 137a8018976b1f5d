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

QStringList IncludeExpander::includedNames(const QString &text)
{
    QStringList names;
    int p = text.indexOf(kInclude);
    if (p < 0)
        return names;

    // Only the first occurrence is tested for a comment.
    for (int i = p - 1; i > 0 && text.at(i) != QLatin1Char('\n'); --i) {
        if (text.at(i) == QLatin1Char('/') && text.at(i - 1) == QLatin1Char('/'))
            return names;
    }
    const QStringRef before = text.leftRef(p);
    if (before.count(QLatin1String("/*")) != before.count(QLatin1String("*/")))
        return names;

    while (p >= 0) {
        const int q1 = text.indexOf(QLatin1Char('"'), p);
        if (q1 < 0)
            break;
        const int q2 = text.indexOf(QLatin1Char('"'), q1 + 1);
        if (q2 < 0)
            break;
        names.append(text.mid(q1 + 1, q2 - q1 - 1));
        p = text.indexOf(kInclude, q2);
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
