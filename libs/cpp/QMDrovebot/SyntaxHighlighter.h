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
    static bool isWordCharacter(QChar c);

protected:
    void highlightBlock(const QString &text) override;

private:
    enum State { Normal = -1, InBlockComment = 0, InString = 1 };

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
