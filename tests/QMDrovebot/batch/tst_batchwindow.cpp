#include "TestSupport.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"

#include <QMDrovebot/batch/BatchArea.h>
#include <QMDrovebot/batch/MainWindow.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/editor/RecoveryFile.h>
#include <QMWidgets/App.h>

using namespace QMDrovebot;
using TestSupport::whenFileDialog;

// The batch runner window on a real editor: the stored list, list files
// through the dialogs, the rows' states and outputs, what is refused while a
// batch runs, the window's keys, and how the document window reaches it.
class tst_BatchWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestSupport::useTestIdentity(); }

    void init()
    {
        TestSupport::clearSettings();
        m_dir.reset(new QTemporaryDir);
        m_window.reset(new MainWindow);
        m_area = m_window->batchArea();
    }

    void storedListFollowsAddAndLoad()
    {
        const auto stored = [] { return QMWidgets::App::settingValue(QStringLiteral("batchfiles")).toString(); };
        QCOMPARE(m_area->paths(), QStringList());
        const QString a = write(QStringLiteral("a.js"));
        const QString b = write(QStringLiteral("b.js"));
        addRows({a, b});
        QCOMPARE(stored(), a + ';' + b);
        m_area->tree()->topLevelItem(0)->setSelected(true);
        click("Remove JS");
        QCOMPARE(stored(), a + ';' + b);
        // CR LF lines, an empty line, and a path relative to the list's folder.
        QDir(m_dir->path()).mkdir(QStringLiteral("sub"));
        whenFileDialog(write(QStringLiteral("sub/l.jslst"), "../a.js\r\n\r\n/x/c.js\r\n"));
        click("Load List");
        QCOMPARE(m_area->paths(), (QStringList{a, QString(), QStringLiteral("/x/c.js")}));
        QCOMPARE(stored(), a + ";;/x/c.js");
        QVERIFY2(m_window->windowTitle().startsWith(u8"Batch Runner \u2014 l.jslst"),
                 qPrintable(m_window->windowTitle()));
        QCOMPARE(BatchArea(m_window->editor()).paths(), m_area->paths());
    }

    void savedList_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written"); // empty: the write fails
        QTest::addColumn<bool>("relative");
        // clang-format off
        QTest::newRow("suffix added") << "list" << "list.jslst" << true;
        QTest::newRow("script not below the list") << "sub/list" << "sub/list.jslst" << false;
        QTest::newRow("write fails") << "taken" << "" << false;
        // clang-format on
    }

    // Written as UTF-8 whatever the locale, relative to the list where the
    // script lies below it; a failed write says so.
    void savedList()
    {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(bool, relative);
        QDir(m_dir->path()).mkdir(QStringLiteral("taken.jslst"));
        QDir(m_dir->path()).mkdir(QStringLiteral("sub"));
        const QString script = write(QStringLiteral("grüß €.js"));
        addRows({script});
        whenFileDialog(m_dir->filePath(typed));
        click("Save List As");
        const QString row = relative ? QFileInfo(script).fileName() : script;
        QCOMPARE(TestSupport::readFile(m_dir->filePath(written)), written.isEmpty() ? "" : row.toUtf8() + '\n');
        QCOMPARE(m_window->statusBar()->currentMessage().startsWith("Cannot save " + m_dir->filePath("taken.jslst")),
                 written.isEmpty());
    }

    void runStatesAndOutputs()
    {
        const QString fails = write(QStringLiteral("fails.js"), "throw new Error('broken');");
        const QString counts = write(QStringLiteral("counts.js"), "var n = n ? n + 1 : 1; printout('run ' + n);");
        const QString missing = m_dir->filePath(QStringLiteral("missing.js"));
        const QString syntax = write(QStringLiteral("syntax.js"), "var = 1;");
        addRows({write(QStringLiteral("ok.js"), "printout('ok');"), syntax, fails, counts});
        // Rows the open dialog would not give: a file that is gone, no file.
        for (const QString &path : {missing, counts, QString()})
            m_area->tree()->addTopLevelItem(new QTreeWidgetItem(QStringList{QString(), path}));
        // Whatever the editor holds must never run in place of a row's file.
        m_window->editor()->textEdit()->setPlainText(QStringLiteral("printout('previous');"));
        TestSupport::whenMessageBox(QMessageBox::Discard);
        click("Start");
        QCOMPARE(m_area->states(), (QStringList{"Done", "Error", "Error", "Done", "Error", "Done", "Error"}));
        QVERIFY(m_area->output(fails).contains("broken"));
        // Each row starts with an empty pane.
        QVERIFY(m_area->output(syntax).contains("Syntax Error") && !m_area->output(syntax).contains("ok"));
        // Equal paths share one entry: the later run's.
        QVERIFY(m_area->output(counts).contains("run 2") && !m_area->output(counts).contains("run 1"));
        for (const QString &path : {missing, QString()}) {
            const QString html = m_area->output(path);
            QVERIFY2(html.contains("Cannot open " + (path.isEmpty() ? "an empty path" : path) + ": ") &&
                         html.contains("#aa0000") && !html.contains("previous"),
                     qPrintable(html));
        }
    }

    void startKeepsUnsavedEdits_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QByteArray>("saved"); // the edited file afterwards
        // clang-format off
        QTest::newRow("Cancel") << int(QMessageBox::Cancel) << "" << QByteArray("var a;");
        QTest::newRow("Discard") << int(QMessageBox::Discard) << "Done" << QByteArray("var a;");
        QTest::newRow("Save") << int(QMessageBox::Save) << "Done" << QByteArray("var a;typed");
        // clang-format on
    }

    // Start opens the rows' scripts over the editor's text: asked first, as
    // New asks, with the text kept in a recovery copy while the question is
    // open.
    void startKeepsUnsavedEdits()
    {
        QFETCH(int, answer);
        QFETCH(QString, state);
        QFETCH(QByteArray, saved);
        addRows({write(QStringLiteral("row.js"), "printout('row');")});
        const QString edited = write(QStringLiteral("edited.js"), "var a;");
        Editor *editor = m_window->editor();
        editor->open(edited);
        editor->textEdit()->moveCursor(QTextCursor::End);
        QTest::keyClicks(editor->textEdit(), QStringLiteral("typed"));
        bool copyKept = false;
        TestSupport::whenActive<QMessageBox>([&](QMessageBox *box) {
            copyKept = QFile::exists(editor->recoveryFile()->path());
            box->button(QMessageBox::StandardButton(answer))->click();
        });
        click("Start");
        QVERIFY(copyKept);
        QCOMPARE(m_area->states(), QStringList{state});
        QCOMPARE(TestSupport::readFile(edited), saved);
        QCOMPARE(editor->textEdit()->toPlainText() == "var a;typed", state.isEmpty());
    }

    void deleteKeyOnlyInTheList_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("rowsLeft");
        QTest::newRow("Delete in the list") << "list" << int(Qt::Key_Delete) << 1;
        QTest::newRow("Backspace in the list") << "list" << int(Qt::Key_Backspace) << 1;
        QTest::newRow("button of the area") << "button" << int(Qt::Key_Delete) << 2;
        QTest::newRow("editor text") << "editor" << int(Qt::Key_Delete) << 2;
    }

    void deleteKeyOnlyInTheList()
    {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(int, rowsLeft);
        addRows({write(QStringLiteral("a.js")), write(QStringLiteral("b.js"))});
        showWindow();
        m_area->tree()->topLevelItem(0)->setSelected(true);
        QWidget *target = focus == "list"     ? static_cast<QWidget *>(m_area->tree())
                          : focus == "button" ? static_cast<QWidget *>(TestSupport::button(m_area, "Start"))
                                              : m_window->editor()->textEdit();
        target->setFocus();
        QTRY_VERIFY(target->hasFocus());
        QTest::keyClick(target, Qt::Key(key));
        QCOMPARE(m_area->tree()->topLevelItemCount(), rowsLeft);
    }

    void runRefusesChangesAndStops_data()
    {
        QTest::addColumn<QString>("stop");
        QTest::addColumn<QStringList>("states");
        QTest::newRow("Stop goes on") << "Stop" << QStringList{"Error", "Done"};
        QTest::newRow("Stop All") << "Stop All" << QStringList{"Error", "Not run"};
        QTest::newRow("Esc") << "Esc" << QStringList{"Error", "Not run"};
    }

    void runRefusesChangesAndStops()
    {
        QFETCH(QString, stop);
        QFETCH(QStringList, states);
        const QString slow = write(QStringLiteral("slow.js"), "delay(3000); printout('late');");
        addRows({slow, write(QStringLiteral("after.js"), "printout('after');")});
        showWindow();
        QStringList enabledWhileRunning;
        QTimer::singleShot(200, this, [&] {
            for (const char *text : {"Start", "Add JS", "Remove JS", "Load List", "Save List As", "Stop All"})
                if (TestSupport::button(m_area, QString::fromLatin1(text))->isEnabled())
                    enabledWhileRunning << QString::fromLatin1(text);
            m_area->tree()->topLevelItem(1)->setSelected(true);
            m_area->tree()->setFocus();
            QTest::keyClick(m_area->tree(), Qt::Key_Delete);
            QMetaObject::invokeMethod(m_area, "removeJS");
            QMetaObject::invokeMethod(m_area, "loadList");
            if (stop == "Stop")
                m_window->stopEvaluation();
            else if (stop == "Esc")
                QTest::keyClick(m_window->editor()->textEdit(), Qt::Key_Escape);
            else
                click("Stop All");
        });
        click("Start");
        QCOMPARE(enabledWhileRunning, (QStringList{"Save List As", "Stop All"}));
        QCOMPARE(m_area->states(), states);
        QVERIFY(m_area->output(slow).contains("stopped by user") && !m_area->output(slow).contains("late"));
        QVERIFY(TestSupport::button(m_area, "Start")->isEnabled() &&
                TestSupport::button(m_area, "Load List")->isEnabled());
    }

    // The running row in view, where the batch stands in the status bar, one
    // output window of a readable size that does not cover the runner's menu.
    void progressAndOutputWindow()
    {
        const QString quick = write(QStringLiteral("quick.js"), "printout('quick');");
        for (int i = 0; i < 59; ++i)
            m_area->tree()->addTopLevelItem(new QTreeWidgetItem(QStringList{QString(), quick}));
        addRows({write(QStringLiteral("slow.js"), "delay(1500);")});
        showWindow();
        auto *progress = m_window->findChild<QLabel *>(QStringLiteral("batchProgress"));
        QString whileSlow;
        bool lastRowShown = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            QTreeWidgetItem *last = m_area->tree()->topLevelItem(59);
            if (!whileSlow.isEmpty() || last->text(0) != "Running...")
                return;
            whileSlow = progress->text();
            const QRect shown = m_area->tree()->visualItemRect(last);
            lastRowShown = shown.isValid() && m_area->tree()->viewport()->rect().contains(shown);
        });
        poll.start(20);
        click("Start");
        QVERIFY2(whileSlow.startsWith(u8"59 of 60: 59 done, 0 errors \u2014 0:0"), qPrintable(whileSlow));
        QVERIFY(lastRowShown);
        QVERIFY2(progress->text().startsWith(u8"60 of 60: 60 done, 0 errors \u2014 0:0"), qPrintable(progress->text()));

        m_area->tree()->topLevelItem(0)->setSelected(true);
        click("Show Output");
        click("Show Output");
        const QList<QTextEdit *> windows = m_area->findChildren<QTextEdit *>(QStringLiteral("batchOutput"));
        QCOMPARE(windows.size(), 1);
        QTextEdit *output = windows.first();
        QVERIFY(output->isWindow() && output->isVisible() && output->toPlainText() == "quick");
        const QRect free = output->screen()->availableGeometry();
        QVERIFY(output->width() >= 480 && output->height() >= 320 && free.contains(output->frameGeometry()));
        const QRect menu(m_window->menuBar()->mapToGlobal(QPoint()), m_window->menuBar()->size());
        QVERIFY(!output->frameGeometry().intersects(menu));
        QStringList texts;
        for (const QAction *action : m_window->findChildren<QAction *>())
            texts << action->text();
        QVERIFY(texts.contains("&Show Aliases"));
    }

    void shortcutsAreDistinct_data()
    {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<bool>("dock");
        // clang-format off
        QTest::newRow("Ctrl+O opens") << QKeySequence("Ctrl+O") << "QFileDialog" << 0 << true;
        QTest::newRow("Ctrl+P options") << QKeySequence("Ctrl+P") << "QMDrovebot::OptionsDialog" << 0 << true;
        QTest::newRow("Ctrl+- zooms out") << QKeySequence("Ctrl+-") << "" << -1 << true;
        QTest::newRow("F9 hides the dock") << QKeySequence("F9") << "" << 0 << false;
        QTest::newRow("F9 twice shows it") << QKeySequence("F9, F9") << "" << 0 << true;
        // clang-format on
    }

    // Typed in the editor's text, where a user is when pressing them.
    void shortcutsAreDistinct()
    {
        QFETCH(QKeySequence, key);
        QFETCH(QString, dialog);
        QFETCH(int, zoom);
        QFETCH(bool, dock);
        showWindow();
        m_window->editor()->textEdit()->setFocus();
        const QString &modal = recordModal(300);
        QTest::keySequence(m_window->editor()->textEdit(), key);
        QTest::qWait(400);
        QCOMPARE(modal, dialog);
        QCOMPARE(m_window->editor()->zoomLevel(), zoom);
        QCOMPARE(m_window->batchDock()->isVisible(), dock);
    }

    void recentListKeepsFour()
    {
        QMWidgets::App::setSettingValue(QStringLiteral("recent"), QStringLiteral("s1;s2;s3;s4;s5;s6"));
        MainWindow window;
        QCOMPARE(window.recentFiles(), (QStringList{"s1", "s2", "s3", "s4"}));
        for (int i = 0; i < 5; ++i) {
            whenFileDialog(write(QStringLiteral("f%1.js").arg(i)));
            window.open();
        }
        QCOMPARE(window.recentFiles().size(), 4);
        QVERIFY(QMWidgets::App::settingValue(QStringLiteral("recent")).toString().startsWith(write("f4.js") + ';'));
    }

    void documentWindowOpensOneRunner()
    {
        JavaScriptEvaluator frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        JSMainWindow *document = frame.mainWindow();
        auto *appMenu = frame.findChild<QMenu *>(QStringLiteral("appMenu"));
        QCOMPARE(appMenu->actions().value(0), document->batchAction());
        QTest::keyClick(document->editor()->textEdit(), Qt::Key_F9);
        MainWindow *runner = document->batchWindow();
        QVERIFY(runner && runner->isVisible());
        runner->batchDock()->hide();
        appMenu->actions().value(0)->trigger();
        QCOMPARE(document->batchWindow(), runner);
        QVERIFY(runner->isVisible() && runner->batchDock()->isVisible());
        const QString &modal = recordModal(10000);
        document->options();
        QCOMPARE(modal, QStringLiteral("QMDrovebot::OptionsDialog"));
    }

private:
    QString write(const QString &name, const QByteArray &bytes = QByteArray())
    {
        return TestSupport::writeFile(m_dir->filePath(name), bytes);
    }
    void click(const char *text) { TestSupport::button(m_area, QString::fromLatin1(text))->click(); }
    void addRows(const QStringList &paths)
    {
        for (const QString &path : paths) {
            whenFileDialog(path);
            click("Add JS");
        }
    }
    // The class of the next modal dialog, which is closed; read once the
    // dialog had its chance to come.
    QString &recordModal(int timeoutMs)
    {
        m_modal.clear();
        TestSupport::whenModal(
            [this](QWidget *w) {
                m_modal = QString::fromLatin1(w->metaObject()->className());
                w->close();
            },
            timeoutMs);
        return m_modal;
    }
    void showWindow()
    {
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.data()));
    }

    QScopedPointer<QTemporaryDir> m_dir;
    QScopedPointer<MainWindow> m_window;
    BatchArea *m_area = nullptr;
    QString m_modal;
};

QTEST_MAIN(tst_BatchWindow)
#include "tst_batchwindow.moc"
