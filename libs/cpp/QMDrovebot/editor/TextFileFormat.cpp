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

bool isValidUtf8(const QByteArray &bytes)
{
    QTextCodec::ConverterState state;
    QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

TextFileFormat::LineEnd dominantLineEnd(const QString &text)
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
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        format->byteOrderMark = true;
        text = QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool little = bytes.at(0) == '\xFF';
        format->encoding = little ? Utf16LE : Utf16BE;
        format->byteOrderMark = true;
        QTextCodec *codec = QTextCodec::codecForName(little ? "UTF-16LE" : "UTF-16BE");
        // The mark is already skipped: a second one would be text.
        QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
        text = codec->toUnicode(bytes.constData() + 2, bytes.size() - 2, &state);
    } else if (isValidUtf8(bytes)) {
        text = QString::fromUtf8(bytes);
    } else {
        QTextCodec *codec = eightBitCodec();
        format->encoding = EightBit;
        format->codecName = codec->name();
        text = codec->toUnicode(bytes);
    }
    format->lineEnd = dominantLineEnd(text);
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

} // namespace QMDrovebot
