#include "PickOutline.h"

#include <QFontMetrics>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

namespace QMDrovebot {

namespace {

constexpr int kPen = 3;
constexpr int kPadding = 4;

} // namespace

PickOutline::PickOutline(QWidget *parent)
    : QWidget(parent,
              Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(QToolTip::font());
}

void PickOutline::showAround(const QWidget *target, const QString &text)
{
    m_text = text;
    const QRect frame(target->mapToGlobal(QPoint(0, 0)), target->size());
    const QRect outer = frame.adjusted(-kPen, -kPen, kPen, kPen);
    const QFontMetrics metrics(font());
    QRect tip(0, 0, metrics.horizontalAdvance(text) + 2 * kPadding, metrics.height() + 2 * kPadding);
    const QRect screen = target->screen() ? target->screen()->availableGeometry() : outer;
    tip.moveTopLeft(QPoint(outer.left(), outer.bottom() + 1));
    if (tip.bottom() > screen.bottom())
        tip.moveBottom(outer.top() - 1);
    if (tip.right() > screen.right())
        tip.moveRight(screen.right());
    tip.moveLeft(qMax(screen.left(), tip.left()));
    const QRect all = outer.united(tip);
    m_frame = outer.translated(-all.topLeft());
    m_tip = tip.translated(-all.topLeft());
    setGeometry(all);
    show();
    raise();
    update();
}

QString PickOutline::text() const
{
    return m_text;
}

void PickOutline::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(QPen(QColor(230, 40, 90), kPen));
    painter.setBrush(QColor(230, 40, 90, 40));
    painter.drawRect(m_frame.adjusted(kPen / 2, kPen / 2, -(kPen + 1) / 2, -(kPen + 1) / 2));
    const QPalette tipColours = QToolTip::palette();
    painter.setPen(tipColours.color(QPalette::ToolTipText));
    painter.setBrush(tipColours.color(QPalette::ToolTipBase));
    painter.drawRect(m_tip.adjusted(0, 0, -1, -1));
    painter.drawText(m_tip.adjusted(kPadding, kPadding, -kPadding, -kPadding), Qt::AlignLeft | Qt::AlignVCenter,
                     m_text);
}

} // namespace QMDrovebot
