// Times widget-ID generation and the tool-tip and object-name searches on a
// window of about 10,000 widgets. Prints numbers; asserts nothing.
//
//   cmake --build <build> --target bench_widgetids
//   QT_QPA_PLATFORM=offscreen <build>/bench/bench_widgetids

#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTextStream>
#include <QVBoxLayout>

#include <QMDrovebot/automation/Support.h>
#include <QMDrovebot/ids/IdNaming.h>
#include <QMDrovebot/ids/WidgetIds.h>

#include <cstdio>

using QMDrovebot::Support;
using QMDrovebot::WidgetIds;

namespace {

QTextStream out(stdout);

// Outer boxes hold inner boxes that hold buttons; captions repeat across
// boxes, some boxes have object names and some do not, and a few buttons
// are exact twins, so shortening and the "F#" resolution both have work.
QWidget *buildWindow(int outerBoxes, int innerBoxes, int buttonsPerBox, int *count)
{
    static const char *const captions[] = {"OK", "Cancel", "Apply", "Help", "Next", "Back"};
    auto *window = new QWidget;
    // The last button gets a name, so its ID is unique and the searches below
    // must walk the whole window to reach it.
    window->setObjectName(QStringLiteral("benchWindow"));
    auto *layout = new QVBoxLayout(window);
    *count = 1;
    for (int o = 0; o < outerBoxes; ++o) {
        auto *outer = new QGroupBox(window);
        if (o % 2 == 0)
            outer->setObjectName(QStringLiteral("outer%1").arg(o));
        auto *outerLayout = new QVBoxLayout(outer);
        layout->addWidget(outer);
        ++*count;
        for (int i = 0; i < innerBoxes; ++i) {
            auto *inner = new QGroupBox(outer);
            if (i % 3 != 0)
                inner->setObjectName(QStringLiteral("inner%1").arg(i));
            auto *innerLayout = new QVBoxLayout(inner);
            outerLayout->addWidget(inner);
            ++*count;
            for (int b = 0; b < buttonsPerBox; ++b) {
                auto *button = new QPushButton(QString::fromLatin1(captions[b % 6]), inner);
                if (o == outerBoxes - 1 && i == innerBoxes - 1 && b == buttonsPerBox - 1)
                    button->setObjectName(QStringLiteral("lastButton"));
                innerLayout->addWidget(button);
                ++*count;
            }
        }
    }
    return window;
}

double microsecondsPerCall(int calls, const std::function<void()> &call)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < calls; ++i)
        call();
    return double(timer.nsecsElapsed()) / 1000.0 / calls;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);

    int count = 0;
    QWidget *window = buildWindow(25, 8, 50, &count);
    out << "widgets: " << count << "\n";

    QElapsedTimer timer;
    timer.start();
    WidgetIds::recordToolTips();
    out << "record tool tips: " << timer.elapsed() << " ms\n";

    timer.restart();
    WidgetIds::generateIDs();
    out << "generateIDs, first (name, shorten, resolve, show): " << timer.elapsed() << " ms\n";

    timer.restart();
    WidgetIds::generateIDs();
    out << "generateIDs, again (prune and show): " << timer.elapsed() << " ms\n";

    const QList<QPushButton *> buttons = window->findChildren<QPushButton *>();
    QPushButton *last = buttons.last();
    const QString lastId = last->toolTip();
    int resolved = 0;
    QHash<QString, int> uses;
    for (QPushButton *button : buttons) {
        resolved += button->toolTip().startsWith(QLatin1String("F#")) ? 1 : 0;
        ++uses[button->toolTip()];
    }
    int shared = 0;
    for (int n : qAsConst(uses))
        shared += n > 1 ? n : 0;
    out << "buttons with an F# ID: " << resolved << " of " << buttons.size()
        << "; buttons whose ID another button shares: " << shared << "\n";

    Support support;
    QObject *found = nullptr;
    const double byToolTip = microsecondsPerCall(200, [&] { found = support.getWidgetByToolTip(lastId); });
    out << "getWidgetByToolTip (last widget, ID " << lastId << "): " << byToolTip << " us/call"
        << (found == last ? "" : "  [WRONG WIDGET]") << "\n";
    const double byName =
        microsecondsPerCall(200, [&] { found = support.getWidgetByObjectName(QStringLiteral("lastButton")); });
    out << "getWidgetByObjectName (last widget): " << byName << " us/call" << (found == last ? "" : "  [WRONG WIDGET]")
        << "\n";
    int sink = 0;
    out << "  of which topLevelWidgets(): "
        << microsecondsPerCall(200, [&] { sink += QApplication::topLevelWidgets().size(); }) << " us, findChildren(): "
        << microsecondsPerCall(200, [&] { sink += window->findChildren<QWidget *>().size(); }) << " us\n";
    const double missing =
        microsecondsPerCall(200, [&] { found = support.getWidgetByToolTip(QStringLiteral("no such tip")); });
    out << "getWidgetByToolTip (no match): " << missing << " us/call\n";

    // The text-only part on its own: 10,000 names with heavy suffix sharing.
    QMDrovebot::IdNaming::NameMap names;
    for (int i = 0; i < 10000; ++i)
        names.insert(quintptr(i + 1), QStringLiteral("/W/O#box%1/G/L#%2").arg(i / 7).arg(i % 13));
    timer.restart();
    const auto shortened = QMDrovebot::IdNaming::shorten(names);
    out << "IdNaming::shorten, 10,000 names: " << timer.elapsed() << " ms (" << shortened.size() << " names)\n";

    WidgetIds::restoreOriginalToolTips();
    delete window;
    out.flush();
    return 0;
}
