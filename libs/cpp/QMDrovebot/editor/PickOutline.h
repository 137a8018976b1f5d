#pragma once

#include <QWidget>

namespace QMDrovebot {

// The frame drawn around the widget under the mouse while the user picks
// one, with the expression that finds it in a tool tip below. Windows of
// their own above the application's, which input passes through: drawn into
// the application's windows they would change their widget trees, and so
// the very names and IDs they show. The frame is four thin windows, not one
// window with a hole, so the widget stays in view where windows cannot be
// translucent or shaped (an X server without a compositor).
class PickOutline : public QWidget
{
    Q_OBJECT

public:
    explicit PickOutline(QWidget *parent = nullptr);

    // Outlines `target` and shows `text` below it (above it near the
    // screen's bottom).
    void showAround(const QWidget *target, const QString &text);
    QString text() const;
    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    PickOutline(PickOutline *tip, bool edge);

    bool m_edge = false;
    QList<PickOutline *> m_edges;
    QString m_text;
};

} // namespace QMDrovebot
