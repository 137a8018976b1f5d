#include "MUITabBarItem.h"

#include <QPainter>
#include <QStyleOptionButton>

MUITabBarItem::MUITabBarItem(QWidget *parent)
    : MUIBarItem(parent)
{
    setSizePolicy(QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding, QSizePolicy::DefaultType));
}

void MUITabBarItem::paintEvent(QPaintEvent *event)
{
    if (isFlat()) {
        // Without text or icon in the option only the style sheet's
        // background is drawn; image and caption follow below.
        QStyleOptionButton option;
        option.initFrom(this);
        if (isDown())
            option.state |= QStyle::State_Sunken;
        QPainter painter(this);
        style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
    } else {
        QPushButton::paintEvent(event);
    }

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int w = width();
    const int h = height();
    if (!m_pixmap.isNull()) {
        if (m_scaledSide != h / 2 || m_scaledKey != m_pixmap.cacheKey()) {
            m_scaled = m_pixmap.scaled(h / 2, h / 2, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            m_scaledSide = h / 2;
            m_scaledKey = m_pixmap.cacheKey();
        }
        painter.drawPixmap(w / 2 - h / 4, h / 4 - m_scaled.height() / 2 + 3, m_scaled);
    }
    const int flags = Qt::AlignHCenter | Qt::AlignVCenter;
    painter.setPen(QColor(0, 0, 0, 160));
    painter.drawText(QRect(QPoint(2, h / 2 + 2), QPoint(w + 1, 2 * (h / 2) + 1)), flags, m_caption);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QRect(QPoint(0, h / 2), QPoint(w - 1, 2 * (h / 2) - 1)), flags, m_caption);
}
