#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// The script compressor's character loop: one left-to-right pass that drops
// comments and the whitespace it judges unneeded and copies everything else.
// It never inserts a character; its output is always a subsequence of its input.
//
// The pass is a state machine with a one-unit look-ahead. It runs over UTF-16
// code units (the editor's text) or over UTF-8 bytes (files on the command
// line); every character the rules look at is ASCII, so both give the same
// text. Positions, used by the rule that always copies the first three
// characters and the last one, count UTF-16 code units in both cases.
//
// The input may come in chunks of any size: the state, the held look-ahead
// unit, the last output character and the position survive between feed()
// calls, and each call writes the output of the units it could decide.
//
//     JSMinifier minifier;
//     for each chunk: end = minifier.feed(chunk, size, buffer); write(buffer, end)
//     end = minifier.finish(buffer); write(buffer, end)
//
// A byte-order mark at the start of the text (U+FEFF, or EF BB BF in UTF-8)
// is dropped, as decoding with QString::fromUtf8() drops it, so that both
// paths give the same text; positions count from after it.
//
// One instance handles one text, either as bytes or as UTF-16, never mixed.
class JSMinifier
{
public:
    // Whether a "/" after this character (blanks skipped) opens a regex
    // literal rather than dividing; 0 stands for the start of the text. The
    // export's literal tracking must judge exactly as the minifier does.
    static bool punctuatorPrecedesRegex(char16_t c);

    // One feed() writes at most its input size plus this many units; finish()
    // writes at most this many.
    static constexpr qsizetype extraOutput = 32;

    JSMinifier();

    // UTF-8 input; `out` must have room for size + extraOutput bytes.
    char *feed(const char *in, qsizetype size, char *out);
    char *finish(char *out);

    // UTF-16 input; `out` must have room for size + extraOutput units.
    QChar *feed(const QChar *in, qsizetype size, QChar *out);
    QChar *finish(QChar *out);

private:
    template <typename Unit> friend class MinifierPass;

    char *feedBytes(const char *in, qsizetype size, char *out);

    // Where the scan stands; the names follow the rules they implement.
    enum Mode : std::uint8_t {
        Code,
        LineCommentOpen, // the second "/" of "//" comes next
        InLineComment,
        BlockCommentOpen, // the "*" of "/*" comes next
        InBlockComment,
        InDoubleQuote,
        InSingleQuote,
        InBackQuote,
        InRegex,
    };

    // The fuse value of a dropped comment: "/**/" is written in its place,
    // which the comment holds as a subsequence.
    static constexpr char16_t commentFuse = u'*';

    // How far back the look at the output for regex literals reaches: the
    // same whatever the chunks, so both paths decide alike.
    static constexpr int lookBehind = 16;

    struct State
    {
        Mode mode = Code;
        bool escaped = false;            // in a literal or regex: the previous unit was an unescaped backslash
        bool regexClass = false;         // in a regex: inside [...]
        bool star = false;               // in a block comment: the previous unit was "*"
        char16_t blockBreak = 0;         // the line terminator a block comment stands for: a line feed if it holds
                                         // one, else the first other one; 0 while it holds none
        std::uint8_t separatorBytes = 0; // in a comment, bytes path: E2 80 of U+2028 or U+2029 seen so far
        bool dollar = false;             // in a template: an unescaped "$" came last
        int braceDepth = 0;              // in a template's "${...}": the braces open in its code
        bool hasHeld = false;            // a unit waits for its look-ahead
        char16_t held = 0;
        char16_t last = 0;              // last output unit, a pending blank included; 0 while empty
        char16_t beforePending = 0;     // last output unit before the pending blank
        char16_t pending = 0;           // blank appended but not written yet: a later line feed may take it back
        char16_t fuse = 0;              // dropped separator (a blank, or commentFuse for a dropped comment):
                                        // written again if the next unit would fuse with the last one
        bool bomSettled = false;        // whether a leading byte-order mark was looked for
        std::uint8_t bomSeen = 0;       // bytes of a leading UTF-8 byte-order mark seen so far
        qint64 position = 0;            // input units consumed, in UTF-16 units, counted only up to 3
        qint64 outputSize = 0;          // units written by earlier calls
        qint64 regexEnd = -1;           // output position of the "/" that closed the latest regex literal
        qint64 conditionEnd = -1;       // output position of the ")" that closed the latest statement condition
        int parenDepth = 0;             // "(" open inside the innermost statement condition
        char16_t tail[lookBehind] = {}; // the last units written by earlier calls, oldest first
        int tailSize = 0;
    };

    State m_state;
    // The brace depth at each open "${" of the templates around the code
    // being read; empty outside templates. Kept apart from the state, which
    // is copied at every call.
    std::vector<int> m_templateDepths;
    // The paren depth around each open condition of if, while, for and
    // with, innermost last; a "/" after the ")" that closes one opens a
    // regex literal (the statement's body starts there).
    std::vector<int> m_conditionDepths;
};

// The minified form of `text`, through the same pass as the byte path.
QString compressJavaScriptText(const QString &text);

// The minified form of UTF-8 `utf8`; the same text as compressJavaScriptText()
// for valid UTF-8. Bytes of invalid sequences are copied like letters.
QByteArray compressJavaScriptUtf8(const QByteArray &utf8);
