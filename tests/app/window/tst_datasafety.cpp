#include "TestSupport.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/editor/RecoveryFile.h>
#include <QMDrovebot/engine/OutputArea.h>

using QMDrovebot::DocWindow;
using QMDrovebot::RecoveryFile;
using TestSupport::readFile;

// Nothing the user typed is lost: Save writes the bytes the file had, its
// encoding and line ends kept, and never less than the whole text; a failed
// save keeps the old file; a killed process leaves a copy that the next
// start offers; scripts cannot delete the windows the application uses.
class tst_DataSafety : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestSupport::useTestIdentity();
        qApp->setQuitOnLastWindowClosed(false);
        QVERIFY(m_dir.isValid());
    }

    void init()
    {
        TestSupport::clearSettings();
        QDir(RecoveryFile::folder()).removeRecursively();
    }

    // Bytes that cannot come back are named as the file opens, and its
    // first save asks; No keeps the file.
    void unchangedFileRoundTrips_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("warning"); // empty: none, and Save gives back the bytes
        // clang-format off
        QTest::newRow("UTF-8") << QByteArray("var s = 'Grüße €';\nf(s);\n") << "";
        QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBFvar s = 'Grüße';\n") << "";
        QTest::newRow("UTF-16 LE with mark") << QByteArray("\xFF\xFEv\0=\0'\0\xFC\0'\0;\0\n\0", 16) << "";
        QTest::newRow("UTF-16 BE with mark") << QByteArray("\xFE\xFF\0v\0=\0'\0\xFC\0'\0;\0\n", 16) << "";
        QTest::newRow("Latin-1") << QByteArray("var s = 'Gr\xFC\xDF" "e';\n") << "";
        QTest::newRow("Latin-1 with no-break space") << QByteArray("a =\xA0" "1; // \xE9t\xE9\n") << "";
        QTest::newRow("invalid UTF-8 sequences") << QByteArray("ok \xC3\xA9 bad \xC3( \xFF\xFE tail\n") << "";
        QTest::newRow("CR LF") << QByteArray("a();\r\nb();\r\n\r\nc();") << "";
        QTest::newRow("lone CR") << QByteArray("a();\rb();\r") << "";
        QTest::newRow("UTF-16 LE with CR LF") << QByteArray("\xFF\xFEx\0\r\0\n\0y\0", 10) << "";
        QTest::newRow("NUL byte") << QByteArray("var a = 1;\0var b = 2; // after the NUL\n", 39) << "";
        QTest::newRow("UTF-16 LE without mark") << QByteArray("v\0=\0'\0x\0'\0;\0\n\0", 14) << "";
        QTest::newRow("UTF-16 BE without mark") << QByteArray("\0v\0=\0'\0y\0'\0;\0\n", 14) << "";
        QTest::newRow("U+2029") << QByteArray("a\xE2\x80\xA9" "b") << "U+2029";
        QTest::newRow("U+FDD0") << QByteArray("a\xEF\xB7\x90" "b") << "U+FDD0";
        QTest::newRow("U+FDD1") << QByteArray("a\xEF\xB7\x91" "b") << "U+FDD1";
        QTest::newRow("invalid byte after UTF-8 mark") << QByteArray("\xEF\xBB\xBF" "a\xFF" "b") << "not valid UTF-8";
        QTest::newRow("odd UTF-16 byte") << QByteArray("\xFF\xFEx\0y", 5) << "not valid UTF-16 LE";
        QTest::newRow("mostly CR LF") << QByteArray("a();\r\nb();\r\nc();\nd();") << "mixed and will all be CR LF";
        // clang-format on
    }

    void unchangedFileRoundTrips()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, warning);
        const QString path = write(QStringLiteral("round.js"), bytes);
        DocWindow doc;
        QSignalSpy status(&doc, &DocWindow::fileStatus);
        QVERIFY(doc.openFile(path));
        const QString shown = status.last().first().toString();
        QVERIFY2(warning.isEmpty() ? shown.isEmpty()
                                   : shown.startsWith("Saving will change " + path) && shown.contains(warning),
                 qPrintable(shown));
        TestSupport::whenMessageBox(QMessageBox::No);
        QCOMPARE(doc.saveFile(), warning.isEmpty());
        QCOMPARE(readFile(path), bytes);
    }

    void editedFileKeepsItsFormat_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("appended");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<bool>("noted");
        // clang-format off
        QTest::newRow("CR LF") << QByteArray("a();\r\nb();") << QStringLiteral("\nc();") << QByteArray("a();\r\nb();\r\nc();") << false;
        QTest::newRow("UTF-16 BE") << QByteArray("\xFE\xFF\0a", 4) << QStringLiteral("\xE9") << QByteArray("\xFE\xFF\0a\0\xE9", 6) << false;
        QTest::newRow("Latin-1 keeps what it can store") << QByteArray("s='\xE9';") << QStringLiteral("\xFC") << QByteArray("s='\xE9';\xFC") << false;
        QTest::newRow("Latin-1 becomes UTF-8, never '?'") << QByteArray("s='\xE9';\r\n") << QStringLiteral("\x20AC") << QByteArray("s='\xC3\xA9';\r\n\xE2\x82\xAC") << true;
        // clang-format on
    }

    void editedFileKeepsItsFormat()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, appended);
        QFETCH(QByteArray, expected);
        QFETCH(bool, noted);
        const QString path = write(QStringLiteral("edited.js"), bytes);
        DocWindow doc;
        QVERIFY(doc.openFile(path));
        QSignalSpy status(&doc, &DocWindow::fileStatus);
        doc.moveCursor(QTextCursor::End);
        doc.insertPlainText(appended);
        QVERIFY(doc.saveFile());
        QCOMPARE(readFile(path), expected);
        QCOMPARE(status.size(), 1);
        QCOMPARE(!status.first().first().toString().isEmpty(), noted);
    }

    void fullDiskKeepsTheOldFile()
    {
        const QString path = write(QStringLiteral("full.js"), "old();\n");
        DocWindow doc;
        QVERIFY(doc.openFile(path));
        QSignalSpy titles(&doc, &DocWindow::changeWindowTitle);
        QSignalSpy status(&doc, &DocWindow::fileStatus);
        // Larger than the limit, smaller than the saving class's buffer: only
        // the final flush can fail.
        doc.setPlainText(QString(12000, QLatin1Char('x')));
        {
            TestSupport::FullDisk disk(8192);
            QVERIFY(!doc.saveFile());
        }
        QCOMPARE(readFile(path), QByteArray("old();\n"));
        QVERIFY(doc.isModified());
        QCOMPARE(titles.last().first().toString(), path + QStringLiteral(" [modified]"));
        QVERIFY(status.last().first().toString().startsWith(QStringLiteral("Cannot save ") + path));
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("full.js*")}, QDir::Files | QDir::Hidden).size(), 1);
        // With room again the same document saves.
        QVERIFY(doc.saveFile());
        QCOMPARE(readFile(path).size(), 12000);
        QCOMPARE(status.last().first().toString(), QString());
    }

    void copyWrittenBeforeRunAndRemovedOnSave()
    {
        QMDrovebot::Editor editor;
        editor.open(write(QStringLiteral("copy.js"), "printout(1);\n"));
        QVERIFY(!QFile::exists(editor.recoveryFile()->path()));
        editor.textEdit()->append(QStringLiteral("printout(2);"));
        editor.run(); // the event loop never ran: only the run wrote the copy
        QVERIFY(readFile(editor.recoveryFile()->path()).contains("printout(2);"));
        QVERIFY(RecoveryFile::orphans().isEmpty()); // its process still lives
        editor.save();
        QVERIFY(!QFile::exists(editor.recoveryFile()->path()));
    }

    void killedProcessLeavesACopy_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("restored");
        QTest::addColumn<bool>("kept");
        QTest::newRow("restore") << int(QMessageBox::Yes) << true << false;
        QTest::newRow("discard") << int(QMessageBox::No) << false << false;
        QTest::newRow("later") << int(QMessageBox::Cancel) << false << true;
    }

    void killedProcessLeavesACopy()
    {
        QFETCH(int, answer);
        QFETCH(bool, restored);
        QFETCH(bool, kept);
        // The script types into its own document, then waits to be killed.
        const QString script =
            write(QStringLiteral("victim.js"), "var doc = getWidgetByClassName(\"QMDrovebot::DocWindow\");\n"
                                               "doc.append(\"typed before the kill\");\n"
                                               "delay(120000);\n");
        QProcess victim;
        victim.start(QStringLiteral(CORVELLA_BINARY), {QStringLiteral("--run"), script});
        QVERIFY(victim.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(RecoveryFile::folder()).entryList({"*.recovery"}).isEmpty(), 20000);
        QVERIFY(RecoveryFile::orphans().isEmpty());
        victim.kill();
        QVERIFY(victim.waitForFinished());

        const QList<RecoveryFile::Copy> copies = RecoveryFile::orphans();
        QCOMPARE(copies.size(), 1);
        QVERIFY(copies.first().text.endsWith(QStringLiteral("typed before the kill")));
        QCOMPARE(copies.first().fileName, script);

        JSMainWindow window;
        TestSupport::whenMessageBox(QMessageBox::StandardButton(answer));
        window.offerRecovery();
        DocWindow *doc = window.editor()->textEdit();
        QCOMPARE(doc->toPlainText() == copies.first().text, restored);
        QCOMPARE(doc->fileName() == script && doc->isModified(), restored);
        QCOMPARE(RecoveryFile::orphans().size(), kept ? 1 : 0);
        // The command-line modes never ask, whatever copies are left.
        if (kept)
            QCOMPARE(TestSupport::corvella({"--run", write("quick.js", "printout(\"done\");")}).status, 0);
    }

    void scriptsCannotDeleteOwnWindows_data()
    {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<bool>("refused");
        // clang-format off
        QTest::newRow("frame") << "getWidgetByClassName('JavaScriptEvaluator')" << true;
        QTest::newRow("document window") << "getWidgetByClassName('JSMainWindow')" << true;
        QTest::newRow("document") << "getWidgetByClassName('QMDrovebot::DocWindow')" << true;
        QTest::newRow("splitter holding the output") << "parent(output)" << true;
        QTest::newRow("pane holding the document") << "parent(getWidgetByClassName('QMDrovebot::DocWindow'))" << true;
        QTest::newRow("a script's own label") << "grab(output)" << false;
        // clang-format on
    }

    void scriptsCannotDeleteOwnWindows()
    {
        QFETCH(QString, widget);
        QFETCH(bool, refused);
        JavaScriptEvaluator frame;
        frame.show();
        QMDrovebot::Editor *editor = frame.mainWindow()->editor();
        editor->textEdit()->setPlainText(widget + QStringLiteral(".deleteLater();"));
        editor->run();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(editor->outputArea()->toPlainText().contains(QStringLiteral("deleteLater() refused")), refused);
        QCOMPARE(editor->errorStatus(), refused ? 1 : 0);
        // Everything the application uses still works.
        editor->textEdit()->setPlainText(QStringLiteral("printout(\"alive\");"));
        editor->run();
        QVERIFY(editor->outputArea()->toPlainText().contains(QStringLiteral("alive")));
    }

private:
    QString write(const QString &name, const QByteArray &bytes)
    {
        return TestSupport::writeFile(m_dir.filePath(name), bytes);
    }

    QTemporaryDir m_dir;
};

QTEST_MAIN(tst_DataSafety)
#include "tst_datasafety.moc"
