#include "MUIBarItem.h"

#include <algorithm>

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
    updateMinimumWidth();
    update();
}

void MUIBarItem::updateMinimumWidth()
{
    // Measured in the font the style sheet gives the item, not the default.
    ensurePolished();
    const int picture = m_pixmap.isNull() ? 0 : pictureSide;
    setMinimumWidth(std::max(fontMetrics().horizontalAdvance(m_caption), picture) + 2 * sideGap);
}

QString MUIBarItem::caption() const
{
    return m_caption;
}

void MUIBarItem::setPixmap(const QPixmap &pixmap)
{
    m_pixmap = pixmap;
    updateMinimumWidth();
    update();
}

QPixmap MUIBarItem::pixmap() const
{
    return m_pixmap;
}
