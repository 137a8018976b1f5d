#pragma once

#include "RecordedScript.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSet>

class QKeyEvent;
class QKeySequence;
class QMouseEvent;
class QWidget;

namespace QMDrovebot {

// Turns the input that reaches the application's widgets into script lines:
// clicks, double clicks, typed text, Enter and other keys, shortcuts, menu
// entries and drags, whoever made them (the user, a script's posted input,
// a test). It watches the whole application from one event filter and never
// consumes an event.
//
// Input to Corvella's tool windows and to the excluded widgets (the document
// being written) is not recorded. A modal dialog or a pop-up that opens
// while recording gets a handler in the script (see RecordedScript); a plain
// window that opens gets a wait before the first line that uses it.
class InputRecorder : public QObject
{
    Q_OBJECT

public:
    explicit InputRecorder(QObject *parent = nullptr);
    ~InputRecorder() override;

    // Input to these widgets and everything inside them is not recorded.
    void exclude(QWidget *widget);
    // Events sent to these objects (the actions that start and stop a
    // recording) are not recorded.
    void ignore(QObject *object);

    // `script` is the text the recording goes into: what it already calls
    // (generateIDs(), the button helper) is not added again.
    void start(const QString &script);
    void stop();
    bool isRecording() const;
    QString text() const;

signals:
    // The text changed.
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Context
    {
        QPointer<QWidget> window;
        QString variable;
    };

    QWidget *recordable(QObject *object) const;
    bool propagated(QObject *receiver, const QEvent *event, QPoint globalPos, ulong timestamp);
    void windowShown(QWidget *window);
    void windowHidden(QWidget *window);
    void mousePress(QWidget *widget, QMouseEvent *event);
    void mouseDoubleClick(QWidget *widget, QMouseEvent *event);
    void keyPress(QWidget *widget, QKeyEvent *event);
    void shortcut(QObject *receiver, const QKeySequence &keys);
    void drop(QWidget *target, QPoint position);

    // The expression for `widget`: below the innermost handler's window when
    // it is inside it. Empty when none finds it.
    QString expression(QWidget *widget);
    // Adds a statement about `target` (which may need its window waited for).
    void add(QWidget *target, const QString &statement);
    void waitForWindowOf(QWidget *target);
    // How a script waits for `window`: a waitForWidget call, or a waitFor for
    // a menu. Empty when no search finds it alone.
    QString windowFinder(QWidget *window, QString *what) const;

    RecordedScript m_script;
    bool m_recording = false;
    bool m_hasIds = false;
    bool m_hasButtonHelper = false;
    QList<QPointer<QWidget>> m_excluded;
    QSet<QObject *> m_ignored;
    QList<Context> m_contexts;
    QList<QPointer<QWidget>> m_shown;
    QList<QPointer<QWidget>> m_waited;

    // A press becomes a click, or a drag when a drop follows it.
    struct Press
    {
        QPointer<QWidget> widget;
        QPoint position;
        int statements = -1;
    } m_press;
    int m_statements = 0;
    // The widget typed into last and its expression, while nothing else
    // happened since.
    QPointer<QWidget> m_typedInto;
    QString m_typedTarget;
    int m_typedAt = -1;

    // The last event seen, to tell its propagation to the parents from a
    // new event.
    int m_lastType = 0;
    const QEvent *m_lastEvent = nullptr;
    QPoint m_lastGlobalPos;
    ulong m_lastTimestamp = 0;
    QPointer<QObject> m_lastReceiver;
};

} // namespace QMDrovebot
