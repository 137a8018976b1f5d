#include "LineTextWidget.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>

namespace QMDrovebot {

LineTextWidget::LineTextWidget(QWidget *parent)
    : QWidget(parent)
{
}

void LineTextWidget::setTextEdit(QTextEdit *edit)
{
    if (m_textEdit) {
        disconnect(m_textEdit, nullptr, this, nullptr);
        disconnect(m_textEdit->verticalScrollBar(), nullptr, this, nullptr);
        disconnect(m_textEdit->document()->documentLayout(), nullptr, this, nullptr);
    }
    m_textEdit = edit;
    if (!edit) {
        update();
        return;
    }
    connect(edit, &QTextEdit::textChanged, this, &LineTextWidget::updateLines);
    connect(edit, &QTextEdit::cursorPositionChanged, this, &LineTextWidget::updateLines);
    connect(edit->verticalScrollBar(), &QScrollBar::valueChanged, this, &LineTextWidget::updateLines);
    // A width change of the text rewraps the lines above the view and moves
    // the blocks without a scroll or a text change; the labels must follow.
    connect(edit->document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            qOverload<>(&QWidget::update));
    update();
}

QTextEdit *LineTextWidget::textEdit() const
{
    return m_textEdit;
}

void LineTextWidget::updateLines()
{
    repaint();
}

QTextBlock LineTextWidget::firstBlockBelow(qreal documentY) const
{
    if (!m_textEdit)
        return QTextBlock();
    const QTextDocument *document = m_textEdit->document();
    const QAbstractTextDocumentLayout *layout = document->documentLayout();
    const auto bottom = [layout](const QTextBlock &block) { return layout->blockBoundingRect(block).bottom(); };

    QTextBlock block = document->firstBlock();
    if (bottom(block) <= documentY) {
        // The layout's own hit test finds the line at a height by bisection
        // and, unlike asking for the rectangle of a block far down, does not
        // force the text editor's lazy layout through the rest of the document.
        const int position = layout->hitTest(QPointF(0, documentY), Qt::FuzzyHit);
        if (position >= 0)
            block = document->findBlock(position);
    }
    // At a boundary between blocks the hit test may name the neighbour.
    for (int step = 0; step < 4; ++step) {
        if (!block.isValid())
            return block;
        const QTextBlock previous = block.previous();
        if (bottom(block) <= documentY)
            block = block.next();
        else if (previous.isValid() && bottom(previous) > documentY)
            block = previous;
        else
            return block;
    }
    return bisectBlocks(documentY);
}

int LineTextWidget::fittingWidth() const
{
    if (!m_textEdit)
        return 0;
    const QFontMetrics metrics(m_textEdit->document()->defaultFont());
    const int digits = QString::number(m_textEdit->document()->blockCount()).size();
    return leftMargin + metrics.horizontalAdvance(QLatin1Char('0')) * digits + rightMargin;
}

QTextBlock LineTextWidget::bisectBlocks(qreal documentY) const
{
    const QTextDocument *document = m_textEdit->document();
    const QAbstractTextDocumentLayout *layout = document->documentLayout();
    int low = 0;
    int high = document->blockCount();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        const QRectF rect = layout->blockBoundingRect(document->findBlockByNumber(middle));
        if (rect.bottom() > documentY)
            high = middle;
        else
            low = middle + 1;
    }
    return document->findBlockByNumber(low);
}

void LineTextWidget::paintEvent(QPaintEvent *)
{
    if (!m_textEdit)
        return;

    const int contentsY = m_textEdit->verticalScrollBar()->value();
    const int pageBottom = contentsY + m_textEdit->viewport()->height();
    // The document's font is the one the text is drawn in and the one zoom
    // changes.
    const QFont textFont = m_textEdit->document()->defaultFont();
    const QFontMetrics metrics(textFont);
    const QTextBlock cursorBlock = m_textEdit->textCursor().block();
    const QAbstractTextDocumentLayout *layout = m_textEdit->document()->documentLayout();

    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(0, 0, width() - 1, height() - 1);

    QFont normalFont = textFont;
    normalFont.setWeight(QFont::Normal);
    QFont boldFont = textFont;
    boldFont.setWeight(QFont::Bold);

    const int zeroWidth = metrics.horizontalAdvance(QLatin1Char('0'));
    QTextBlock block = firstBlockBelow(contentsY);
    // Block numbers cost a walk of the document's block tree; count on from
    // the first one instead.
    int number = block.blockNumber() + 1;
    for (; block.isValid(); block = block.next(), ++number) {
        if (!block.isVisible())
            continue;
        const qreal y = layout->blockBoundingRect(block).top();
        if (y > pageBottom)
            break;
        // The block's own number, so the label matches the status bar's row
        // and error line numbers even when lines above wrap.
        const QString label = QString::number(number);
        painter.setFont(block == cursorBlock ? boldFont : normalFont);
        const int x = width() - zeroWidth * label.size() - rightMargin;
        const int yBase = int(y) - contentsY + metrics.ascent() + 2;
        painter.drawText(x, yBase, label);
    }
}

} // namespace QMDrovebot
