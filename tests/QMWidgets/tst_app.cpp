#include <QDir>
#include <QSettings>
#include <QtTest>

#include <QMWidgets/App.h>

// The application object is the program's QApplication, so this test makes
// its own instead of using QTEST_MAIN's.
class tst_App : public QObject
{
    Q_OBJECT

private slots:
    void identityAndSettingsPrefix();
    void workingDirectoriesStartInTheHomeFolder();
    void webAddressesAreNeutral_data();
    void webAddressesAreNeutral();
};

void tst_App::identityAndSettingsPrefix()
{
    QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Brightfold"));
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Corvella"));
    QVERIFY(QMWidgets::App::instance());

    QMWidgets::App::setSettingValue(QStringLiteral("Width"), 640);
    QCOMPARE(QMWidgets::App::settingValue(QStringLiteral("Width")).toInt(), 640);
    QCOMPARE(QMWidgets::App::settingValue(QStringLiteral("missing"), 7).toInt(), 7);
    // Stored under the application's name, in the user's store.
    QSettings raw(QStringLiteral("Brightfold"), QStringLiteral("Corvella"));
    QCOMPARE(raw.value(QStringLiteral("Corvella/Width")).toInt(), 640);
    QVERIFY(!raw.contains(QStringLiteral("Width")));
}

void tst_App::workingDirectoriesStartInTheHomeFolder()
{
    const QString expected = QDir::homePath() + QStringLiteral("/Corvella/");
    QCOMPARE(QMWidgets::App::openDirectory(), expected);
    QCOMPARE(QMWidgets::App::saveDirectory(), expected);
    // Not created just by asking.
    QVERIFY(!QFileInfo::exists(expected));
    QMWidgets::App::setSaveDirectory(QStringLiteral("/tmp/x"));
    QCOMPARE(QMWidgets::App::saveDirectory(), QStringLiteral("/tmp/x"));
    QCOMPARE(QMWidgets::App::openDirectory(), expected);
    QMWidgets::App::setSaveDirectory(expected);
}

void tst_App::webAddressesAreNeutral_data()
{
    QTest::addColumn<QString>("page");
    QTest::newRow("support") << "support";
    QTest::newRow("updates") << "updates";
}

void tst_App::webAddressesAreNeutral()
{
    QFETCH(QString, page);
    const QUrl url(QMWidgets::App::webAddress(page));
    QVERIFY(url.isValid());
    QCOMPARE(url.host(), QStringLiteral("example.org"));
    QVERIFY(url.path().endsWith(page));
}

int main(int argc, char **argv)
{
    QMWidgets::App app(argc, argv, QStringLiteral("Brightfold"), QStringLiteral("Corvella"));
    tst_App test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_app.moc"
