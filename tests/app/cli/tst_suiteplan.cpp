#include "TestSupport.h"
#include "cli/SuitePlan.h"

// Shards must cover the list exactly once whatever the times, and be
// balanced by them when they are known.
class tst_SuitePlan : public QObject
{
    Q_OBJECT

private slots:
    void shards_data()
    {
        QTest::addColumn<QVector<double>>("seconds"); // per row; -1: not in the earlier report
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("parts"); // each part's rows, "|" between parts
        // clang-format off
        QTest::newRow("by count, consecutive") << QVector<double>(7, -1) << 3 << "0 1|2 3|4 5 6";
        QTest::newRow("more parts than rows") << QVector<double>(2, -1) << 3 << "|0|1";
        QTest::newRow("by time, longest first") << QVector<double>{1, 9, 2, 8, 3} << 2 << "0 1 2|3 4";
        QTest::newRow("missing rows count as the median") << QVector<double>{10, -1, 1, -1, 2} << 2 << "0|1 2 3 4";
        QTest::newRow("one long row alone") << QVector<double>{100, 1, 1, 1} << 2 << "0|1 2 3";
        // clang-format on
    }

    void shards()
    {
        QFETCH(QVector<double>, seconds);
        QFETCH(int, count);
        QFETCH(QString, parts);
        const QVector<double> expected = SuitePlan::expected(seconds);
        QStringList found;
        for (int index = 1; index <= count; ++index) {
            QStringList rows;
            for (int row : SuitePlan::shard(seconds.size(), index, count, expected))
                rows << QString::number(row);
            found << rows.join(' ');
        }
        QCOMPARE(found.join('|'), parts);
    }

    void longestFirst()
    {
        QCOMPARE(SuitePlan::longestFirst({0, 1, 2, 3}, {1, 5, 1, 7}), (QVector<int>{3, 1, 0, 2}));
        QCOMPARE(SuitePlan::longestFirst({2, 0}, {}), (QVector<int>{2, 0}));
    }
};

QTEST_MAIN(tst_SuitePlan)
#include "tst_suiteplan.moc"
