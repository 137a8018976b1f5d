#include "LongLineLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBoundaryFinder>
#include <QTextDocument>

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
    apply(findLongRun(document->firstBlock(), QTextBlock()));
}

bool LongLineLayout::hasLongUnbrokenRun(const QString &text)
{
    if (text.size() <= maximumUnbrokenRun)
        return false;
    // A breaking blank is a break opportunity whatever surrounds it, and
    // ordinary text has one every few words: counting from blank to blank
    // rules it out at the cost of one pass.
    int run = 0;
    bool candidate = false;
    for (const QChar c : text) {
        if (c.isSpace() && c.decompositionTag() != QChar::NoBreak)
            run = 0;
        else if (++run > maximumUnbrokenRun) {
            candidate = true;
            break;
        }
    }
    if (!candidate)
        return false;
    // Runs without blanks may still break after a hyphen, a slash or
    // between ideographs; ask the same line-breaking rules the layout uses.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
    int previous = 0;
    for (int next = finder.toNextBoundary(); next >= 0; next = finder.toNextBoundary()) {
        if (next - previous > maximumUnbrokenRun)
            return true;
        previous = next;
    }
    return text.size() - previous > maximumUnbrokenRun;
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

void LongLineLayout::contentsChanged(int position, int, int added)
{
    const QTextBlock first = m_document->findBlock(position);
    const QTextBlock last = m_document->findBlock(position + added);
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
