#include <QtTest>

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
    void base61_data();
    void base61();
    void base61NeverUsesD();
    void signatureSum_data();
    void signatureSum();
    void segment_data();
    void segment();
    void fullName();
    void shorten_data();
    void shorten();
    void resolveMarker();
};

void tst_IdNaming::base61_data()
{
    QTest::addColumn<qint64>("number");
    QTest::addColumn<QString>("text");

    QTest::newRow("0") << qint64(0) << "0";
    QTest::newRow("9") << qint64(9) << "9";
    QTest::newRow("10") << qint64(10) << "A";
    QTest::newRow("35") << qint64(35) << "Z";
    QTest::newRow("36") << qint64(36) << "a";
    QTest::newRow("38") << qint64(38) << "c";
    QTest::newRow("39 skips d") << qint64(39) << "e";
    QTest::newRow("60") << qint64(60) << "z";
    QTest::newRow("61") << qint64(61) << "10";
    QTest::newRow("62") << qint64(62) << "11";
    QTest::newRow("3720") << qint64(3720) << "zz";
    QTest::newRow("3721") << qint64(3721) << "100";
    QTest::newRow("negative sum") << qint64(-61) << "-10";
}

void tst_IdNaming::base61()
{
    QFETCH(qint64, number);
    QFETCH(QString, text);
    QCOMPARE(IdNaming::base61(number), text);
}

void tst_IdNaming::base61NeverUsesD()
{
    QSet<QString> seen;
    for (qint64 n = 0; n < 61 * 61 * 3; ++n) {
        const QString text = IdNaming::base61(n);
        QVERIFY2(!text.contains(QLatin1Char('d')), qPrintable(text));
        seen.insert(text);
    }
    QCOMPARE(seen.size(), 61 * 61 * 3); // every number has its own text
}

void tst_IdNaming::signatureSum_data()
{
    QTest::addColumn<QString>("signature");
    QTest::addColumn<int>("sum");

    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("ASCII") << "AB" << (65 + 66);
    QTest::newRow("0x80 counts -128") << QString(QChar(0x80)) << -128;
    QTest::newRow("0xFF counts -1") << QString(QChar(0xFF)) << -1;
    QTest::newRow("e acute counts negative") << QString::fromUtf8("a\xC3\xA9") << (97 + 0xE9 - 256);
    QTest::newRow("beyond Latin-1 counts 0") << QString::fromUtf8("a\xE2\x82\xAC") << 97;
    QTest::newRow("signature text") << "OKQPushButton0$1" << 1420;
}

void tst_IdNaming::signatureSum()
{
    QFETCH(QString, signature);
    QFETCH(int, sum);
    QCOMPARE(IdNaming::signatureSum(signature), sum);
}

void tst_IdNaming::segment_data()
{
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("segment");

    QTest::newRow("tool tip first") << "Opens a file"
                                    << "open"
                                    << "Open"
                                    << "QPushButton"
                                    << "T#Opens a file";
    QTest::newRow("then object name") << ""
                                      << "open"
                                      << "Open"
                                      << "QPushButton"
                                      << "O#open";
    QTest::newRow("then caption") << ""
                                  << ""
                                  << "Open"
                                  << "QPushButton"
                                  << "L#Open";
    QTest::newRow("then class") << ""
                                << ""
                                << ""
                                << "QPushButton"
                                << "QPushButton";
    QTest::newRow("class with alias") << ""
                                      << ""
                                      << ""
                                      << "QMDrovebot::Editor"
                                      << "Editor";
    QTest::newRow("slash in tool tip") << "in/out"
                                       << ""
                                       << ""
                                       << "QWidget"
                                       << "T#in_out";
    QTest::newRow("slash in object name") << ""
                                          << "a/b/c"
                                          << ""
                                          << "QWidget"
                                          << "O#a_b_c";
    QTest::newRow("slash in caption") << ""
                                      << ""
                                      << "Read/Write"
                                      << "QPushButton"
                                      << "L#Read_Write";
}

void tst_IdNaming::segment()
{
    QFETCH(QString, toolTip);
    QFETCH(QString, objectName);
    QFETCH(QString, caption);
    QFETCH(QString, className);
    QFETCH(QString, segment);

    const QMap<QString, QString> aliases{{QStringLiteral("QMDrovebot::Editor"), QStringLiteral("Editor")}};
    QCOMPARE(IdNaming::segment(toolTip, objectName, caption, className, aliases), segment);
}

void tst_IdNaming::fullName()
{
    QCOMPARE(IdNaming::fullName({"JSMainWindow", "Editor", "L#OK"}), "/JSMainWindow/Editor/L#OK");
    QCOMPARE(IdNaming::fullName({"QWidget"}), "/QWidget");
    QCOMPARE(IdNaming::fullName({}), QString());
}

void tst_IdNaming::shorten_data()
{
    QTest::addColumn<QStringList>("fullNames");
    QTest::addColumn<QStringList>("shortNames");

    QTest::newRow("unique last segments") << QStringList{"/W/A/B", "/W/C/D"} << QStringList{"B", "D"};
    QTest::newRow("first differing position")
        << QStringList{"/W/O#box1/L#OK", "/W/O#box2/L#OK"} << QStringList{"O#box1/L#OK", "O#box2/L#OK"};
    QTest::newRow("equal segments are passed over")
        << QStringList{"/W/G/O#a/L#OK", "/W/G/O#b/L#OK"} << QStringList{"O#a/L#OK", "O#b/L#OK"};
    QTest::newRow("all members must differ at the position")
        << QStringList{"/W/G1/O#a/L#OK", "/W/G1/O#b/L#OK", "/W/G2/O#c/L#OK"}
        << QStringList{"O#a/L#OK", "O#b/L#OK", "O#c/L#OK"};
    QTest::newRow("top-level segment is never chosen")
        << QStringList{"/A/L#OK", "/B/L#OK"} << QStringList{"?/L#OK", "?/L#OK"};
    QTest::newRow("shortest member bounds the search")
        << QStringList{"/W/X/L#OK", "/W/Y/Z/L#OK"} << QStringList{"X/L#OK", "Y/L#OK"};
    QTest::newRow("last position is not a candidate")
        << QStringList{"/W/G/L#OK", "/W/G/L#OK"} << QStringList{"?/L#OK", "?/L#OK"};
    QTest::newRow("identical names") << QStringList{"/W/G/QLabel", "/W/G/QLabel", "/W/H/QLabel"}
                                     << QStringList{"?/QLabel", "?/QLabel", "?/QLabel"};
    QTest::newRow("suffix is plain text")
        << QStringList{"/W/A/L#OK", "/W/B/O#xL#OK"} << QStringList{"A/L#OK", "B/L#OK"};
    // "xB" is named first (it sorts first); "B" then matches its new name too.
    QTest::newRow("groups see the names given so far") << QStringList{"/W/C/B", "/W/A/xB"} << QStringList{"?/B", "?/B"};
    QTest::newRow("single widget") << QStringList{"/JSMainWindow"} << QStringList{"JSMainWindow"};
}

void tst_IdNaming::shorten()
{
    QFETCH(QStringList, fullNames);
    QFETCH(QStringList, shortNames);

    const IdNaming::NameMap result = IdNaming::shorten(names(fullNames));
    QCOMPARE(result.values(), shortNames);
}

void tst_IdNaming::resolveMarker()
{
    const QString signature = QStringLiteral("OKQPushButton0$1");
    QCOMPARE(IdNaming::resolveMarker(QStringLiteral("?/L#OK"), signature),
             QStringLiteral("F#") + IdNaming::base61(1420) + QStringLiteral("/L#OK"));
    QCOMPARE(IdNaming::base61(1420), QStringLiteral("NH"));
    QVERIFY(IdNaming::hasMarker(QStringLiteral("?/L#OK")));
    QVERIFY(!IdNaming::hasMarker(QStringLiteral("G/L#OK")));
    QCOMPARE(IdNaming::resolveMarker(QStringLiteral("G/L#OK"), signature), QStringLiteral("G/L#OK"));
}

QTEST_MAIN(tst_IdNaming)
#include "tst_idnaming.moc"
