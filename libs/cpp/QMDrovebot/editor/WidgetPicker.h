#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>

#include <QMDrovebot/automation/WidgetLocator.h>

class QWidget;

namespace QMDrovebot {

class PickOutline;

// Lets the user point at a widget of the application: while picking, the
// widget under the mouse is outlined with the expression that finds it; a
// click picks it without reaching it, Escape gives up. Corvella's tool
// windows and the excluded widgets (the document being written) are not
// offered and take their clicks as usual.
class WidgetPicker : public QObject
{
    Q_OBJECT

public:
    explicit WidgetPicker(QObject *parent = nullptr);
    ~WidgetPicker() override;

    void exclude(QWidget *widget);
    void start();
    void cancel();
    bool isPicking() const;
    // What the mouse points at now, and the outline showing it.
    QWidget *hovered() const;
    PickOutline *outline() const;

signals:
    // `widget` was clicked; `locator` is invalid when no expression finds it.
    void picked(QWidget *widget, const QMDrovebot::WidgetLocator &locator);
    // Picking ended, by a pick or by Escape.
    void finished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *pickable(QObject *object) const;
    void hover(QWidget *widget);
    void end();

    bool m_picking = false;
    QList<QPointer<QWidget>> m_excluded;
    QPointer<QWidget> m_hovered;
    WidgetLocator m_locator;
    QPoint m_lastGlobalPos;
    // The rest of the click that picked: never delivered either.
    QPointer<QWidget> m_swallow;
    PickOutline *m_outline = nullptr;
};

} // namespace QMDrovebot
