#include "OutputArea.h"

#include "LongLineLayout.h"

#include <QInputEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>

namespace QMDrovebot {

namespace {

// A paragraph of gathered lines stays well below the length at which the
// layout keeps a line's glyphs, and short enough to lay out in one go.
constexpr int kParagraphLength = 8000;
// Gathered text beyond this goes into the document at once.
constexpr int kPendingLimit = 1 << 20;
// One change to the document, at most, in pixels of height (whole paragraphs
// of it): a change some ten thousand pixels taller stalls the toolkit's
// layout of a long document for minutes; in pieces it takes milliseconds.
constexpr int kEditHeight = 16000;
// Half the height at which the toolkit's layout stalls.
constexpr qreal kSpillHeight = qreal(1 << 24);

} // namespace

OutputArea::OutputArea(QWidget *parent)
    : QTextEdit(parent)
{
    // Scripts print and throw whole files' worth of text on one line.
    new LongLineLayout(QTextEdit::document());
    // A scroll bar that appears when the text outgrows the view narrows it
    // and re-wraps every line: for a long print, a second layout.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Shaping is most of what laying out printed text costs, and the pane
    // shows plain output: kerning and ligatures are not worth it there.
    QFont plain = font();
    plain.setStyleStrategy(QFont::PreferNoShaping);
    setFont(plain);
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(0);
    connect(&m_flushTimer, &QTimer::timeout, this, &OutputArea::flush);
}

void OutputArea::print(const QString &text)
{
    // Rich text is read by the text edit itself, as append() reads it.
    if (Qt::mightBeRichText(text)) {
        append(text);
        return;
    }
    if (m_pendingLines > 0) {
        const bool full = m_pending.size() - m_paragraphStart + text.size() > kParagraphLength;
        m_pending += full ? QChar(QChar::ParagraphSeparator) : QChar(QChar::LineSeparator);
        if (full)
            m_paragraphStart = m_pending.size();
    }
    m_pending += text;
    ++m_pendingLines;
    emit gathered(text);
    if (m_pending.size() > kPendingLimit)
        flush();
    else if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void OutputArea::flush()
{
    m_flushTimer.stop();
    if (m_pendingLines == 0)
        return;
    // What append() does for each line: a new paragraph in the formats of
    // the pane's cursor, and the view follows the end while it is there.
    QScrollBar *bar = verticalScrollBar();
    const bool follow = bar->value() >= bar->maximum() || textCursor().atEnd();
    const QTextCursor cursor = textCursor();
    QTextDocument *doc = QTextEdit::document();
    QTextCursor end(doc);
    end.movePosition(QTextCursor::End);
    if (doc->isEmpty())
        end.setCharFormat(cursor.charFormat());
    const QFontMetrics metrics(font());
    const int editLength = qBound(kParagraphLength,
                                  kEditHeight / qMax(1, metrics.lineSpacing()) *
                                      (viewport()->width() / qMax(1, metrics.averageCharWidth())),
                                  1 << 16);
    for (int from = 0; from < m_pending.size();) {
        int to = m_pending.size();
        if (to - from > editLength) {
            const int cut = m_pending.lastIndexOf(QChar(QChar::ParagraphSeparator), from + editLength);
            to = cut > from ? cut : m_pending.indexOf(QChar(QChar::ParagraphSeparator), from + editLength);
            if (to < 0)
                to = m_pending.size();
        }
        end.beginEditBlock();
        if (from > 0 || !doc->isEmpty())
            end.insertBlock(cursor.blockFormat(), cursor.charFormat());
        end.insertText(m_pending.mid(from, to - from));
        end.endEditBlock();
        from = to + 1;
    }
    m_pending.clear();
    m_pendingLines = 0;
    m_paragraphStart = 0;
    emit flushed();
    spillIfTall();
    if (follow)
        bar->setValue(bar->maximum());
}

void OutputArea::spillIfTall()
{
    QTextDocument *doc = QTextEdit::document();
    if (doc->size().height() < kSpillHeight || doc->blockCount() < 2)
        return;
    QTextCursor top(doc);
    top.movePosition(QTextCursor::Start);
    top.setPosition(doc->findBlockByNumber(doc->blockCount() / 2).position(), QTextCursor::KeepAnchor);
    // The text up to the block that stays, and its line end.
    QString text = top.selection().toPlainText();
    if (!m_spilled.isEmpty())
        text.prepend(m_spilled + QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    m_spilled = text;
    top.removeSelectedText();
    emit spilled(m_spilled);
}

void OutputArea::forgetSpilled()
{
    if (m_spilled.isEmpty())
        return;
    m_spilled.clear();
    emit spilled(m_spilled);
}

bool OutputArea::event(QEvent *event)
{
    flushBeforeInput(event);
    return QTextEdit::event(event);
}

bool OutputArea::viewportEvent(QEvent *event)
{
    flushBeforeInput(event);
    return QTextEdit::viewportEvent(event);
}

void OutputArea::flushBeforeInput(const QEvent *event)
{
    if (m_pendingLines == 0)
        return;
    const QEvent::Type type = event->type();
    if (dynamic_cast<const QInputEvent *>(event) || type == QEvent::InputMethod || type == QEvent::Drop ||
        type == QEvent::DragMove)
        flush();
}

QString OutputArea::toPlainText() const
{
    const_cast<OutputArea *>(this)->flush();
    if (m_spilled.isEmpty())
        return QTextEdit::toPlainText();
    return m_spilled + QLatin1Char('\n') + QTextEdit::toPlainText();
}

QString OutputArea::toHtml() const
{
    const_cast<OutputArea *>(this)->flush();
    return QTextEdit::toHtml();
}

QString OutputArea::toMarkdown(QTextDocument::MarkdownFeatures features) const
{
    const_cast<OutputArea *>(this)->flush();
    return QTextEdit::toMarkdown(features);
}

QTextDocument *OutputArea::document() const
{
    const_cast<OutputArea *>(this)->flush();
    return QTextEdit::document();
}

// The slots take in the gathered lines first: what they change or read
// comes after them, as it did when each line was appended at once.

void OutputArea::setFontPointSize(qreal size)
{
    flush();
    QTextEdit::setFontPointSize(size);
}

void OutputArea::setFontFamily(const QString &family)
{
    flush();
    QTextEdit::setFontFamily(family);
}

void OutputArea::setFontWeight(int weight)
{
    flush();
    QTextEdit::setFontWeight(weight);
}

void OutputArea::setFontUnderline(bool underline)
{
    flush();
    QTextEdit::setFontUnderline(underline);
}

void OutputArea::setFontItalic(bool italic)
{
    flush();
    QTextEdit::setFontItalic(italic);
}

void OutputArea::setTextColor(const QColor &color)
{
    flush();
    QTextEdit::setTextColor(color);
}

void OutputArea::setTextBackgroundColor(const QColor &color)
{
    flush();
    QTextEdit::setTextBackgroundColor(color);
}

void OutputArea::setCurrentFont(const QFont &font)
{
    flush();
    QTextEdit::setCurrentFont(font);
}

void OutputArea::setAlignment(Qt::Alignment alignment)
{
    flush();
    QTextEdit::setAlignment(alignment);
}

void OutputArea::setPlainText(const QString &text)
{
    flush();
    forgetSpilled();
    QTextEdit::setPlainText(text);
}

void OutputArea::setHtml(const QString &text)
{
    flush();
    forgetSpilled();
    QTextEdit::setHtml(text);
}

void OutputArea::setMarkdown(const QString &markdown)
{
    flush();
    forgetSpilled();
    QTextEdit::setMarkdown(markdown);
}

void OutputArea::setText(const QString &text)
{
    flush();
    forgetSpilled();
    QTextEdit::setText(text);
}

void OutputArea::cut()
{
    flush();
    QTextEdit::cut();
}

void OutputArea::copy()
{
    flush();
    QTextEdit::copy();
}

void OutputArea::paste()
{
    flush();
    QTextEdit::paste();
}

void OutputArea::undo()
{
    flush();
    QTextEdit::undo();
}

void OutputArea::redo()
{
    flush();
    QTextEdit::redo();
}

void OutputArea::clear()
{
    flush();
    forgetSpilled();
    QTextEdit::clear();
}

void OutputArea::selectAll()
{
    flush();
    QTextEdit::selectAll();
}

void OutputArea::insertPlainText(const QString &text)
{
    flush();
    QTextEdit::insertPlainText(text);
}

void OutputArea::insertHtml(const QString &text)
{
    flush();
    QTextEdit::insertHtml(text);
}

void OutputArea::append(const QString &text)
{
    flush();
    QTextEdit::append(text);
    spillIfTall();
}

void OutputArea::scrollToAnchor(const QString &name)
{
    flush();
    QTextEdit::scrollToAnchor(name);
}

} // namespace QMDrovebot
