#include "SyntaxCheck.h"

#include <QScriptEngine>
#include <QScriptValue>

#include <vector>

namespace QMDrovebot {

namespace {

// Parses `program` as the body of a function that is never called; a bare
// engine keeps the compiled function away from the user's globals.
QScriptValue evaluatorParse(const QString &program, QScriptEngine &parser)
{
    QScriptValue functionConstructor = parser.globalObject().property(QStringLiteral("Function"));
    functionConstructor.construct(QScriptValueList() << QScriptValue(program));
    return parser.hasUncaughtException() ? parser.uncaughtException() : QScriptValue();
}

// Where the comment that starts at `i` ends (the index to go on from), or
// -1 when none starts there.
int commentEnd(const QString &program, int i)
{
    const int size = program.size();
    const QChar *text = program.constData();
    const ushort next = i + 1 < size ? text[i + 1].unicode() : 0;
    if (text[i] != QLatin1Char('/'))
        return -1;
    if (next == '/') {
        while (i < size && text[i] != QLatin1Char('\n'))
            ++i;
        return i;
    }
    if (next == '*') {
        const int end = program.indexOf(QLatin1String("*/"), i + 2);
        return end < 0 ? size : end + 1;
    }
    return -1;
}

// Where the string, template or regular expression opened at `i` ends: its
// closing character, the line end that cuts it short, or the text's end.
int literalEnd(const QString &program, int i)
{
    const int size = program.size();
    const QChar *text = program.constData();
    const ushort c = text[i].unicode();
    bool inClass = false;
    for (++i; i < size; ++i) {
        const ushort u = text[i].unicode();
        if (u == '\\') {
            ++i;
        } else if (c == '/' && inClass) {
            inClass = u != ']';
        } else if (c == '/' && u == '[') {
            inClass = true;
        } else if (u == c || (c != '`' && u == '\n')) {
            break;
        }
    }
    return i;
}

// A keyword waits for what follows it, like an operator.
bool waitsForOperand(const QStringRef &word)
{
    return word == QLatin1String("return") || word == QLatin1String("function") || word == QLatin1String("typeof") ||
           word == QLatin1String("new") || word == QLatin1String("delete") || word == QLatin1String("void") ||
           word == QLatin1String("throw") || word == QLatin1String("in") || word == QLatin1String("instanceof") ||
           word == QLatin1String("case");
}

} // namespace

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

bool evaluatorAcceptsProgram(const QString &program)
{
    QScriptEngine parser;
    return !evaluatorParse(program, parser).isValid();
}

int parserNestingEstimate(const QString &program)
{
    // Each bracket holds its own and the pending operators' states; a
    // separator reduces what is pending down to the bracket's base.
    std::vector<int> bases;
    int depth = 0;
    int deepest = 0;
    bool operandEnded = false; // what came last ends an operand: a "/" divides
    const int size = program.size();
    const QChar *text = program.constData();
    for (int i = 0; i < size; ++i) {
        const ushort c = text[i].unicode();
        const int comment = commentEnd(program, i);
        if (comment >= 0) {
            i = comment;
            continue;
        }
        if (c == '"' || c == '\'' || c == '`' || (c == '/' && !operandEnded)) {
            i = literalEnd(program, i);
            operandEnded = true;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            continue;
        if (isNameChar(text[i])) {
            int end = i;
            while (end + 1 < size && isNameChar(text[end + 1]))
                ++end;
            const bool keyword = waitsForOperand(program.midRef(i, end - i + 1));
            if (keyword)
                depth += 2;
            operandEnded = !keyword;
            i = end;
        } else if (c == '(' || c == '[' || c == '{') {
            bases.push_back(depth);
            depth += 2;
            operandEnded = false;
        } else if (c == ')' || c == ']' || c == '}') {
            if (!bases.empty()) {
                depth = bases.back();
                bases.pop_back();
            }
            operandEnded = c != '}';
        } else if (c == ',' || c == ';') {
            depth = bases.empty() ? 0 : bases.back() + 2;
            operandEnded = false;
        } else if (c != '.') {
            // An operator; a run of operator characters may be several
            // (a unary minus after "="), so each further one counts too.
            depth += 2;
            while (i + 1 < size && QByteArrayLiteral("=<>!&|+-*%^~?:").contains(char(text[i + 1].unicode()))) {
                ++i;
                ++depth;
            }
            operandEnded = false;
        }
        deepest = std::max(deepest, depth);
    }
    return deepest;
}

SyntaxVerdict checkProgramSyntax(const QString &program)
{
    SyntaxVerdict verdict;
    if (parserNestingEstimate(program) <= maximumStaticCheckNesting) {
        const QScriptSyntaxCheckResult result = QScriptEngine::checkSyntax(program);
        if (result.state() == QScriptSyntaxCheckResult::Valid || evaluatorAcceptsProgram(program))
            return verdict;
        verdict.valid = false;
        verdict.line = result.errorLineNumber();
        verdict.column = result.errorColumnNumber();
        verdict.message = result.errorMessage();
        return verdict;
    }
    QScriptEngine parser;
    const QScriptValue error = evaluatorParse(program, parser);
    if (!error.isValid())
        return verdict;
    verdict.valid = false;
    verdict.line = parser.uncaughtExceptionLineNumber();
    verdict.message = error.property(QStringLiteral("message")).toString();
    return verdict;
}

} // namespace QMDrovebot
