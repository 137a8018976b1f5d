#include "JSMinifier.h"

#include <QLatin1String>

#include <algorithm>
#include <cstring>

// The rules, applied to each unit in order with the unit after it as look-ahead:
//
// Comments. In code, "/*" opens a block comment that ends with the next "*/"
// after it, and "//" opens a line comment that ends before the next line feed;
// inside a comment no other comment starts (a line comment holding "/*" is
// common, for example in a comment that quotes code). Comments are dropped. A
// block comment that held a line feed counts as one line feed when it closes
// (that line feed is kept or dropped like any other), so a line break hidden in
// a comment still ends a statement.
//
// Literals. A double quote, a single quote or a backtick opens a literal that
// ends with the next unescaped quote of the same kind; a quote of another kind,
// "//" and "/*" inside are ordinary characters. A line break ends an unclosed
// quote or double-quote literal (it cannot hold one). A "/" that is no comment
// start and follows, blanks and comments ignored, the start of the text,
// one of ( , = : [ ! & | ? { } ; * % < > ~ ^ / , a lone "+" or "-", or one of
// the keywords return typeof case delete do else in instanceof new throw void
// opens a regular-expression literal that ends at the next unescaped "/"
// outside a character class; any other "/" is division. Literals are copied
// unchanged.
//
// Whitespace. The units at positions 0, 1 and 2 and the last unit of the text
// are always copied. Otherwise, with the "delimiters" space, tab and
// + - = * / ; , < > ) (
// - a space goes when the output ends with a delimiter or the next unit is one;
// - a tab goes when the output ends with a space, a tab or ";";
// - a line feed goes when the output ends with ";" or a line feed; when the
//   output ends with a space or a tab that is not one of the first three
//   units, that blank goes instead and the line feed is judged again, so two
//   lines never become one;
// - a blank dropped between "+" and "+", "-" and "-", or "/" and "/" or "*"
//   comes back, so no new operator or comment appears.
// Everything else is copied.

namespace {

enum CharClass : std::uint8_t { Word, Other, Space, Tab, LineFeed, Slash, Quote };

struct Tables
{
    CharClass charClass[256];
    bool delimiter[256];
};

constexpr Tables makeTables()
{
    Tables t{};
    for (int c = 0; c < 256; ++c) {
        const bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                          c == '$' || c == '\\' || c >= 0x80;
        t.charClass[c] = word ? Word : Other;
        t.delimiter[c] = false;
    }
    t.charClass[int(' ')] = Space;
    t.charClass[int('\t')] = Tab;
    t.charClass[int('\n')] = LineFeed;
    t.charClass[int('/')] = Slash;
    t.charClass[int('"')] = Quote;
    t.charClass[int('\'')] = Quote;
    t.charClass[int('`')] = Quote;
    for (char c : {' ', '\t', '+', '-', '=', '*', '/', ';', ',', '<', '>', ')', '('})
        t.delimiter[int(c)] = true;
    return t;
}

constexpr Tables tables = makeTables();

inline CharClass charClass(unsigned char c)
{
    return tables.charClass[c];
}

inline CharClass charClass(ushort c)
{
    return c < 256 ? tables.charClass[c] : Word;
}

// `c` is a unit or -1 for "none".
inline bool isDelimiter(int c)
{
    return c >= 0 && c < 256 && tables.delimiter[c];
}

// How many UTF-16 units the character starting with this unit takes.
inline int utf16Width(unsigned char c)
{
    return (c & 0xC0) == 0x80 ? 0 : (c >= 0xF0 ? 2 : 1);
}

inline int utf16Width(ushort)
{
    return 1;
}

// A regex literal or a ")" ends an operand; a "/" after it divides.
constexpr char16_t operandEnd = ')';
// The marker for "the last code unit belongs to a word".
constexpr char16_t wordSig = 'a';

} // namespace

// One feed() or finish() call. The state lives in locals here so that the
// writes through `out` (which may alias anything for char) do not force it
// back to memory after every unit.
//
// step() is the rule set for one unit; run() takes the same decisions with
// loops over whole runs of units (a word, a comment, a literal) where nothing
// but copying or skipping happens. Feeding one unit at a time uses step()
// alone, which the tests compare with large chunks.
template <typename Unit>
class MinifierPass
{
public:
    using State = JSMinifier::State;

    MinifierPass(const State &state, Unit *out)
        : s(state)
        , o(out)
        , outStart(out)
    {
    }

    Unit *run(State &state, const Unit *in, qsizetype size)
    {
        if (size > 0) {
            const Unit *last = in + size - 1; // held back: its look-ahead is not known yet
            if (s.hasHeld) {
                counted(s.held, *in);
                s.hasHeld = false;
            }
            const Unit *p = in;
            for (; p < last && s.position < 3; ++p)
                counted(*p, p[1]);
            while (p < last) {
                switch (s.mode) {
                case JSMinifier::Code:
                    p = codeRun(p, last);
                    break;
                case JSMinifier::InLineComment:
                    p = lineCommentRun(p, last);
                    break;
                case JSMinifier::InBlockComment:
                    p = blockCommentRun(p, last);
                    break;
                case JSMinifier::InDoubleQuote:
                    p = literalRun(p, last, '"');
                    break;
                case JSMinifier::InSingleQuote:
                    p = literalRun(p, last, '\'');
                    break;
                case JSMinifier::InBackQuote:
                    p = literalRun(p, last, '`');
                    break;
                default:
                    step(*p, p[1], false);
                    ++p;
                    break;
                }
            }
            s.held = *last;
            s.hasHeld = true;
        }
        keepTail();
        state = s;
        return o;
    }

    Unit *finish(State &state)
    {
        if (s.hasHeld)
            step(s.held, -1, true);
        if (s.pending)
            write(s.pending);
        state = State();
        return o;
    }

private:
    Q_ALWAYS_INLINE void write(char16_t c) { *o++ = Unit(c); }

    // The unit written `back` units before the end of the output (1: the
    // last one), also from earlier calls; 0 beyond what is known.
    char16_t written(int back) const
    {
        const qsizetype here = o - outStart;
        if (back <= here)
            return o[-back];
        const qsizetype inTail = back - here;
        return inTail <= s.tailSize ? s.tail[s.tailSize - inTail] : 0;
    }

    void keepTail()
    {
        constexpr int capacity = int(sizeof(s.tail) / sizeof(s.tail[0]));
        const int size = int(std::min<qsizetype>(capacity, s.tailSize + (o - outStart)));
        char16_t kept[capacity];
        for (int back = size; back >= 1; --back)
            kept[size - back] = written(back);
        std::copy(kept, kept + size, s.tail);
        s.tailSize = size;
    }

    static bool fuses(char16_t before, char16_t after)
    {
        return (before == after && (before == '+' || before == '-' || before == '/')) ||
               (before == '/' && after == '*');
    }

    // Writes what an appended unit needs written before it.
    Q_ALWAYS_INLINE void settle(char16_t c)
    {
        if (Q_UNLIKELY(s.pending | s.fuse)) {
            if (s.pending)
                write(s.pending);
            else if (fuses(s.last, c))
                write(s.fuse);
            s.pending = 0;
            s.fuse = 0;
        }
    }

    Q_ALWAYS_INLINE void append(char16_t c)
    {
        settle(c);
        write(c);
        s.last = c;
    }

    Q_ALWAYS_INLINE void sig(char16_t c)
    {
        s.prevSig = s.lastSig;
        s.lastSig = c;
    }

    // Whether the word that ends the output (line breaks and blanks after it
    // ignored) is a keyword after which an operand starts.
    bool endsWithKeyword() const
    {
        int back = 1;
        for (char16_t c = written(back); c == ' ' || c == '\t' || c == '\n' || c == '\r'; c = written(back))
            ++back;
        char word[11];
        int length = 0;
        for (char16_t c = written(back); c != 0 && charClass(ushort(c)) == Word; c = written(++back)) {
            if (length == 10 || c >= 0x80)
                return false;
            word[10 - length++] = char(c);
        }
        if (written(back) == '.') // a property name
            return false;
        const QLatin1String text(word + 11 - length, length);
        for (const char *keyword :
             {"return", "typeof", "case", "delete", "do", "else", "in", "instanceof", "new", "throw", "void"}) {
            if (text == QLatin1String(keyword))
                return true;
        }
        return false;
    }

    bool regexAllowed() const
    {
        switch (s.lastSig) {
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
            return s.prevSig != s.lastSig; // "++" and "--" end an operand
        case wordSig:
            return endsWithKeyword();
        default:
            return false;
        }
    }

    Q_ALWAYS_INLINE void lineFeed()
    {
        if (s.pending) {
            s.pending = 0;
            s.last = s.beforePending;
        }
        if (s.last == ';' || s.last == '\n')
            return;
        s.fuse = 0;
        write('\n');
        s.last = '\n';
    }

    Q_ALWAYS_INLINE void keepBlank(char16_t c)
    {
        s.fuse = 0;
        s.beforePending = s.last;
        s.pending = c;
        s.last = c;
    }

    Q_ALWAYS_INLINE void blank(CharClass cls, char16_t c, int next, bool special)
    {
        if (special) {
            append(c);
            return;
        }
        if (cls == Space) {
            if (isDelimiter(s.last) || isDelimiter(next)) {
                if (!s.fuse && (s.last == '+' || s.last == '-' || s.last == '/'))
                    s.fuse = c;
                return;
            }
            keepBlank(c);
        } else if (cls == Tab) {
            if (s.last == ' ' || s.last == '\t' || s.last == ';')
                return;
            keepBlank(c);
        } else {
            lineFeed();
        }
    }

    Q_ALWAYS_INLINE void other(char16_t c)
    {
        append(c);
        if (c != '\r') // a line break, as far as regex literals care
            sig(c);
    }

    void code(Unit u, int next, bool special)
    {
        const char16_t c = u;
        const CharClass cls = charClass(u);
        switch (cls) {
        case Word:
            append(c);
            s.lastSig = wordSig;
            return;
        case Other:
            other(c);
            return;
        case Space:
        case Tab:
        case LineFeed:
            blank(cls, c, next, special);
            return;
        case Quote:
            append(c);
            s.escaped = false;
            s.mode = c == '"' ? JSMinifier::InDoubleQuote
                              : (c == '\'' ? JSMinifier::InSingleQuote : JSMinifier::InBackQuote);
            return;
        case Slash:
            if (next == '*') {
                s.mode = JSMinifier::BlockCommentOpen;
                s.blockHadLF = false;
                return;
            }
            if (next == '/') {
                s.mode = JSMinifier::LineCommentOpen;
                return;
            }
            append(c);
            if (regexAllowed()) {
                s.mode = JSMinifier::InRegex;
                s.escaped = false;
                s.regexClass = false;
                return;
            }
            sig(c);
            return;
        }
    }

    void literal(Unit u, int next, bool special, char16_t quote)
    {
        const char16_t c = u;
        if (s.escaped) {
            // "\" CR LF continues the line like "\" LF.
            s.escaped = c == '\r' && next == '\n';
        } else if (c == '\\') {
            s.escaped = true;
        } else if (c == quote) {
            write(c);
            s.last = c;
            s.mode = JSMinifier::Code;
            sig(c);
            return;
        } else if ((c == '\n' || c == '\r') && quote != '`') { // unclosed: not a literal after all
            s.mode = JSMinifier::Code;
            code(u, next, special);
            return;
        }
        write(c);
        s.last = c;
    }

    void regex(Unit u, int next, bool special)
    {
        const char16_t c = u;
        if (c == '\n' || c == '\r') { // unclosed: not a regex after all
            s.mode = JSMinifier::Code;
            code(u, next, special);
            return;
        }
        write(c);
        s.last = c;
        if (s.escaped) {
            s.escaped = false;
        } else if (c == '\\') {
            s.escaped = true;
        } else if (s.regexClass) {
            s.regexClass = c != ']';
        } else if (c == '[') {
            s.regexClass = true;
        } else if (c == '/') {
            s.mode = JSMinifier::Code;
            sig(operandEnd);
        }
    }

    void closeBlockComment()
    {
        s.star = false;
        s.mode = JSMinifier::Code;
        if (s.blockHadLF && s.last != 0)
            lineFeed();
    }

    void blockComment(Unit u)
    {
        if (u == '*') {
            s.star = true;
            return;
        }
        if (u == '/' && s.star) {
            closeBlockComment();
            return;
        }
        s.star = false;
        if (u == '\n')
            s.blockHadLF = true;
    }

    void step(Unit u, int next, bool special)
    {
        switch (s.mode) {
        case JSMinifier::Code:
            code(u, next, special);
            return;
        case JSMinifier::LineCommentOpen:
            s.mode = JSMinifier::InLineComment;
            return;
        case JSMinifier::InLineComment:
            if (u == '\n') {
                s.mode = JSMinifier::Code;
                code(u, next, special);
            }
            return;
        case JSMinifier::BlockCommentOpen:
            s.mode = JSMinifier::InBlockComment;
            s.star = false;
            return;
        case JSMinifier::InBlockComment:
            blockComment(u);
            return;
        case JSMinifier::InDoubleQuote:
            literal(u, next, special, '"');
            return;
        case JSMinifier::InSingleQuote:
            literal(u, next, special, '\'');
            return;
        case JSMinifier::InBackQuote:
            literal(u, next, special, '`');
            return;
        case JSMinifier::InRegex:
            regex(u, next, special);
            return;
        }
    }

    // A step that also counts positions, for the start of the text.
    void counted(Unit u, int next)
    {
        step(u, next, s.position < 3);
        s.position += utf16Width(u);
    }

    // The loops below stop before `last`, whose look-ahead is unknown, and
    // return where they stopped: at `last` or where the mode changed.

    const Unit *codeRun(const Unit *p, const Unit *last)
    {
        while (p < last) {
            Unit u = *p;
            const CharClass cls = charClass(u);
            if (cls == Word) {
                settle(u);
                do {
                    *o++ = u;
                    u = *++p;
                } while (p < last && charClass(u) == Word);
                s.last = p[-1];
                s.lastSig = wordSig;
            } else if (cls == Other) {
                other(u);
                ++p;
            } else {
                code(u, p[1], false);
                ++p;
                if (s.mode != JSMinifier::Code)
                    return p;
            }
        }
        return p;
    }

    static const Unit *find(const Unit *p, const Unit *end, Unit u)
    {
        if constexpr (sizeof(Unit) == 1) {
            const void *found = std::memchr(p, u, size_t(end - p));
            return found ? static_cast<const Unit *>(found) : end;
        } else {
            return std::find(p, end, u);
        }
    }

    const Unit *lineCommentRun(const Unit *p, const Unit *last)
    {
        p = find(p, last, '\n');
        if (p < last)
            s.mode = JSMinifier::Code; // the line feed is code
        return p;
    }

    const Unit *blockCommentRun(const Unit *p, const Unit *last)
    {
        while (p < last) {
            if (!s.star) {
                const Unit *star = find(p, last, '*');
                if (!s.blockHadLF)
                    s.blockHadLF = find(p, star, '\n') != star;
                p = star;
                if (p == last)
                    return p;
            }
            // *p is "*" or follows one
            const Unit u = *p++;
            if (u == '*') {
                s.star = true;
            } else if (u == '/') {
                closeBlockComment();
                return p;
            } else {
                s.star = false;
                if (u == '\n')
                    s.blockHadLF = true;
            }
        }
        return p;
    }

    const Unit *literalRun(const Unit *p, const Unit *last, char16_t quote)
    {
        while (p < last) {
            const Unit u = *p;
            if (s.escaped) {
                s.escaped = u == '\r' && p[1] == '\n';
            } else if (u == '\\') {
                s.escaped = true;
            } else if (u == quote) {
                literal(u, p[1], false, quote);
                return p + 1;
            } else if ((u == '\n' || u == '\r') && quote != '`') {
                s.mode = JSMinifier::Code;
                return p;
            }
            write(u);
            s.last = u;
            ++p;
        }
        return p;
    }

    State s;
    Unit *o;
    Unit *const outStart;
};

JSMinifier::JSMinifier() = default;

char *JSMinifier::feed(const char *in, qsizetype size, char *out)
{
    auto *o = reinterpret_cast<unsigned char *>(out);
    MinifierPass<unsigned char> pass(m_state, o);
    return reinterpret_cast<char *>(pass.run(m_state, reinterpret_cast<const unsigned char *>(in), size));
}

char *JSMinifier::finish(char *out)
{
    MinifierPass<unsigned char> pass(m_state, reinterpret_cast<unsigned char *>(out));
    return reinterpret_cast<char *>(pass.finish(m_state));
}

QChar *JSMinifier::feed(const QChar *in, qsizetype size, QChar *out)
{
    MinifierPass<ushort> pass(m_state, reinterpret_cast<ushort *>(out));
    return reinterpret_cast<QChar *>(pass.run(m_state, reinterpret_cast<const ushort *>(in), size));
}

QChar *JSMinifier::finish(QChar *out)
{
    MinifierPass<ushort> pass(m_state, reinterpret_cast<ushort *>(out));
    return reinterpret_cast<QChar *>(pass.finish(m_state));
}

QString compressJavaScriptText(const QString &text)
{
    QString result(text.size() + 2 * JSMinifier::extraOutput, Qt::Uninitialized);
    JSMinifier minifier;
    QChar *end = minifier.feed(text.constData(), text.size(), result.data());
    end = minifier.finish(end);
    result.truncate(int(end - result.constData()));
    return result;
}

QByteArray compressJavaScriptUtf8(const QByteArray &utf8)
{
    QByteArray result(utf8.size() + 2 * JSMinifier::extraOutput, Qt::Uninitialized);
    JSMinifier minifier;
    char *end = minifier.feed(utf8.constData(), utf8.size(), result.data());
    end = minifier.finish(end);
    result.truncate(int(end - result.constData()));
    return result;
}
