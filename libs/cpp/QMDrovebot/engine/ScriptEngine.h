#pragma once

#include <QPointer>
#include <QScriptEngine>
#include <QStringList>

class QWidget;

namespace QMDrovebot {

class OutputArea;

// The engine of one editor, and the run state that script functions need:
// the document path, the output pane, where the main program starts in the
// assembled text, and a pending stop or abort. Script functions reach all of
// it through the engine they are called with, never through the editor.
class ScriptEngine : public QScriptEngine
{
    Q_OBJECT

public:
    explicit ScriptEngine(QObject *parent = nullptr);

    void setScriptFileName(const QString &fileName);
    QString scriptFileName() const;
    void setOutputArea(OutputArea *area);
    OutputArea *outputArea() const;

    // The widget that hosts this engine (its parent, the editor), or null.
    // Simulated shortcuts disable it so the script's own editor ignores them.
    QWidget *hostWidget() const;

    // Lines of text placed before the main program at the latest assembly.
    void setMainProgramLineOffset(int offset);
    int mainProgramLineOffset() const;

    static QString stopText();
    static QString abortText();

    // Ends the running evaluation with an error carrying `text`, remembering
    // where the script stood so the report can name the line. Nothing
    // happens when no evaluation runs.
    void interrupt(const QString &text);
    int interruptLine() const;
    QStringList interruptBacktrace() const;
    void clearInterrupt();

    // Shows `html` in red in the output pane and marks the run failed (the
    // host connects errorReported).
    void reportError(const QString &html);

    // The engine of a native function's call, when it is one of ours.
    static ScriptEngine *from(QScriptEngine *engine);

signals:
    // A red error text for the output pane; the host marks its run failed.
    void errorReported(const QString &html);

private:
    QString m_scriptFileName;
    QPointer<OutputArea> m_outputArea;
    int m_mainProgramLineOffset = 0;
    int m_interruptLine = 0;
    QStringList m_interruptBacktrace;
};

} // namespace QMDrovebot
