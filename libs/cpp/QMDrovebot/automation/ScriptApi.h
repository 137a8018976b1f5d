#pragma once

#include <QScriptEngine>
#include <QStringList>

class QObject;

namespace QMDrovebot {

class OutputArea;
class QEventDefs;
class QtDefs;
class Support;
class TestObj;

// One native script function: its global name and its implementation.
struct ScriptFunction
{
    const char *name;
    QScriptEngine::FunctionSignature function;
};

// The objects and global functions every script sees. The order of the
// function table is the registration order scripts can observe (for example
// when they enumerate the global object), so rows are never reordered.
class ScriptApi
{
public:
    // The objects scripts see, in publishing order.
    struct Objects
    {
        OutputArea *output;
        QtDefs *qt;
        QEventDefs *qEvent;
        Support *support;
        TestObj *test;
    };

    static void install(QScriptEngine *engine, const Objects &objects);

    // Wraps `object` with toolkit ownership (scripts never delete it) and sets
    // it as a property of the global object, keeping existing flags.
    static void publishObject(QScriptEngine *engine, QObject *object, const QString &name);
    // The names objects were published under, in publishing order; objects
    // that scripts merely kept in globals are not among them.
    static QStringList publishedNames(const QScriptEngine *engine);

    static const ScriptFunction *functions(int *count);
};

} // namespace QMDrovebot
