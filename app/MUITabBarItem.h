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
};
