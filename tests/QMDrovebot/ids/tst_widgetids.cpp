#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtTest>

#include <QMDrovebot/automation/Support.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMDrovebot/ids/AliasesWidget.h>
#include <QMDrovebot/ids/IdNaming.h>
#include <QMDrovebot/ids/WidgetIds.h>

using QMDrovebot::IdNaming;
using QMDrovebot::Support;
using QMDrovebot::WidgetIds;

namespace {

QPushButton *addButton(QWidget *parent, const QString &text, const QString &objectName = QString())
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    if (parent->layout())
        parent->layout()->addWidget(button);
    return button;
}

QGroupBox *addBox(QWidget *parent, const QString &objectName)
{
    auto *box = new QGroupBox(parent);
    box->setObjectName(objectName);
    new QVBoxLayout(box);
    if (parent->layout())
        parent->layout()->addWidget(box);
    return box;
}

void hover(QWidget *widget)
{
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(widget, &enter);
}

} // namespace

class tst_WidgetIds : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fullName_data();
    void fullName();
    void signature();
    void idsForOneWidget();
    void generateRestoreRegenerate();
    void hoverCopiesTheToolTip();
    void aliasesWindow_data();
    void aliasesWindow();
    void showAliasesOpensAWindow();
};

void tst_WidgetIds::initTestCase()
{
    WidgetIds::fillAliases();
}

void tst_WidgetIds::fullName_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("name");

    QTest::newRow("button text with a slash") << "slash"
                                              << "/O#top/QGroupBox/L#Read_Write";
    QTest::newRow("saved tool tip first") << "tipped"
                                          << "/O#top/QGroupBox/T#Saved tip";
    QTest::newRow("object name before text") << "named"
                                             << "/O#top/QGroupBox/O#okButton";
    QTest::newRow("label text") << "label"
                                << "/O#top/QGroupBox/L#Caption";
    QTest::newRow("empty label: class") << "emptyLabel"
                                        << "/O#top/QGroupBox/QLabel";
    QTest::newRow("own class: full name") << "aliased"
                                          << "/O#top/QMDrovebot::OutputArea";
    QTest::newRow("top-level") << "top"
                               << "/O#top";
}

void tst_WidgetIds::fullName()
{
    QFETCH(QString, widget);
    QFETCH(QString, name);

    QWidget top;
    top.setObjectName(QStringLiteral("top"));
    auto *box = new QGroupBox(&top);
    QMap<QString, QWidget *> widgets;
    widgets.insert(QStringLiteral("slash"), new QPushButton(QStringLiteral("Read/Write"), box));
    auto *tipped = new QPushButton(QStringLiteral("Tipped"), box);
    tipped->setToolTip(QStringLiteral("current tip, not the saved one"));
    widgets.insert(QStringLiteral("tipped"), tipped);
    auto *named = new QPushButton(QStringLiteral("OK"), box);
    named->setObjectName(QStringLiteral("okButton"));
    widgets.insert(QStringLiteral("named"), named);
    widgets.insert(QStringLiteral("label"), new QLabel(QStringLiteral("Caption"), box));
    widgets.insert(QStringLiteral("emptyLabel"), new QLabel(box));
    // A class of this system: no alias abbreviates it.
    widgets.insert(QStringLiteral("aliased"), new QMDrovebot::OutputArea(&top));

    WidgetIds::ToolTips saved;
    saved.insert(tipped, QStringLiteral("Saved tip"));
    widgets.insert(QStringLiteral("top"), &top);
    QCOMPARE(WidgetIds::fullName(widgets.value(widget), saved), name);
}

void tst_WidgetIds::signature()
{
    QWidget top;
    top.setObjectName(QStringLiteral("top"));
    auto *layout = new QVBoxLayout(&top);
    auto *spacer = new QLabel(QStringLiteral("first"));
    layout->addWidget(spacer);
    auto *button = new QPushButton(QStringLiteral("OK"));
    layout->addWidget(button);
    new QObject(button); // one descendant of any kind

    // Names, classes and captions up the chain, then the layout position,
    // then the length so far, "$", the ancestor count and "_" + descendants.
    const QString expected = QStringLiteral("QPushButtonOKtopQWidgetQVBoxLayout1");
    QCOMPARE(WidgetIds::signature(button), expected + QString::number(expected.size()) + QStringLiteral("$1_1"));
    QCOMPARE(WidgetIds::signature(&top), QStringLiteral("topQWidget") + QStringLiteral("10$0_") +
                                             QString::number(top.findChildren<QObject *>().size()));
}

void tst_WidgetIds::idsForOneWidget()
{
    QWidget window;
    window.setObjectName(QStringLiteral("probeWindow"));
    new QVBoxLayout(&window);
    QGroupBox *first = addBox(&window, QStringLiteral("first"));
    QGroupBox *second = addBox(&window, QStringLiteral("second"));
    QPushButton *ok1 = addButton(first, QStringLiteral("OK"));
    QPushButton *ok2 = addButton(second, QStringLiteral("OK"));
    QPushButton *unique = addButton(second, QStringLiteral("Cancel"));
    unique->setToolTip(QStringLiteral("Close/leave"));
    auto *twinA = new QLabel(first);
    auto *twinB = new QLabel(first);

    WidgetIds::generateIDsForWidget(&window);

    QCOMPARE(ok1->toolTip(), QStringLiteral("Vis/O#first/L#OK"));
    QCOMPARE(ok2->toolTip(), QStringLiteral("Vis/O#second/L#OK"));
    QCOMPARE(unique->toolTip(), QStringLiteral("Vis/T#Close_leave"));
    QCOMPARE(first->toolTip(), QStringLiteral("Vis/O#first"));
    // Identical names are not resolved for a single widget's IDs.
    QCOMPARE(twinA->toolTip(), QStringLiteral("Vis/?/QLabel"));
    QCOMPARE(twinB->toolTip(), QStringLiteral("Vis/?/QLabel"));
    QCOMPARE(window.toolTip(), QString()); // the widget itself is not named

    // The new names are hover-watched.
    hover(ok2);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Vis/O#second/L#OK"));
}

void tst_WidgetIds::generateRestoreRegenerate()
{
    // Everything below is process-wide state that fills once, so the whole
    // life cycle is one test.
    QWidget window;
    window.setObjectName(QStringLiteral("main"));
    new QVBoxLayout(&window);
    QGroupBox *left = addBox(&window, QStringLiteral("left"));
    QGroupBox *right = addBox(&window, QStringLiteral("right"));
    QPushButton *leftOk = addButton(left, QStringLiteral("OK"));
    QPushButton *rightOk = addButton(right, QStringLiteral("OK"));
    leftOk->setToolTip(QStringLiteral("Accept the left side"));
    QPushButton *dup1 = addButton(left, QStringLiteral("Apply"));
    QPushButton *dup2 = addButton(left, QStringLiteral("Apply"));
    auto *doomed = addButton(right, QStringLiteral("Doomed"));

    WidgetIds::recordToolTips();
    leftOk->setToolTip(QStringLiteral("changed after recording"));
    QPushButton *late = addButton(right, QStringLiteral("Late"));
    late->setToolTip(QStringLiteral("own tip of a late widget"));
    WidgetIds::generateIDs();

    QCOMPARE(WidgetIds::id(leftOk), QStringLiteral("T#Accept the left side"));
    QCOMPARE(WidgetIds::id(rightOk), QStringLiteral("L#OK"));
    QCOMPARE(WidgetIds::id(doomed), QStringLiteral("L#Doomed"));
    // Names use only recorded tool tips.
    QCOMPARE(WidgetIds::id(late), QStringLiteral("L#Late"));
    // Twins with equal full names are told apart by their signatures.
    const QString twinId1 = QStringLiteral("F#") +
                            IdNaming::base61(IdNaming::signatureSum(WidgetIds::signature(dup1))) +
                            QStringLiteral("/L#Apply");
    const QString twinId2 = QStringLiteral("F#") +
                            IdNaming::base61(IdNaming::signatureSum(WidgetIds::signature(dup2))) +
                            QStringLiteral("/L#Apply");
    QCOMPARE(WidgetIds::id(dup1), twinId1);
    QCOMPARE(WidgetIds::id(dup2), twinId2);
    QVERIFY(twinId1 != twinId2); // their layout positions differ
    QCOMPARE(dup1->toolTip(), twinId1);
    QCOMPARE(Support().getWidgetByToolTip(WidgetIds::id(rightOk)), rightOk);

    // Restore: the recorded tool tips come back, IDs no longer find widgets.
    delete doomed;
    WidgetIds::restoreOriginalToolTips();
    QCOMPARE(leftOk->toolTip(), QStringLiteral("Accept the left side"));
    QCOMPARE(rightOk->toolTip(), QString());
    // A widget made after the recording gets its own tool tip back too.
    QCOMPARE(late->toolTip(), QStringLiteral("own tip of a late widget"));
    QCOMPARE(Support().getWidgetByToolTip(QStringLiteral("L#OK")), nullptr);

    // Regenerate: the same IDs, not recomputed from the changed tree.
    rightOk->setText(QStringLiteral("Renamed"));
    auto *newcomer = addButton(right, QStringLiteral("New"));
    WidgetIds::generateIDs();
    QCOMPARE(rightOk->toolTip(), QStringLiteral("L#OK"));
    QCOMPARE(leftOk->toolTip(), QStringLiteral("T#Accept the left side"));
    QCOMPARE(dup2->toolTip(), twinId2);
    QCOMPARE(newcomer->toolTip(), QString());
    QCOMPARE(WidgetIds::id(newcomer), QString());
}

void tst_WidgetIds::hoverCopiesTheToolTip()
{
    QWidget window;
    auto *button = new QPushButton(QStringLiteral("Hover me"), &window);
    button->setToolTip(QStringLiteral("first tip"));
    WidgetIds::installHoverFilters();

    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    hover(button);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("first tip"));
    button->setToolTip(QStringLiteral("second tip"));
    QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(button, &move);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("first tip")); // only entering counts
    hover(button);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("second tip"));
    hover(&window);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());
}

void tst_WidgetIds::aliasesWindow_data()
{
    QTest::addColumn<bool>("empty");
    QTest::newRow("the system's table") << false;
    QTest::newRow("an empty table") << true;
}

void tst_WidgetIds::aliasesWindow()
{
    QFETCH(bool, empty);

    const QMap<QString, QString> table = empty ? QMap<QString, QString>() : WidgetIds::aliases();
    QMDrovebot::AliasesWidget window(table);
    auto *tree = window.findChild<QTreeWidget *>();
    QVERIFY(tree);
    QCOMPARE(tree->headerItem()->text(0), QStringLiteral("Full Name"));
    QCOMPARE(tree->headerItem()->text(1), QStringLiteral("Alias"));
    QCOMPARE(tree->topLevelItemCount(), table.size());

    QString expected;
    for (auto it = table.cbegin(); it != table.cend(); ++it)
        expected += it.key() + QLatin1Char('\t') + it.value() + QLatin1Char('\n');
    QVERIFY(!expected.contains(QStringLiteral("QMDrovebot::")));

    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    auto *button = window.findChild<QPushButton *>(QStringLiteral("PushButton"));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("&Copy to clipboard"));
    button->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
}

void tst_WidgetIds::showAliasesOpensAWindow()
{
    WidgetIds::showAliases();
    QMDrovebot::AliasesWidget *shown = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets())
        shown = shown ? shown : qobject_cast<QMDrovebot::AliasesWidget *>(top);
    QVERIFY(shown);
    QVERIFY(shown->isVisible());
    QCOMPARE(shown->size(), QSize(400, 300));
    QCOMPARE(shown->findChild<QTreeWidget *>()->topLevelItemCount(), WidgetIds::aliases().size());
    delete shown;
}

QTEST_MAIN(tst_WidgetIds)
#include "tst_widgetids.moc"
