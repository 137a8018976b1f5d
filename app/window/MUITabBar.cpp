#include "MUITabBar.h"

#include "MUITabBarItem.h"

#include <QHBoxLayout>

MUITabBar::MUITabBar(QWidget *parent)
    : QFrame(parent)
    , m_layout(new QHBoxLayout(this))
{
    setFixedHeight(48);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
}

MUITabBarItem *MUITabBar::addButton(const QString &text, const QPixmap &pixmap)
{
    // Made a child of the bar at once: reparenting a widget later styles it
    // a second time under the application's style sheet.
    auto *item = new MUITabBarItem(this);
    item->setPixmap(pixmap);
    item->setCaption(text);
    item->setFlat(true);
    // Each button keeps a gap on both sides of its caption and picture
    // itself, so neighbours never run together, at the bar's narrowest too.
    m_layout->addWidget(item);
    return item;
}

QFrame *MUITabBar::addSeparator()
{
    auto *line = new QFrame(this);
    line->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    m_layout->addWidget(line);
    return line;
}

void MUITabBar::addStretch(int factor)
{
    m_layout->addStretch(factor);
}
