#pragma once

#include <QByteArray>
#include <QString>

namespace QMDrovebot {
class Editor;
}

// The editor's script, minified (see JSMinifier.h). Reads the text of the
// editor's document once and changes nothing; an empty text gives an empty
// result. GUI thread.
QString compressJavaScript(QMDrovebot::Editor *editor);

// Export of a script as pure ASCII, so that the file reads the same in every
// encoding and keeps its meaning: each UTF-16 unit above U+007F becomes a
// \uXXXX escape (a surrogate pair two of them), which is valid in strings,
// template literals, regular expressions and identifiers. A backslash right
// before such a unit escaped it on its own ("\é" is "é"), so that backslash
// goes; a backslash before U+2028 or U+2029 continued a string's line, so both
// go. Feed the text in pieces of any size, then call finish().
class JSAsciiEncoder
{
public:
    // Appends the encoding of `size` units to `out`.
    void encode(const QChar *text, qsizetype size, QByteArray &out);
    void finish(QByteArray &out);

private:
    // The output so far ends with an odd run of backslashes whose last one is
    // not written yet: the next unit decides whether it stays.
    bool m_heldBackslash = false;
};

// The whole of `text` through JSAsciiEncoder.
QByteArray toJavaScriptAscii(const QString &text);
