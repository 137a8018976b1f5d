#include "TestSupport.h"
#include "window/JSMainWindow.h"

#include <sys/stat.h>

#include <QScriptEngine>

#include <QMDrovebot/batch/MainWindow.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMWidgets/App.h>

using namespace TestSupport;

class tst_JSMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        clearSettings();
        m_dir.reset(new QTemporaryDir);
        QMWidgets::App::setSaveDirectory(m_dir->path());
        m_window.reset(new JSMainWindow);
    }

    void titleFollowsTheDocument()
    {
        const QString path = file(QStringLiteral("a.js"), "var a;\n");
        QSignalSpy titles(m_window.data(), &JSMainWindow::changeWindowTitle);
        QTest::keyClicks(text(), QStringLiteral("x"));
        QCOMPARE(titles.last().at(0).toString(), QStringLiteral(" [modified]"));
        m_window->openPath(path);
        QCOMPARE(m_window->windowTitleText(), path);
        QVERIFY(!m_window->isModified());
        QTest::keyClicks(text(), QStringLiteral("y"));
        QCOMPARE(m_window->windowTitleText(), path + QStringLiteral(" [modified]"));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.data()));
        QTest::keyClick(text(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_window->windowTitleText(), path);
        QCOMPARE(readFile(path), QByteArray("yvar a;\n"));
    }

    void newAsksAboutChanges_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("replaced");
        // clang-format off
        QTest::newRow("No discards") << int(QMessageBox::No) << true;
        QTest::newRow("Cancel keeps everything") << int(QMessageBox::Cancel) << false;
        QTest::newRow("Yes, then a cancelled save keeps the text") << int(QMessageBox::Yes) << false;
        // clang-format on
    }

    void newAsksAboutChanges()
    {
        QFETCH(int, answer);
        QFETCH(bool, replaced);
        text()->setPlainText(QStringLiteral("precious();"));
        QString seen;
        whenModal([&seen, answer](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            seen = box->text();
            if (answer == QMessageBox::Yes)
                whenFileDialog(QString());
            box->button(QMessageBox::StandardButton(answer))->click();
        });
        m_window->newFile();
        QCOMPARE(seen, QStringLiteral("The text of the \"\" file has been changed.\nDo you want to save the changes?"));
        QCOMPARE(text()->toPlainText(),
                 replaced ? QMDrovebot::DocWindow::defaultText() : QStringLiteral("precious();"));
        QVERIFY(m_window->isModified()); // the default text counts as a change
    }

    void recentFiles()
    {
        const QString a = file(QStringLiteral("a.js"), "a");
        const QString x = file(QStringLiteral("x.js"), "x");
        const QString gone = m_dir->filePath(QStringLiteral("gone.js"));
        QMWidgets::App::setSettingValue(QStringLiteral("recent"),
                                        ";" + a + ";;" + gone + ";"); // empty pieces make no entries
        JSMainWindow window;
        QMenu menu;
        window.setFileMenu(&menu);
        QCOMPARE(menu.actions().size(), 4);
        QCOMPARE(menu.actions().at(2)->text(), a);
        window.openPath(x);
        window.openPath(a);
        QCOMPARE(storedRecent(), QStringList({a, gone, x}).join(';'));
        QCOMPARE(menu.actions().at(4)->text(), x);
        // A click opens the entry and moves it to the top; a missing file is
        // reported and the document stays.
        menu.actions().at(4)->trigger();
        QCOMPARE(window.editor()->fileName(), x);
        QCOMPARE(storedRecent(), QStringList({x, a, gone}).join(';'));
        menu.actions().at(4)->trigger();
        QCOMPARE(window.editor()->fileName(), x);
        QVERIFY(window.statusBar()->currentMessage().contains(gone));
    }

    void saveAsAppendsJs_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        // clang-format off
        QTest::newRow("no extension") << "b" << "b.js";
        QTest::newRow("upper-case extension") << "c.JS" << "c.JS.js";
        QTest::newRow("already .js") << "d.js" << "d.js";
        // clang-format on
    }

    void saveAsAppendsJs()
    {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        whenFileDialog(m_dir->filePath(typed));
        m_window->saveAs();
        const QString expected = m_dir->filePath(written);
        QCOMPARE(m_window->editor()->fileName(), expected);
        QVERIFY(QFileInfo::exists(expected));
        QCOMPARE(m_window->windowTitleText(), expected);
        QCOMPARE(storedRecent(), expected);
    }

    void openRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        // clang-format off
        QTest::newRow("missing") << "missing" << "No such file";
        QTest::newRow("folder") << "folder" << "folder";
        QTest::newRow("endless device") << "/dev/zero" << "";
        QTest::newRow("named pipe nobody writes to") << "fifo" << "";
        QTest::newRow("50 MB") << "large" << "larger than";
        // clang-format on
    }

    void openRefused()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QString path = kind.startsWith('/') ? kind : m_dir->filePath(kind + ".js");
        if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        if (kind == "fifo")
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        if (kind == "large")
            file(kind + ".js", QByteArray(50 * 1024 * 1024, 'x'));
        const QString before = file(QStringLiteral("keep.js"), "keep();");
        m_window->openPath(before);
        m_window->openPath(path);
        QCOMPARE(m_window->editor()->fileName(), before);
        QCOMPARE(text()->toPlainText(), QStringLiteral("keep();"));
        QVERIFY2(status().startsWith("Cannot open " + path) && status().contains(reason), qPrintable(status()));
    }

    void failedSavesStayVisible()
    {
        const QString path = file(QStringLiteral("s.js"), "s();");
        m_window->show();
        m_window->openPath(path);
        QTest::keyClicks(text(), QStringLiteral("x"));
        QVERIFY(QFile::remove(path) && QDir().mkdir(path)); // a folder now: the save cannot write there
        m_window->save();
        QCOMPARE(m_window->windowTitleText(), path + QStringLiteral(" [modified]"));
        // Neither a cursor move nor time takes the message away.
        text()->moveCursor(QTextCursor::Start);
        QTest::qWait(50);
        auto *label = m_window->findChild<QLabel *>(QStringLiteral("fileStatus"));
        QVERIFY(label->isVisible() && label->text().startsWith(QStringLiteral("Cannot save ") + path));
        // A folder that exists but takes no new files, even from root.
        whenFileDialog(QStringLiteral("/proc/corvella-test.js"));
        m_window->saveAs();
        QCOMPARE(m_window->editor()->fileName(), path);
        QCOMPARE(QMWidgets::App::saveDirectory(), m_dir->path());
        QVERIFY(m_window->fileStatusText().startsWith(QStringLiteral("Cannot save /proc/")));
        QVERIFY(QDir().rmdir(path));
        m_window->save();
        QVERIFY(!label->isVisible());
        QCOMPARE(m_window->windowTitleText(), path);
    }

    // Scripts call both windows' slots by name, the shared ones included.
    void scriptsReachTheSlots_data()
    {
        QTest::addColumn<bool>("batch");
        QTest::addColumn<QString>("names");
        const QString shared =
            "about updateCursorPosition generateIDs restoreOriginalToolTips showAliaces copy paste undo "
            "redo displayError displayWarning stopEvaluation open saveAs recentClicked find batch "
            "options pickWidget startRecording stopRecording";
        // clang-format off
        QTest::newRow("document window") << false << shared + " slotChangeWindowTitle save run stop debug newFile showCompressedContent zoomIn zoomOut";
        QTest::newRow("batch runner") << true << shared + " changeWindowTitle stayOnTop";
        // clang-format on
    }

    void scriptsReachTheSlots()
    {
        QFETCH(bool, batch);
        QFETCH(QString, names);
        QMDrovebot::MainWindow runner;
        QMainWindow *window = batch ? static_cast<QMainWindow *>(&runner) : m_window.data();
        QScriptEngine engine;
        engine.globalObject().setProperty("w", engine.newQObject(window));
        for (const QString &name : names.split(' '))
            QCOMPARE(engine.evaluate("typeof w." + name).toString() + ' ' + name, "function " + name);
        engine.evaluate("w.updateCursorPosition(3, 4)");
        QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("Row:3; Column:4"));
    }

    void initTestCase() { useTestIdentity(); }

private:
    QString file(const QString &name, const QByteArray &bytes) { return writeFile(m_dir->filePath(name), bytes); }
    QString status() const { return m_window->statusBar()->currentMessage(); }
    QString storedRecent() const { return QMWidgets::App::settingValue(QStringLiteral("recent")).toString(); }
    QMDrovebot::DocWindow *text() const { return m_window->editor()->textEdit(); }

    QScopedPointer<QTemporaryDir> m_dir;
    QScopedPointer<JSMainWindow> m_window;
};

QTEST_MAIN(tst_JSMainWindow)
#include "tst_jsmainwindow.moc"
