#pragma once

#include <QPushButton>

// Base of the tool-bar items: a push button that carries a caption and an
// image and paints both itself.
class MUIBarItem : public QPushButton
{
    Q_OBJECT
    // Readable from scripts: button.caption == "Find".
    Q_PROPERTY(QString caption READ caption WRITE setCaption)

public:
    explicit MUIBarItem(QWidget *parent = nullptr);

    void setCaption(const QString &caption);
    QString caption() const;
    void setPixmap(const QPixmap &pixmap);
    QPixmap pixmap() const;

    // The side of the square the picture is drawn in: half the height of the
    // 48-pixel bar.
    static constexpr int pictureSide = 24;
    // Kept free on either side of the caption and the picture, so neither
    // touches a neighbour or a separator.
    static constexpr int sideGap = 2;

protected:
    QString m_caption;
    QPixmap m_pixmap;

private:
    void updateMinimumWidth();
};
