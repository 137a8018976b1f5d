#pragma once

#include <QWidget>

namespace QMDrovebot {

// The frame drawn around the widget under the mouse while the user picks
// one, with the expression that finds it in a tool tip below. A window of
// its own above the application's, which input passes through: drawn into
// the application's windows it would change their widget trees, and so the
// very names and IDs it shows.
class PickOutline : public QWidget
{
    Q_OBJECT

public:
    explicit PickOutline(QWidget *parent = nullptr);

    // Outlines `target` and shows `text` below it (above it near the
    // screen's bottom).
    void showAround(const QWidget *target, const QString &text);
    QString text() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect m_frame; // in this window's coordinates
    QRect m_tip;
    QString m_text;
};

} // namespace QMDrovebot
