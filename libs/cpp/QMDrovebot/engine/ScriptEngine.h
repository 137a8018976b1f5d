#pragma once

#include <QPointer>
#include <QScriptEngine>

namespace QMDrovebot {

class Editor;
class OutputArea;

// The engine of one editor. Script functions reach the document path and the
// output pane through the engine they are called with.
class ScriptEngine : public QScriptEngine
{
    Q_OBJECT

public:
    explicit ScriptEngine(QObject *parent = nullptr);

    void setScriptFileName(const QString &fileName);
    QString scriptFileName() const;
    void setOutputArea(OutputArea *area);
    OutputArea *outputArea() const;

    // The editor that owns this engine (its parent), or null.
    Editor *editor() const;

    // The engine of a native function's call, when it is one of ours.
    static ScriptEngine *from(QScriptEngine *engine);

private:
    QString m_scriptFileName;
    QPointer<OutputArea> m_outputArea;
};

} // namespace QMDrovebot
