#include "TestSupport.h"

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMWidgets/App.h>

#include <QMainWindow>
#include <QScriptEngineDebugger>

using QMDrovebot::Editor;

class tst_EditorDebug : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        m_editor.reset(new Editor);
        m_debuggers.clear();
        m_windows.clear();
        m_suspensions = 0;
    }

    void continueEveryDebugger()
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

    void debugRunIsDrivenToTheEnd_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("output");

        // The debugger's own views show the exception; the pane gets no report.
        // clang-format off
        QTest::newRow("prints") << "printout(\"one\");\nvar x = 2;\nprintout(x);" << "one\n2";
        QTest::newRow("throws") << "printout(\"a\");\nnull.x;\nprintout(\"b\");" << "a";
        // clang-format on
    }

    void debugRunIsDrivenToTheEnd()
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

    void everyDebugRunGetsItsOwnDebugger()
    {
        QStringList styleSheets;
        connect(m_editor.get(), &Editor::debuggerCreated, this, [&styleSheets](QScriptEngineDebugger *debugger) {
            styleSheets << debugger->widget(QScriptEngineDebugger::CodeWidget)->styleSheet();
        });
        continueEveryDebugger();
        openScript(QStringLiteral("var fromDebug = 5;"));
        m_editor->debug();
        const int firstSuspensions = m_suspensions;
        QVERIFY(firstSuspensions >= 1);
        m_editor->debug();
        // A debugger interrupts only once in its life: the second run stopped at
        // its start only because it had a debugger of its own.
        QCOMPARE(m_debuggers.size(), 2);
        QVERIFY(m_suspensions > firstSuspensions);
        QCOMPARE(styleSheets, QStringList({"background-color: white", "background-color: white"}));
        // Globals are shared with plain runs.
        openScript(QStringLiteral("printout(fromDebug * 2);"));
        m_editor->run();
        QCOMPARE(m_editor->outputArea()->toPlainText(), QStringLiteral("10"));
    }

    void syntaxErrorNeverOpensTheDebugger()
    {
        continueEveryDebugger();
        openScript(QStringLiteral("printout(\"before\");\nvar = 1;"));
        m_editor->outputArea()->setPlainText(QStringLiteral("old output"));
        m_editor->debug();

        QCOMPARE(m_debuggers.size() + m_suspensions, 0);
        QCOMPARE(m_editor->errorStatus(), 1);
        // The check failed, so the pane was not cleared.
        const QString pane = m_editor->outputArea()->toPlainText();
        QVERIFY2(pane.startsWith(QStringLiteral("old output\nSyntax Error:")), qPrintable(pane));
        QVERIFY2(pane.endsWith(QStringLiteral("Line:2\nColumn:5")), qPrintable(pane));
    }

    void initTestCase() { TestSupport::useTestIdentity(); }

private:
    void openScript(const QString &text);
    // Continues the debugger whenever it suspends, as a user pressing
    // Continue would, and counts the suspensions.

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Editor> m_editor;
    QList<QPointer<QScriptEngineDebugger>> m_debuggers;
    QList<QPointer<QMainWindow>> m_windows;
    int m_suspensions = 0;
};

void tst_EditorDebug::openScript(const QString &text)
{
    QVERIFY(m_editor->textEdit()->openFile(TestSupport::writeFile(m_dir->filePath("main.js"), text.toUtf8())));
}

QTEST_MAIN(tst_EditorDebug)
#include "tst_editordebug.moc"
