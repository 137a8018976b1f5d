#include "TestSupport.h"
#include "window/JSMainWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

#include <sys/stat.h>

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMWidgets/App.h>

class TestJSMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void readyThenRowAndColumn();
    void wrappedParagraphIsOneRow();
    void titleRelay();
    void newQuestion_data();
    void newQuestion();
    void newAfterClearingAsksNothing();
    void newYesWithCancelledSaveKeepsText();
    void recentFileSequence();
    void recentFileCap();
    void recentIgnoresEmptyPieces_data();
    void recentIgnoresEmptyPieces();
    void recentClickOnMissingFile();
    void saveAsAppendsJs_data();
    void saveAsAppendsJs();
    void saveAsProposesOnlyTheFileName();
    void zoomPersists();
    void openFailureIsReported_data();
    void openFailureIsReported();
    void saveFailureIsReported();
    void awkwardFilesOpen_data();
    void awkwardFilesOpen();
    void specialFilesAreRefused_data();
    void specialFilesAreRefused();
    void failedSaveAsKeepsTheSaveFolder();
    void nonAsciiTextRoundTrips();

private:
    QString writeFile(const QString &name, const QByteArray &bytes);
    QStringList menuEntries(QMenu *menu) const;
    QString storedRecent() const;

    QScopedPointer<QTemporaryDir> m_dir;
};

void TestJSMainWindow::initTestCase()
{
    TestSupport::useTestIdentity();
}

void TestJSMainWindow::init()
{
    TestSupport::clearSettings();
    m_dir.reset(new QTemporaryDir);
    QMWidgets::App::setSaveDirectory(m_dir->path());
    QMWidgets::App::setOpenDirectory(m_dir->path());
}

QString TestJSMainWindow::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir->filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

QStringList TestJSMainWindow::menuEntries(QMenu *menu) const
{
    QStringList entries;
    for (QAction *a : menu->actions())
        entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return entries;
}

QString TestJSMainWindow::storedRecent() const
{
    return QMWidgets::App::settingValue(QStringLiteral("recent")).toString();
}

void TestJSMainWindow::readyThenRowAndColumn()
{
    JSMainWindow window;
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Ready"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QMDrovebot::DocWindow *text = window.editor()->textEdit();
    text->moveCursor(QTextCursor::End);
    text->moveCursor(QTextCursor::Start);
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Row:1; Column:1"));
    text->setPlainText(QString());
    QTest::keyClicks(text, QStringLiteral("ab"));
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Row:1; Column:3"));
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClicks(text, QStringLiteral("c"));
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Row:2; Column:2"));
}

void TestJSMainWindow::wrappedParagraphIsOneRow()
{
    JSMainWindow window;
    window.resize(300, 400);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QMDrovebot::DocWindow *text = window.editor()->textEdit();
    text->setPlainText(QString(2000, QLatin1Char('w')).replace(QStringLiteral("wwwww"), QStringLiteral("word ")) +
                       "\nnext");
    QVERIFY(text->document()->firstBlock().layout()->lineCount() > 1);
    text->moveCursor(QTextCursor::End);
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Row:2; Column:5"));
}

void TestJSMainWindow::titleRelay()
{
    const QString path = writeFile(QStringLiteral("a.js"), "var a;\n");
    JSMainWindow window;
    QSignalSpy titles(&window, &JSMainWindow::changeWindowTitle);
    QTest::keyClicks(window.editor()->textEdit(), QStringLiteral("x"));
    QCOMPARE(titles.last().at(0).toString(), QStringLiteral(" [modified]"));
    window.openPath(path);
    QCOMPARE(titles.last().at(0).toString(), path);
    QCOMPARE(window.windowTitleText(), path);
    QVERIFY(!window.isModified());
    QTest::keyClicks(window.editor()->textEdit(), QStringLiteral("y"));
    QCOMPARE(window.windowTitleText(), path + QStringLiteral(" [modified]"));
    QVERIFY(window.isModified());
    // Ctrl+S saves while the window is active.
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(window.editor()->textEdit(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(window.windowTitleText(), path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("yvar a;\n"));
}

void TestJSMainWindow::newQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("No discards") << int(QMessageBox::No) << true;
    QTest::newRow("Cancel keeps everything") << int(QMessageBox::Cancel) << false;
}

void TestJSMainWindow::newQuestion()
{
    QFETCH(int, answer);
    QFETCH(bool, replaced);
    const QString path = writeFile(QStringLiteral("n.js"), "old();");
    JSMainWindow window;
    window.openPath(path);
    QTest::keyClicks(window.editor()->textEdit(), QStringLiteral("x"));
    QString seen;
    TestSupport::whenModal([&seen, answer](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        seen = box->text();
        box->button(QMessageBox::StandardButton(answer))->click();
    });
    QSignalSpy titles(&window, &JSMainWindow::changeWindowTitle);
    window.newFile();
    QCOMPARE(seen, QStringLiteral("The text of the \"") + path +
                       QStringLiteral("\" file has been changed.\nDo you want to save the changes?"));
    if (replaced) {
        QCOMPARE(window.editor()->textEdit()->toPlainText(), QMDrovebot::DocWindow::defaultText());
        QCOMPARE(window.editor()->fileName(), QString());
        QCOMPARE(titles.last().at(0).toString(), QString());
        // The default text counts as a change.
        QVERIFY(window.isModified());
    } else {
        QCOMPARE(window.editor()->textEdit()->toPlainText(), QStringLiteral("xold();"));
        QCOMPARE(window.editor()->fileName(), path);
        QVERIFY(titles.isEmpty());
    }
}

void TestJSMainWindow::newAfterClearingAsksNothing()
{
    JSMainWindow window;
    window.editor()->textEdit()->setPlainText(QString());
    QVERIFY(window.isModified());
    bool asked = false;
    TestSupport::whenModal(
        [&asked](QWidget *w) {
            asked = true;
            w->close();
        },
        300);
    window.newFile();
    QCOMPARE(window.editor()->textEdit()->toPlainText(), QMDrovebot::DocWindow::defaultText());
    QTest::qWait(400);
    QVERIFY(!asked);
}

void TestJSMainWindow::newYesWithCancelledSaveKeepsText()
{
    JSMainWindow window;
    window.editor()->textEdit()->setPlainText(QStringLiteral("precious();"));
    // Yes to the question, then cancel the save dialog that follows.
    TestSupport::whenModal([](QWidget *w) {
        qobject_cast<QMessageBox *>(w)->button(QMessageBox::Yes)->click();
        TestSupport::whenModal([](QWidget *dialog) {
            QVERIFY(qobject_cast<QFileDialog *>(dialog));
            qobject_cast<QFileDialog *>(dialog)->reject();
        });
    });
    window.newFile();
    QCOMPARE(window.editor()->textEdit()->toPlainText(), QStringLiteral("precious();"));
    QVERIFY(window.isModified());
}

void TestJSMainWindow::recentFileSequence()
{
    const QString a = writeFile(QStringLiteral("a.js"), "a");
    const QString x = writeFile(QStringLiteral("x.js"), "x");
    const QString y = writeFile(QStringLiteral("y.js"), "y");
    QMWidgets::App::setSettingValue(QStringLiteral("recent"), a);
    JSMainWindow window;
    QMenu menu;
    window.setFileMenu(&menu);
    QCOMPARE(menuEntries(&menu), QStringList({"S&ave As...", "-", a}));

    window.openPath(x);
    QCOMPARE(storedRecent(), QStringList({x, a}).join(';'));
    window.openPath(y);
    QCOMPARE(storedRecent(), QStringList({y, a, x}).join(';'));
    window.openPath(x);
    QCOMPARE(storedRecent(), QStringList({x, a, y}).join(';'));
    QCOMPARE(menuEntries(&menu), QStringList({"S&ave As...", "-", x, a, y}));
    QCOMPARE(window.recentFiles(), QStringList({a, x, y}));

    // A click on an entry opens it and moves it to the top.
    menu.actions().at(3)->trigger();
    QCOMPARE(window.editor()->fileName(), a);
    QCOMPARE(storedRecent(), QStringList({a, x, y}).join(';'));
}

void TestJSMainWindow::recentFileCap()
{
    QStringList files;
    for (int i = 1; i <= 17; ++i)
        files << writeFile(QStringLiteral("f%1.js").arg(i), "1;");
    QMWidgets::App::setSettingValue(QStringLiteral("recent"), files.mid(0, 16).join(';'));
    JSMainWindow window;
    QMenu menu;
    window.setFileMenu(&menu);
    QCOMPARE(window.recentFiles().size(), 16);
    window.openPath(files.at(16));
    QCOMPARE(window.recentFiles().size(), 16);
    QCOMPARE(window.recentFiles().first(), files.at(1));
    QCOMPARE(window.recentFiles().last(), files.at(16));
    const QStringList stored = storedRecent().split(';');
    QCOMPARE(stored.size(), 16);
    QCOMPARE(stored.first(), files.at(16));
    QVERIFY(!stored.contains(files.at(0)));
    // Reopening a listed file keeps the list at 16.
    window.openPath(files.at(5));
    QCOMPARE(window.recentFiles().size(), 16);
}

void TestJSMainWindow::recentIgnoresEmptyPieces_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("entries");
    QTest::newRow("first start") << QString() << 0;
    QTest::newRow("doubled separator") << QStringLiteral("a.js;;b.js") << 2;
    QTest::newRow("trailing separator") << QStringLiteral("a.js;") << 1;
}

void TestJSMainWindow::recentIgnoresEmptyPieces()
{
    QFETCH(QString, stored);
    QFETCH(int, entries);
    QMWidgets::App::setSettingValue(QStringLiteral("recent"), stored);
    JSMainWindow window;
    QMenu menu;
    window.setFileMenu(&menu);
    QCOMPARE(window.recentFiles().size(), entries);
    QCOMPARE(menu.actions().size(), 2 + entries);
    for (QAction *a : menu.actions())
        QVERIFY(a->isSeparator() || !a->text().isEmpty());
}

void TestJSMainWindow::recentClickOnMissingFile()
{
    const QString a = writeFile(QStringLiteral("a.js"), "a();");
    const QString gone = m_dir->filePath(QStringLiteral("gone.js"));
    QMWidgets::App::setSettingValue(QStringLiteral("recent"), gone);
    JSMainWindow window;
    QMenu menu;
    window.setFileMenu(&menu);
    window.openPath(a);
    QCOMPARE(storedRecent(), QStringList({a, gone}).join(';'));
    menu.actions().at(3)->trigger();
    QCOMPARE(window.editor()->fileName(), a);
    QCOMPARE(window.editor()->textEdit()->toPlainText(), QStringLiteral("a();"));
    QCOMPARE(storedRecent(), QStringList({gone, a}).join(';'));
    QVERIFY(window.statusBar()->currentMessage().contains(gone));
}

void TestJSMainWindow::saveAsAppendsJs_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("no extension") << "b"
                                  << "b.js";
    QTest::newRow("upper-case extension") << "c.JS"
                                          << "c.JS.js";
    QTest::newRow("already .js") << "d.js"
                                 << "d.js";
}

void TestJSMainWindow::saveAsAppendsJs()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    JSMainWindow window;
    const QString target = m_dir->filePath(typed);
    TestSupport::whenModal([target](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Save"));
        // Typed into the name field, as a user would.
        auto *nameField = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(nameField);
        nameField->setText(target);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    window.saveAs();
    const QString expected = m_dir->filePath(written);
    QCOMPARE(window.editor()->fileName(), expected);
    QVERIFY(QFileInfo::exists(expected));
    QCOMPARE(window.windowTitleText(), expected);
    QCOMPARE(QMWidgets::App::saveDirectory(), m_dir->path());
    QCOMPARE(storedRecent(), expected);
}

void TestJSMainWindow::saveAsProposesOnlyTheFileName()
{
    QTemporaryDir other;
    const QString path = other.filePath(QStringLiteral("tool.js"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    JSMainWindow window;
    window.openPath(path);
    QString proposed;
    TestSupport::whenModal([&proposed](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        proposed = dialog->selectedFiles().value(0);
        dialog->reject();
    });
    window.saveAs();
    QCOMPARE(QFileInfo(proposed).absoluteFilePath(),
             QFileInfo(m_dir->filePath(QStringLiteral("tool.js"))).absoluteFilePath());
    QCOMPARE(window.editor()->fileName(), path);
}

void TestJSMainWindow::zoomPersists()
{
    int basePoint = 0;
    {
        JSMainWindow window;
        basePoint = window.editor()->textEdit()->font().pointSize();
        for (int i = 0; i < 3; ++i)
            window.zoomIn();
        QCOMPARE(QMWidgets::App::settingValue(QStringLiteral("zoom")).toInt(), 3);
        QCOMPARE(window.editor()->outputArea()->font().pointSize(), basePoint + 3);
    }
    {
        JSMainWindow window;
        QCOMPARE(window.editor()->zoomLevel(), 3);
        QCOMPARE(window.editor()->textEdit()->font().pointSize(), basePoint + 3);
        QCOMPARE(window.editor()->outputArea()->font().pointSize(), basePoint + 3);
        window.zoomOut();
        QCOMPARE(QMWidgets::App::settingValue(QStringLiteral("zoom")).toInt(), 2);
    }
    QMWidgets::App::setSettingValue(QStringLiteral("zoom"), QStringLiteral("big"));
    JSMainWindow window;
    QCOMPARE(window.editor()->zoomLevel(), 0);
}

void TestJSMainWindow::openFailureIsReported_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("makeFolder");
    QTest::newRow("missing") << "missing.js" << false;
    QTest::newRow("folder") << "folder.js" << true;
}

void TestJSMainWindow::openFailureIsReported()
{
    QFETCH(QString, name);
    QFETCH(bool, makeFolder);
    const QString path = m_dir->filePath(name);
    if (makeFolder)
        QVERIFY(QDir().mkdir(path));
    const QString before = writeFile(QStringLiteral("keep.js"), "keep();");
    JSMainWindow window;
    window.openPath(before);
    window.openPath(path);
    QCOMPARE(window.editor()->fileName(), before);
    QCOMPARE(window.editor()->textEdit()->toPlainText(), QStringLiteral("keep();"));
    QVERIFY(!window.isModified());
    const QString message = window.statusBar()->currentMessage();
    QVERIFY2(message.startsWith(QStringLiteral("Cannot open ") + path), qPrintable(message));
}

void TestJSMainWindow::saveFailureIsReported()
{
    const QString path = writeFile(QStringLiteral("s.js"), "s();");
    JSMainWindow window;
    window.openPath(path);
    QTest::keyClicks(window.editor()->textEdit(), QStringLiteral("x"));
    // Replace the file by a folder: the save cannot write there.
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkdir(path));
    window.save();
    QVERIFY(window.isModified());
    QCOMPARE(window.windowTitleText(), path + QStringLiteral(" [modified]"));
    QVERIFY(window.fileStatusText().startsWith(QStringLiteral("Cannot save ") + path));
    QCOMPARE(window.editor()->textEdit()->toPlainText(), QStringLiteral("xs();"));
}

void TestJSMainWindow::awkwardFilesOpen_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("opens");
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 7919) & 0xff));
    QTest::newRow("NUL bytes") << QByteArray("a = 1;\0\0b = 2;\n", 16) << true;
    QTest::newRow("invalid UTF-8") << QByteArray("s = '\xff\xfe\xc3';\n") << true;
    QTest::newRow("binary") << binary << true;
    QTest::newRow("UTF-16 with byte-order mark") << QByteArray("\xff\xfe"
                                                               "a\0=\0"
                                                               "1\0",
                                                               8)
                                                 << true;
    QTest::newRow("50 MB") << QByteArray(50 * 1024 * 1024, 'x') << false;
}

void TestJSMainWindow::awkwardFilesOpen()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, opens);
    const QString path = writeFile(QStringLiteral("awkward.js"), bytes);
    JSMainWindow window;
    window.editor()->textEdit()->setPlainText(QStringLiteral("mine();"));
    window.openPath(path);
    QCOMPARE(window.editor()->fileName(), opens ? path : QString());
    if (!opens) {
        QCOMPARE(window.editor()->textEdit()->toPlainText(), QStringLiteral("mine();"));
        QVERIFY(window.statusBar()->currentMessage().contains(QStringLiteral("larger than")));
    } else {
        QVERIFY(!window.editor()->textEdit()->toPlainText().isEmpty());
    }
}

void TestJSMainWindow::specialFilesAreRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("endless device") << "device";
    QTest::newRow("named pipe nobody writes to") << "fifo";
}

void TestJSMainWindow::specialFilesAreRefused()
{
    QFETCH(QString, kind);
    QString path = QStringLiteral("/dev/zero");
    if (kind == QLatin1String("fifo")) {
        path = m_dir->filePath(QStringLiteral("pipe.js"));
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    }
    JSMainWindow window;
    window.editor()->textEdit()->setPlainText(QStringLiteral("mine();"));
    window.openPath(path);
    QCOMPARE(window.editor()->textEdit()->toPlainText(), QStringLiteral("mine();"));
    QCOMPARE(window.editor()->fileName(), QString());
    QVERIFY(window.statusBar()->currentMessage().startsWith(QStringLiteral("Cannot open ") + path));
}

void TestJSMainWindow::failedSaveAsKeepsTheSaveFolder()
{
    // A folder that exists but takes no new files, even from root.
    const QString target = QStringLiteral("/proc/corvella-test.js");
    JSMainWindow window;
    TestSupport::whenModal([target](QWidget *w) {
        auto *dialog = qobject_cast<QFileDialog *>(w);
        QVERIFY(dialog);
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(target);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    window.saveAs();
    QCOMPARE(window.editor()->fileName(), QString());
    QCOMPARE(QMWidgets::App::saveDirectory(), m_dir->path());
    QVERIFY(window.fileStatusText().startsWith(QStringLiteral("Cannot save ")));
}

void TestJSMainWindow::nonAsciiTextRoundTrips()
{
    const QString text = QStringLiteral("var s = \"é € ✓ \U0001F600\";\nprintout(s);\n");
    const QString path = writeFile(QStringLiteral("u.js"), text.toUtf8());
    JSMainWindow window;
    window.openPath(path);
    QCOMPARE(window.editor()->textEdit()->toPlainText(), text);
    window.editor()->textEdit()->textCursor().insertText(QStringLiteral("ä"));
    window.save();
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString back = QString::fromUtf8(f.readAll());
    QVERIFY(back.startsWith(QStringLiteral("ävar s = \"é € ✓ \U0001F600\";")));
}

QTEST_MAIN(TestJSMainWindow)
#include "tst_jsmainwindow.moc"
