#include "LongLineLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <QTextLayout>

#include <limits>

namespace QMDrovebot {

LongLineLayout::LongLineLayout(QTextDocument *document)
    : QObject(document)
    , m_document(document)
{
    // A document reports changes only once it has a layout. It reports them
    // before it lays them out, so a switch made here already applies.
    document->documentLayout();
    connect(document, &QTextDocument::contentsChange, this, &LongLineLayout::contentsChanged);
    keepShapes(document->firstBlock(), QTextBlock());
    apply(findLongRun(document->firstBlock(), QTextBlock()));
}

namespace {

// Whether text[begin, end), a run between breaking blanks, holds more than
// `limit` characters without a line-break opportunity. The rules of line
// breaking (the layout's own) are asked chunk by chunk, so a long run costs
// in proportion to its length, however it breaks.
bool runHasLongGap(const QString &text, int begin, int end, int limit)
{
    while (end - begin > limit) {
        const int chunkEnd = qMin(end, begin + 4 * limit);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text.constData() + begin, chunkEnd - begin);
        // The chunk starts at a break; its end is one only at the run's end.
        int previous = 0;
        for (int next = finder.toNextBoundary(); next > 0 && next < chunkEnd - begin; next = finder.toNextBoundary()) {
            if (next - previous > limit)
                return true;
            previous = next;
        }
        if (chunkEnd - begin - previous > limit)
            return true;
        if (chunkEnd == end)
            return false;
        begin += previous;
    }
    return false;
}

} // namespace

bool LongLineLayout::hasLongUnbrokenRun(const QString &text)
{
    // A breaking blank is a break opportunity whatever surrounds it, and
    // ordinary text has one every few words; only the runs between blanks
    // that are long enough need the full rules (a hyphen, a slash or an
    // ideograph may still allow a break).
    const int size = text.size();
    int runStart = 0;
    for (int i = 0; i <= size; ++i) {
        const bool blank = i == size || (text.at(i).isSpace() && text.at(i).decompositionTag() != QChar::NoBreak);
        if (!blank)
            continue;
        if (i - runStart > maximumUnbrokenRun && runHasLongGap(text, runStart, i, maximumUnbrokenRun))
            return true;
        runStart = i + 1;
    }
    return false;
}

void LongLineLayout::expect(QTextDocument *document, const QString &text)
{
    auto *watcher = document->findChild<LongLineLayout *>(QString(), Qt::FindDirectChildrenOnly);
    // Only towards breaking anywhere: going back to words now would lay the
    // old content out by words, long runs and all.
    if (watcher && hasLongUnbrokenRun(text)) {
        watcher->apply(true);
        watcher->m_expected = true;
    }
}

bool LongLineLayout::findLongRun(QTextBlock block, const QTextBlock &last)
{
    for (; block.isValid(); block = block.next()) {
        // The length check spares copying the text of every short line.
        if (block.length() > maximumUnbrokenRun && hasLongUnbrokenRun(block.text())) {
            m_longRun = QTextCursor(block);
            return true;
        }
        if (block == last)
            break;
    }
    return false;
}

void LongLineLayout::keepShapes(QTextBlock block, const QTextBlock &last)
{
    for (; block.isValid(); block = block.next()) {
        if (block.length() >= shapedLineLength)
            block.layout()->setCacheEnabled(true);
        if (block == last)
            break;
    }
}

void LongLineLayout::contentsChanged(int position, int, int added)
{
    // Replacing the text removes the old one first: no reason to go back to
    // words just before the expected text arrives.
    if (m_expected && added == 0)
        return;
    m_expected = false;
    const QTextBlock first = m_document->findBlock(position);
    const QTextBlock last = m_document->findBlock(position + added);
    keepShapes(first, last);
    bool longRun = findLongRun(first, last);
    if (!longRun && !m_longRun.isNull()) {
        // The run found earlier is still there unless the change reached its
        // block (a deleted block leaves the cursor inside the change).
        const int known = m_longRun.block().position();
        const int end = last.isValid() ? last.position() + last.length() : std::numeric_limits<int>::max();
        longRun = known < first.position() || known >= end || findLongRun(m_document->firstBlock(), QTextBlock());
    }
    if (!longRun)
        m_longRun = QTextCursor();
    apply(longRun);
}

void LongLineLayout::apply(bool longRun)
{
    QTextOption option = m_document->defaultTextOption();
    const QTextOption::WrapMode mode = option.wrapMode();
    if (longRun && (mode == QTextOption::WordWrap || mode == QTextOption::WrapAtWordBoundaryOrAnywhere)) {
        m_wordMode = mode;
        m_switched = true;
        option.setWrapMode(QTextOption::WrapAnywhere);
    } else if (!longRun && m_switched) {
        m_switched = false;
        // Whoever chose another mode in between keeps it.
        if (mode != QTextOption::WrapAnywhere)
            return;
        option.setWrapMode(m_wordMode);
    } else {
        return;
    }
    m_document->setDefaultTextOption(option);
}

} // namespace QMDrovebot
