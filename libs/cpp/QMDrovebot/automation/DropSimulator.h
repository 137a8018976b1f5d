#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <memory>

class QDrag;
class QMimeData;
class QWidget;

namespace QMDrovebot {

// Finishes a simulated drag and drop: a short while after the press and move
// have been posted to the source, it delivers enter, move and drop events
// with the source's drag data to the target. It always deletes itself after
// simulate(), even when it had nothing to do.
class DropSimulator : public QObject
{
    Q_OBJECT

public:
    explicit DropSimulator(QObject *parent = nullptr);
    ~DropSimulator() override;

    void setSource(QWidget *source);
    void setTarget(QWidget *target, const QPoint &position);
    // Calls simulate() once after the given time.
    void start(int milliseconds);

public slots:
    void simulate();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void deliverDrop(const QMimeData *data);

    QPointer<QWidget> m_source;
    QPointer<QWidget> m_target;
    QPoint m_position;
    // A platform whose drag returns at once (no display) deletes the QDrag
    // before simulate() runs; its data is copied just before that deletion.
    std::unique_ptr<QMimeData> m_capturedData;
};

} // namespace QMDrovebot
