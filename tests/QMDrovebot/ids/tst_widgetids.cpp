#include "TestSupport.h"

#include <QMDrovebot/automation/Support.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMDrovebot/ids/IdNaming.h>
#include <QMDrovebot/ids/WidgetIds.h>

using QMDrovebot::IdNaming;
using QMDrovebot::Support;
using QMDrovebot::WidgetIds;

Q_DECLARE_METATYPE(IdNaming::NameMap)

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

// Keys stand for widget addresses; their order is the ID map's order.
IdNaming::NameMap names(const QStringList &fullNames)
{
    IdNaming::NameMap map;
    for (int i = 0; i < fullNames.size(); ++i)
        map.insert(IdNaming::Key(i + 1), fullNames.at(i));
    return map;
}

void hover(QWidget *widget)
{
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(widget, &enter);
}

} // namespace

// Widget IDs: how a widget is named, how names are shortened to IDs that
// stay unique, and their life cycle of generating, restoring and
// regenerating over the application's windows.
class tst_WidgetIds : public QObject
{
    Q_OBJECT

private slots:
    // A caption's slash would split the name; the saved tool tip, not the
    // current one, comes first; a class of this system keeps its full name.
    void fullName()
    {
        QWidget top;
        top.setObjectName(QStringLiteral("top"));
        auto *box = new QGroupBox(&top);
        auto *tipped = new QPushButton(QStringLiteral("Tipped"), box);
        tipped->setToolTip(QStringLiteral("current tip, not the saved one"));
        const WidgetIds::ToolTips saved{{tipped, QStringLiteral("Saved tip")}};
        QCOMPARE(WidgetIds::fullName(new QPushButton("Read/Write", box), saved), "/O#top/QGroupBox/L#Read_Write");
        QCOMPARE(WidgetIds::fullName(tipped, saved), "/O#top/QGroupBox/T#Saved tip");
        QCOMPARE(WidgetIds::fullName(new QMDrovebot::OutputArea(&top), saved), "/O#top/QMDrovebot::OutputArea");
    }

    void signature()
    {
        QWidget top;
        top.setObjectName(QStringLiteral("top"));
        auto *layout = new QVBoxLayout(&top);
        layout->addWidget(new QLabel(QStringLiteral("first")));
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
        // Its handles have equal full names and equal signatures.
        auto *splitter = new QSplitter(&window);
        for (int i = 0; i < 3; ++i)
            splitter->addWidget(new QWidget);

        WidgetIds::recordToolTips();
        leftOk->setToolTip(QStringLiteral("changed after recording"));
        QPushButton *late = addButton(right, QStringLiteral("Late"));
        late->setToolTip(QStringLiteral("own tip of a late widget"));
        QPushButton *lateBare = addButton(right, QStringLiteral("Bare"));
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
        const QString handleId = twinId(splitter->handle(0)).replace("L#Apply", "O#qt_splithandle_");
        QCOMPARE(WidgetIds::id(splitter->handle(0)), handleId); // the first keeps the sum
        for (int i = 0; i < 3; ++i)
            QCOMPARE(Support().getWidgetByToolTip(WidgetIds::id(splitter->handle(i))), splitter->handle(i));

        // Restore: the recorded tool tips come back, IDs no longer find widgets.
        delete doomed;
        WidgetIds::restoreOriginalToolTips();
        QCOMPARE(leftOk->toolTip(), QStringLiteral("Accept the left side"));
        QCOMPARE(rightOk->toolTip(), QString());
        // A widget made after the recording gets its own tool tip back too;
        // one that had none keeps its ID, which still finds it.
        QCOMPARE(late->toolTip(), QStringLiteral("own tip of a late widget"));
        QCOMPARE(lateBare->toolTip(), QStringLiteral("L#Bare"));
        QCOMPARE(Support().getWidgetByToolTip(QStringLiteral("L#Bare")), lateBare);
        QCOMPARE(Support().getWidgetByToolTip(QStringLiteral("L#OK")), nullptr);

        // Regenerate: the same IDs, not recomputed from the changed tree.
        rightOk->setText(QStringLiteral("Renamed"));
        auto *newcomer = addButton(right, QStringLiteral("New"));
        WidgetIds::generateIDs();
        QCOMPARE(rightOk->toolTip(), QStringLiteral("L#OK"));
        QCOMPARE(dup2->toolTip(), twinId2);
        QCOMPARE(newcomer->toolTip() + WidgetIds::id(newcomer), QString());
    }

    void initTestCase() { WidgetIds::fillAliases(); }

    void base61_data()
    {
        QTest::addColumn<qint64>("number");
        QTest::addColumn<QString>("text");

        // clang-format off
        QTest::newRow("0") << qint64(0) << "0";
        QTest::newRow("10") << qint64(10) << "A";
        QTest::newRow("36") << qint64(36) << "a";
        QTest::newRow("39 skips d") << qint64(39) << "e";
        QTest::newRow("60") << qint64(60) << "z";
        QTest::newRow("3721") << qint64(3721) << "100";
        QTest::newRow("negative sum") << qint64(-61) << "-10";
        // clang-format on
    }

    void base61()
    {
        QFETCH(qint64, number);
        QFETCH(QString, text);
        QCOMPARE(IdNaming::base61(number), text);
    }

    void signatureSum_data()
    {
        QTest::addColumn<QString>("signature");
        QTest::addColumn<int>("sum");

        // clang-format off
        QTest::newRow("ASCII") << "AB" << (65 + 66);
        QTest::newRow("0x80 counts -128") << QString(QChar(0x80)) << -128;
        QTest::newRow("beyond Latin-1 counts 0") << QString::fromUtf8("a\xE2\x82\xAC") << 97;
        // clang-format on
    }

    void signatureSum()
    {
        QFETCH(QString, signature);
        QFETCH(int, sum);
        QCOMPARE(IdNaming::signatureSum(signature), sum);
    }

    void segment_data()
    {
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("segment");

        // clang-format off
        QTest::newRow("tool tip first") << "Opens a file" << "open" << "Open" << "QPushButton" << "T#Opens a file";
        QTest::newRow("then object name") << "" << "open" << "Open" << "QPushButton" << "O#open";
        QTest::newRow("then caption") << "" << "" << "Open" << "QPushButton" << "L#Open";
        QTest::newRow("then class") << "" << "" << "" << "QPushButton" << "QPushButton";
        QTest::newRow("class with alias") << "" << "" << "" << "QMDrovebot::Editor" << "Editor";
        QTest::newRow("slash in tool tip") << "in/out" << "" << "" << "QWidget" << "T#in_out";
        // clang-format on
    }

    void segment()
    {
        QFETCH(QString, toolTip);
        QFETCH(QString, objectName);
        QFETCH(QString, caption);
        QFETCH(QString, className);
        QFETCH(QString, segment);

        const QMap<QString, QString> aliases{{QStringLiteral("QMDrovebot::Editor"), QStringLiteral("Editor")}};
        QCOMPARE(IdNaming::segment(toolTip, objectName, caption, className, aliases), segment);
    }

    void shorten_data()
    {
        QTest::addColumn<QStringList>("fullNames");
        QTest::addColumn<QStringList>("shortNames");

        // clang-format off
        QTest::newRow("unique last segments") << QStringList{"/W/A/B", "/W/C/D"} << QStringList{"B", "D"};
        QTest::newRow("equal segments are passed over") << QStringList{"/W/G/O#a/L#OK", "/W/G/O#b/L#OK"} << QStringList{"O#a/L#OK", "O#b/L#OK"};
        QTest::newRow("all members must differ at the position") << QStringList{"/W/G1/O#a/L#OK", "/W/G1/O#b/L#OK", "/W/G2/O#c/L#OK"} << QStringList{"O#a/L#OK", "O#b/L#OK", "O#c/L#OK"};
        QTest::newRow("top-level segment is never chosen") << QStringList{"/A/L#OK", "/B/L#OK"} << QStringList{"?/L#OK", "?/L#OK"};
        QTest::newRow("shortest member bounds the search") << QStringList{"/W/X/L#OK", "/W/Y/Z/L#OK"} << QStringList{"X/L#OK", "Y/L#OK"};
        QTest::newRow("last position is not a candidate") << QStringList{"/W/G/L#OK", "/W/G/L#OK"} << QStringList{"?/L#OK", "?/L#OK"};
        QTest::newRow("suffix is plain text") << QStringList{"/W/A/L#OK", "/W/B/O#xL#OK"} << QStringList{"A/L#OK", "B/L#OK"};
        // "xB" is named first (it sorts first); "B" then matches its new name too.
        QTest::newRow("groups see the names given so far") << QStringList{"/W/C/B", "/W/A/xB"} << QStringList{"?/B", "?/B"};
        QTest::newRow("single widget") << QStringList{"/JSMainWindow"} << QStringList{"JSMainWindow"};
        // clang-format on
    }

    void shorten()
    {
        QFETCH(QStringList, fullNames);
        QFETCH(QStringList, shortNames);

        const IdNaming::NameMap result = IdNaming::shorten(names(fullNames));
        QCOMPARE(result.values(), shortNames);
    }

    // Names in walk order, "|" between them; signatures likewise.
    void resolveMarkers_data()
    {
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("signatures");
        QTest::addColumn<QString>("resolved");
        // clang-format off
        QTest::newRow("distinct sums") << "?/QFrame|?/QFrame" << "a0|a1" << "F#2N/QFrame|F#2O/QFrame";
        QTest::newRow("equal sums: the later counts up") << "?/QFrame|?/QFrame" << "ab|ba" << "F#3C/QFrame|F#3D/QFrame";
        QTest::newRow("counting skips a taken name") << "?/X|?/X|?/X" << "ab|ba|ac" << "F#3C/X|F#3E/X|F#3D/X";
        QTest::newRow("other last segment, no clash") << "?/X|?/Y" << "ab|ba" << "F#3C/X|F#3C/Y";
        QTest::newRow("unmarked names stay") << "L#OK|?/X|L#OK" << "|ab|" << "L#OK|F#3C/X|L#OK";
        // clang-format on
    }

    void resolveMarkers()
    {
        QFETCH(QString, names);
        QFETCH(QString, signatures);
        QFETCH(QString, resolved);
        const QChar bar = QLatin1Char('|');
        QCOMPARE(IdNaming::resolveMarkers(names.split(bar), signatures.split(bar)).join(bar), resolved);
    }

    void resolveMarker()
    {
        const QString signature = QStringLiteral("OKQPushButton0$1");
        QCOMPARE(IdNaming::signatureSum(signature), 1420);
        QCOMPARE(IdNaming::resolveMarker(QStringLiteral("?/L#OK"), signature), QStringLiteral("F#NH/L#OK"));
        QVERIFY(!IdNaming::hasMarker(QStringLiteral("G/L#OK")));
        QCOMPARE(IdNaming::resolveMarker(QStringLiteral("G/L#OK"), signature), QStringLiteral("G/L#OK"));
    }
};

QTEST_MAIN(tst_WidgetIds)
#include "tst_widgetids.moc"
