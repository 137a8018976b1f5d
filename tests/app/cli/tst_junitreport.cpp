#include "TestSupport.h"

#include "cli/JUnitReport.h"

// How the cases of a report are named, as CI servers group them.
class tst_JUnitReport : public QObject
{
    Q_OBJECT

private slots:
    void namedCases_data()
    {
        QTest::addColumn<QStringList>("scripts");
        QTest::addColumn<QStringList>("cases"); // "name class" each
        // clang-format off
        QTest::newRow("repeats told apart") << QStringList{"/s/l/a.js", "/s/l/b.js", "/s/l/a.js"} << QStringList{"a.js l", "b.js l", "a.js (2) l"};
        QTest::newRow("no part for a folder above the list's") << QStringList{"/s/outside.js"} << QStringList{"outside.js l"};
        // clang-format on
    }

    void namedCases()
    {
        QFETCH(QStringList, scripts);
        QFETCH(QStringList, cases);
        QStringList named;
        for (const JUnitReport::Case &c : JUnitReport::namedCases(QStringLiteral("l"), QStringLiteral("/s/l"), scripts))
            named << c.name + QLatin1Char(' ') + c.className;
        QCOMPARE(named, cases);
    }
};

QTEST_MAIN(tst_JUnitReport)
#include "tst_junitreport.moc"
