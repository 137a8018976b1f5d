#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <mutex>

class QTextDocument;
namespace QMDrovebot {
class OutputArea;
}

// A copy of an output pane's plain text that any thread can read: when the
// GUI thread is stuck in a script's native call, the watchdog still prints
// what the script printed so far. It follows every change of the pane's
// document and every line gathered for it, so it holds what toPlainText()
// would give.
class OutputMirror : public QObject
{
    Q_OBJECT

public:
    explicit OutputMirror(QMDrovebot::OutputArea *area, QObject *parent = nullptr);

    QString text() const;

private:
    void follow(int position, int removed, int added);
    void gather(const QString &line);
    void forgetGathered();
    void keepSpilled(const QString &text);

    QPointer<QTextDocument> m_document;
    mutable std::mutex m_mutex;
    QString m_text;
    // Printed lines the document does not hold yet, each after a line end.
    QString m_gathered;
    // What left the top of the pane's document, still part of its text.
    QString m_spilled;
};
