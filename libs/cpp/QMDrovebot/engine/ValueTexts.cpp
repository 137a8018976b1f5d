#include "ValueTexts.h"

#include <QScriptContext>
#include <QScriptContextInfo>
#include <QScriptEngine>

namespace QMDrovebot {

namespace {

// Nested arrays and error messages that are objects: deeper than this they
// read as their class.
constexpr int kMaximumDepth = 8;

bool isPlainValue(const QScriptValue &value)
{
    return !value.isObject();
}

} // namespace

ValueTexts::ValueTexts(QScriptEngine *engine)
{
    const QScriptValue global = engine->globalObject();
    const auto builtIn = [&global](const char *constructor) {
        return global.property(QLatin1String(constructor))
            .property(QStringLiteral("prototype"))
            .property(QStringLiteral("toString"));
    };
    m_objectToString = builtIn("Object");
    // Conversions that read only the object's own internal value.
    m_safeToStrings = {m_objectToString,  builtIn("Function"), builtIn("Date"),   builtIn("RegExp"),
                       builtIn("Number"), builtIn("String"),   builtIn("Boolean")};
    m_safeToStrings << engine->newQObject(engine).prototype().property(QStringLiteral("toString"))
                    << engine->newVariant(QVariant(0)).prototype().property(QStringLiteral("toString"));
}

QScriptValue ValueTexts::plainProperty(QScriptValue object, const QString &name)
{
    for (int hops = 0; object.isObject() && hops < 256; ++hops, object = object.prototype()) {
        if (object.propertyFlags(name, QScriptValue::ResolveLocal) &
            (QScriptValue::PropertyGetter | QScriptValue::PropertySetter))
            return QScriptValue();
        const QScriptValue value = object.property(name, QScriptValue::ResolveLocal);
        if (value.isValid())
            return value;
    }
    return QScriptValue(QScriptValue::UndefinedValue);
}

QString ValueTexts::text(const QScriptValue &value) const
{
    return text(value, 0);
}

QString ValueTexts::text(const QScriptValue &value, int depth) const
{
    if (isPlainValue(value))
        return value.toString();
    QScriptValue objectToString = m_objectToString;
    const QString className = objectToString.call(value).toString();
    if (depth >= kMaximumDepth)
        return className;
    if (value.isError()) {
        // As the engine's Error.prototype.toString composes it.
        const QScriptValue name = plainProperty(value, QStringLiteral("name"));
        const QScriptValue message = plainProperty(value, QStringLiteral("message"));
        if (!name.isValid() || !message.isValid())
            return className;
        QString result = name.isUndefined() ? QStringLiteral("Error") : text(name, depth + 1);
        if (!message.isUndefined())
            result += QStringLiteral(": ") + text(message, depth + 1);
        return result;
    }
    if (value.isArray()) {
        const quint32 length = value.property(QStringLiteral("length")).toUInt32();
        QStringList items;
        for (quint32 i = 0; i < length; ++i) {
            const QScriptValue item = plainProperty(value, QString::number(i));
            if (!item.isValid())
                return className;
            items << (item.isUndefined() || item.isNull() ? QString() : text(item, depth + 1));
        }
        return items.join(QLatin1Char(','));
    }
    const QScriptValue toString = plainProperty(value, QStringLiteral("toString"));
    for (const QScriptValue &safe : m_safeToStrings) {
        if (toString.isValid() && toString.strictlyEquals(safe))
            return value.toString();
    }
    return className;
}

QStringList ValueTexts::backtrace(QScriptContext *context) const
{
    QStringList entries;
    for (QScriptContext *call = context; call; call = call->parentContext())
        entries << entry(call);
    return entries;
}

QString ValueTexts::entry(QScriptContext *context) const
{
    bool plainArguments = true;
    for (int i = 0; i < context->argumentCount() && plainArguments; ++i)
        plainArguments = isPlainValue(context->argument(i));
    // The engine's own text, where converting the arguments runs no script.
    if (plainArguments)
        return context->toString();

    const QScriptContextInfo info(context);
    QString result = info.functionName();
    if (result.isEmpty()) {
        result = !context->parentContext()                                   ? QStringLiteral("<global>")
                 : info.functionType() == QScriptContextInfo::ScriptFunction ? QStringLiteral("<anonymous>")
                                                                             : QStringLiteral("<native>");
    }
    const QStringList names = info.functionParameterNames();
    QStringList arguments;
    for (int i = 0; i < context->argumentCount(); ++i) {
        const QScriptValue argument = context->argument(i);
        QString shown = text(argument);
        if (argument.isString())
            shown = QLatin1Char('\'') + shown + QLatin1Char('\'');
        arguments << (i < names.size() ? names.at(i) + QStringLiteral(" = ") + shown : shown);
    }
    result += QLatin1Char('(') + arguments.join(QStringLiteral(", ")) + QStringLiteral(") at ");
    if (!info.fileName().isEmpty())
        result += info.fileName() + QLatin1Char(':');
    return result + QString::number(info.lineNumber());
}

} // namespace QMDrovebot
