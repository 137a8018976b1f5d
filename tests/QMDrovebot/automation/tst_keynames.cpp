#include "TestSupport.h"

#include <QMDrovebot/automation/KeyNames.h>

using QMDrovebot::KeyNames;

class tst_KeyNames : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(KeyNames::keyCode(QStringLiteral("A")), -1); // nothing before the editor fills it
        KeyNames::fill();
        KeyNames::fill(); // a second fill adds nothing
        QCOMPARE(KeyNames::count(), 88);
    }

    void keyCode_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("code");

        // clang-format off
        QTest::newRow("F12") << "F12" << 0x0100003B;
        QTest::newRow("F13 is no key") << "F13" << -1;
        QTest::newRow("A") << "A" << 0x41;
        QTest::newRow("lower-case letters are not names") << "a" << -1;
        QTest::newRow("punctuation by itself") << "?" << 0x3F;
        QTest::newRow("slash is not in the table") << "/" << -1;
        QTest::newRow("Del") << "Del" << 0x01000007;
        QTest::newRow("Enter") << "Enter" << 0x01000005;
        // clang-format on
    }

    void keyCode()
    {
        QFETCH(QString, name);
        QFETCH(int, code);
        QCOMPARE(KeyNames::keyCode(name), code);
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");

        const int ctrl = Qt::ControlModifier;
        const int shift = Qt::ShiftModifier;
        // clang-format off
        QTest::newRow("Ctrl+Shift+S") << "Ctrl+Shift+S" << 0x53 << (ctrl | shift);
        QTest::newRow("lower-case names give no key") << "ctrl+s" << -1 << 0;
        QTest::newRow("a later key replaces an earlier one") << "Ctrl+A+B" << 0x42 << ctrl;
        QTest::newRow("an unknown key after a known one") << "A+x" << -1 << 0;
        QTest::newRow("empty text is the plus key") << "" << 0x2B << 0;
        QTest::newRow("Ctrl++") << "Ctrl++" << 0x2B << ctrl;
        QTest::newRow("Meta and Alt") << "Meta+Alt+F5" << 0x01000034 << int(Qt::MetaModifier | Qt::AltModifier);
        QTest::newRow("blanks are not trimmed") << "Ctrl + S" << -1 << 0;
        // clang-format on
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(int, key);
        QFETCH(int, modifiers);

        const KeyNames::Shortcut shortcut = KeyNames::parse(text);
        QCOMPARE(shortcut.key, key);
        QCOMPARE(int(shortcut.modifiers), modifiers);
    }
};

QTEST_MAIN(tst_KeyNames)
#include "tst_keynames.moc"
