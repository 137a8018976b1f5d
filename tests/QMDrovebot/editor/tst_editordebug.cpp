#include "TestSupport.h"

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMWidgets/App.h>

#include <QAction>
#include <QMainWindow>
#include <QPointer>
#include <QScriptEngineDebugger>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using QMDrovebot::Editor;

class tst_EditorDebug : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void debugRunIsDrivenToTheEnd_data();
    void debugRunIsDrivenToTheEnd();
    void everyDebugRunGetsItsOwnDebugger();
    void syntaxErrorNeverOpensTheDebugger();
    void globalsAreSharedWithPlainRuns();

private:
    void openScript(const QString &text);
    // Continues the debugger whenever it suspends, as a user pressing
    // Continue would, and counts the suspensions.
    void continueEveryDebugger();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Editor> m_editor;
    QList<QPointer<QScriptEngineDebugger>> m_debuggers;
    QList<QPointer<QMainWindow>> m_windows;
    int m_suspensions = 0;
};

void tst_EditorDebug::initTestCase()
{
    TestSupport::useTestIdentity();
}

void tst_EditorDebug::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    m_editor.reset(new Editor);
    m_debuggers.clear();
    m_windows.clear();
    m_suspensions = 0;
}

void tst_EditorDebug::cleanup()
{
    m_editor.reset();
    m_dir.reset();
}

void tst_EditorDebug::openScript(const QString &text)
{
    const QString path = m_dir->filePath(QStringLiteral("main.js"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
    file.close();
    QVERIFY(m_editor->textEdit()->openFile(path));
}

void tst_EditorDebug::continueEveryDebugger()
{
    connect(m_editor.get(), &Editor::debuggerCreated, this, [this](QScriptEngineDebugger *debugger) {
        m_debuggers << debugger;
        m_windows << debugger->standardWindow();
        connect(debugger, &QScriptEngineDebugger::evaluationSuspended, debugger, [this, debugger]() {
            ++m_suspensions;
            QTimer::singleShot(0, debugger->action(QScriptEngineDebugger::ContinueAction), &QAction::trigger);
        });
    });
}

void tst_EditorDebug::debugRunIsDrivenToTheEnd_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("output");

    QTest::newRow("prints") << "printout(\"one\");\nvar x = 2;\nprintout(x);"
                            << "one\n2";
    // The debugger's own views show the exception; the pane gets no report.
    QTest::newRow("throws") << "printout(\"a\");\nnull.x;\nprintout(\"b\");"
                            << "a";
}

void tst_EditorDebug::debugRunIsDrivenToTheEnd()
{
    QFETCH(QString, script);
    QFETCH(QString, output);

    continueEveryDebugger();
    openScript(script);
    m_editor->outputArea()->setPlainText(QStringLiteral("old output"));
    m_editor->debug();

    QCOMPARE(m_debuggers.size(), 1);
    // Interrupted before the first statement, then continued to the end.
    QVERIFY(m_suspensions >= 1);
    QCOMPARE(m_editor->outputArea()->toPlainText(), output);
    QCOMPARE(m_editor->errorStatus(), 0);
    QVERIFY(!m_editor->isEvaluating());
    // The debugger and its window go when the run ends.
    QVERIFY(m_debuggers.first().isNull());
    QVERIFY(m_windows.first().isNull());
}

void tst_EditorDebug::everyDebugRunGetsItsOwnDebugger()
{
    QStringList styleSheets;
    connect(m_editor.get(), &Editor::debuggerCreated, this, [&styleSheets](QScriptEngineDebugger *debugger) {
        styleSheets << debugger->widget(QScriptEngineDebugger::CodeWidget)->styleSheet();
    });
    continueEveryDebugger();
    openScript(QStringLiteral("printout(\"run\");"));

    m_editor->debug();
    const int firstSuspensions = m_suspensions;
    QVERIFY(firstSuspensions >= 1);
    m_editor->debug();
    // A debugger interrupts only once in its life: the second run stopped at
    // its start only because it had a debugger of its own.
    QCOMPARE(m_debuggers.size(), 2);
    QVERIFY(m_suspensions > firstSuspensions);
    QCOMPARE(styleSheets, QStringList({"background-color: white", "background-color: white"}));
    QCOMPARE(m_editor->outputArea()->toPlainText(), QStringLiteral("run"));
}

void tst_EditorDebug::syntaxErrorNeverOpensTheDebugger()
{
    continueEveryDebugger();
    openScript(QStringLiteral("printout(\"before\");\nvar = 1;"));
    m_editor->outputArea()->setPlainText(QStringLiteral("old output"));
    m_editor->debug();

    QVERIFY(m_debuggers.isEmpty());
    QCOMPARE(m_suspensions, 0);
    QCOMPARE(m_editor->errorStatus(), 1);
    // The check failed, so the pane was not cleared.
    const QString pane = m_editor->outputArea()->toPlainText();
    QVERIFY2(pane.startsWith(QStringLiteral("old output\nSyntax Error:")), qPrintable(pane));
    QVERIFY2(pane.endsWith(QStringLiteral("Line:2\nColumn:5")), qPrintable(pane));
}

void tst_EditorDebug::globalsAreSharedWithPlainRuns()
{
    continueEveryDebugger();
    openScript(QStringLiteral("var fromDebug = 5;"));
    m_editor->debug();
    openScript(QStringLiteral("printout(fromDebug * 2);"));
    m_editor->run();
    QCOMPARE(m_editor->outputArea()->toPlainText(), QStringLiteral("10"));
    QCOMPARE(m_editor->errorStatus(), 0);
}

QTEST_MAIN(tst_EditorDebug)
#include "tst_editordebug.moc"
