#include "SyntaxHighlighter.h"

namespace QMDrovebot {

SyntaxHighlighter::SyntaxHighlighter(QTextDocument *document)
    : QSyntaxHighlighter(document)
{
    // The order matters: matchKeyword returns the first accepted token.
    keywords = QStringList{
        QStringLiteral("|"),         QStringLiteral(">"),       QStringLiteral("with"),
        QStringLiteral("true"),      QStringLiteral("prototype"), QStringLiteral(")"),
        QStringLiteral("<"),         QStringLiteral("else"),    QStringLiteral("const"),
        QStringLiteral("native"),    QStringLiteral("("),       QStringLiteral(";"),
        QStringLiteral("this"),      QStringLiteral("typeof"),  QStringLiteral("boolean"),
        QStringLiteral("!"),         QStringLiteral("-"),       QStringLiteral("byte"),
        QStringLiteral("switch"),    QStringLiteral("function"), QStringLiteral("&"),
        QStringLiteral("*"),         QStringLiteral("char"),    QStringLiteral("float"),
        QStringLiteral("throws"),    QStringLiteral("."),       QStringLiteral("/"),
        QStringLiteral("enum"),      QStringLiteral("return"),  QStringLiteral("finally"),
        QStringLiteral("{"),         QStringLiteral(","),       QStringLiteral("int"),
        QStringLiteral("import"),    QStringLiteral("implements"), QStringLiteral("}"),
        QStringLiteral("->"),        QStringLiteral("new"),     QStringLiteral("short"),
        QStringLiteral("interface"), QStringLiteral("["),       QStringLiteral("<<"),
        QStringLiteral("for"),       QStringLiteral("delete"),  QStringLiteral("foreach"),
        QStringLiteral("]"),         QStringLiteral(">>"),      QStringLiteral("try"),
        QStringLiteral("false"),     QStringLiteral("double"),  QStringLiteral("+"),
        QStringLiteral("in"),        QStringLiteral("var"),     QStringLiteral("goto"),
        QStringLiteral("connect"),   QStringLiteral("="),       QStringLiteral("do"),
        QStringLiteral("case"),      QStringLiteral("throw"),   QStringLiteral(">>>"),
        QStringLiteral(":"),         QStringLiteral("if"),      QStringLiteral("long"),
        QStringLiteral("export"),    QStringLiteral("===")};

    for (int index = 0; index < keywords.size(); ++index) {
        const ushort first = keywords.at(index).at(0).unicode();
        Q_ASSERT(first < tokensByFirstCharacter.size());
        tokensByFirstCharacter[first].append(index);
    }

    commentFormat.setForeground(QColor(Qt::darkGreen));
    stringFormat.setForeground(QColor(Qt::red));
    keywordFormat.setForeground(QColor(Qt::blue));
    digitFormat.setForeground(QColor(Qt::black));
}

bool SyntaxHighlighter::isWordCharacter(QChar c)
{
    const ushort u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

QString SyntaxHighlighter::matchKeyword(int position, const QString &text) const
{
    if (position < 0 || position >= text.size())
        return QString();
    const QChar first = text.at(position);
    if (first.unicode() >= tokensByFirstCharacter.size())
        return QString();
    const bool wordStart = isWordCharacter(first);
    // Inside a word no token can pass the boundary test, whatever follows.
    if (wordStart && position > 0 && isWordCharacter(text.at(position - 1)))
        return QString();

    for (int index : tokensByFirstCharacter[first.unicode()]) {
        const QString &token = keywords.at(index);
        const int end = position + token.size();
        if (end > text.size() || text.midRef(position, token.size()) != token)
            continue;
        if (wordStart && end < text.size() && isWordCharacter(text.at(end)))
            continue;
        return token;
    }
    return QString();
}

void SyntaxHighlighter::highlightBlock(const QString &text)
{
    int state = previousBlockState();
    int start = 0;
    int i = 0;
    bool lineComment = false;
    const int length = text.size();

    while (i < length) {
        const QChar c = text.at(i);
        if (state == InBlockComment) {
            // Looked for from the character after the opening "/", so "/*/"
            // is a complete comment.
            if (c == QLatin1Char('*') && i + 1 < length && text.at(i + 1) == QLatin1Char('/')) {
                setFormat(start, i - start + 2, commentFormat);
                state = Normal;
                i += 2;
                continue;
            }
        } else if (state == InString) {
            // Either quote closes the string, whichever opened it, unless a
            // backslash escapes it.
            if ((c == QLatin1Char('"') || c == QLatin1Char('\''))
                && !(i > 0 && text.at(i - 1) == QLatin1Char('\\'))) {
                setFormat(start, i - start + 1, stringFormat);
                state = Normal;
            }
        } else {
            const QChar next = i + 1 < length ? text.at(i + 1) : QChar();
            if ((c == QLatin1Char('/') && next == QLatin1Char('/')) || c == QLatin1Char('#')) {
                lineComment = true;
                break;
            }
            if (c.isNumber()) {
                setFormat(i, 1, digitFormat);
            } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
                start = i;
                state = InBlockComment;
            } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                start = i;
                state = InString;
            } else {
                const QString token = matchKeyword(i, text);
                if (!token.isEmpty()) {
                    setFormat(i, token.size(), keywordFormat);
                    i += token.size() - 1;
                }
            }
        }
        ++i;
    }

    if (lineComment) {
        setFormat(i, length - i, commentFormat);
        setCurrentBlockState(Normal);
    } else if (state == InBlockComment) {
        setFormat(start, length - start, commentFormat);
        setCurrentBlockState(InBlockComment);
    } else if (state == InString) {
        setFormat(start, length - start, stringFormat);
        setCurrentBlockState(InString);
    } else {
        setCurrentBlockState(state);
    }
}

} // namespace QMDrovebot
