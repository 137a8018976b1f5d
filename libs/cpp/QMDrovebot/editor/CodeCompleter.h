#pragma once

#include "CompletionModel.h"

#include <QObject>
#include <QPointer>

class QListWidget;
class QScriptEngine;
class QTextEdit;

namespace QMDrovebot {

// Completion in the document: Ctrl+Space, or "." after a published object's
// name, lists what matches the word before the cursor (object name
// "completionPopup"); Up and Down choose, Enter or Tab insert the name (a
// function with its opening parenthesis), Escape closes, and typing on
// narrows the list.
//
// The list is a window of its own that exists only while it is open: kept
// in the application's windows it would change what the searches and the
// widget IDs see there.
class CodeCompleter : public QObject
{
    Q_OBJECT

public:
    CodeCompleter(QTextEdit *document, QScriptEngine *engine, QObject *parent = nullptr);
    ~CodeCompleter() override;

    // Opens the list for the word before the cursor; false, and closed, when
    // nothing matches there.
    bool complete();
    void close();
    // The open list, or null.
    QListWidget *popup() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The word before the cursor and, before a ".", the object it belongs to.
    bool wordAtCursor(QString *qualifier, QString *prefix, int *start) const;
    void refresh();
    void insertCurrent();

    QPointer<QTextEdit> m_document;
    QScriptEngine *m_engine;
    QPointer<QListWidget> m_popup;
    QList<CompletionModel::Entry> m_shown;
    int m_start = 0;
};

} // namespace QMDrovebot
