#include "MUITabBarItem.h"

#include <QPainter>
#include <QStyleOptionButton>

namespace {

// The smallest rectangle around the pixels that are at least half opaque;
// the whole picture when all are.
QRectF drawnPart(const QPixmap &pixmap)
{
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    QRect part;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) >= 128)
                part |= QRect(x, y, 1, 1);
        }
    }
    return part.isEmpty() ? QRectF(image.rect()) : QRectF(part);
}

} // namespace

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
            m_drawn = drawnPart(m_scaled);
        }
        // What the picture draws, not its transparent border, is centred
        // over the caption, so pictures drawn off-centre line up with the
        // others.
        painter.drawPixmap((QPointF(w / 2.0, h / 4.0 + 3) - m_drawn.center()).toPoint(), m_scaled);
    }
    const int flags = Qt::AlignHCenter | Qt::AlignVCenter;
    painter.setPen(QColor(0, 0, 0, 160));
    painter.drawText(QRect(QPoint(2, h / 2 + 2), QPoint(w + 1, 2 * (h / 2) + 1)), flags, m_caption);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QRect(QPoint(0, h / 2), QPoint(w - 1, 2 * (h / 2) - 1)), flags, m_caption);
}
