#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// Export of a script as pure ASCII, so that the file reads the same in every
// encoding and keeps its meaning. Inside string, template and regex literals
// and in identifiers, each UTF-16 unit above U+007F becomes a \uXXXX escape
// (a surrogate pair two of them). Elsewhere an escape is no blank: a space
// character there (category Zs, or U+FEFF) is written as a space, and U+2028
// and U+2029 as a line feed, so the encoder tracks comments and literals the
// way the minifier does, on any text (the dialog's text may have been edited).
// A backslash right before an escaped unit in a literal escaped it on its own
// ("\é" is "é"), so that backslash goes; a backslash before U+2028 or U+2029
// continued the literal's line, so both go. Feed the text in pieces of any
// size, then call finish().
class JSAsciiEncoder
{
public:
    // Appends the encoding of `size` units to `out`.
    void encode(const QChar *text, qsizetype size, QByteArray &out);
    void finish(QByteArray &out);

private:
    enum Mode : std::uint8_t {
        Code,
        AfterSlash, // a "/" in code: a comment, a regex literal or division
        LineComment,
        BlockComment,
        SingleQuote,
        DoubleQuote,
        Template,
        Regex,
    };

    // What decides whether a "/" in code opens a regex literal: the units of
    // code before it, comments and literals standing in as blanks and
    // operands.
    struct Context
    {
        char previous = 0;         // the unit right before: ' ' for a blank or comment, ')' after a literal
        char last = 0;             // the last unit that is no blank: 'a' for a word unit, 0 at the start
        char beforeLast = 0;       // the unit right before `last`
        bool wordAfterDot = false; // the current word follows "." (a property name)
        int wordLength = 0;
        std::uint64_t word = 0;      // its last ten units, six bits each (letters only in keywords)
        bool afterCondition = false; // `last` is the ")" of a statement's condition
    };

    const ushort *codeRun(const ushort *p, const ushort *end, char *&out);
    const ushort *quoteRun(const ushort *p, const ushort *end, char *&out);
    const ushort *commentRun(const ushort *p, const ushort *end, char *&out);
    char *code(ushort u, char *o);
    char *literal(ushort u, char *o);
    char *comment(ushort u, char *o);
    bool slashStartsRegex() const;

    Mode m_mode = Code;
    // In a literal: the output ends with an odd run of backslashes whose last
    // one is not written yet; the next unit decides whether it stays.
    bool m_heldBackslash = false;
    bool m_escapedCR = false;  // in a literal: "\" CR came last, so a line feed continues the line
    bool m_dollar = false;     // in a template: an unescaped "$" came last
    bool m_regexClass = false; // in a regex literal: inside [...]
    bool m_star = false;       // in a block comment: "*" came last
    bool m_slashStartsRegex = false;
    Context m_context;
    int m_braceDepth = 0;
    std::vector<int> m_templateDepths;  // the brace depth at each open "${"
    std::vector<int> m_conditionDepths; // the paren depth at each open condition of if, while, for or with
    int m_parenDepth = 0;               // counted inside conditions only
};

// The whole of `text` through JSAsciiEncoder.
QByteArray toJavaScriptAscii(const QString &text);
