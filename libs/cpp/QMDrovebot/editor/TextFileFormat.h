#pragma once

#include <QByteArray>
#include <QString>

namespace QMDrovebot {

// How a script file stores its text: encoding, byte-order mark and line
// ends. A document keeps the format it was read in and writes it back, so
// opening and saving an unchanged file gives back the same bytes.
//
// Reading: a byte-order mark decides (UTF-8, UTF-16 LE or BE); otherwise
// valid UTF-8 is UTF-8; otherwise the locale's 8-bit encoding, or Latin-1
// where the locale has none (C, or a UTF-8 locale). Latin-1 maps every byte
// to one character and back, so even a file with broken sequences survives.
// In memory every line ends in a line feed; the file's own style (the one
// most of its lines use) comes back on writing.
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

    // A new document's format: UTF-8 without mark, line feeds.
    static TextFileFormat utf8();

    // Decodes `bytes`, setting `format` to what was found.
    static QString decode(const QByteArray &bytes, TextFileFormat *format);
    // Encodes `text` (line feeds) in this format; false, with nothing
    // written to `bytes`, when the encoding cannot store some character.
    bool encode(const QString &text, QByteArray *bytes) const;

    // A name for messages ("UTF-16 LE", "ISO-8859-1").
    QString encodingName() const;

    bool operator==(const TextFileFormat &other) const;
};

} // namespace QMDrovebot
