#include "TopLevelOrder.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QSet>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace QMWidgets {

namespace {

// Every window in the order it was first seen. Dead entries turn null and
// are dropped at the next query, so a reused address is never mistaken for
// an old window.
std::vector<QPointer<QWidget>> &sequence()
{
    static std::vector<QPointer<QWidget>> windows;
    return windows;
}

bool isKnown(const QWidget *widget)
{
    const auto &windows = sequence();
    return std::any_of(windows.cbegin(), windows.cend(), [&](const QPointer<QWidget> &w) { return w == widget; });
}

// Sees every event of the GUI thread: the widget constructor sends Create
// once the widget knows whether it is a window; setParent() sends
// ParentChange.
class CreationRecorder : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if ((type == QEvent::Create || type == QEvent::ParentChange) && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            if (widget->isWindow() && !isKnown(widget))
                sequence().emplace_back(widget);
        }
        return false;
    }
};

void startRecording()
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        qApp->installEventFilter(new CreationRecorder(qApp));
}

} // namespace

// Runs when the application object is made, or at once when the library is
// loaded into a program whose application object already exists.
Q_COREAPP_STARTUP_FUNCTION(startRecording)

QWidgetList TopLevelOrder::topLevelWidgets()
{
    const QWidgetList current = QApplication::topLevelWidgets();
    const QSet<QWidget *> live(current.cbegin(), current.cend());
    auto &windows = sequence();
    windows.erase(std::remove_if(windows.begin(), windows.end(), [](const QPointer<QWidget> &w) { return !w; }),
                  windows.end());

    QWidgetList ordered;
    ordered.reserve(current.size());
    QSet<QWidget *> placed;
    for (const QPointer<QWidget> &w : windows) {
        if (live.contains(w) && !placed.contains(w)) {
            ordered.append(w);
            placed.insert(w);
        }
    }
    if (placed.size() == current.size())
        return ordered;

    QWidgetList late;
    for (QWidget *w : current) {
        if (!placed.contains(w))
            late.append(w);
    }
    const auto key = [](const QWidget *w) {
        return std::make_tuple(QString::fromLatin1(w->metaObject()->className()), w->objectName(), w->windowTitle());
    };
    std::stable_sort(late.begin(), late.end(), [&](const QWidget *a, const QWidget *b) { return key(a) < key(b); });
    for (QWidget *w : qAsConst(late)) {
        windows.emplace_back(w);
        ordered.append(w);
    }
    return ordered;
}

} // namespace QMWidgets
