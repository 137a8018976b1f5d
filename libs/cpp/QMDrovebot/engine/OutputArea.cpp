#include "OutputArea.h"

#include "LongLineLayout.h"

#include <QInputEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace QMDrovebot {

namespace {

// A paragraph of gathered lines stays well below the length at which the
// layout keeps a line's glyphs, and short enough to lay out in one go.
constexpr int kParagraphLength = 8000;
// Gathered text beyond this goes into the document at once.
constexpr int kPendingLimit = 1 << 20;
// Characters put into the document in one change, at most (whole paragraphs).
constexpr int kEditLength = 1 << 16;

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
    // In pieces of whole paragraphs: one change of some hundred thousand
    // characters to a document of some million makes the toolkit's layout
    // stall for minutes, where the same text in pieces takes milliseconds.
    for (int from = 0; from < m_pending.size();) {
        int to = m_pending.size();
        if (to - from > kEditLength) {
            const int cut = m_pending.lastIndexOf(QChar(QChar::ParagraphSeparator), from + kEditLength);
            to = cut > from ? cut : m_pending.indexOf(QChar(QChar::ParagraphSeparator), from + kEditLength);
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
    if (follow)
        bar->setValue(bar->maximum());
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
    return QTextEdit::toPlainText();
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
    QTextEdit::setPlainText(text);
}

void OutputArea::setHtml(const QString &text)
{
    flush();
    QTextEdit::setHtml(text);
}

void OutputArea::setMarkdown(const QString &markdown)
{
    flush();
    QTextEdit::setMarkdown(markdown);
}

void OutputArea::setText(const QString &text)
{
    flush();
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
}

void OutputArea::scrollToAnchor(const QString &name)
{
    flush();
    QTextEdit::scrollToAnchor(name);
}

} // namespace QMDrovebot
