#pragma once

#include <QObject>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextOption>

class QTextDocument;

namespace QMDrovebot {

// Keeps the layout of a text document linear in the length of its lines.
//
// Wrapping by words lays out a line without break opportunities (a long hex
// string, a minified run, a thrown blob) in time quadratic in its length:
// every visual line looks for the next break up to the end of the run. While
// the document holds such a run, its lines may break anywhere; as soon as the
// last one is gone, the document wraps by words again. Text with ordinary
// breaks never sees a difference.
//
// Very long lines also keep their shaped glyphs after a layout: the toolkit
// otherwise shapes the whole line again to place the cursor, at every blink.
class LongLineLayout : public QObject
{
    Q_OBJECT

public:
    // Becomes a child of the document and watches it from now on.
    explicit LongLineLayout(QTextDocument *document);

    // Runs up to this length cost a few milliseconds when wrapped by words.
    static constexpr int maximumUnbrokenRun = 2000;
    // Shaping a line this long takes a few milliseconds.
    static constexpr int shapedLineLength = 16384;

    // Whether the text holds more than maximumUnbrokenRun characters in a
    // row without a line-break opportunity.
    static bool hasLongUnbrokenRun(const QString &text);

    // To be called just before `text` replaces the content of a document
    // watched by a LongLineLayout. A switch made when the text arrives costs
    // one more layout of all of it; made now, it re-lays out the old content.
    static void expect(QTextDocument *document, const QString &text);

private:
    void contentsChanged(int position, int removed, int added);
    // Looks for a long run in the blocks from `first` up to `last` (to the
    // end when `last` is invalid); remembers where it found one.
    bool findLongRun(QTextBlock first, const QTextBlock &last);
    // The same range: long lines keep their glyphs from now on.
    static void keepShapes(QTextBlock first, const QTextBlock &last);
    void apply(bool longRun);

    QTextDocument *m_document;
    // The wrap mode to go back to: what the document had when it switched.
    QTextOption::WrapMode m_wordMode = QTextOption::WordWrap;
    // True while the document breaks anywhere because of a switch made here.
    bool m_switched = false;
    // A long text announced by expect() has not arrived yet.
    bool m_expected = false;
    // The block last found with a long run; a cursor follows it through
    // edits, so a recheck usually ends at the first block it looks at.
    QTextCursor m_longRun;
};

} // namespace QMDrovebot
