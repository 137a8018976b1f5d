#include "SyntaxHighlighter.h"

namespace QMDrovebot {

SyntaxHighlighter::SyntaxHighlighter(QTextDocument *document)
    : QSyntaxHighlighter(document)
{
    // The order matters: matchKeyword returns the first accepted token.
    keywords = QStringList{QStringLiteral("|"),         QStringLiteral(">"),          QStringLiteral("with"),
                           QStringLiteral("true"),      QStringLiteral("prototype"),  QStringLiteral(")"),
                           QStringLiteral("<"),         QStringLiteral("else"),       QStringLiteral("const"),
                           QStringLiteral("native"),    QStringLiteral("("),          QStringLiteral(";"),
                           QStringLiteral("this"),      QStringLiteral("typeof"),     QStringLiteral("boolean"),
                           QStringLiteral("!"),         QStringLiteral("-"),          QStringLiteral("byte"),
                           QStringLiteral("switch"),    QStringLiteral("function"),   QStringLiteral("&"),
                           QStringLiteral("*"),         QStringLiteral("char"),       QStringLiteral("float"),
                           QStringLiteral("throws"),    QStringLiteral("."),          QStringLiteral("/"),
                           QStringLiteral("enum"),      QStringLiteral("return"),     QStringLiteral("finally"),
                           QStringLiteral("{"),         QStringLiteral(","),          QStringLiteral("int"),
                           QStringLiteral("import"),    QStringLiteral("implements"), QStringLiteral("}"),
                           QStringLiteral("->"),        QStringLiteral("new"),        QStringLiteral("short"),
                           QStringLiteral("interface"), QStringLiteral("["),          QStringLiteral("<<"),
                           QStringLiteral("for"),       QStringLiteral("delete"),     QStringLiteral("foreach"),
                           QStringLiteral("]"),         QStringLiteral(">>"),         QStringLiteral("try"),
                           QStringLiteral("false"),     QStringLiteral("double"),     QStringLiteral("+"),
                           QStringLiteral("in"),        QStringLiteral("var"),        QStringLiteral("goto"),
                           QStringLiteral("connect"),   QStringLiteral("="),          QStringLiteral("do"),
                           QStringLiteral("case"),      QStringLiteral("throw"),      QStringLiteral(">>>"),
                           QStringLiteral(":"),         QStringLiteral("if"),         QStringLiteral("long"),
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

QString SyntaxHighlighter::matchKeyword(int position, const QString &text) const
{
    const int index = matchToken(text.constData(), text.size(), position);
    return index < 0 ? QString() : keywords.at(index);
}

int SyntaxHighlighter::matchToken(const QChar *text, int size, int position) const
{
    if (position < 0 || position >= size)
        return -1;
    const QChar first = text[position];
    if (first.unicode() >= tokensByFirstCharacter.size())
        return -1;
    const bool wordStart = isWordCharacter(first);
    // Inside a word no token can pass the boundary test, whatever follows.
    if (wordStart && position > 0 && isWordCharacter(text[position - 1]))
        return -1;

    for (int index : tokensByFirstCharacter[first.unicode()]) {
        const QString &token = keywords.at(index);
        const int end = position + token.size();
        if (end > size)
            continue;
        const QChar *tokenText = token.constData();
        int k = 1; // the first character is equal by construction
        while (k < token.size() && text[position + k] == tokenText[k])
            ++k;
        if (k < token.size())
            continue;
        if (wordStart && end < size && isWordCharacter(text[end]))
            continue;
        return index;
    }
    return -1;
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
            if ((c == QLatin1Char('"') || c == QLatin1Char('\'')) && !(i > 0 && text.at(i - 1) == QLatin1Char('\\'))) {
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
                const int token = matchToken(text.constData(), length, i);
                if (token >= 0) {
                    const int tokenLength = keywords.at(token).size();
                    setFormat(i, tokenLength, keywordFormat);
                    i += tokenLength - 1;
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
