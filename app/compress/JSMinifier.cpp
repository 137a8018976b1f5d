#include "JSMinifier.h"

#include <QLatin1String>

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// The rules, applied to each unit in order with the unit after it as look-ahead:
//
// Comments. In code, "/*" opens a block comment that ends with the next "*/"
// after it, and "//" opens a line comment that ends before the next line
// terminator (LF, CR, U+2028 or U+2029); inside a comment no other comment
// starts (a line comment holding "/*" is common, for example in a comment that
// quotes code). Comments are dropped. A block comment that held a line
// terminator counts as one when it closes, so a line break hidden in a comment
// still ends a statement: a line feed if it held one (kept or dropped like any
// other), else the first terminator it held, written as code. A comment that separated two units which
// would otherwise make one token (two identifier units, "+" and "+", "-" and
// "-", "/" and "/" or "*", a digit and ".") leaves "/**/" behind, a
// subsequence of every block comment, unless a blank between them is kept or
// comes back.
//
// Literals. A double quote, a single quote or a backtick opens a literal that
// ends with the next unescaped quote of the same kind; a quote of another kind,
// "//" and "/*" inside are ordinary characters. A line break ends an unclosed
// quote or double-quote literal (it cannot hold one). A "/" that is no comment
// start and follows, blanks and comments ignored, the start of the text,
// one of ( , = : [ ! & | ? { } ; * % < > ~ ^ / , a "+" or "-" that does not
// end "++" or "--", or one of the keywords return typeof case delete do else
// in instanceof new throw void (not as a property name), or the ")" that
// closes the condition of if, while, for or with, opens a regular-expression
// literal that ends at the next unescaped "/" outside a character class; any
// other "/" (after a word, a number, a literal, another ")" or "]") is
// division. What stands before the "/" is read back from the last
// units written, so copying code keeps no record of it. Literals are copied
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
// - a blank dropped between "+" and "+", "-" and "-", "/" and "/" or "*",
//   "<" and "!", "<!" and "-", or "--" at the start of a line and ">", comes
//   back, so no new operator or comment appears ("<!--" opens a line comment
//   anywhere, "-->" at the start of a line); so does a space
//   dropped between an identifier unit and a comment, when the comment goes
//   and another identifier unit follows.
// Everything else is copied.

namespace {

// Ordinary units are copied as they come; the others need a decision.
enum CharClass : std::uint8_t { Word, Other, Space, Tab, LineFeed, Slash, Quote, Paren };

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
    t.charClass[int('(')] = Paren;
    t.charClass[int(')')] = Paren;
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

template <typename Unit> inline bool isOrdinary(Unit c)
{
    return charClass(c) < Space;
}

// `c` is a unit or -1 for "none".
inline bool isDelimiter(int c)
{
    return c >= 0 && c < 256 && tables.delimiter[c];
}

// What plainCode() does with a space, a tab or a line feed, given the last
// unit written and, where that does not settle it, the unit after the blank
// (the last of a run). Leave hands the unit to the full rules.
enum BlankKind : std::uint8_t { SpaceBlank, TabBlank, LineFeedBlank, NoBlank };
enum BlankDecision : std::uint8_t { Keep, Drop, Ask, Leave, DropUnlessBang };

struct BlankTables
{
    std::uint8_t afterOutput[3][256];
    std::uint8_t beforeNext[3][256];
};

constexpr BlankTables makeBlankTables()
{
    BlankTables t{};
    for (int c = 0; c < 256; ++c) {
        const bool delimiter = tables.delimiter[c];
        // After these a dropped space may have to come back: "+ +", "- -",
        // "/ /", "< !--" and "<! --" must not become one token or a comment.
        const bool sign = c == '+' || c == '-' || c == '/' || c == '!';
        t.afterOutput[SpaceBlank][c] = sign ? Leave : (c == '<' ? DropUnlessBang : (delimiter ? Drop : Ask));
        // Before a "/" the space may have to come back, if a comment follows.
        t.beforeNext[SpaceBlank][c] = c == '/' ? Leave : ((delimiter || c == '\n') ? Drop : Keep);
        t.afterOutput[TabBlank][c] = (c == ' ' || c == '\t' || c == ';') ? Drop : Ask;
        const bool writtenNext =
            tables.charClass[c] < Space || tables.charClass[c] == Quote || tables.charClass[c] == Paren;
        t.beforeNext[TabBlank][c] = writtenNext ? Keep : Leave;
        t.afterOutput[LineFeedBlank][c] = (c == ';' || c == '\n') ? Drop : Keep;
        t.beforeNext[LineFeedBlank][c] = Keep;
    }
    return t;
}

constexpr BlankTables blankTables = makeBlankTables();

template <typename Unit> inline int blankKind(Unit c)
{
    return c == ' ' ? SpaceBlank : (c == '\t' ? TabBlank : (c == '\n' ? LineFeedBlank : NoBlank));
}

// Units beyond Latin-1 are ordinary: 'a' stands for them in the tables.
inline unsigned byteOf(char16_t c)
{
    return c < 256 ? c : 'a';
}

inline bool isBlankOrBreak(char16_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Every line terminator of the language ends a line comment and makes a
// block comment a line break. In UTF-8, U+2028 and U+2029 are E2 80 A8 and
// E2 80 A9; their bytes are matched one at a time (see lineSeparatorByte()).
template <typename Unit> inline bool isLineBreakUnit(Unit u)
{
    if constexpr (sizeof(Unit) == 1)
        return u == '\n' || u == '\r';
    else
        return u == '\n' || u == '\r' || u == 0x2028 || u == 0x2029;
}

// Whether "(" after this word opens a statement's condition, after whose
// ")" a "/" opens a regex literal.
bool isConditionKeyword(QLatin1String word)
{
    return word == QLatin1String("if") || word == QLatin1String("while") || word == QLatin1String("for") ||
           word == QLatin1String("with");
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

} // namespace

// One feed() or finish() call. step() is the rule set for one unit; run()
// takes the same decisions with loops over whole runs of units (ordinary
// code, a comment, a literal) where nothing but copying or skipping happens.
// Feeding one unit at a time uses step() alone, which the tests compare with
// large chunks.
template <typename Unit> class MinifierPass
{
public:
    using State = JSMinifier::State;

    MinifierPass(const State &state, std::vector<int> &templateDepths, std::vector<int> &conditionDepths, Unit *out)
        : s(state)
        , templates(templateDepths)
        , conditions(conditionDepths)
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
                    if (Q_UNLIKELY(!templates.empty())) {
                        // A template's code: the plain loops up to the next
                        // brace, which the rules count.
                        const Unit *brace = std::find_if(p, last, [](Unit u) { return u == '{' || u == '}'; });
                        if (brace != p) {
                            p = codeRun(p, brace);
                            break;
                        }
                        step(*p, p[1], false);
                        ++p;
                        break;
                    }
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
        templates.clear();
        conditions.clear();
        return o;
    }

private:
    Q_ALWAYS_INLINE void write(char16_t c) { *o++ = Unit(c); }

    qint64 outputPosition() const { return s.outputSize + (o - outStart); }

    // The unit written `back` units before the end of the output (1: the
    // last one), also by earlier calls; 0 before the start and beyond
    // lookBehind.
    char16_t written(int back) const { return writtenBefore(o, back); }

    // The same, counted back from `end` in this call's output.
    char16_t writtenBefore(const Unit *end, int back) const
    {
        if (back > JSMinifier::lookBehind)
            return 0;
        const qsizetype here = end - outStart;
        if (back <= here)
            return end[-back];
        const qsizetype inTail = back - here;
        return inTail <= s.tailSize ? s.tail[s.tailSize - inTail] : 0;
    }

    void keepTail()
    {
        const int size = int(std::min<qint64>(JSMinifier::lookBehind, s.tailSize + (o - outStart)));
        char16_t kept[JSMinifier::lookBehind];
        for (int back = size; back >= 1; --back)
            kept[size - back] = written(back);
        std::copy(kept, kept + size, s.tail);
        s.tailSize = size;
        s.outputSize = outputPosition();
    }

    static bool isWordUnit(char16_t c) { return charClass(ushort(c)) == Word; }

    // Whether `before` (the last unit written) and `after` written next to
    // each other would make one token, or a comment, where a separator
    // stood. "<!--" opens a line comment anywhere, "-->" at the start of a
    // line.
    bool fuses(char16_t before, char16_t after) const
    {
        return (before == after && (before == '+' || before == '-' || before == '/')) ||
               (before == '/' && after == '*') || (isWordUnit(before) && isWordUnit(after)) ||
               (before >= '0' && before <= '9' && after == '.') || (before == '<' && after == '!') ||
               (before == '!' && after == '-' && written(2) == '<') ||
               (before == '-' && after == '>' && written(2) == '-' && startsLine(3));
    }

    // Whether only blanks stand between the unit written `back` units ago
    // and the start of its line.
    bool startsLine(int back) const
    {
        char16_t c = written(back);
        while (c == ' ' || c == '\t')
            c = written(++back);
        return c == 0 || c == '\n' || c == '\r' || c == 0x2028 || c == 0x2029 || c == 0xA8 || c == 0xA9;
    }

    // Writes what an appended unit needs written before it.
    Q_ALWAYS_INLINE void settle(char16_t c)
    {
        if (Q_UNLIKELY(s.pending | s.fuse)) {
            if (s.pending) {
                write(s.pending);
            } else if (fuses(s.last, c)) {
                if (s.fuse == JSMinifier::commentFuse) {
                    write('/');
                    write('*');
                    write('*');
                    write('/');
                } else {
                    write(s.fuse);
                }
            }
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

    // The word that ends at `back` units before `end`, when it may be a
    // keyword: at most ten ASCII units and no property name. `word` holds it.
    QLatin1String keywordBefore(const Unit *end, int back, char (&word)[10]) const
    {
        int length = 0;
        for (char16_t c = writtenBefore(end, back); c != 0 && charClass(ushort(c)) == Word;
             c = writtenBefore(end, ++back)) {
            if (length == 10 || c >= 0x80)
                return QLatin1String();
            word[9 - length++] = char(c);
        }
        if (writtenBefore(end, back) == '.') // a property name
            return QLatin1String();
        return QLatin1String(word + 10 - length, length);
    }

    // Whether the word that ends the output at `back` is a keyword after
    // which an operand starts.
    bool isKeywordAt(int back) const
    {
        char word[10];
        const QLatin1String text = keywordBefore(o, back, word);
        for (const char *keyword :
             {"return", "typeof", "case", "delete", "do", "else", "in", "instanceof", "new", "throw", "void"}) {
            if (text == QLatin1String(keyword))
                return true;
        }
        return false;
    }

    // Whether a "/" that starts no comment opens a regex literal, judged by
    // the output before it.
    bool regexAllowed() const
    {
        int back = 1;
        while (isBlankOrBreak(written(back)))
            ++back;
        const char16_t c = written(back);
        if (outputPosition() - back == s.regexEnd)
            return false; // a regex literal ends an operand
        if (outputPosition() - back == s.conditionEnd)
            return true; // a statement starts after its condition
        if (JSMinifier::punctuatorPrecedesRegex(c))
            return true;
        switch (c) {
        case '+':
        case '-':
            return written(back + 1) != c; // "++" and "--" end an operand
        default:
            return charClass(ushort(c)) == Word && isKeywordAt(back);
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

    Q_ALWAYS_INLINE void space(char16_t c, int next)
    {
        if (!isDelimiter(s.last) && !isDelimiter(next))
            keepBlank(c);
        else if ((!s.fuse || s.fuse == JSMinifier::commentFuse) &&
                 (s.last == '+' || s.last == '-' || s.last == '/' || s.last == '<' || s.last == '!' ||
                  (next == '/' && isWordUnit(s.last))))
            s.fuse = c; // a blank is the shorter separator
    }

    Q_ALWAYS_INLINE void tab(char16_t c)
    {
        if (s.last != ' ' && s.last != '\t' && s.last != ';')
            keepBlank(c);
    }

    void code(Unit u, int next, bool special)
    {
        const char16_t c = u;
        switch (charClass(u)) {
        case Word:
            append(c);
            return;
        case Other:
            append(c);
            if (Q_UNLIKELY(!templates.empty()))
                templateBrace(c);
            return;
        case Space:
            special ? append(c) : space(c, next);
            return;
        case Tab:
            special ? append(c) : tab(c);
            return;
        case LineFeed:
            special ? append(c) : lineFeed();
            return;
        case Paren:
            append(c);
            paren(c, o - 1);
            return;
        case Quote:
            append(c);
            s.escaped = false;
            s.dollar = false;
            s.mode = c == '"' ? JSMinifier::InDoubleQuote
                              : (c == '\'' ? JSMinifier::InSingleQuote : JSMinifier::InBackQuote);
            return;
        case Slash:
            if (next == '*') {
                s.mode = JSMinifier::BlockCommentOpen;
                s.blockBreak = 0;
                s.separatorBytes = 0;
            } else if (next == '/') {
                s.mode = JSMinifier::LineCommentOpen;
                s.separatorBytes = 0;
            } else {
                const bool regex = regexAllowed();
                append(c);
                if (regex) {
                    s.mode = JSMinifier::InRegex;
                    s.escaped = false;
                    s.regexClass = false;
                }
            }
            return;
        }
    }

    // A parenthesis written at `at`. Depths are counted only inside a
    // condition, since only the ")" that closes one matters.
    Q_ALWAYS_INLINE void paren(char16_t c, const Unit *at)
    {
        if (c == '(') {
            if (Q_UNLIKELY(opensCondition(at)))
                conditions.push_back(s.parenDepth);
            if (!conditions.empty())
                ++s.parenDepth;
        } else if (!conditions.empty() && --s.parenDepth == conditions.back()) {
            conditions.pop_back();
            s.conditionEnd = s.outputSize + (at - outStart);
        }
    }

    // Whether `word`, the units before `end`, is a whole word that is no
    // property name.
    static bool endsWithWord(const Unit *end, const char *word, int length)
    {
        for (int i = 1; i <= length; ++i) {
            if (end[-i] != Unit(word[length - i]))
                return false;
        }
        const Unit before = end[-length - 1];
        return charClass(before) != Word && before != '.';
    }

    bool opensCondition(const Unit *at) const
    {
        // Most "(" follow a name in this call's output, with no blank
        // between: compared in place.
        if (Q_LIKELY(at - outStart > 6 && !isBlankOrBreak(at[-1]))) {
            switch (at[-1]) {
            case 'f':
                return endsWithWord(at, "if", 2);
            case 'r':
                return endsWithWord(at, "for", 3);
            case 'e':
                return endsWithWord(at, "while", 5);
            case 'h':
                return endsWithWord(at, "with", 4);
            default:
                return false;
            }
        }
        int back = 1;
        while (isBlankOrBreak(writtenBefore(at, back)))
            ++back;
        switch (writtenBefore(at, back)) { // the last letters of if, while, for and with
        case 'f':
        case 'e':
        case 'r':
        case 'h': {
            char word[10];
            return isConditionKeyword(keywordBefore(at, back, word));
        }
        default:
            return false;
        }
    }

    // A brace in the code of a template's "${...}": the one that closes it
    // returns to the template.
    void templateBrace(char16_t c)
    {
        if (c == '{') {
            ++s.braceDepth;
        } else if (c == '}') {
            if (s.braceDepth == templates.back()) {
                templates.pop_back();
                s.mode = JSMinifier::InBackQuote;
                s.escaped = false;
                s.dollar = false;
            } else {
                --s.braceDepth;
            }
        }
    }

    void literal(Unit u, int next, bool special, char16_t quote)
    {
        const char16_t c = u;
        const bool dollar = s.dollar;
        s.dollar = false;
        if (s.escaped) {
            // "\" CR LF continues the line like "\" LF.
            s.escaped = c == '\r' && next == '\n';
        } else if (c == '\\') {
            s.escaped = true;
        } else if (c == quote) {
            s.mode = JSMinifier::Code;
        } else if (quote == '`' && (c == '$' || (c == '{' && dollar))) {
            // Everything up to the matching "}" is code, templates inside it
            // included.
            s.dollar = c == '$';
            if (c == '{') {
                templates.push_back(s.braceDepth);
                s.mode = JSMinifier::Code;
            }
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
            s.regexEnd = outputPosition() - 1;
        }
    }

    // A line terminator other than a line feed is written as it came, as
    // code: a carriage return, or U+2028 or U+2029 (three bytes in UTF-8).
    void appendLineBreak(char16_t c)
    {
        if constexpr (sizeof(Unit) == 1) {
            if (c > 0xFF) {
                append(0xE2);
                write(0x80);
                c = c == 0x2028 ? 0xA8 : 0xA9;
                write(c);
                s.last = c;
                return;
            }
        }
        append(c);
    }

    void closeBlockComment()
    {
        s.star = false;
        s.mode = JSMinifier::Code;
        if (s.blockBreak == '\n' && s.last != 0)
            lineFeed();
        else if (s.blockBreak && s.last != 0)
            appendLineBreak(s.blockBreak);
        else if (!s.pending && !s.fuse && s.last != 0)
            s.fuse = JSMinifier::commentFuse;
    }

    // The last unit of U+2028 or U+2029 in UTF-8 (A8 or A9 after E2 80) as
    // that character, else 0; in UTF-16, 0 always.
    char16_t lineSeparatorByte(Unit u)
    {
        if constexpr (sizeof(Unit) == 1) {
            const std::uint8_t seen = s.separatorBytes;
            s.separatorBytes = u == 0xE2 ? 1 : (u == 0x80 && seen == 1 ? 2 : 0);
            if (seen == 2 && (u == 0xA8 || u == 0xA9))
                return u == 0xA8 ? 0x2028 : 0x2029;
        }
        Q_UNUSED(u)
        return 0;
    }

    // Notes a line terminator inside a block comment.
    Q_ALWAYS_INLINE void blockCommentBreak(Unit u)
    {
        char16_t c = isLineBreakUnit(u) ? char16_t(u) : lineSeparatorByte(u);
        if (c && (!s.blockBreak || c == '\n'))
            s.blockBreak = c;
    }

    void blockComment(Unit u)
    {
        if (u == '*') {
            s.star = true;
            s.separatorBytes = 0;
        } else if (u == '/' && s.star) {
            closeBlockComment();
        } else {
            s.star = false;
            blockCommentBreak(u);
        }
    }

    void lineComment(Unit u, int next, bool special)
    {
        if (isLineBreakUnit(u)) { // the line terminator itself is code
            s.mode = JSMinifier::Code;
            code(u, next, special);
        } else if (const char16_t separator = lineSeparatorByte(u)) {
            s.mode = JSMinifier::Code;
            appendLineBreak(separator);
        }
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
            lineComment(u, next, special);
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

#ifdef __SSE2__
    // "(" and ")" differ in their last bit only.
    static __m128i parens(__m128i v)
    {
        return _mm_cmpeq_epi8(_mm_or_si128(v, _mm_set1_epi8(1)), _mm_set1_epi8(')'));
    }

    // Whether a "(" after these two units may open a condition: after the
    // last two letters of if, for, while or with, or after a blank.
    static bool mayFollowConditionKeyword(Unit beforeLast, Unit last)
    {
        switch (last) {
        case 'f':
            return beforeLast == 'i';
        case 'r':
            return beforeLast == 'o';
        case 'e':
            return beforeLast == 'l';
        case 'h':
            return beforeLast == 't';
        default:
            return isBlankOrBreak(last);
        }
    }

    // One bit per unit of the 16 at p that is not ordinary.
    static unsigned otherUnits(const unsigned char *p)
    {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i hits = _mm_or_si128(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\t'))),
                         _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(v, _mm_set1_epi8('/')))),
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\''))),
                         _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('`')), parens(v))));
        return unsigned(_mm_movemask_epi8(hits));
    }

    static void copy16(const unsigned char *from, unsigned char *to)
    {
        _mm_storeu_si128(reinterpret_cast<__m128i *>(to), _mm_loadu_si128(reinterpret_cast<const __m128i *>(from)));
    }
#endif

    // Copies ordinary units from p on to `out` and returns the first other
    // unit or `last`. The vector version may store up to 15 units past the
    // copied ones, inside the room that extraOutput grants.
    static const Unit *copyOrdinary(const Unit *p, const Unit *last, Unit *&out)
    {
#ifdef __SSE2__
        if constexpr (sizeof(Unit) == 1) {
            while (last - p >= 16) {
                const unsigned mask = otherUnits(p);
                copy16(p, out);
                if (mask) {
                    const int n = __builtin_ctz(mask);
                    out += n;
                    return p + n;
                }
                out += 16;
                p += 16;
            }
        }
#endif
        while (p < last && isOrdinary(*p))
            *out++ = *p++;
        return p;
    }

    // What plainCode() decides for the run of blanks p[0..end]: Keep (one
    // of them), Drop (all) or Leave (to the full rules).
    static int blankDecision(int kind, char16_t lastOut, const Unit *end, const Unit *last)
    {
        // Both looked up, then chosen: which one counts follows the text and
        // cannot be predicted.
        const int first = blankTables.afterOutput[kind][byteOf(lastOut)];
        const int second = blankTables.beforeNext[kind][byteOf(end[1])];
        // A line feed takes a kept space back, unless it is the text's last
        // unit, which might come next.
        const bool lineFeedIsLast = end + 1 == last && end[1] == '\n';
        if (Q_UNLIKELY(first == DropUnlessBang))
            return end[1] == '!' ? Leave : Drop;
        return first == Ask ? (lineFeedIsLast ? int(Leave) : second) : first;
    }

#ifdef __SSE2__
    // plainCode() for bytes, 16 at a time: one vector comparison finds all
    // the blanks of a block, and each is decided without looking at the
    // block again. Invariant: from `o` on, the output buffer holds the input
    // from p + done on (vector copies store them ahead), so a kept unit is
    // already in place and a dropped one costs one more copy. Returns where
    // it stopped: at a unit left to step(), or with fewer than 32 units to go.
    Q_ALWAYS_INLINE const Unit *plainBlocks(const Unit *p, const Unit *last, Unit *&out, char16_t &lastOut)
    {
        while (last - p >= 32) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            const unsigned spaces = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(' '))));
            const unsigned tabs = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\t'))));
            const unsigned lineFeeds = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))));
            // The events: a "/" or a quote, the first blank of each run, and
            // the parentheses that paren() must see: inside a condition all,
            // else a "(" that may follow if, while, for or with.
            // Bit masks rather than loads of the units keep each event's
            // work short and independent of the one before.
            const unsigned blanks = spaces | tabs | lineFeeds;
            const unsigned runStarts =
                (spaces & ~(spaces << 1)) | (tabs & ~(tabs << 1)) | (lineFeeds & ~(lineFeeds << 1));
            const unsigned runEnds =
                (spaces & ~(spaces >> 1)) | (tabs & ~(tabs >> 1)) | (lineFeeds & ~(lineFeeds >> 1));
            const __m128i slashOrQuote = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('/')), _mm_cmpeq_epi8(v, _mm_set1_epi8('"'))),
                _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\'')), _mm_cmpeq_epi8(v, _mm_set1_epi8('`'))));
            const unsigned allParens = unsigned(_mm_movemask_epi8(parens(v)));
            unsigned parenBits = allParens;
            if (allParens && conditions.empty()) {
                parenBits = 0;
                for (unsigned opens = allParens & unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('('))));
                     opens; opens &= opens - 1) {
                    const int k = __builtin_ctz(opens);
                    if (k < 2 || mayFollowConditionKeyword(p[k - 2], p[k - 1]))
                        parenBits |= 1u << k;
                }
            }
            unsigned mask = unsigned(_mm_movemask_epi8(slashOrQuote)) | runStarts | parenBits;
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out), v);
            Unit *o = out;
            int done = 0;
            while (mask) {
                const int k = __builtin_ctz(mask);
                if (Q_UNLIKELY(!(blanks >> k & 1))) {
                    if (parenBits >> k & 1) { // copied like the units around it
                        const bool outside = conditions.empty();
                        paren(p[k], o + (k - done));
                        if (outside && !conditions.empty()) {
                            const unsigned rest = allParens & ~((2u << k) - 1);
                            mask |= rest;
                            parenBits |= rest;
                        }
                        mask &= mask - 1;
                        continue;
                    }
                    if (k > done)
                        lastOut = p[k - 1];
                    out = o + (k - done);
                    return p + k;
                }
                if (Q_LIKELY(k > done)) // a branch, not a data dependency on the previous blank
                    lastOut = p[k - 1];
                const int kind = (tabs >> k & 1) | (lineFeeds >> k & 1) << 1;
                const Unit u = p[k];
                // The run of this blank: its bits in the block, then beyond.
                const Unit *end = p + k + __builtin_ctz(runEnds >> k);
                if (Q_UNLIKELY(end == p + 15)) {
                    while (end + 1 < last && end[1] == u)
                        ++end;
                }
                const int decision = blankDecision(kind, lastOut, end, last);
                if (Q_UNLIKELY(decision == Leave)) {
                    out = o + (k - done);
                    return p + k;
                }
                const bool keep = decision == Keep;
                o += k - done + keep; // a kept unit is in place
                lastOut = keep ? char16_t(u) : lastOut;
                done = int(end - p) + 1;
                if (done >= 16)
                    break;
                copy16(p + done, o);
                mask &= mask - 1;
            }
            if (done < 16) {
                o += 16 - done;
                lastOut = p[15];
                done = 16;
            }
            out = o;
            p += done;
        }
        return p;
    }
#endif

    // Copies ordinary code and decides the blanks and line feeds that need
    // nothing but their neighbours, without touching the state: nothing is
    // pending and no blank waits to be restored on entry, and none is on
    // return. Returns at `last` or at the first unit it leaves to step().
    // The decisions are table look-ups rather than branches, since which way
    // they go follows the text and cannot be predicted.
    const Unit *plainCode(const Unit *p, const Unit *last, Unit *&out)
    {
        char16_t lastOut = s.last;
#ifdef __SSE2__
        if constexpr (sizeof(Unit) == 1) {
            p = plainBlocks(p, last, out, lastOut);
            if (last - p >= 32) { // stopped at a unit for step()
                s.last = lastOut;
                return p;
            }
        }
#endif
        while (p < last) {
            Unit *const before = out;
            p = copyOrdinary(p, last, out);
            if (out != before)
                lastOut = out[-1];
            if (p == last)
                break;
            const Unit u = *p;
            if (u == '(' || u == ')') {
                *out++ = u;
                lastOut = u;
                paren(u, out - 1);
                ++p;
                continue;
            }
            const int kind = blankKind(u);
            if (Q_UNLIKELY(kind == NoBlank))
                break;
            const Unit *end = p; // the last blank of a run; a run of line feeds leaves one at most
            while (end + 1 < last && end[1] == u)
                ++end;
            const int decision = blankDecision(kind, lastOut, end, last);
            if (Q_UNLIKELY(decision == Leave))
                break;
            const bool keep = decision == Keep; // what follows is written at once: nothing takes it back
            *out = u;
            out += keep;
            lastOut = keep ? char16_t(u) : lastOut;
            p = end + 1;
        }
        s.last = lastOut;
        return p;
    }

    // The output pointer lives in a local, since every write through it
    // could otherwise change the members as far as the compiler knows.
    const Unit *codeRun(const Unit *p, const Unit *last)
    {
        Unit *out = o;
        while (p < last) {
            if (!(s.pending | s.fuse)) {
                p = plainCode(p, last, out);
                if (p == last)
                    break;
            }
            const Unit u = *p;
            switch (charClass(u)) {
            case Tab:
                tab(u);
                while (p + 1 < last && p[1] == '\t') // the rest of a run of tabs goes
                    ++p;
                ++p;
                continue;
            case Space:
                while (p + 1 < last && p[1] == ' ') // the run counts as its last space
                    ++p;
                space(u, p[1]);
                ++p;
                continue;
            default:
                o = out;
                code(u, p[1], false);
                out = o;
                ++p;
                if (s.mode != JSMinifier::Code)
                    return p;
            }
        }
        o = out;
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

    // A unit that is, or in UTF-8 starts, a line terminator.
    static bool breakCandidate(Unit u)
    {
        if constexpr (sizeof(Unit) == 1)
            return u == '\n' || u == '\r' || u == 0xE2;
        else
            return isLineBreakUnit(u);
    }

    static const Unit *findBreakCandidate(const Unit *p, const Unit *end)
    {
#ifdef __SSE2__
        if constexpr (sizeof(Unit) == 1) {
            for (; end - p >= 16; p += 16) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
                const __m128i hits = _mm_or_si128(
                    _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\r'))),
                    _mm_cmpeq_epi8(v, _mm_set1_epi8(char(0xE2))));
                if (const unsigned mask = unsigned(_mm_movemask_epi8(hits)))
                    return p + __builtin_ctz(mask);
            }
        }
#endif
        while (p < end && !breakCandidate(*p))
            ++p;
        return p;
    }

    const Unit *lineCommentRun(const Unit *p, const Unit *last)
    {
        while (p < last) {
            if (!s.separatorBytes) {
                p = findBreakCandidate(p, last);
                if (p == last)
                    return p;
                if (sizeof(Unit) == 2 || isLineBreakUnit(*p)) {
                    s.mode = JSMinifier::Code; // the line terminator is code
                    return p;
                }
            }
            lineComment(*p, p[1], false);
            ++p;
            if (s.mode != JSMinifier::InLineComment)
                return p;
        }
        return p;
    }

    // Notes the line terminators in a stretch of a block comment without "*".
    void blockCommentBreaks(const Unit *p, const Unit *end)
    {
        while (p < end && s.blockBreak != '\n') {
            if (!s.separatorBytes) {
                p = findBreakCandidate(p, end);
                if (p == end)
                    return;
            }
            blockCommentBreak(*p++);
        }
    }

    const Unit *blockCommentRun(const Unit *p, const Unit *last)
    {
        while (p < last) {
            if (!s.star) {
                const Unit *star = find(p, last, '*');
                blockCommentBreaks(p, star);
                p = star;
                if (p == last)
                    return p;
            }
            blockComment(*p++);
            if (s.mode != JSMinifier::InBlockComment)
                return p;
        }
        return p;
    }

    const Unit *literalRun(const Unit *p, const Unit *last, char16_t quote)
    {
        Unit *out = o;
        while (p < last) {
            const Unit u = *p;
            if (u == quote || u == '\\' || u == '\n' || u == '\r' || s.escaped || (u == '$' && quote == '`') ||
                s.dollar) {
                o = out;
                literal(u, p[1], false, quote);
                out = o;
                ++p;
                if (s.mode != JSMinifier::Code)
                    continue;
                return p;
            }
            *out++ = u;
            s.last = u;
            ++p;
        }
        o = out;
        return p;
    }

    State s;
    std::vector<int> &templates;
    std::vector<int> &conditions;
    Unit *o;
    Unit *const outStart;
};

JSMinifier::JSMinifier() = default;

char *JSMinifier::feed(const char *in, qsizetype size, char *out)
{
    static const unsigned char bom[] = {0xEF, 0xBB, 0xBF};
    if (Q_UNLIKELY(!m_state.bomSettled)) {
        // The mark may arrive a byte at a time: its bytes wait until it is
        // complete, or turn out to be text.
        qsizetype matched = 0;
        while (matched < size && m_state.bomSeen < 3 && uchar(in[matched]) == bom[m_state.bomSeen]) {
            ++matched;
            ++m_state.bomSeen;
        }
        if (m_state.bomSeen < 3 && matched == size)
            return out;
        m_state.bomSettled = true;
        if (m_state.bomSeen < 3) // text after all
            out = feedBytes(reinterpret_cast<const char *>(bom), m_state.bomSeen, out);
        in += matched;
        size -= matched;
    }
    return feedBytes(in, size, out);
}

char *JSMinifier::feedBytes(const char *in, qsizetype size, char *out)
{
    auto *o = reinterpret_cast<unsigned char *>(out);
    MinifierPass<unsigned char> pass(m_state, m_templateDepths, m_conditionDepths, o);
    return reinterpret_cast<char *>(pass.run(m_state, reinterpret_cast<const unsigned char *>(in), size));
}

char *JSMinifier::finish(char *out)
{
    if (!m_state.bomSettled && m_state.bomSeen > 0 && m_state.bomSeen < 3) {
        static const char bomStart[] = "\xEF\xBB";
        m_state.bomSettled = true;
        out = feedBytes(bomStart, m_state.bomSeen, out);
    }
    MinifierPass<unsigned char> pass(m_state, m_templateDepths, m_conditionDepths,
                                     reinterpret_cast<unsigned char *>(out));
    return reinterpret_cast<char *>(pass.finish(m_state));
}

QChar *JSMinifier::feed(const QChar *in, qsizetype size, QChar *out)
{
    if (Q_UNLIKELY(!m_state.bomSettled) && size > 0) {
        m_state.bomSettled = true;
        if (in->unicode() == 0xFEFF) {
            ++in;
            --size;
        }
    }
    MinifierPass<ushort> pass(m_state, m_templateDepths, m_conditionDepths, reinterpret_cast<ushort *>(out));
    return reinterpret_cast<QChar *>(pass.run(m_state, reinterpret_cast<const ushort *>(in), size));
}

QChar *JSMinifier::finish(QChar *out)
{
    MinifierPass<ushort> pass(m_state, m_templateDepths, m_conditionDepths, reinterpret_cast<ushort *>(out));
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

bool JSMinifier::punctuatorPrecedesRegex(char16_t c)
{
    switch (c) {
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
    default:
        return false;
    }
}
