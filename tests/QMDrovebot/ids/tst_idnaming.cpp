#include "TestSupport.h"

#include <QMDrovebot/ids/IdNaming.h>

using QMDrovebot::IdNaming;

Q_DECLARE_METATYPE(IdNaming::NameMap)

namespace {

// Keys stand for widget addresses; their order is the ID map's order.
IdNaming::NameMap names(const QStringList &fullNames)
{
    IdNaming::NameMap map;
    for (int i = 0; i < fullNames.size(); ++i)
        map.insert(IdNaming::Key(i + 1), fullNames.at(i));
    return map;
}

} // namespace

class tst_IdNaming : public QObject
{
    Q_OBJECT

private slots:
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

    void fullName()
    {
        QCOMPARE(IdNaming::fullName({"JSMainWindow", "Editor", "L#OK"}), "/JSMainWindow/Editor/L#OK");
        QCOMPARE(IdNaming::fullName({}), QString());
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

    void resolveMarker()
    {
        const QString signature = QStringLiteral("OKQPushButton0$1");
        QCOMPARE(IdNaming::signatureSum(signature), 1420);
        QCOMPARE(IdNaming::resolveMarker(QStringLiteral("?/L#OK"), signature), QStringLiteral("F#NH/L#OK"));
        QVERIFY(!IdNaming::hasMarker(QStringLiteral("G/L#OK")));
        QCOMPARE(IdNaming::resolveMarker(QStringLiteral("G/L#OK"), signature), QStringLiteral("G/L#OK"));
    }
};

QTEST_MAIN(tst_IdNaming)
#include "tst_idnaming.moc"
