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

protected:
    QString m_caption;
    QPixmap m_pixmap;
};
