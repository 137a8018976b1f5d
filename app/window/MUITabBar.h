#pragma once

#include <QFrame>

class MUITabBarItem;
class QHBoxLayout;

// The icon tool bar: a 48-pixel strip of flat buttons, separators and
// stretches laid out left to right.
class MUITabBar : public QFrame
{
    Q_OBJECT

public:
    explicit MUITabBar(QWidget *parent = nullptr);

    MUITabBarItem *addButton(const QString &text, const QPixmap &pixmap);
    QFrame *addSeparator();
    void addStretch(int factor);

private:
    QHBoxLayout *m_layout;
};
