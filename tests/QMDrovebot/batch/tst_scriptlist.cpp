#include "TestSupport.h"

#include <QMDrovebot/batch/ScriptList.h>

namespace ScriptList = QMDrovebot::ScriptList;

// The list file's lines and the names "Save List As" gives, without a window.
class tst_ScriptList : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("paths");
        // A NUL byte ends its line, and one at the start of a line ends the list.
        // clang-format off
        QTest::newRow("NUL bytes") << QByteArray("a.js\0x\n\0quiet.js\n", 17) << QStringList{"a.js"};
        QTest::newRow("CR-only line ends") << QByteArray("a.js\rquiet.js\r") << QStringList{"a.js", "quiet.js"};
        // clang-format on
    }

    void parse()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, paths);
        QCOMPARE(ScriptList::parse(bytes), paths);
    }

    void withSuffix_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        // clang-format off
        QTest::newRow("other case") << "list.JSLST" << "list.JSLST.jslst";
        // clang-format on
    }

    void withSuffix()
    {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QCOMPARE(ScriptList::withSuffix(typed), written);
    }
};

QTEST_MAIN(tst_ScriptList)
#include "tst_scriptlist.moc"
