#include "TestSupport.h"
#include <QClipboard>
#include <QGroupBox>
#include <QTreeWidget>

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
    void fullName_data()
    {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<QString>("name");

        // clang-format off
        QTest::newRow("button text with a slash") << "slash" << "/O#top/QGroupBox/L#Read_Write";
        QTest::newRow("saved tool tip first") << "tipped" << "/O#top/QGroupBox/T#Saved tip";
        QTest::newRow("object name before text") << "named" << "/O#top/QGroupBox/O#okButton";
        QTest::newRow("empty label: class") << "emptyLabel" << "/O#top/QGroupBox/QLabel";
        QTest::newRow("own class: full name") << "aliased" << "/O#top/QMDrovebot::OutputArea";
        // clang-format on
    }

    void fullName()
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
        widgets.insert(QStringLiteral("emptyLabel"), new QLabel(box));
        // A class of this system: no alias abbreviates it.
        widgets.insert(QStringLiteral("aliased"), new QMDrovebot::OutputArea(&top));

        WidgetIds::ToolTips saved;
        saved.insert(tipped, QStringLiteral("Saved tip"));
        widgets.insert(QStringLiteral("top"), &top);
        QCOMPARE(WidgetIds::fullName(widgets.value(widget), saved), name);
    }

    void signature()
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

    void idsForOneWidget()
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

        // Identical names are not resolved for a single widget's IDs; the
        // widget itself is not named.
        const QStringList tips{ok1->toolTip(),   ok2->toolTip(),   unique->toolTip(), first->toolTip(),
                               twinA->toolTip(), twinB->toolTip(), window.toolTip()};
        QCOMPARE(tips, QStringList({"Vis/O#first/L#OK", "Vis/O#second/L#OK", "Vis/T#Close_leave", "Vis/O#first",
                                    "Vis/?/QLabel", "Vis/?/QLabel", ""}));

        // The new names are hover-watched.
        hover(ok2);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Vis/O#second/L#OK"));
    }

    void generateRestoreRegenerate()
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
        const auto twinId = [](QWidget *w) {
            return "F#" + IdNaming::base61(IdNaming::signatureSum(WidgetIds::signature(w))) + "/L#Apply";
        };
        const QString twinId1 = twinId(dup1);
        const QString twinId2 = twinId(dup2);
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
        QCOMPARE(dup2->toolTip(), twinId2);
        QCOMPARE(newcomer->toolTip() + WidgetIds::id(newcomer), QString());
    }

    void hoverCopiesTheToolTip()
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

    void aliasesWindow()
    {
        WidgetIds::showAliases();
        QMDrovebot::AliasesWidget *shown = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets())
            shown = shown ? shown : qobject_cast<QMDrovebot::AliasesWidget *>(top);
        QVERIFY(shown && shown->isVisible());
        QCOMPARE(shown->findChild<QTreeWidget *>()->topLevelItemCount(), WidgetIds::aliases().size());
        shown->findChild<QPushButton *>(QStringLiteral("PushButton"))->click();
        QVERIFY(!QGuiApplication::clipboard()->text().contains(QStringLiteral("QMDrovebot::")));
        QCOMPARE(QGuiApplication::clipboard()->text().count('\n'), WidgetIds::aliases().size());
        delete shown;
    }

    void initTestCase() { WidgetIds::fillAliases(); }
};

QTEST_MAIN(tst_WidgetIds)
#include "tst_widgetids.moc"
