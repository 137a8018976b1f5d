#include "PickOutline.h"

#include <QFontMetrics>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

namespace QMDrovebot {

namespace {

constexpr int kPen = 3;
constexpr int kPadding = 4;

const Qt::WindowFlags kFlags =
    Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus;

} // namespace

PickOutline::PickOutline(QWidget *parent)
    : QWidget(parent, kFlags)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(QToolTip::font());
    for (int i = 0; i < 4; ++i)
        m_edges.append(new PickOutline(this, true));
}

PickOutline::PickOutline(PickOutline *tip, bool edge)
    : QWidget(tip, kFlags)
    , m_edge(edge)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
}

void PickOutline::showAround(const QWidget *target, const QString &text)
{
    m_text = text;
    const QRect frame(target->mapToGlobal(QPoint(0, 0)), target->size());
    const QRect outer = frame.adjusted(-kPen, -kPen, kPen, kPen);
    m_edges.at(0)->setGeometry(outer.left(), outer.top(), outer.width(), kPen);
    m_edges.at(1)->setGeometry(outer.left(), frame.bottom() + 1, outer.width(), kPen);
    m_edges.at(2)->setGeometry(outer.left(), frame.top(), kPen, frame.height());
    m_edges.at(3)->setGeometry(frame.right() + 1, frame.top(), kPen, frame.height());

    const QFontMetrics metrics(font());
    QRect tip(0, 0, metrics.horizontalAdvance(text) + 2 * kPadding, metrics.height() + 2 * kPadding);
    const QRect screen = target->screen() ? target->screen()->availableGeometry() : outer;
    tip.moveTopLeft(QPoint(outer.left(), outer.bottom() + 1));
    if (tip.bottom() > screen.bottom())
        tip.moveBottom(outer.top() - 1);
    if (tip.right() > screen.right())
        tip.moveRight(screen.right());
    tip.moveLeft(qMax(screen.left(), tip.left()));
    setGeometry(tip);
    setVisible(true);
    raise();
    update();
}

QString PickOutline::text() const
{
    return m_text;
}

void PickOutline::setVisible(bool visible)
{
    QWidget::setVisible(visible);
    for (PickOutline *edge : qAsConst(m_edges)) {
        edge->setVisible(visible);
        if (visible)
            edge->raise();
    }
}

void PickOutline::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_edge) {
        painter.fillRect(rect(), QColor(230, 40, 90));
        return;
    }
    const QPalette colours = QToolTip::palette();
    painter.setPen(colours.color(QPalette::ToolTipText));
    painter.setBrush(colours.color(QPalette::ToolTipBase));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.drawText(rect().adjusted(kPadding, kPadding, -kPadding, -kPadding), Qt::AlignLeft | Qt::AlignVCenter,
                     m_text);
}

} // namespace QMDrovebot
