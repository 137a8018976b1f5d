#pragma once

#include "MUIBarItem.h"

// One tool-bar button: image in the upper half, caption with a drop shadow
// in the lower half, drawn over the style sheet's background.
class MUITabBarItem : public MUIBarItem
{
    Q_OBJECT

public:
    explicit MUITabBarItem(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Smooth scaling is the costliest part of a paint; the result only
    // changes with the button's height or the image.
    QPixmap m_scaled;
    qint64 m_scaledKey = 0;
    int m_scaledSide = -1;
    QRectF m_drawn; // the part of m_scaled that is not transparent
};
