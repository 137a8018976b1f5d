#pragma once

#include <QPointer>
#include <QTextBlock>
#include <QWidget>

class QTextEdit;

namespace QMDrovebot {

// The line-number strip beside the document text. It keeps no list of lines:
// every paint reads the text editor's layout, scroll position and cursor.
class LineTextWidget : public QWidget
{
    Q_OBJECT

public:
    explicit LineTextWidget(QWidget *parent = nullptr);

    // The editor is owned elsewhere; the gutter only watches it.
    void setTextEdit(QTextEdit *edit);
    QTextEdit *textEdit() const;

    // The first block whose layout reaches below the given document
    // y coordinate. Its cost does not grow with the document's length, so
    // painting the bottom of a long document costs what painting its top
    // does. Invalid when no block does (past the end, or no editor).
    QTextBlock firstBlockBelow(qreal documentY) const;

    // The width at which the document's largest line number, in the text's
    // current font, keeps a small margin left of it.
    int fittingWidth() const;

public slots:
    // Repaints at once rather than deferring, so the numbers never lag a
    // scroll of the text.
    void updateLines();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Labels end this far from the right edge; fittingWidth() leaves the
    // left margin between the outline and the widest label.
    static constexpr int rightMargin = 7;
    static constexpr int leftMargin = 4;

    // The slow but sure search, for when the layout's hit test is off.
    QTextBlock bisectBlocks(qreal documentY) const;

    QPointer<QTextEdit> m_textEdit;
};

} // namespace QMDrovebot
