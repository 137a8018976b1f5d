#include "Waits.h"

#include "ScriptDialogs.h"
#include "WidgetLookup.h"

#include <QMDrovebot/engine/ScriptEngine.h>
#include <QMDrovebot/ids/ScriptWindows.h>
#include <QMDrovebot/ids/WidgetIds.h>

#include <QElapsedTimer>
#include <QMetaMethod>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace QMDrovebot {
namespace Waits {

namespace {

// A stopped script must get control back at once, to end.
bool interrupted(ScriptEngine *engine)
{
    return engine && (engine->isInterrupted() || engine->hasUncaughtException());
}

QString className(const QObject *object)
{
    return QString::fromLatin1(object->metaObject()->className());
}

QString property(Kind kind, QWidget *widget, const QHash<const QWidget *, QString> &ids)
{
    switch (kind) {
    case Kind::ObjectName:
        return widget->objectName();
    case Kind::WindowTitle:
        return widget->isWindow() ? widget->windowTitle() : QString();
    case Kind::ClassName:
        return className(widget);
    case Kind::ToolTip:
        return widget->toolTip();
    case Kind::Id:
        return ids.value(widget);
    case Kind::Unknown:
        break;
    }
    return QString();
}

// Every widget a lookup of this kind could match: each top-level, then its
// descendants in pre-order. (The lookup functions prefer a later window's
// match; a wait takes the first one that is ready.)
QList<QWidget *> matches(Kind kind, const QString &text)
{
    QList<QWidget *> found;
    if (kind == Kind::Unknown)
        return found;
    const QWidgetList topLevels = ScriptWindows::topLevels();
    for (QWidget *top : topLevels) {
        QList<QWidget *> candidates{top};
        if (kind != Kind::WindowTitle)
            candidates += top->findChildren<QWidget *>();
        for (QWidget *widget : qAsConst(candidates)) {
            // An ID is looked up by the tool tip that shows it, as
            // getWidgetByID does.
            const QString value = kind == Kind::Id ? widget->toolTip() : property(kind, widget, {});
            if (value == text)
                found.append(widget);
        }
    }
    return found;
}

int editDistance(const QString &a, const QString &b)
{
    std::vector<int> row(size_t(b.size()) + 1);
    for (int j = 0; j <= b.size(); ++j)
        row[size_t(j)] = j;
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            row[size_t(j)] =
                std::min({above + 1, row[size_t(j - 1)] + 1, diagonal + (a.at(i - 1) == b.at(j - 1) ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[size_t(b.size())];
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Remembers that a signal came; connected by meta-method, since the signal
// is named at run time.
class SignalLatch : public QObject
{
    Q_OBJECT

public:
    bool fired = false;

public slots:
    void fire() { fired = true; }
};

} // namespace

bool until(ScriptEngine *engine, qint64 milliseconds, const std::function<bool()> &ready)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (ready())
            return true;
        if (interrupted(engine) || clock.elapsed() >= milliseconds)
            return false;
        ScriptDialogs::delay(std::min<qint64>(kStepMs, milliseconds - clock.elapsed()));
        if (interrupted(engine))
            return false;
    }
}

Kind kindFromName(const QString &name)
{
    static const struct
    {
        const char *name;
        Kind kind;
    } kinds[] = {{"objectName", Kind::ObjectName},
                 {"windowTitle", Kind::WindowTitle},
                 {"className", Kind::ClassName},
                 {"toolTip", Kind::ToolTip},
                 {"id", Kind::Id}};
    for (const auto &k : kinds) {
        if (name == QLatin1String(k.name))
            return k.kind;
    }
    return Kind::Unknown;
}

QString kindText(Kind kind)
{
    switch (kind) {
    case Kind::ObjectName:
        return QStringLiteral("object name");
    case Kind::WindowTitle:
        return QStringLiteral("window title");
    case Kind::ClassName:
        return QStringLiteral("class name");
    case Kind::ToolTip:
        return QStringLiteral("tool tip");
    case Kind::Id:
        return QStringLiteral("ID");
    case Kind::Unknown:
        break;
    }
    return QString();
}

QWidget *readyWidget(Kind kind, const QString &text)
{
    const QList<QWidget *> found = matches(kind, text);
    for (QWidget *widget : found) {
        if (widget->isVisible() && widget->isEnabled())
            return widget;
    }
    return nullptr;
}

QString timeoutReport(Kind kind, const QString &text, qint64 milliseconds)
{
    const QString what = kindText(kind) + QLatin1Char(' ') + quoted(text);
    const QList<QWidget *> found = matches(kind, text);
    if (!found.isEmpty()) {
        QWidget *widget = found.first();
        const QString state = !widget->isVisible() ? QStringLiteral("hidden") : QStringLiteral("disabled");
        return QStringLiteral("the widget with %1 (%2) is still %3 after %4 ms")
            .arg(what, className(widget), state)
            .arg(milliseconds);
    }
    // The nearest visible widgets by the searched property, so a typo or a
    // renamed widget shows at once.
    const QHash<const QWidget *, QString> ids = WidgetIds::currentIds();
    // An ID is found by the tool tip that shows it; with none shown, the
    // nearest match would be the very ID asked for.
    if (kind == Kind::Id &&
        std::none_of(ids.keyBegin(), ids.keyEnd(), [&](const QWidget *w) { return w->toolTip() == ids.value(w); }))
        return QStringLiteral("no visible widget with %1 within %2 ms: IDs are not shown; call generateIDs() first")
            .arg(what)
            .arg(milliseconds);
    struct Candidate
    {
        int distance;
        QString value;
        QWidget *widget;
    };
    std::vector<Candidate> candidates;
    // Every widget in the order of the searches, so ties are listed alike in
    // every run.
    QWidgetList all;
    const QWidgetList topLevels = ScriptWindows::topLevels();
    for (QWidget *top : topLevels)
        all += QWidgetList{top} + top->findChildren<QWidget *>();
    for (QWidget *widget : qAsConst(all)) {
        if (!widget->isVisible())
            continue;
        const QString value = property(kind, widget, ids);
        if (!value.isEmpty())
            candidates.push_back({editDistance(text, value), value, widget});
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate &a, const Candidate &b) { return a.distance < b.distance; });
    QStringList nearest;
    QStringList seen;
    for (const Candidate &c : candidates) {
        if (nearest.size() == 3)
            break;
        if (seen.contains(c.value))
            continue;
        seen.append(c.value);
        const QString id = ids.value(c.widget);
        nearest.append(quoted(c.value) + QStringLiteral(" (") + className(c.widget) +
                       (id.isEmpty() ? QString() : QStringLiteral(", ") + id) + QLatin1Char(')'));
    }
    QString report = QStringLiteral("no visible widget with %1 within %2 ms").arg(what).arg(milliseconds);
    if (!nearest.isEmpty())
        report += QStringLiteral("; nearest: ") + nearest.join(QStringLiteral(", "));
    return report;
}

bool forSignal(ScriptEngine *engine, QObject *object, const QString &signal, qint64 milliseconds)
{
    if (!object)
        return false;
    const QMetaObject *meta = object->metaObject();
    QMetaMethod method;
    const bool signature = signal.contains(QLatin1Char('('));
    for (int i = 0; i < meta->methodCount() && !method.isValid(); ++i) {
        const QMetaMethod candidate = meta->method(i);
        if (candidate.methodType() != QMetaMethod::Signal)
            continue;
        const QString name = QString::fromLatin1(signature ? candidate.methodSignature() : candidate.name());
        if (name == signal)
            method = candidate;
    }
    if (!method.isValid())
        return false;
    SignalLatch latch;
    const int fire = latch.metaObject()->indexOfSlot("fire()");
    // A slot without parameters takes any signal's call, whatever its
    // arguments.
    if (!QObject::connect(object, method, &latch, latch.metaObject()->method(fire)))
        return false;
    return until(engine, milliseconds, [&] { return latch.fired; });
}

} // namespace Waits
} // namespace QMDrovebot

#include "Waits.moc"
