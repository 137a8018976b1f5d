#include "TestObj.h"

#include <QMDrovebot/engine/ScriptEngine.h>

#include <QScriptContext>
#include <QScriptContextInfo>

namespace QMDrovebot {

namespace {

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
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
