#include "JSAsciiEncoder.h"

#include "JSMinifier.h"

#include <QChar>

#include <algorithm>

namespace {

char *escape(ushort u, char *o)
{
    static const char hex[] = "0123456789ABCDEF";
    *o++ = '\\';
    *o++ = 'u';
    *o++ = hex[(u >> 12) & 0xF];
    *o++ = hex[(u >> 8) & 0xF];
    *o++ = hex[(u >> 4) & 0xF];
    *o++ = hex[u & 0xF];
    return o;
}

bool isLineSeparator(ushort u)
{
    return u == 0x2028 || u == 0x2029;
}

// A blank to the engine, which an escape is not outside a literal.
bool isSpaceCharacter(ushort u)
{
    return u == 0xFEFF || QChar::category(uint(u)) == QChar::Separator_Space;
}

constexpr bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

constexpr bool isAsciiWordUnit(char c)
{
    return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_' || c == '$' || c == '\\';
}

// Units of code, as the loop over plain runs sees them.
enum CodeClass : std::uint8_t { WordUnit, Blank, Punctuation, Special };

struct CodeTables
{
    std::uint8_t kind[128];
    std::uint8_t wordBits[128]; // 1 to 52 for letters, 63 for the other word units
};

constexpr CodeTables makeCodeTables()
{
    CodeTables t{};
    for (int c = 0; c < 128; ++c) {
        const char ch = char(c);
        t.kind[c] = isAsciiWordUnit(ch) ? WordUnit : Punctuation;
        t.wordBits[c] = (ch >= 'a' && ch <= 'z') ? c - 'a' + 1 : ((ch >= 'A' && ch <= 'Z') ? c - 'A' + 27 : 63);
    }
    for (char c : {' ', '\t', '\n', '\r', '\v', '\f'})
        t.kind[int(c)] = Blank;
    for (char c : {'/', '"', '\'', '`', '{', '}', '(', ')'})
        t.kind[int(c)] = Special;
    return t;
}

constexpr CodeTables codeTables = makeCodeTables();

constexpr std::uint64_t packedWord(const char *word)
{
    std::uint64_t bits = 0;
    for (; *word; ++word)
        bits = bits << 6 | codeTables.wordBits[int(*word)];
    return bits;
}

struct Keyword
{
    std::uint64_t bits;
    int length;
};

// The keywords after which an operand, so possibly a regex literal, starts.
constexpr Keyword operandKeywords[] = {
    {packedWord("return"), 6}, {packedWord("typeof"), 6}, {packedWord("case"), 4}, {packedWord("delete"), 6},
    {packedWord("do"), 2},     {packedWord("else"), 4},   {packedWord("in"), 2},   {packedWord("instanceof"), 10},
    {packedWord("new"), 3},    {packedWord("throw"), 5},  {packedWord("void"), 4},
};

// The keywords whose "(" opens a statement's condition.
constexpr Keyword conditionKeywords[] = {
    {packedWord("if"), 2}, {packedWord("while"), 5}, {packedWord("for"), 3}, {packedWord("with"), 4}};

template <typename Context, size_t n> bool lastWordIsOneOf(const Context &c, const Keyword (&keywords)[n])
{
    if (c.last != 'a' || c.wordAfterDot || c.wordLength > 10)
        return false;
    for (const Keyword &keyword : keywords) {
        if (keyword.length == c.wordLength && keyword.bits == c.word)
            return true;
    }
    return false;
}

// Brings the context up to date with one unit of code of the given kind (not
// Special), for the units that codeRun() leaves to code() and for the
// literals and comments that stand in for units. codeRun() reaches the same
// context for a whole run at once.
template <typename Context> Q_ALWAYS_INLINE void track(Context &context, char c, int kind)
{
    const bool word = kind == WordUnit;
    const bool blank = kind == Blank;
    const bool previousWord = codeTables.kind[uchar(context.previous) & 0x7F] == WordUnit;
    const bool start = word && !previousWord;
    context.beforeLast = blank ? context.beforeLast : context.previous;
    context.last = blank ? context.last : (word ? 'a' : c);
    context.wordAfterDot = start ? context.previous == '.' : context.wordAfterDot;
    const std::uint64_t bits = (start ? 0 : context.word) << 6 | codeTables.wordBits[int(c)];
    context.word = word ? bits : context.word;
    context.wordLength = word ? (start ? 1 : context.wordLength + 1) : context.wordLength;
    context.previous = blank ? ' ' : c;
    context.afterCondition = blank && context.afterCondition;
}

} // namespace

// The same judgement as the minifier's: after an operator, an opening
// bracket or an operand-taking keyword a "/" opens a regex literal, after an
// operand it divides.
bool JSAsciiEncoder::slashStartsRegex() const
{
    const Context &c = m_context;
    if (JSMinifier::punctuatorPrecedesRegex(c.last) || c.afterCondition)
        return true;
    switch (c.last) {
    case '+':
    case '-':
        return c.beforeLast != c.last; // "++" and "--" end an operand
    case 'a':
        return lastWordIsOneOf(c, operandKeywords);
    default:
        return false;
    }
}

char *JSAsciiEncoder::code(ushort u, char *o)
{
    if (u >= 0x80) {
        if (isLineSeparator(u) || isSpaceCharacter(u)) {
            *o++ = isLineSeparator(u) ? '\n' : ' ';
            track(m_context, ' ', Blank);
            return o;
        }
        // Part of an identifier, where an escape is valid (or an error either way).
        track(m_context, '_', WordUnit);
        return escape(u, o);
    }
    const char c = char(u);
    *o++ = c;
    switch (c) {
    case '/':
        m_slashStartsRegex = slashStartsRegex();
        m_mode = AfterSlash;
        return o;
    case '"':
    case '\'':
    case '`':
        m_mode = c == '"' ? DoubleQuote : (c == '\'' ? SingleQuote : Template);
        m_heldBackslash = false;
        m_escapedCR = false;
        m_dollar = false;
        return o;
    case '{':
        ++m_braceDepth;
        break;
    case '}':
        if (!m_templateDepths.empty() && m_templateDepths.back() == m_braceDepth) {
            m_templateDepths.pop_back(); // back in the template literal
            m_mode = Template;
            m_dollar = false;
            return o;
        }
        if (m_braceDepth > 0)
            --m_braceDepth;
        break;
    case '(':
        if (lastWordIsOneOf(m_context, conditionKeywords))
            m_conditionDepths.push_back(m_parenDepth);
        if (!m_conditionDepths.empty())
            ++m_parenDepth;
        break;
    case ')':
        if (!m_conditionDepths.empty() && --m_parenDepth == m_conditionDepths.back()) {
            m_conditionDepths.pop_back();
            track(m_context, c, Punctuation);
            m_context.afterCondition = true;
            return o;
        }
        break;
    default:
        break;
    }
    track(m_context, c, codeTables.kind[u] == Special ? int(Punctuation) : int(codeTables.kind[u]));
    return o;
}

char *JSAsciiEncoder::comment(ushort u, char *o)
{
    if (u >= 0x80) {
        m_star = false;
        if (isLineSeparator(u)) {
            *o++ = '\n';
            if (m_mode == LineComment)
                m_mode = Code;
            return o;
        }
        if (isSpaceCharacter(u)) {
            *o++ = ' ';
            return o;
        }
        return escape(u, o);
    }
    const char c = char(u);
    *o++ = c;
    if (m_mode == LineComment) {
        if (c == '\n' || c == '\r')
            m_mode = Code;
    } else {
        if (c == '/' && m_star)
            m_mode = Code;
        m_star = c == '*';
    }
    return o;
}

char *JSAsciiEncoder::literal(ushort u, char *o)
{
    if (m_mode == Regex && (u == '\n' || u == '\r')) { // unclosed: not a regex literal after all
        if (m_heldBackslash)
            *o++ = '\\';
        m_heldBackslash = false;
        m_mode = Code;
        track(m_context, ')', Punctuation);
        return code(u, o);
    }
    if (m_heldBackslash) {
        m_heldBackslash = false;
        m_dollar = false;
        if (u == '\\') {
            *o++ = '\\';
            *o++ = '\\';
            return o;
        }
        if (u < 0x80) {
            *o++ = '\\';
            *o++ = char(u);
            m_escapedCR = u == '\r';
            return o;
        }
        if (isLineSeparator(u))
            return o;
        return escape(u, o);
    }
    if (u == '\\') {
        m_heldBackslash = true;
        m_escapedCR = false;
        m_dollar = false;
        return o;
    }
    const bool continued = m_escapedCR; // "\" CR LF continues the line like "\" LF
    m_escapedCR = false;
    if (u >= 0x80) {
        m_dollar = false;
        return escape(u, o);
    }
    const char c = char(u);
    switch (m_mode) {
    case SingleQuote:
    case DoubleQuote:
        if (c == (m_mode == SingleQuote ? '\'' : '"')) {
            *o++ = c;
            m_mode = Code;
            track(m_context, ')', Punctuation);
            return o;
        }
        if ((c == '\n' && !continued) || c == '\r') { // unclosed: the line ends it
            m_mode = Code;
            track(m_context, ')', Punctuation);
            return code(u, o);
        }
        *o++ = c;
        return o;
    case Template:
        *o++ = c;
        if (c == '`') {
            m_mode = Code;
            track(m_context, ')', Punctuation);
        } else if (c == '{' && m_dollar) {
            m_templateDepths.push_back(m_braceDepth);
            m_mode = Code;
            track(m_context, '{', Punctuation);
        }
        m_dollar = c == '$';
        return o;
    default: // Regex
        *o++ = c;
        if (m_regexClass) {
            m_regexClass = c != ']';
        } else if (c == '[') {
            m_regexClass = true;
        } else if (c == '/') {
            m_mode = Code;
            track(m_context, ')', Punctuation);
        }
        return o;
    }
}

// Copies the units of code up to the first Special or non-ASCII one, then
// brings the context up to date as track() would have, unit by unit: only the
// run's last units (trailing blanks, the word before them) can matter.
const ushort *JSAsciiEncoder::codeRun(const ushort *p, const ushort *end, char *&out)
{
    const ushort *const begin = p;
    char *o = out;
    for (; p < end; ++p) {
        const ushort u = *p;
        if (u >= 0x80 || codeTables.kind[u] == Special)
            break;
        *o++ = char(u);
    }
    out = o;
    if (p == begin)
        return p;

    Context &context = m_context;
    const char before = context.previous; // the unit before the run
    auto kindOf = [](ushort u) { return codeTables.kind[u & 0x7F]; };
    const ushort *last = p; // one past the last unit that is no blank
    while (last > begin && kindOf(last[-1]) == Blank)
        --last;
    context.previous = last == p ? char(p[-1]) : ' ';
    if (last == begin)
        return p; // blanks only
    context.afterCondition = false;
    const char unit = char(last[-1]);
    context.beforeLast = last - 1 > begin ? (kindOf(last[-2]) == Blank ? ' ' : char(last[-2])) : before;
    if (kindOf(unit) != WordUnit) {
        context.last = unit;
        return p;
    }
    context.last = 'a';
    const ushort *start = last - 1; // of the word
    while (start > begin && kindOf(start[-1]) == WordUnit)
        --start;
    const bool continues = start == begin && kindOf(uchar(before)) == WordUnit;
    std::uint64_t bits = continues ? context.word : 0;
    if (!continues) {
        context.wordAfterDot = (start > begin ? char(start[-1]) : before) == '.';
        context.wordLength = 0;
    }
    context.wordLength += int(std::min<qsizetype>(last - start, 11));
    for (const ushort *q = last - start > 10 ? last - 10 : start; q < last; ++q)
        bits = bits << 6 | codeTables.wordBits[*q];
    context.word = bits;
    return p;
}

// Copies the units of a quoted or template literal up to the first one that
// literal() must see.
const ushort *JSAsciiEncoder::quoteRun(const ushort *p, const ushort *end, char *&out)
{
    char *o = out;
    const ushort quote = m_mode == SingleQuote ? '\'' : (m_mode == DoubleQuote ? '"' : '`');
    const ushort lineEnd = m_mode == Template ? '$' : '\n'; // the template's "${" instead
    for (; p < end; ++p) {
        const ushort u = *p;
        if (u >= 0x80 || u == quote || u == '\\' || u == lineEnd || u == '\r')
            break;
        *o++ = char(u);
    }
    out = o;
    return p;
}

// Copies comment units up to the first one that comment() must see.
const ushort *JSAsciiEncoder::commentRun(const ushort *p, const ushort *end, char *&out)
{
    char *o = out;
    const ushort stop1 = m_mode == LineComment ? '\n' : '*';
    const ushort stop2 = m_mode == LineComment ? '\r' : '*';
    for (; p < end; ++p) {
        const ushort u = *p;
        if (u >= 0x80 || u == stop1 || u == stop2)
            break;
        *o++ = char(u);
    }
    out = o;
    return p;
}

void JSAsciiEncoder::encode(const QChar *text, qsizetype size, QByteArray &out)
{
    const qsizetype start = out.size();
    out.resize(int(start + 6 * size + 1)); // the worst case: every unit escaped, plus a held backslash
    char *o = out.data() + start;
    const auto *p = reinterpret_cast<const ushort *>(text);
    const ushort *const end = p + size;
    while (p < end) {
        switch (m_mode) {
        case Code:
            p = codeRun(p, end, o);
            if (p < end)
                o = code(*p++, o);
            break;
        case SingleQuote:
        case DoubleQuote:
        case Template:
            if (!(m_heldBackslash || m_escapedCR || m_dollar))
                p = quoteRun(p, end, o);
            if (p < end)
                o = literal(*p++, o);
            break;
        case LineComment:
        case BlockComment:
            if (!m_star)
                p = commentRun(p, end, o);
            if (p < end)
                o = comment(*p++, o);
            break;
        case AfterSlash: {
            const ushort u = *p++;
            if (u == '/' || u == '*') {
                *o++ = char(u);
                m_mode = u == '/' ? LineComment : BlockComment;
                m_star = false;
                track(m_context, ' ', Blank); // a comment parts what stands around it
            } else if (m_slashStartsRegex) {
                m_mode = Regex;
                m_regexClass = false;
                m_heldBackslash = false;
                o = literal(u, o);
            } else {
                track(m_context, '/', Punctuation);
                m_mode = Code;
                o = code(u, o);
            }
            break;
        }
        case Regex:
            o = literal(*p++, o);
            break;
        }
    }
    out.truncate(int(o - out.constData()));
}

void JSAsciiEncoder::finish(QByteArray &out)
{
    if (m_heldBackslash)
        out.append('\\');
    *this = JSAsciiEncoder();
}

QByteArray toJavaScriptAscii(const QString &text)
{
    QByteArray out;
    JSAsciiEncoder encoder;
    encoder.encode(text.constData(), text.size(), out);
    encoder.finish(out);
    return out;
}
