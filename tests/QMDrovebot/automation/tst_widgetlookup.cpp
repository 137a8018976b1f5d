#include "TestSupport.h"

#include <QMDrovebot/automation/WidgetLookup.h>

namespace WidgetLookup = QMDrovebot::WidgetLookup;

// Classes with names no other widget of the process has, so a search by
// class name can only find what a test built.
class ProbeX : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
};

// Two classes whose names end alike: "Panel" and "Probe::Panel".
class Panel : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
};

namespace Probe {
class Panel : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
};
} // namespace Probe

namespace {

using Owned = std::unique_ptr<QWidget>;

template <typename T> T *named(T *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

// Top-levels are searched in the order they were made.
template <typename First, typename Second> std::pair<Owned, Owned> orderedPair()
{
    Owned first(new First);
    return {std::move(first), Owned(new Second)};
}

// The searches that start from a widget, by name, so one table covers them.
using Search = std::function<QObject *(QWidget *, const QString &)>;
const QMap<QString, Search> kSearches{
    {"subByClassName", [](QWidget *w, const QString &t) { return WidgetLookup::subByClassName(w, t, false); }},
    {"subByInheritance", WidgetLookup::subByInheritance},
    {"subByToolTip", WidgetLookup::subByToolTip},
    {"subByObjectName", WidgetLookup::subByObjectName},
    {"chainByClassNameSuffix", WidgetLookup::chainByClassNameSuffix},
    {"chainByClassNameOrSuffix", WidgetLookup::chainByClassNameOrSuffix},
    {"chainByObjectName", WidgetLookup::chainByObjectName},
    {"chainByInheritance", WidgetLookup::chainByInheritance},
    {"ancestorByClassName", WidgetLookup::ancestorByClassName},
};

} // namespace

// The searches for widgets, in the orders scripts depend on.
class tst_WidgetLookup : public QObject
{
    Q_OBJECT

private slots:
    void windowTitleFindsTheFirstTopLevel()
    {
        auto [first, second] = orderedPair<QWidget, QWidget>();
        first->setWindowTitle(QStringLiteral("Twin title"));
        second->setWindowTitle(QStringLiteral("Twin title"));
        (new QWidget(first.get()))->setWindowTitle(QStringLiteral("Child title"));
        QCOMPARE(WidgetLookup::byWindowTitle(QStringLiteral("Twin title")), first.get());
        // Only top-levels are looked at.
        QCOMPARE(WidgetLookup::byWindowTitle(QStringLiteral("Child title")), nullptr);
    }

    void objectNameFindsNonWidgetChildren()
    {
        QWidget window;
        QWidget other;
        const QList<QObject *> found{
            named(new QAction(&window), "probeAction"), named(new QVBoxLayout(&window), "probeLayout"),
            named(new QPushButton(new QWidget(&window)), "probeDeep"), named(&other, "probeTop"), nullptr};
        const QStringList names{"probeAction", "probeLayout", "probeDeep", "probeTop", "probeNothing"};
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(WidgetLookup::byObjectName(names.at(i)), found.at(i));
        // The sub-widget search sees widgets only.
        QCOMPARE(WidgetLookup::subByObjectName(&window, QStringLiteral("probeAction")), nullptr);
    }

    // A top-level of the class beats an earlier top-level's descendant;
    // within one top-level the first in pre-order wins, across top-levels the
    // last.
    void classNameOrder()
    {
        auto [earlier, later] = orderedPair<QWidget, ProbeX>();
        new ProbeX(earlier.get());
        QCOMPARE(WidgetLookup::byClassName(QStringLiteral("ProbeX"), false), later.get());
        auto [first, second] = orderedPair<QWidget, QWidget>();
        new Panel(first.get());
        auto *underSecond = new Panel(new QWidget(second.get()));
        new Panel(second.get());
        QCOMPARE(WidgetLookup::byClassName(QStringLiteral("Panel"), false), underSecond);
    }

    // The same search in fresh processes, whose widgets lie at other
    // addresses each time, finds the same window: the first of six
    // top-level labels.
    void searchesAnswerAlikeInEveryProcess()
    {
        QTemporaryDir dir;
        const QString script = TestSupport::writeFile(
            dir.filePath(QStringLiteral("order.js")),
            "var frame = getWidgetByClassName('JavaScriptEvaluator');\n"
            "['a', 'b', 'c', 'd', 'e', 'f'].forEach(function(name) { grab(frame).objectName = name; });\n"
            "printout(getWidgetByClassName('QLabel').objectName);\n");
        for (int run = 0; run < 6; ++run)
            QCOMPARE(TestSupport::corvella({QStringLiteral("--run"), script}).out, QByteArray("a\n"));
    }

    void visibleVariantsSkipHiddenWindows()
    {
        auto [hiddenWindow, shownWindow] = orderedPair<ProbeX, QWidget>();
        hiddenWindow->setToolTip(QStringLiteral("probe tip"));
        auto *hiddenChild = new ProbeX(shownWindow.get());
        auto *shownChild = new ProbeX(shownWindow.get());
        shownChild->setToolTip(QStringLiteral("probe tip"));
        shownWindow->show();
        hiddenChild->hide();
        QVERIFY(QTest::qWaitForWindowExposed(shownWindow.get()));

        QCOMPARE(WidgetLookup::byClassName(QStringLiteral("ProbeX"), false), hiddenWindow.get());
        QCOMPARE(WidgetLookup::byClassName(QStringLiteral("ProbeX"), true), shownChild);
        QCOMPARE(WidgetLookup::byToolTip(QStringLiteral("probe tip"), false), hiddenWindow.get());
        QCOMPARE(WidgetLookup::byToolTip(QStringLiteral("probe tip"), true), shownChild);
        QCOMPARE(WidgetLookup::subByClassName(shownWindow.get(), QStringLiteral("ProbeX"), true), shownChild);
        shownChild->hide();
        QCOMPARE(WidgetLookup::byClassName(QStringLiteral("ProbeX"), true), nullptr);
    }

    // top (Panel) > editor (Probe::Panel) > box > b1; editor > b2; editor >
    // middle > leaf (QLabel). Descendants are searched from top, ancestors
    // from leaf.
    void searches_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("found"); // object name of the expected widget, "" for none
        // clang-format off
        QTest::newRow("class: first in pre-order") << "subByClassName" << "QPushButton" << "b1";
        QTest::newRow("class: exact, not inherited") << "subByClassName" << "QAbstractButton" << "";
        QTest::newRow("inherits: subclass found") << "subByInheritance" << "QAbstractButton" << "b1";
        QTest::newRow("tool tip is case-sensitive") << "subByToolTip" << "Second" << "";
        QTest::newRow("tool tip, not the widget itself") << "subByToolTip" << "second" << "b2";
        QTest::newRow("object name") << "subByObjectName" << "leaf" << "leaf";
        QTest::newRow("exact class") << "chainByClassNameOrSuffix" << "Probe::Panel" << "editor";
        QTest::newRow("exact match beats a nearer suffix") << "chainByClassNameOrSuffix" << "Panel" << "top";
        QTest::newRow("suffix fallback") << "chainByClassNameOrSuffix" << "::Panel" << "editor";
        QTest::newRow("suffix: nearest ending") << "chainByClassNameSuffix" << "Panel" << "editor";
        QTest::newRow("object name: the widget itself") << "chainByObjectName" << "leaf" << "leaf";
        QTest::newRow("inherits: up the chain") << "chainByInheritance" << "Probe::Panel" << "editor";
        QTest::newRow("parent widget: exact") << "ancestorByClassName" << "Panel" << "top";
        QTest::newRow("parent widget: no suffix fallback") << "ancestorByClassName" << "::Panel" << "";
        // clang-format on
    }

    void searches()
    {
        QFETCH(QString, search);
        QFETCH(QString, text);
        QFETCH(QString, found);
        Panel top;
        top.setObjectName(QStringLiteral("top"));
        top.setToolTip(QStringLiteral("second"));
        QWidget *editor = named(new Probe::Panel(&top), "editor");
        named(new QPushButton(named(new QWidget(editor), "box")), "b1");
        named(new QPushButton(editor), "b2")->setToolTip(QStringLiteral("second"));
        QWidget *leaf = named(new QLabel(named(new QWidget(editor), "middle")), "leaf");
        QVERIFY(kSearches.contains(search));
        QObject *result = kSearches.value(search)(search.startsWith("sub") ? &top : leaf, text);
        QCOMPARE(result ? result->objectName() : QString(), found);
    }

    void nullWidgetsFindNothing()
    {
        for (auto it = kSearches.cbegin(); it != kSearches.cend(); ++it)
            QVERIFY2(!it.value()(nullptr, QStringLiteral("QWidget")), qPrintable(it.key()));
        QVERIFY(!WidgetLookup::subByClassName(nullptr, QStringLiteral("QWidget"), true));
        QCOMPARE(WidgetLookup::ancestorCount(nullptr), -1);
        WidgetLookup::dumpChain(nullptr);
    }
};

QTEST_MAIN(tst_WidgetLookup)
#include "tst_widgetlookup.moc"
