#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

#include <QMDrovebot/automation/Support.h>

#include <functional>
#include <memory>
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
    void windowTitleFindsTheFirstTopLevel();
    void objectNameFindsNonWidgetChildren();
    void topLevelOfTheClassBeatsEarlierDescendant();
    void lastTopLevelsDescendantWins();
    void visibleVariantsSkipHiddenWindows();
    void toolTipAndIdAgree();
    void subWidgetSearches_data();
    void subWidgetSearches();
    void parentSearches_data();
    void parentSearches();
    void numOfParents();
    void visibleDialogAndPopup();
    void nullWidgetsFindNothing();

private:
    Support support;
};

void tst_SupportLookup::windowTitleFindsTheFirstTopLevel()
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

void tst_SupportLookup::objectNameFindsNonWidgetChildren()
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

    QCOMPARE(support.getWidgetByObjectName(QStringLiteral("probeAction")), action);
    QCOMPARE(support.getWidgetByObjectName(QStringLiteral("probeLayout")), layout);
    QCOMPARE(support.getWidgetByObjectName(QStringLiteral("probeDeep")), deep);
    QCOMPARE(support.getWidgetByObjectName(QStringLiteral("probeTop")), &other);
    QCOMPARE(support.getWidgetByObjectName(QStringLiteral("probeNothing")), nullptr);
    // The sub-widget search sees widgets only.
    QCOMPARE(support.getSubWidgetByObjectName(&window, QStringLiteral("probeAction")), nullptr);
    QCOMPARE(support.getSubWidgetByObjectName(&window, QStringLiteral("probeDeep")), deep);
}

void tst_SupportLookup::topLevelOfTheClassBeatsEarlierDescendant()
{
    auto [earlier, later] = orderedPair<QWidget, ProbeX>();
    new ProbeX(earlier.get());

    QCOMPARE(support.getWidgetByClassName(QStringLiteral("ProbeX")), later.get());
}

void tst_SupportLookup::lastTopLevelsDescendantWins()
{
    auto [first, second] = orderedPair<QWidget, QWidget>();
    new ProbeY(first.get());
    auto *box = new QWidget(second.get());
    auto *underSecond = new ProbeY(box);
    new ProbeY(second.get());

    // Within one top-level the first in pre-order wins; across top-levels the last.
    QCOMPARE(support.getWidgetByClassName(QStringLiteral("ProbeY")), underSecond);
}

void tst_SupportLookup::visibleVariantsSkipHiddenWindows()
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

void tst_SupportLookup::toolTipAndIdAgree()
{
    QWidget window;
    auto *button = new QPushButton(&window);
    button->setToolTip(QStringLiteral("O#probe/L#OK"));
    QCOMPARE(support.getWidgetByToolTip(QStringLiteral("O#probe/L#OK")), button);
    QCOMPARE(support.getWidgetByToolTip(QStringLiteral("O#probe/L#O")), nullptr);
}

void tst_SupportLookup::subWidgetSearches_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("found"); // object name of the expected widget, "" for none

    QTest::newRow("class: first in pre-order") << "class"
                                               << "QPushButton"
                                               << "b1";
    QTest::newRow("class: exact, not inherited") << "class"
                                                 << "QAbstractButton"
                                                 << "";
    QTest::newRow("inherits: subclass found") << "inherits"
                                              << "QAbstractButton"
                                              << "b1";
    QTest::newRow("inherits: the class itself") << "inherits"
                                                << "QLabel"
                                                << "label";
    QTest::newRow("inherits: QObject matches any") << "inherits"
                                                   << "QObject"
                                                   << "box";
    QTest::newRow("tool tip") << "toolTip"
                              << "second"
                              << "b2";
    QTest::newRow("tool tip is case-sensitive") << "toolTip"
                                                << "Second"
                                                << "";
    QTest::newRow("object name") << "objectName"
                                 << "label"
                                 << "label";
    QTest::newRow("not the widget itself") << "objectName"
                                           << "root"
                                           << "";
}

void tst_SupportLookup::subWidgetSearches()
{
    QFETCH(QString, search);
    QFETCH(QString, text);
    QFETCH(QString, found);

    // root > box > (b1 > inner) ; root > b2 ; root > label
    QWidget root;
    root.setObjectName(QStringLiteral("root"));
    root.setToolTip(QStringLiteral("second"));
    auto *box = new QWidget(&root);
    box->setObjectName(QStringLiteral("box"));
    auto *b1 = new QPushButton(box);
    b1->setObjectName(QStringLiteral("b1"));
    auto *b2 = new QPushButton(&root);
    b2->setObjectName(QStringLiteral("b2"));
    b2->setToolTip(QStringLiteral("second"));
    auto *label = new QLabel(&root);
    label->setObjectName(QStringLiteral("label"));

    QObject *result = nullptr;
    if (search == QLatin1String("class"))
        result = support.getSubWidgetByClassName(&root, text);
    else if (search == QLatin1String("inherits"))
        result = support.getSubWidgetByInheritClassName(&root, text);
    else if (search == QLatin1String("toolTip"))
        result = support.getSubWidgetByToolTip(&root, text);
    else
        result = support.getSubWidgetByObjectName(&root, text);
    QCOMPARE(result ? result->objectName() : QString(), found);
}

void tst_SupportLookup::parentSearches_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("found");

    QTest::newRow("exact class") << "parentByClassName"
                                 << "Probe::Editor"
                                 << "editor";
    QTest::newRow("exact match beats a nearer suffix") << "parentByClassName"
                                                       << "Editor"
                                                       << "top";
    QTest::newRow("suffix fallback") << "parentByClassName"
                                     << "::Editor"
                                     << "editor";
    QTest::newRow("own class is the widget itself") << "parentByClassName"
                                                    << "QLabel"
                                                    << "leaf";
    QTest::newRow("suffix: nearest ending") << "parentByClassNameSkipNS"
                                            << "Editor"
                                            << "editor";
    QTest::newRow("suffix: any ending") << "parentByClassNameSkipNS"
                                        << "bel"
                                        << "leaf";
    QTest::newRow("suffix: no match") << "parentByClassNameSkipNS"
                                      << "Dialog"
                                      << "";
    QTest::newRow("object name") << "parentByObjectName"
                                 << "editor"
                                 << "editor";
    QTest::newRow("object name: the widget itself") << "parentByObjectName"
                                                    << "leaf"
                                                    << "leaf";
    QTest::newRow("inherits") << "parentByInherits"
                              << "QFrame"
                              << "leaf";
    QTest::newRow("inherits: up the chain") << "parentByInherits"
                                            << "Probe::Editor"
                                            << "editor";
    QTest::newRow("parent widget: exact") << "getParentWidgetByClassName"
                                          << "Editor"
                                          << "top";
    QTest::newRow("parent widget: no suffix fallback") << "getParentWidgetByClassName"
                                                       << "::Editor"
                                                       << "";
    QTest::newRow("parent widget: not the widget") << "getParentWidgetByClassName"
                                                   << "QLabel"
                                                   << "";
}

void tst_SupportLookup::parentSearches()
{
    QFETCH(QString, search);
    QFETCH(QString, text);
    QFETCH(QString, found);

    Editor top;
    top.setObjectName(QStringLiteral("top"));
    auto *editor = new Probe::Editor(&top);
    editor->setObjectName(QStringLiteral("editor"));
    auto *middle = new QWidget(editor);
    middle->setObjectName(QStringLiteral("middle"));
    auto *leaf = new QLabel(middle);
    leaf->setObjectName(QStringLiteral("leaf"));

    QObject *result = nullptr;
    QVERIFY(QMetaObject::invokeMethod(&support, search.toLatin1().constData(), Q_RETURN_ARG(QObject *, result),
                                      Q_ARG(QWidget *, leaf), Q_ARG(QString, text)));
    QCOMPARE(result ? result->objectName() : QString(), found);
}

void tst_SupportLookup::numOfParents()
{
    QWidget top;
    auto *child = new QWidget(&top);
    auto *grandChild = new QWidget(child);
    QCOMPARE(support.numOfParents(nullptr), -1);
    QCOMPARE(support.numOfParents(&top), 0);
    QCOMPARE(support.numOfParents(grandChild), 2);
}

void tst_SupportLookup::visibleDialogAndPopup()
{
    QDialog dialog;
    QMenu menu;
    menu.addAction(QStringLiteral("entry"));
    QCOMPARE(support.findVisibleDialog(), nullptr);
    QCOMPARE(support.findVisiblePopup(), nullptr);

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(support.findVisibleDialog(), &dialog);
    menu.popup(QPoint(10, 10));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    QCOMPARE(support.findVisiblePopup(), &menu);

    dialog.hide();
    menu.hide();
    QCOMPARE(support.findVisibleDialog(), nullptr);
    QCOMPARE(support.findVisiblePopup(), nullptr);
}

void tst_SupportLookup::nullWidgetsFindNothing()
{
    const QString any = QStringLiteral("QWidget");
    QCOMPARE(support.getSubWidgetByClassName(nullptr, any), nullptr);
    QCOMPARE(support.getVisibleSubWidgetByClassName(nullptr, any), nullptr);
    QCOMPARE(support.getSubWidgetByInheritClassName(nullptr, any), nullptr);
    QCOMPARE(support.getSubWidgetByToolTip(nullptr, any), nullptr);
    QCOMPARE(support.getSubWidgetByObjectName(nullptr, any), nullptr);
    QCOMPARE(support.getParentWidgetByClassName(nullptr, any), nullptr);
    QCOMPARE(support.parentByClassName(nullptr, any), nullptr);
    QCOMPARE(support.parentByClassNameSkipNS(nullptr, any), nullptr);
    QCOMPARE(support.parentByObjectName(nullptr, any), nullptr);
    QCOMPARE(support.parentByInherits(nullptr, any), nullptr);
    support.dumpHierarchy(nullptr);
}

QTEST_MAIN(tst_SupportLookup)
#include "tst_support_lookup.moc"
