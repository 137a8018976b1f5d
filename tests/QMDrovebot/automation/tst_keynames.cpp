#include <QtTest>

#include <QMDrovebot/automation/KeyNames.h>

using QMDrovebot::KeyNames;

class tst_KeyNames : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void table();
    void keyCode_data();
    void keyCode();
    void parse_data();
    void parse();
};

void tst_KeyNames::initTestCase()
{
    QCOMPARE(KeyNames::keyCode(QStringLiteral("A")), -1); // nothing before the editor fills it
    KeyNames::fill();
}

void tst_KeyNames::table()
{
    QCOMPARE(KeyNames::count(), 88);
    KeyNames::fill();
    QCOMPARE(KeyNames::count(), 88);
}

void tst_KeyNames::keyCode_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("code");

    QTest::newRow("F1") << "F1" << 0x01000030;
    QTest::newRow("F12") << "F12" << 0x0100003B;
    QTest::newRow("F13 is no key") << "F13" << -1;
    QTest::newRow("digit 0") << "0" << 0x30;
    QTest::newRow("A") << "A" << 0x41;
    QTest::newRow("lower-case letters are not names") << "a" << -1;
    QTest::newRow("space") << " " << 0x20;
    QTest::newRow("backslash") << "\\" << 0x5C;
    QTest::newRow("slash is not in the table") << "/" << -1;
    QTest::newRow("Del") << "Del" << 0x01000007;
    QTest::newRow("Delete is not the name") << "Delete" << -1;
    QTest::newRow("Return") << "Return" << 0x01000004;
    QTest::newRow("Enter") << "Enter" << 0x01000005;
    QTest::newRow("Ctrl as a key") << "Ctrl" << 0x01000021;
    QTest::newRow("case matters") << "escape" << -1;
    QTest::newRow("empty") << "" << -1;
}

void tst_KeyNames::keyCode()
{
    QFETCH(QString, name);
    QFETCH(int, code);
    QCOMPARE(KeyNames::keyCode(name), code);
}

void tst_KeyNames::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");

    const int ctrl = Qt::ControlModifier;
    const int shift = Qt::ShiftModifier;
    QTest::newRow("Ctrl+Shift+S") << "Ctrl+Shift+S" << 0x53 << (ctrl | shift);
    QTest::newRow("lower-case names give no key") << "ctrl+s" << -1 << 0;
    QTest::newRow("a later key replaces an earlier one") << "Ctrl+A+B" << 0x42 << ctrl;
    QTest::newRow("an unknown key after a known one") << "A+x" << -1 << 0;
    QTest::newRow("empty text is the plus key") << "" << 0x2B << 0;
    QTest::newRow("Ctrl++") << "Ctrl++" << 0x2B << ctrl;
    QTest::newRow("plus alone") << "+" << 0x2B << 0;
    QTest::newRow("modifiers only") << "Ctrl+Shift" << -1 << (ctrl | shift);
    QTest::newRow("all four modifiers") << "Meta+Alt+Ctrl+Shift+F5" << 0x01000034
                                        << int(Qt::MetaModifier | Qt::AltModifier | Qt::ControlModifier |
                                               Qt::ShiftModifier);
    QTest::newRow("modifier twice") << "Alt+Alt+Tab" << 0x01000001 << int(Qt::AltModifier);
    QTest::newRow("space key") << "Ctrl+ " << 0x20 << ctrl;
    QTest::newRow("blanks are not trimmed") << "Ctrl + S" << -1 << 0;
}

void tst_KeyNames::parse()
{
    QFETCH(QString, text);
    QFETCH(int, key);
    QFETCH(int, modifiers);

    const KeyNames::Shortcut shortcut = KeyNames::parse(text);
    QCOMPARE(shortcut.key, key);
    QCOMPARE(int(shortcut.modifiers), modifiers);
}

QTEST_MAIN(tst_KeyNames)
#include "tst_keynames.moc"
