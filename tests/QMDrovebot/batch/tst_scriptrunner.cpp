#include "TestSupport.h"

#include <QMDrovebot/batch/ScriptRunner.h>
#include <QMDrovebot/editor/Editor.h>

using namespace QMDrovebot;

// What a batch row leaves for the next: nothing that fires into it, nothing
// that crashes it; and what scripts created does not outlive the engine.
class tst_ScriptRunner : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::useTestIdentity(); }

    void nextRowRunsUndisturbed_data()
    {
        QTest::addColumn<QString>("first");
        // clang-format off
        QTest::newRow("repeating timer") << "var t = createTimer(); t.singleShot = false; t.timeout.connect(function () { printout('tick'); }); t.start(10); delay(50);";
        QTest::newRow("late exception") << "singleShotTimer(100).timeout.connect(function () { throw new Error('late'); });";
        QTest::newRow("deleted pane") << "parent(getWidgetByClassName('QMDrovebot::DocWindow')).deleteLater();";
        // clang-format on
    }

    void nextRowRunsUndisturbed()
    {
        QFETCH(QString, first);
        Editor editor;
        ScriptRunner runner(&editor);
        runner.run(write(QStringLiteral("first.js"), first.toUtf8()));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const ScriptRun second = runner.run(write(QStringLiteral("second.js"), "delay(300); printout('second');"));
        QCOMPARE(second.outputText, QStringLiteral("second"));
        QVERIFY(!second.error);
    }

    void rowTimersFreedTheRestWithTheEngine()
    {
        auto editor = std::make_unique<Editor>();
        const auto global = [&editor](const char *name) {
            return QPointer<QObject>(editor->engine()->globalObject().property(QLatin1String(name)).toQObject());
        };
        QPointer<QObject> timer, label;
        ScriptRunner runner(editor.get());
        runner.setRunStep([&](Editor *e) {
            e->run();
            timer = global("t");
            label = global("l");
        });
        runner.run(write(QStringLiteral("makes.js"), "var t = singleShotTimer(60000); var l = newObject('QLabel');"));
        QVERIFY(timer.isNull());
        QVERIFY(!label.isNull()); // shared with later rows, as globals are
        editor.reset();
        QVERIFY(label.isNull());
    }

private:
    QString write(const QString &name, const QByteArray &bytes)
    {
        return TestSupport::writeFile(m_dir.filePath(name), bytes);
    }

    QTemporaryDir m_dir;
};

QTEST_MAIN(tst_ScriptRunner)
#include "tst_scriptrunner.moc"
