#include "TextFileFormat.h"

#include <QTextCodec>

namespace QMDrovebot {

namespace {

QTextCodec *eightBitCodec()
{
    // A UTF-8 or ASCII locale names no 8-bit encoding: Latin-1 stands in.
    QTextCodec *locale = QTextCodec::codecForLocale();
    const int mib = locale ? locale->mibEnum() : 0;
    const bool singleByte = mib != 106 && mib != 3 && mib != 1013 && mib != 1014 && mib != 1015 && mib > 0 &&
                            !locale->name().contains("UTF");
    return singleByte ? locale : QTextCodec::codecForMib(4);
}

bool isValidUtf8(const char *data, int size)
{
    QTextCodec::ConverterState state;
    QTextCodec::codecForMib(106)->toUnicode(data, size, &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

// Decodes UTF-16 after its mark (if any); `valid` is false when the codec
// met something it could not decode or a last byte was left over.
QString fromUtf16(const char *data, int size, bool little, bool *valid)
{
    QTextCodec *codec = QTextCodec::codecForName(little ? "UTF-16LE" : "UTF-16BE");
    // The mark is already skipped: a second one would be text.
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QString text = codec->toUnicode(data, size, &state);
    *valid = state.invalidChars == 0 && state.remainingChars == 0 && size % 2 == 0;
    return text;
}

// Text in UTF-16 without a mark: in a script nearly every unit is ASCII, so
// one byte of each unit is NUL, always the same one. False, with nothing
// set, for anything else or for UTF-16 that would not come back whole.
bool decodeUnmarkedUtf16(const QByteArray &bytes, QString *text, TextFileFormat::Encoding *encoding)
{
    const int size = bytes.size();
    if (size == 0 || size % 2 != 0)
        return false;
    int evenNuls = 0, oddNuls = 0;
    const char *data = bytes.constData();
    for (int i = 0; i < size; i += 2) {
        evenNuls += data[i] == 0;
        oddNuls += data[i + 1] == 0;
    }
    const int units = size / 2;
    const bool little = oddNuls * 2 >= units && evenNuls * 4 < oddNuls;
    const bool big = evenNuls * 2 >= units && oddNuls * 4 < evenNuls;
    if (!little && !big)
        return false;
    bool valid = false;
    const QString decoded = fromUtf16(data, size, little, &valid);
    if (!valid)
        return false;
    *text = decoded;
    *encoding = little ? TextFileFormat::Utf16LE : TextFileFormat::Utf16BE;
    return true;
}

TextFileFormat::LineEnd dominantLineEnd(const QString &text, bool *mixed)
{
    int lf = 0, crlf = 0, cr = 0;
    const int size = text.size();
    const QChar *data = text.constData();
    for (int i = 0; i < size; ++i) {
        if (data[i] == QLatin1Char('\n')) {
            ++lf;
        } else if (data[i] == QLatin1Char('\r')) {
            if (i + 1 < size && data[i + 1] == QLatin1Char('\n')) {
                ++crlf;
                ++i;
            } else {
                ++cr;
            }
        }
    }
    *mixed = (lf > 0) + (crlf > 0) + (cr > 0) > 1;
    if (crlf > lf && crlf >= cr)
        return TextFileFormat::CRLF;
    if (cr > lf && cr > crlf)
        return TextFileFormat::CR;
    return TextFileFormat::LF;
}

QString toLineFeeds(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

TextFileFormat TextFileFormat::utf8()
{
    return TextFileFormat();
}

bool TextFileFormat::operator==(const TextFileFormat &other) const
{
    return encoding == other.encoding && byteOrderMark == other.byteOrderMark && lineEnd == other.lineEnd &&
           codecName == other.codecName;
}

QString TextFileFormat::decode(const QByteArray &bytes, TextFileFormat *format)
{
    *format = TextFileFormat();
    QString text;
    // Every conversion takes the size: the QByteArray overloads stop at a NUL.
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        format->byteOrderMark = true;
        text = QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
        format->invalidBytes = !isValidUtf8(bytes.constData() + 3, bytes.size() - 3);
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool little = bytes.at(0) == '\xFF';
        format->encoding = little ? Utf16LE : Utf16BE;
        format->byteOrderMark = true;
        bool valid = false;
        text = fromUtf16(bytes.constData() + 2, bytes.size() - 2, little, &valid);
        format->invalidBytes = !valid;
    } else if (decodeUnmarkedUtf16(bytes, &text, &format->encoding)) {
        // Written back without a mark, as found.
    } else if (isValidUtf8(bytes.constData(), bytes.size())) {
        text = QString::fromUtf8(bytes.constData(), bytes.size());
    } else {
        QTextCodec *codec = eightBitCodec();
        format->encoding = EightBit;
        format->codecName = codec->name();
        text = codec->toUnicode(bytes);
    }
    format->lineEnd = dominantLineEnd(text, &format->mixedLineEnds);
    return toLineFeeds(text);
}

bool TextFileFormat::encode(const QString &text, QByteArray *bytes) const
{
    QString withEnds = text;
    if (lineEnd == CRLF)
        withEnds.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    else if (lineEnd == CR)
        withEnds.replace(QLatin1Char('\n'), QLatin1Char('\r'));

    QByteArray out;
    switch (encoding) {
    case Utf8:
        out = withEnds.toUtf8();
        if (byteOrderMark)
            out.prepend("\xEF\xBB\xBF");
        break;
    case Utf16LE:
    case Utf16BE: {
        QTextCodec *codec = QTextCodec::codecForName(encoding == Utf16LE ? "UTF-16LE" : "UTF-16BE");
        QTextCodec::ConverterState state(QTextCodec::IgnoreHeader); // the mark is ours to write
        out = codec->fromUnicode(withEnds.constData(), withEnds.size(), &state);
        if (byteOrderMark)
            out.prepend(encoding == Utf16LE ? "\xFF\xFE" : "\xFE\xFF", 2);
        break;
    }
    case EightBit: {
        QTextCodec *codec = QTextCodec::codecForName(codecName);
        if (!codec || !codec->canEncode(withEnds))
            return false;
        out = codec->fromUnicode(withEnds);
        break;
    }
    }
    *bytes = out;
    return true;
}

QString TextFileFormat::encodingName() const
{
    switch (encoding) {
    case Utf8:
        return QStringLiteral("UTF-8");
    case Utf16LE:
        return QStringLiteral("UTF-16 LE");
    case Utf16BE:
        return QStringLiteral("UTF-16 BE");
    case EightBit:
        break;
    }
    return QString::fromLatin1(codecName);
}

QString TextFileFormat::lossReason(const QString &decoded) const
{
    QStringList reasons;
    if (invalidBytes)
        reasons << QStringLiteral("some of its bytes are not valid %1").arg(encodingName());
    // The text widget keeps these as paragraph and frame breaks.
    QStringList breaks;
    for (const ushort code : {0x2029, 0xFDD0, 0xFDD1}) {
        if (decoded.contains(QChar(code)))
            breaks << QStringLiteral("U+") + QString::number(code, 16).toUpper();
    }
    if (!breaks.isEmpty())
        reasons << QStringLiteral("it holds %1, which the editor keeps as line feeds")
                       .arg(breaks.join(QStringLiteral(", ")));
    if (mixedLineEnds) {
        const char *style = lineEnd == CRLF ? "CR LF" : lineEnd == CR ? "CR" : "LF";
        reasons << QStringLiteral("its line ends are mixed and will all be %1").arg(QLatin1String(style));
    }
    if (reasons.isEmpty())
        reasons << QStringLiteral("its text cannot be written back byte for byte");
    return reasons.join(QStringLiteral("; "));
}

} // namespace QMDrovebot
