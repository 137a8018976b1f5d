#include "TestSupport.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <QMDrovebot/batch/BatchArea.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMWidgets/App.h>

using namespace QMDrovebot;

// The batch area on a real editor: the stored list, list files through the
// dialogs, the rows' states and outputs, and what is refused while it runs.
class tst_BatchArea : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void storedListFollowsAddAndLoad();
    void savedListIsUtf8WithSuffix_data();
    void savedListIsUtf8WithSuffix();
    void failedSaveIsReported();
    void runStatesAndOutputs();
    void deleteKeyOnlyInTheList_data();
    void deleteKeyOnlyInTheList();
    void runRefusesChangesAndStopGoesOn();

private:
    QString write(const QString &name, const QByteArray &bytes);
    QPushButton *button(const QString &text) const;
    QString stored() const;
    // Answers the next file dialog as a user typing `path` and accepting.
    void answerFileDialog(const QString &path);
    void addRows(const QStringList &paths);

    QScopedPointer<QTemporaryDir> m_dir;
    QScopedPointer<QWidget> m_window;
    Editor *m_editor = nullptr;
    BatchArea *m_area = nullptr;
};

void tst_BatchArea::initTestCase()
{
    TestSupport::useTestIdentity();
}

void tst_BatchArea::init()
{
    TestSupport::clearSettings();
    m_dir.reset(new QTemporaryDir);
    m_window.reset(new QWidget);
    m_editor = new Editor(m_window.data());
    m_area = new BatchArea(m_editor, m_window.data());
    auto *layout = new QHBoxLayout(m_window.data());
    layout->addWidget(m_editor);
    layout->addWidget(m_area);
}

QString tst_BatchArea::write(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

QPushButton *tst_BatchArea::button(const QString &text) const
{
    for (QPushButton *b : m_area->findChildren<QPushButton *>())
        if (b->text() == text)
            return b;
    return nullptr;
}

QString tst_BatchArea::stored() const
{
    return QMWidgets::App::settingValue(QStringLiteral("batchfiles")).toString();
}

void tst_BatchArea::answerFileDialog(const QString &path)
{
    TestSupport::whenModal([path](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        QVERIFY(dialog);
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

void tst_BatchArea::addRows(const QStringList &paths)
{
    for (const QString &path : paths) {
        answerFileDialog(path);
        button(QStringLiteral("Add JS"))->click();
    }
}

void tst_BatchArea::storedListFollowsAddAndLoad()
{
    QCOMPARE(m_area->paths(), QStringList());
    const QString a = write(QStringLiteral("a.js"), "");
    const QString b = write(QStringLiteral("b.js"), "");
    addRows({a, b});
    QCOMPARE(stored(), a + ';' + b);
    m_area->tree()->topLevelItem(0)->setSelected(true);
    button(QStringLiteral("Remove JS"))->click();
    QCOMPARE(m_area->paths(), QStringList{b});
    QCOMPARE(stored(), a + ';' + b);

    // CR LF lines, an empty line, and a path relative to the list's folder.
    QDir(m_dir->path()).mkdir(QStringLiteral("sub"));
    answerFileDialog(write(QStringLiteral("sub/l.jslst"), "../a.js\r\n\r\n/x/c.js\r\n"));
    button(QStringLiteral("Load List"))->click();
    QCOMPARE(m_area->paths(), (QStringList{a, QString(), QStringLiteral("/x/c.js")}));
    QCOMPARE(stored(), a + ";;/x/c.js");
    BatchArea restored(m_editor);
    QCOMPARE(restored.paths(), m_area->paths());
}

void tst_BatchArea::savedListIsUtf8WithSuffix_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("suffix added") << "list"
                                  << "list.jslst";
    QTest::newRow("suffix kept") << "list.jslst"
                                 << "list.jslst";
    QTest::newRow("other case") << "list.JSLST"
                                << "list.JSLST.jslst";
}

void tst_BatchArea::savedListIsUtf8WithSuffix()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    const QString script = write(QStringLiteral("grüß €.js"), "");
    addRows({script});
    answerFileDialog(m_dir->filePath(typed));
    button(QStringLiteral("Save List As"))->click();
    QFile file(m_dir->filePath(written));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), script.toUtf8() + '\n');
}

void tst_BatchArea::failedSaveIsReported()
{
    QDir(m_dir->path()).mkdir(QStringLiteral("taken.jslst"));
    QSignalSpy messages(m_area, &BatchArea::statusMessage);
    answerFileDialog(m_dir->filePath(QStringLiteral("taken")));
    button(QStringLiteral("Save List As"))->click();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.at(0).at(0).toString().startsWith("Cannot save " + m_dir->filePath("taken.jslst") + ": "),
             qPrintable(messages.at(0).at(0).toString()));
}

void tst_BatchArea::runStatesAndOutputs()
{
    const QString ok = write(QStringLiteral("ok.js"), "printout('ok');");
    const QString fails = write(QStringLiteral("fails.js"), "throw new Error('broken');");
    const QString counts = write(QStringLiteral("counts.js"), "var n = n ? n + 1 : 1; printout('run ' + n);");
    const QString missing = m_dir->filePath(QStringLiteral("missing.js"));
    addRows({ok, fails, counts});
    // Rows the open dialog would not give: a file that is gone, no file.
    for (const QString &path : {missing, counts, QString()})
        m_area->tree()->addTopLevelItem(new QTreeWidgetItem(QStringList{QString(), path}));
    // Whatever the editor holds must never run in place of a row's file.
    m_editor->textEdit()->setPlainText(QStringLiteral("printout('previous');"));

    button(QStringLiteral("Start"))->click();
    QCOMPARE(m_area->states(), (QStringList{"Done", "Error", "Done", "Error", "Done", "Error"}));
    QVERIFY(m_area->output(ok).contains("ok"));
    QVERIFY(m_area->output(fails).contains("broken"));
    // Equal paths share one entry: the later run's.
    QVERIFY(m_area->output(counts).contains("run 2"));
    QVERIFY(!m_area->output(counts).contains("run 1"));
    for (const QString &path : {missing, QString()}) {
        const QString html = m_area->output(path);
        QVERIFY2(html.contains("Cannot open " + (path.isEmpty() ? "an empty path" : path) + ": ") &&
                     html.contains("#aa0000"),
                 qPrintable(html));
        QVERIFY(!html.contains("previous"));
    }
}

void tst_BatchArea::deleteKeyOnlyInTheList_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("rowsLeft");
    QTest::newRow("Delete in the list") << "list" << int(Qt::Key_Delete) << 1;
    QTest::newRow("Backspace in the list") << "list" << int(Qt::Key_Backspace) << 1;
    QTest::newRow("button of the area") << "button" << int(Qt::Key_Delete) << 2;
    QTest::newRow("editor text") << "editor" << int(Qt::Key_Delete) << 2;
}

void tst_BatchArea::deleteKeyOnlyInTheList()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, rowsLeft);
    addRows({write(QStringLiteral("a.js"), ""), write(QStringLiteral("b.js"), "")});
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.data()));
    m_area->tree()->topLevelItem(0)->setSelected(true);
    QWidget *target = focus == "list"     ? static_cast<QWidget *>(m_area->tree())
                      : focus == "button" ? static_cast<QWidget *>(button(QStringLiteral("Start")))
                                          : m_editor->textEdit();
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(m_area->tree()->topLevelItemCount(), rowsLeft);
}

void tst_BatchArea::runRefusesChangesAndStopGoesOn()
{
    const QString slow = write(QStringLiteral("slow.js"), "delay(3000); printout('late');");
    const QString after = write(QStringLiteral("after.js"), "printout('after');");
    addRows({slow, after});
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.data()));

    QStringList enabledWhileRunning;
    QTimer::singleShot(200, this, [&] {
        for (const char *text : {"Start", "Add JS", "Remove JS", "Load List", "Save List As"})
            if (button(QString::fromLatin1(text))->isEnabled())
                enabledWhileRunning << QString::fromLatin1(text);
        m_area->tree()->topLevelItem(1)->setSelected(true);
        m_area->tree()->setFocus();
        QTest::keyClick(m_area->tree(), Qt::Key_Delete);
        QMetaObject::invokeMethod(m_area, "removeJS");
        QMetaObject::invokeMethod(m_area, "loadList");
        m_editor->stopEvaluation();
    });
    button(QStringLiteral("Start"))->click();

    QCOMPARE(enabledWhileRunning, QStringList{"Save List As"});
    QCOMPARE(m_area->states(), (QStringList{"Error", "Done"}));
    QVERIFY(m_area->output(slow).contains("stopped by user"));
    QVERIFY(!m_area->output(slow).contains("late"));
    QVERIFY(button(QStringLiteral("Start"))->isEnabled() && button(QStringLiteral("Load List"))->isEnabled());
}

QTEST_MAIN(tst_BatchArea)
#include "tst_batcharea.moc"
