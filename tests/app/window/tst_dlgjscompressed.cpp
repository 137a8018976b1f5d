#include "TestSupport.h"
#include "compress/JSMinifier.h"
#include "window/DlgJSCompressed.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"
#include "window/MUITabBar.h"
#include "window/MUITabBarItem.h"

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMWidgets/App.h>

using namespace TestSupport;

// The compressed-content dialog, driven the way a user drives it: the Save
// button, the file dialog's name field, the message box's OK button.
class tst_DlgJSCompressed : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        clearSettings();
        m_dir.reset(new QTemporaryDir);
        QMWidgets::App::setSaveDirectory(m_dir->path());
    }

    // Every character above U+007F is written as an escape, so the file means
    // the same in any encoding; a space character outside a literal, where an
    // escape would be no blank, becomes a space. Scripts hold HTML in their
    // strings: the text is exported as it is, never as formatted text.
    void save_data()
    {
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("contents");
        // clang-format off
        QTest::newRow("no extension") << "tool" << "out" << "out.js" << "a=1;\nb=2;" << QByteArray("a=1;\nb=2;");
        QTest::newRow("upper-case extension") << "tool" << "out.JS" << "out.JS.js" << "a=1;" << QByteArray("a=1;");
        QTest::newRow("never saved") << "" << "out.js" << "out.js" << "a=1;" << QByteArray("a=1;");
        QTest::newRow("markup kept as text") << "" << "html" << "html.js" << "x='<b>b</b> &amp;';" << QByteArray("x='<b>b</b> &amp;';");
        QTest::newRow("exported as ASCII") << "" << "ascii" << "ascii.js" << "var\u2003s='é€😀\u2003';" << QByteArray("var s='\\u00E9\\u20AC\\uD83D\\uDE00\\u2003';");
        // clang-format on
    }

    void save()
    {
        QFETCH(QString, baseName);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(QString, text);
        QFETCH(QByteArray, contents);
        QTemporaryDir elsewhere;
        DlgJSCompressed dialog(nullptr);
        dialog.setBaseName(baseName);
        dialog.setCompressedText(text);
        QVERIFY(TestSupport::shown(&dialog));
        const QStringList seen = clickSave(&dialog, elsewhere.filePath(typed));
        QCOMPARE(seen.at(0), m_dir->filePath(baseName + QStringLiteral("Compressed.js")));
        // The message names the suggested file whatever name was typed.
        QCOMPARE(seen.at(1), QStringLiteral("The %1Compressed.js was successfully saved").arg(baseName));
        QCOMPARE(readFile(elsewhere.filePath(written)), contents);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(QMWidgets::App::saveDirectory(), QDir(elsewhere.path()).absolutePath());
    }

    void failedSaveKeepsTheDialogOpen()
    {
        DlgJSCompressed dialog(nullptr);
        dialog.setCompressedText(QStringLiteral("a=1;"));
        QVERIFY(TestSupport::shown(&dialog));
        QCOMPARE(clickSave(&dialog, QString()).at(1), QString());       // cancelled
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("taken.js"))); // a folder is in the way
        QVERIFY(clickSave(&dialog, m_dir->filePath("taken")).at(1).startsWith(QStringLiteral("Cannot save ")));
        QVERIFY(dialog.isVisible());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
    }

    // The tool bar's Compress shows the document's script minified, named
    // after the file up to its first dot, and leaves the document as it was.
    void compressButtonOfTheToolBar()
    {
        const QByteArray script = "// tool\nvar a = 1;\nif (a) {\n    print( 'a  b' );\n}\n";
        JavaScriptEvaluator frame;
        frame.mainWindow()->openPath(writeFile(m_dir->filePath(QStringLiteral("tool.test.js")), script));
        QVERIFY(TestSupport::shown(&frame));
        QString shown;
        QStringList seen;
        whenActive<DlgJSCompressed>([&](DlgJSCompressed *dialog) {
            shown = dialog->windowTitle() + '|' + dialog->findChild<QTextEdit *>()->toPlainText();
            seen = clickSave(dialog, m_dir->filePath(QStringLiteral("out")));
        });
        QTest::mouseClick(frame.tabBar()->findChild<MUITabBarItem *>(QStringLiteral("compressButton")), Qt::LeftButton);
        QCOMPARE(shown, QStringLiteral("Compressor Dialog|\nvar a=1;if(a){\n print('a  b');}\n"));
        QCOMPARE(seen.value(1), QStringLiteral("The toolCompressed.js was successfully saved"));
        QCOMPARE(readFile(m_dir->filePath(QStringLiteral("out.js"))), shown.mid(18).toUtf8());
        QCOMPARE(frame.mainWindow()->editor()->textEdit()->toPlainText(), QString::fromUtf8(script));
    }

    void initTestCase() { useTestIdentity(); }

private:
    // Clicks Save, types `typed` into the file dialog (or cancels it when
    // empty) and answers the message box; returns the proposed file and the
    // message.
    QStringList clickSave(QWidget *dialog, const QString &typed);

    QScopedPointer<QTemporaryDir> m_dir;
};

QStringList tst_DlgJSCompressed::clickSave(QWidget *dialog, const QString &typed)
{
    auto seen = std::make_shared<QStringList>(QStringList{QString(), QString()});
    whenFileDialog(typed, &(*seen)[0]);
    if (!typed.isEmpty()) {
        whenActive<QMessageBox>([seen](QMessageBox *box) {
            (*seen)[1] = box->text();
            box->button(QMessageBox::Ok)->click();
        });
    }
    QTest::mouseClick(button(dialog, QStringLiteral("Save")), Qt::LeftButton);
    return *seen;
}

QTEST_MAIN(tst_DlgJSCompressed)
#include "tst_dlgjscompressed.moc"
