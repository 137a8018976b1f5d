#pragma once

#include <QObject>

namespace QMDrovebot {

// Watches one widget: when the mouse enters it, its tool tip (usually its
// generated ID) goes to the clipboard, ready to be pasted into a script.
// It never consumes an event.
class EditorFilter : public QObject
{
    Q_OBJECT

public:
    explicit EditorFilter(QObject *parent = nullptr);

    // Installs a filter on the widget unless it has one; the filter goes
    // when the widget does.
    static void watch(QObject *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace QMDrovebot
