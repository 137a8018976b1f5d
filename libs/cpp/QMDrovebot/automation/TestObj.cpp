#include "TestObj.h"

#include <QMDrovebot/engine/ScriptEngine.h>

#include <QScriptContext>
#include <QScriptContextInfo>

namespace QMDrovebot {

namespace {

// As a script would write the text: a line break, a tab or another control
// character would be invisible or break the line, so they are escaped, and so
// is the backslash, so "a\\nb" and "a" line feed "b" read differently.
QString quoted(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        static const char names[] = "btnvfr"; // \b \t \n \v \f \r: codes 8 to 13
        const ushort u = c.unicode();
        if (u == '\\')
            out += QLatin1String("\\\\");
        else if (u >= 8 && u <= 13)
            out += QLatin1String("\\") + QLatin1Char(names[u - 8]);
        else if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else if (u == 0x2028 || u == 0x2029)
            out += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

TestObj::TestObj(QObject *parent)
    : QObject(parent)
{
}

void TestObj::compare(const QString &actual, const QString &expected)
{
    if (actual != expected)
        fail(QStringLiteral("Test.compare failed: actual %1, expected %2").arg(quoted(actual), quoted(expected)));
}

void TestObj::compare(bool actual, bool expected)
{
    if (actual != expected)
        fail(QStringLiteral("Test.compare failed: actual %1, expected %2").arg(boolText(actual), boolText(expected)));
}

void TestObj::compare(int actual, int expected)
{
    if (actual != expected)
        fail(QStringLiteral("Test.compare failed: actual %1, expected %2").arg(actual).arg(expected));
}

void TestObj::verify(bool condition)
{
    if (!condition)
        fail(QStringLiteral("Test.verify failed: the condition is false"));
}

void TestObj::fail(const QString &what)
{
    const int line = scriptLine();
    QString text = what;
    if (line > 0)
        text += QStringLiteral(" (line %1)").arg(line);
    // The output pane takes HTML; the compared texts are shown literally.
    emit testOutput(text.toHtmlEscaped());
}

int TestObj::scriptLine() const
{
    QScriptContext *ctx = context();
    if (!ctx)
        return -1;
    // The slot's own context is native and has no line; the first caller
    // with one is the script statement.
    int line = -1;
    for (QScriptContext *c = ctx; c && line <= 0; c = c->parentContext())
        line = QScriptContextInfo(c).lineNumber();
    if (line <= 0)
        return -1;
    if (ScriptEngine *own = ScriptEngine::from(engine()))
        line -= own->mainProgramLineOffset();
    return line;
}

} // namespace QMDrovebot
