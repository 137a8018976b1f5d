#include "MUIBarItem.h"

MUIBarItem::MUIBarItem(QWidget *parent)
    : QPushButton(parent)
{
}

void MUIBarItem::setCaption(const QString &caption)
{
    m_caption = caption;
    // Scripts and screen readers find tool-bar buttons by what the user reads
    // on them; the accessible name carries it without widening the button.
    setAccessibleName(caption);
    // Measured in the font the style sheet gives the item, not the default.
    ensurePolished();
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
