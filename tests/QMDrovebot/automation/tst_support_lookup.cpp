#include <QDialog>

#include "TestSupport.h"

#include <QMDrovebot/automation/Support.h>

#include <vector>

using QMDrovebot::Support;

// Classes with names no other widget of the process has, so a search by
// class name can only find what a test built.
class ProbeX : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
};

class ProbeY : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
};

// Two classes whose names end alike: "Editor" and "Probe::Editor".
class Editor : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
};

namespace Probe {
class Editor : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
};
} // namespace Probe

namespace {

using Owned = std::unique_ptr<QWidget>;

QWidget *named(QWidget *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

int topLevelIndex(QWidget *widget)
{
    return QApplication::topLevelWidgets().indexOf(widget);
}

// The toolkit orders top-levels by its own rule; build pairs until the first
// one comes first, and keep the pair.
template <typename First, typename Second> std::pair<Owned, Owned> orderedPair()
{
    std::vector<std::pair<Owned, Owned>> discarded;
    for (;;) {
        Owned first(new First);
        Owned second(new Second);
        if (topLevelIndex(first.get()) < topLevelIndex(second.get()))
            return {std::move(first), std::move(second)};
        discarded.emplace_back(std::move(first), std::move(second));
    }
}

} // namespace

class tst_SupportLookup : public QObject
{
    Q_OBJECT

private slots:
    void windowTitleFindsTheFirstTopLevel()
    {
        auto [first, second] = orderedPair<QWidget, QWidget>();
        first->setWindowTitle(QStringLiteral("Twin title"));
        second->setWindowTitle(QStringLiteral("Twin title"));
        auto *child = new QWidget(first.get());
        child->setWindowTitle(QStringLiteral("Child title"));

        QCOMPARE(support.getWidgetByWindowTitle(QStringLiteral("Twin title")), first.get());
        // Only top-levels are looked at.
        QCOMPARE(support.getWidgetByWindowTitle(QStringLiteral("Child title")), nullptr);
    }

    void objectNameFindsNonWidgetChildren()
    {
        QWidget window;
        auto *action = new QAction(&window);
        action->setObjectName(QStringLiteral("probeAction"));
        auto *layout = new QVBoxLayout(&window);
        layout->setObjectName(QStringLiteral("probeLayout"));
        auto *inner = new QWidget(&window);
        auto *deep = new QPushButton(inner);
        deep->setObjectName(QStringLiteral("probeDeep"));
        QWidget other;
        other.setObjectName(QStringLiteral("probeTop"));

        const QList<QObject *> found{action, layout, deep, &other, nullptr};
        const QStringList names{"probeAction", "probeLayout", "probeDeep", "probeTop", "probeNothing"};
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(support.getWidgetByObjectName(names.at(i)), found.at(i));
        // The sub-widget search sees widgets only.
        QCOMPARE(support.getSubWidgetByObjectName(&window, QStringLiteral("probeAction")), nullptr);
    }

    void topLevelOfTheClassBeatsEarlierDescendant()
    {
        auto [earlier, later] = orderedPair<QWidget, ProbeX>();
        new ProbeX(earlier.get());

        QCOMPARE(support.getWidgetByClassName(QStringLiteral("ProbeX")), later.get());
    }

    void lastTopLevelsDescendantWins()
    {
        auto [first, second] = orderedPair<QWidget, QWidget>();
        new ProbeY(first.get());
        auto *box = new QWidget(second.get());
        auto *underSecond = new ProbeY(box);
        new ProbeY(second.get());

        // Within one top-level the first in pre-order wins; across top-levels the last.
        QCOMPARE(support.getWidgetByClassName(QStringLiteral("ProbeY")), underSecond);
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

        QCOMPARE(support.getWidgetByClassName(QStringLiteral("ProbeX")), hiddenWindow.get());
        QCOMPARE(support.getVisibleWidgetByClassName(QStringLiteral("ProbeX")), shownChild);
        QCOMPARE(support.getWidgetByToolTip(QStringLiteral("probe tip")), hiddenWindow.get());
        QCOMPARE(support.getVisibleWidgetByToolTip(QStringLiteral("probe tip")), shownChild);
        QCOMPARE(support.getVisibleSubWidgetByClassName(shownWindow.get(), QStringLiteral("ProbeX")), shownChild);
        shownChild->hide();
        QCOMPARE(support.getVisibleWidgetByClassName(QStringLiteral("ProbeX")), nullptr);
    }

    // top (Editor) > editor (Probe::Editor) > box > b1; editor > b2; editor >
    // middle > leaf (QLabel). Descendants are searched from top, ancestors
    // from leaf.
    void searches_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("found"); // object name of the expected widget, "" for none
        // clang-format off
        QTest::newRow("class: first in pre-order") << "getSubWidgetByClassName" << "QPushButton" << "b1";
        QTest::newRow("class: exact, not inherited") << "getSubWidgetByClassName" << "QAbstractButton" << "";
        QTest::newRow("inherits: subclass found") << "getSubWidgetByInheritClassName" << "QAbstractButton" << "b1";
        QTest::newRow("tool tip is case-sensitive") << "getSubWidgetByToolTip" << "Second" << "";
        QTest::newRow("tool tip, not the widget itself") << "getSubWidgetByToolTip" << "second" << "b2";
        QTest::newRow("object name") << "getSubWidgetByObjectName" << "leaf" << "leaf";
        QTest::newRow("exact class") << "parentByClassName" << "Probe::Editor" << "editor";
        QTest::newRow("exact match beats a nearer suffix") << "parentByClassName" << "Editor" << "top";
        QTest::newRow("suffix fallback") << "parentByClassName" << "::Editor" << "editor";
        QTest::newRow("suffix: nearest ending") << "parentByClassNameSkipNS" << "Editor" << "editor";
        QTest::newRow("object name: the widget itself") << "parentByObjectName" << "leaf" << "leaf";
        QTest::newRow("inherits: up the chain") << "parentByInherits" << "Probe::Editor" << "editor";
        QTest::newRow("parent widget: exact") << "getParentWidgetByClassName" << "Editor" << "top";
        QTest::newRow("parent widget: no suffix fallback") << "getParentWidgetByClassName" << "::Editor" << "";
        // clang-format on
    }

    void searches()
    {
        QFETCH(QString, search);
        QFETCH(QString, text);
        QFETCH(QString, found);
        Editor top;
        top.setObjectName(QStringLiteral("top"));
        top.setToolTip(QStringLiteral("second"));
        QWidget *editor = named(new Probe::Editor(&top), "editor");
        named(new QPushButton(named(new QWidget(editor), "box")), "b1");
        named(new QPushButton(editor), "b2")->setToolTip(QStringLiteral("second"));
        QWidget *leaf = named(new QLabel(named(new QWidget(editor), "middle")), "leaf");
        QObject *result = nullptr;
        QVERIFY(QMetaObject::invokeMethod(&support, search.toLatin1().constData(), Q_RETURN_ARG(QObject *, result),
                                          Q_ARG(QWidget *, search.contains("Sub") ? &top : leaf),
                                          Q_ARG(QString, text)));
        QCOMPARE(result ? result->objectName() : QString(), found);
    }

    void numOfParents()
    {
        QWidget top;
        auto *child = new QWidget(&top);
        auto *grandChild = new QWidget(child);
        QCOMPARE(
            QVector<int>({support.numOfParents(nullptr), support.numOfParents(&top), support.numOfParents(grandChild)}),
            QVector<int>({-1, 0, 2}));
    }

    void visibleDialogAndPopup()
    {
        QDialog dialog;
        QMenu menu;
        menu.addAction(QStringLiteral("entry"));
        QCOMPARE(support.findVisibleDialog(), nullptr);
        QVERIFY(TestSupport::shown(&dialog));
        QCOMPARE(support.findVisibleDialog(), &dialog);
        menu.popup(QPoint(10, 10));
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        QCOMPARE(support.findVisiblePopup(), &menu);
    }

    void nullWidgetsFindNothing()
    {
        for (const char *search :
             {"getSubWidgetByClassName", "getVisibleSubWidgetByClassName", "getSubWidgetByInheritClassName",
              "getSubWidgetByToolTip", "getSubWidgetByObjectName", "getParentWidgetByClassName", "parentByClassName",
              "parentByClassNameSkipNS", "parentByObjectName", "parentByInherits"}) {
            QObject *result = &support;
            QVERIFY(QMetaObject::invokeMethod(&support, search, Q_RETURN_ARG(QObject *, result),
                                              Q_ARG(QWidget *, nullptr), Q_ARG(QString, "QWidget")));
            QVERIFY2(!result, search);
        }
        support.dumpHierarchy(nullptr);
    }

private:
    Support support;
};

QTEST_MAIN(tst_SupportLookup)
#include "tst_support_lookup.moc"
