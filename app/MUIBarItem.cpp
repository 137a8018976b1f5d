#include "MUIBarItem.h"

MUIBarItem::MUIBarItem(QWidget *parent)
    : QPushButton(parent)
{
}

void MUIBarItem::setCaption(const QString &caption)
{
    m_caption = caption;
    // The caption is also the button's text, so scripts can find and check
    // tool-bar buttons by what the user reads on them. Flat items never let
    // the style draw that text.
    setText(caption);
    setMinimumWidth(fontMetrics().horizontalAdvance(caption));
    update();
}

QString MUIBarItem::caption() const
{
    return m_caption;
}

void MUIBarItem::setPixmap(const QPixmap &pixmap)
{
    m_pixmap = pixmap;
    update();
}

QPixmap MUIBarItem::pixmap() const
{
    return m_pixmap;
}
