#include "ScriptEngine.h"

#include <QMDrovebot/editor/Editor.h>
#include "OutputArea.h"

namespace QMDrovebot {

ScriptEngine::ScriptEngine(QObject *parent)
    : QScriptEngine(parent)
{
}

void ScriptEngine::setScriptFileName(const QString &fileName)
{
    m_scriptFileName = fileName;
}

QString ScriptEngine::scriptFileName() const
{
    return m_scriptFileName;
}

void ScriptEngine::setOutputArea(OutputArea *area)
{
    m_outputArea = area;
}

OutputArea *ScriptEngine::outputArea() const
{
    return m_outputArea;
}

Editor *ScriptEngine::editor() const
{
    return qobject_cast<Editor *>(parent());
}

ScriptEngine *ScriptEngine::from(QScriptEngine *engine)
{
    return qobject_cast<ScriptEngine *>(engine);
}

} // namespace QMDrovebot
