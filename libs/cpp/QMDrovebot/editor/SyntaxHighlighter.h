#pragma once

#include <QStringList>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <QVector>

#include <array>

namespace QMDrovebot {

// Colours JavaScript with one left-to-right scan per block. The block state
// carries what crosses a line end: -1 normal text, 0 inside a block comment,
// 1 inside a string literal.
class SyntaxHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT

public:
    explicit SyntaxHighlighter(QTextDocument *document);

    // The token of the list that starts at position, or an empty text. The
    // list order decides between tokens that both match: the first one wins,
    // so at ">>>" the answer is ">". Tokens that start with a word character
    // must not touch a word character on either side.
    QString matchKeyword(int position, const QString &text) const;

    // ASCII letters and digits only: '_' and '$' are not word characters.
    static bool isWordCharacter(QChar c)
    {
        const ushort u = c.unicode();
        return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
    }

protected:
    void highlightBlock(const QString &text) override;

private:
    enum State { Normal = -1, InBlockComment = 0, InString = 1 };

    // The index into keywords of the token at position, or -1. The scan
    // calls this for most characters of a document, so it works on the raw
    // characters and hands out no strings.
    int matchToken(const QChar *text, int size, int position) const;

    QStringList keywords;
    // For each ASCII first character, the indexes into keywords of the
    // tokens starting with it, in list order; every token is ASCII, so a
    // position holding any other character cannot start a token.
    std::array<QVector<int>, 128> tokensByFirstCharacter;

    QTextCharFormat commentFormat;
    QTextCharFormat stringFormat;
    QTextCharFormat keywordFormat;
    QTextCharFormat digitFormat;
};

} // namespace QMDrovebot
