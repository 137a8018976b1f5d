#pragma once

#include <QByteArray>
#include <QString>

namespace QMDrovebot {

// How a script file stores its text: encoding, byte-order mark and line
// ends. A document keeps the format it was read in and writes it back, so
// opening and saving an unchanged file gives back the same bytes.
//
// Reading: a byte-order mark decides (UTF-8, UTF-16 LE or BE); otherwise
// UTF-16 is recognised by its NUL bytes, all on one side of the units;
// otherwise valid UTF-8 is UTF-8; otherwise the locale's 8-bit encoding, or
// Latin-1 where the locale has none (C, or a UTF-8 locale). Latin-1 maps
// every byte to one character and back, so even a file with broken
// sequences survives. In memory every line ends in a line feed; the file's
// own style (the one most of its lines use) comes back on writing.
//
// What cannot come back (bytes invalid in the file's own marked encoding,
// mixed line ends) is recorded, so the document can warn before a save
// changes bytes the user never touched.
class TextFileFormat
{
public:
    enum Encoding { Utf8, Utf16LE, Utf16BE, EightBit };
    enum LineEnd { LF, CRLF, CR };

    Encoding encoding = Utf8;
    bool byteOrderMark = false;
    LineEnd lineEnd = LF;
    // For EightBit: the codec's name.
    QByteArray codecName;
    // What decode() found that writing cannot reproduce; not part of the
    // format itself (operator== ignores them).
    bool invalidBytes = false;
    bool mixedLineEnds = false;

    // A new document's format: UTF-8 without mark, line feeds.
    static TextFileFormat utf8();

    // Decodes `bytes`, setting `format` to what was found.
    static QString decode(const QByteArray &bytes, TextFileFormat *format);
    // Encodes `text` (line feeds) in this format; false, with nothing
    // written to `bytes`, when the encoding cannot store some character.
    bool encode(const QString &text, QByteArray *bytes) const;

    // A name for messages ("UTF-16 LE", "ISO-8859-1").
    QString encodingName() const;

    // Why writing `decoded` (what decode() returned) cannot give back the
    // bytes it came from, for a message that ends "...: <reason>".
    QString lossReason(const QString &decoded) const;

    bool operator==(const TextFileFormat &other) const;
};

} // namespace QMDrovebot
