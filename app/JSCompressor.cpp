#include "JSCompressor.h"

#include "JSMinifier.h"

#include <QMDrovebot/DocWindow.h>
#include <QMDrovebot/Editor.h>

QString compressJavaScript(QMDrovebot::Editor *editor)
{
    if (!editor)
        return QString();
    return compressJavaScriptText(editor->textEdit()->toPlainText());
}

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

} // namespace

void JSAsciiEncoder::significant(char c)
{
    m_beforeLast = m_gap ? ' ' : m_last;
    m_last = c;
    m_gap = false;
    m_inWord = false;
}

// The same judgement as the minifier's: after an operator, an opening
// bracket or an operand-taking keyword a "/" opens a regex literal, after an
// operand it divides.
bool JSAsciiEncoder::slashStartsRegex() const
{
    switch (m_last) {
    case 0:
    case '(':
    case ',':
    case '=':
    case ':':
    case '[':
    case '!':
    case '&':
    case '|':
    case '?':
    case '{':
    case '}':
    case ';':
    case '*':
    case '%':
    case '<':
    case '>':
    case '~':
    case '^':
    case '/':
        return true;
    case '+':
    case '-':
        return m_beforeLast != m_last; // "++" and "--" end an operand
    case 'a': {
        if (m_wordAfterDot || m_wordLength > 10)
            return false;
        const QLatin1String word(m_word, m_wordLength);
        for (const char *keyword :
             {"return", "typeof", "case", "delete", "do", "else", "in", "instanceof", "new", "throw", "void"}) {
            if (word == QLatin1String(keyword))
                return true;
        }
        return false;
    }
    default:
        return false;
    }
}

char *JSAsciiEncoder::code(ushort u, char *o)
{
    if (u >= 0x80) {
        if (isLineSeparator(u) || isSpaceCharacter(u)) {
            *o++ = isLineSeparator(u) ? '\n' : ' ';
            m_inWord = false;
            m_gap = true;
            return o;
        }
        // Part of an identifier, where an escape is valid (or an error either way).
        if (!m_inWord) {
            significant('a');
            m_inWord = true;
            m_wordAfterDot = m_beforeLast == '.';
            m_wordLength = 0;
        }
        m_wordLength = 11;
        return escape(u, o);
    }
    const char c = char(u);
    *o++ = c;
    switch (c) {
    case ' ':
    case '\t':
    case '\n':
    case '\r':
    case '\v':
    case '\f':
        m_inWord = false;
        m_gap = true;
        return o;
    case '/':
        m_slashStartsRegex = slashStartsRegex();
        m_mode = AfterSlash;
        m_inWord = false;
        return o;
    case '"':
    case '\'':
    case '`':
        m_mode = c == '"' ? DoubleQuote : (c == '\'' ? SingleQuote : Template);
        m_heldBackslash = false;
        m_escapedCR = false;
        m_dollar = false;
        m_inWord = false;
        return o;
    case '{':
        ++m_braceDepth;
        significant(c);
        return o;
    case '}':
        if (!m_templateDepths.empty() && m_templateDepths.back() == m_braceDepth) {
            m_templateDepths.pop_back(); // back in the template literal
            m_mode = Template;
            m_dollar = false;
            m_inWord = false;
            return o;
        }
        if (m_braceDepth > 0)
            --m_braceDepth;
        significant(c);
        return o;
    default:
        if (!isAsciiWordUnit(c)) {
            significant(c);
            return o;
        }
        if (!m_inWord) {
            significant('a');
            m_inWord = true;
            m_wordAfterDot = m_beforeLast == '.';
            m_wordLength = 0;
        }
        if (isAsciiLetter(c) && m_wordLength < 10)
            m_word[m_wordLength++] = c;
        else
            m_wordLength = 11;
        return o;
    }
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
            significant(')');
            return o;
        }
        if ((c == '\n' && !continued) || c == '\r') { // unclosed: the line ends it
            m_mode = Code;
            return code(u, o);
        }
        *o++ = c;
        return o;
    case Template:
        *o++ = c;
        if (c == '`') {
            m_mode = Code;
            significant(')');
        } else if (c == '{' && m_dollar) {
            m_templateDepths.push_back(m_braceDepth);
            m_mode = Code;
            significant('{');
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
            significant(')');
        }
        return o;
    }
}

namespace {

// Units of code, as the loop over plain runs sees them.
enum CodeClass : std::uint8_t { Letter, OtherWordUnit, Blank, Punctuation, Special };

struct CodeClasses
{
    std::uint8_t of[128];
};

constexpr CodeClasses makeCodeClasses()
{
    CodeClasses t{};
    for (int c = 0; c < 128; ++c) {
        const char ch = char(c);
        t.of[c] = isAsciiLetter(ch) ? Letter : (isAsciiWordUnit(ch) ? OtherWordUnit : Punctuation);
    }
    for (char c : {' ', '\t', '\n', '\r', '\v', '\f'})
        t.of[int(c)] = Blank;
    for (char c : {'/', '"', '\'', '`', '{', '}'})
        t.of[int(c)] = Special;
    return t;
}

constexpr CodeClasses codeClasses = makeCodeClasses();

} // namespace

// What code() does for units of class Letter to Punctuation, with the state
// in locals. Returns at the first other unit or at `end`.
const ushort *JSAsciiEncoder::codeRun(const ushort *p, const ushort *end, char *&out)
{
    char *o = out;
    char last = m_last;
    char beforeLast = m_beforeLast;
    bool gap = m_gap;
    bool inWord = m_inWord;
    bool afterDot = m_wordAfterDot;
    int wordLength = m_wordLength;
    for (; p < end; ++p) {
        const ushort u = *p;
        if (u >= 0x80)
            break;
        const int kind = codeClasses.of[u];
        if (kind == Special)
            break;
        *o++ = char(u);
        if (kind == Blank) {
            inWord = false;
            gap = true;
            continue;
        }
        if (kind == Punctuation || !inWord) {
            beforeLast = gap ? ' ' : last;
            gap = false;
            inWord = kind != Punctuation;
            if (!inWord) {
                last = char(u);
                continue;
            }
            last = 'a';
            afterDot = beforeLast == '.';
            wordLength = 0;
        }
        if (kind == Letter && wordLength < 10)
            m_word[wordLength++] = char(u);
        else
            wordLength = 11;
    }
    m_last = last;
    m_beforeLast = beforeLast;
    m_gap = gap;
    m_inWord = inWord;
    m_wordAfterDot = afterDot;
    m_wordLength = wordLength;
    out = o;
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
                m_gap = true;
            } else if (m_slashStartsRegex) {
                m_mode = Regex;
                m_regexClass = false;
                m_heldBackslash = false;
                o = literal(u, o);
            } else {
                significant('/');
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
