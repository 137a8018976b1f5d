#include "TestSupport.h"

#include <QMWidgets/App.h>

// The application object is the program's QApplication, so this test makes
// its own instead of using QTEST_MAIN's.
class tst_App : public QObject
{
    Q_OBJECT

private slots:
    void identityAndSettingsPrefix()
    {
        QMWidgets::App::setSettingValue(QStringLiteral("Width"), 640);
        QCOMPARE(QMWidgets::App::settingValue(QStringLiteral("Width")).toInt(), 640);
        QCOMPARE(QMWidgets::App::settingValue(QStringLiteral("missing"), 7).toInt(), 7);
        // Stored under the application's name, in the user's store.
        QSettings raw(QStringLiteral("Brightfold"), QStringLiteral("Corvella"));
        QCOMPARE(raw.value(QStringLiteral("Corvella/Width")).toInt(), 640);
        QVERIFY(!raw.contains(QStringLiteral("Width")));
    }

    void workingDirectoriesStartInTheHomeFolder()
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
};

int main(int argc, char **argv)
{
    QMWidgets::App app(argc, argv, QStringLiteral("Brightfold"), QStringLiteral("Corvella"));
    tst_App test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_app.moc"
