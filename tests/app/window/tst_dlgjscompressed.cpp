#include "TestSupport.h"
#include "compress/JSMinifier.h"
#include "window/DlgJSCompressed.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"
#include "window/MUITabBar.h"
#include "window/MUITabBarItem.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMWidgets/App.h>

#include <functional>

// The compressed-content dialog, driven the way a user drives it: the Save
// button, the file dialog's name field, the message box's OK button.
class TestDlgJSCompressed : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void construction();
    void showsTheTextAsItIs();
    void suggestedName_data();
    void suggestedName();
    void typedName_data();
    void typedName();
    void editedTextIsSaved();
    void exportIsAscii();
    void cancellingTheFileDialogKeepsTheDialogOpen();
    void unwritableFileKeepsTheDialogOpen();
    void cancelAndEscapeReject();
    void compressCommandOfTheDocumentWindow();
    void neverSavedDocument();
    void compressButtonOfTheToolBar();

private:
    // What happened to the file dialog and the message box during a save.
    struct SaveRun
    {
        QString dialogTitle;
        QString proposedName;
        QString proposedDirectory;
        QString messageTitle;
        QString messageText;
        bool messageHadOnlyOk = false;
    };
    // Clicks Save of `dialog`, answers the file dialog by typing `typed`
    // (or cancels it when empty), then the message box, if one comes.
    SaveRun clickSave(QWidget *dialog, const QString &typed);
    void answerSave(const QString &typed, SaveRun *run, QObject *context);
    QPushButton *button(QWidget *dialog, const QString &text) const;
    QByteArray fileContents(const QString &path) const;

    QScopedPointer<QTemporaryDir> m_dir;
    QObject *m_answers = nullptr; // owns the pending answers of one test function
};

namespace {

// Calls `answer` once the active modal widget is a T (dialogs open inside
// other dialogs here, so "any modal widget" would catch the wrong one). A
// dialog that an answer left open, after a failed check, is rejected a
// little later, so the test fails instead of waiting for ever. The wait
// ends with `context`: an answer never outlives its test function.
template <typename T> void whenActive(QObject *context, std::function<void(T *)> answer)
{
    answer = [answer](T *dialog) {
        QPointer<T> guarded(dialog);
        QTimer::singleShot(15000, qApp, [guarded]() {
            if (guarded && guarded->isVisible())
                guarded->reject();
        });
        answer(dialog);
    };
    auto *timer = new QTimer(context);
    auto *waited = new int(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, waited, answer]() {
        T *widget = qobject_cast<T *>(QApplication::activeModalWidget());
        *waited += 10;
        if (!widget && *waited < 10000)
            return;
        timer->stop();
        timer->deleteLater();
        delete waited;
        if (widget)
            answer(widget);
    });
    timer->start(10);
}

// Shows the dialog filled as the Compress command fills it.
bool showFilled(DlgJSCompressed &dialog, const QString &baseName, const QString &text)
{
    dialog.setBaseName(baseName);
    dialog.setCompressedText(text);
    dialog.show();
    return QTest::qWaitForWindowExposed(&dialog);
}

} // namespace

void TestDlgJSCompressed::initTestCase()
{
    TestSupport::useTestIdentity();
}

void TestDlgJSCompressed::init()
{
    TestSupport::clearSettings();
    m_dir.reset(new QTemporaryDir);
    QMWidgets::App::setSaveDirectory(m_dir->path());
    m_answers = new QObject(this);
}

void TestDlgJSCompressed::cleanup()
{
    delete m_answers;
    m_answers = nullptr;
}

QPushButton *TestDlgJSCompressed::button(QWidget *dialog, const QString &text) const
{
    for (QPushButton *candidate : dialog->findChildren<QPushButton *>()) {
        if (candidate->text() == text)
            return candidate;
    }
    return nullptr;
}

QByteArray TestDlgJSCompressed::fileContents(const QString &path) const
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TestDlgJSCompressed::SaveRun TestDlgJSCompressed::clickSave(QWidget *dialog, const QString &typed)
{
    SaveRun run;
    QObject answers; // answers that did not come are dropped on return
    answerSave(typed, &run, &answers);
    QTest::mouseClick(button(dialog, QStringLiteral("&Save")), Qt::LeftButton);
    return run;
}

void TestDlgJSCompressed::answerSave(const QString &typed, SaveRun *run, QObject *answers)
{
    whenActive<QFileDialog>(answers, [typed, run, answers](QFileDialog *fileDialog) {
        run->dialogTitle = fileDialog->windowTitle();
        auto *nameField = fileDialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(nameField);
        run->proposedName = nameField->text();
        run->proposedDirectory = fileDialog->directory().absolutePath();
        if (typed.isEmpty()) {
            fileDialog->reject();
            return;
        }
        whenActive<QMessageBox>(answers, [run](QMessageBox *box) {
            run->messageTitle = box->windowTitle();
            run->messageText = box->text();
            run->messageHadOnlyOk = box->buttons().size() == 1 && box->button(QMessageBox::Ok);
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        // A bare name is typed with the dialog's folder in front: the
        // dialog's check of a bare name waits for its folder listing.
        const QString name = QDir::isAbsolutePath(typed) ? typed : fileDialog->directory().filePath(typed);
        nameField->clear();
        QTest::keyClicks(nameField, name);
        // The name field's completer may have opened its list over the dialog.
        if (nameField->completer() && nameField->completer()->popup())
            nameField->completer()->popup()->hide();
        auto *buttons = fileDialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        QVERIFY(buttons);
        QPushButton *saveButton = nullptr;
        for (QAbstractButton *candidate : buttons->buttons()) {
            if (buttons->buttonRole(candidate) == QDialogButtonBox::AcceptRole)
                saveButton = qobject_cast<QPushButton *>(candidate);
        }
        QVERIFY(saveButton);
        // The dialog enables the button once it has looked at the folder.
        QTRY_VERIFY(saveButton->isEnabled());
        QTest::mouseClick(saveButton, Qt::LeftButton);
    });
}

void TestDlgJSCompressed::construction()
{
    QWidget parent;
    DlgJSCompressed dialog(&parent);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Compressor Dialog"));
    QVERIFY(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(dialog.size(), QSize(600, 450));
    QCOMPARE(dialog.parentWidget(), &parent);

    auto *outer = qobject_cast<QGridLayout *>(dialog.layout());
    QVERIFY(outer);
    auto *inner = qobject_cast<QGridLayout *>(outer->itemAtPosition(0, 0)->layout());
    QVERIFY(inner);
    int row, column, rowSpan, columnSpan;
    outer->getItemPosition(outer->indexOf(inner), &row, &column, &rowSpan, &columnSpan);
    QCOMPARE(QVector<int>({row, column, rowSpan, columnSpan}), QVector<int>({0, 0, 1, 2}));
    auto *caption = qobject_cast<QLabel *>(inner->itemAtPosition(0, 0)->widget());
    QVERIFY(caption);
    QCOMPARE(caption->text(), QStringLiteral("Compressed Java Script Source"));
    auto *text = qobject_cast<QTextEdit *>(inner->itemAtPosition(1, 0)->widget());
    QVERIFY(text);
    QVERIFY(!text->isReadOnly());

    QPushButton *close = button(&dialog, QStringLiteral("&Close"));
    QPushButton *save = button(&dialog, QStringLiteral("&Save"));
    QPushButton *cancel = button(&dialog, QStringLiteral("&Cancel"));
    QVERIFY(close && save && cancel);
    QCOMPARE(outer->itemAtPosition(2, 0)->widget(), cancel);
    QCOMPARE(outer->itemAtPosition(2, 1)->widget(), save);
    for (QPushButton *b : {close, save, cancel}) {
        QCOMPARE(b->objectName(), QStringLiteral("PushButton"));
        QVERIFY(b->isFlat());
        QCOMPARE(b->minimumHeight(), 32);
    }
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(!close->isVisible());
    QVERIFY(save->isVisible() && cancel->isVisible());
}

// Scripts hold HTML in their strings; the text area shows and exports them
// as they are, never as formatted text.
void TestDlgJSCompressed::showsTheTextAsItIs()
{
    DlgJSCompressed dialog(nullptr);
    const QString script = QStringLiteral("x='<b>bold</b> &amp; <i>more</i>';\ny=1;");
    QVERIFY(Qt::mightBeRichText(script));
    dialog.setCompressedText(script);
    QCOMPARE(dialog.findChild<QTextEdit *>()->toPlainText(), script);
}

void TestDlgJSCompressed::suggestedName_data()
{
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<QString>("suggested");
    QTest::newRow("saved document") << QStringLiteral("tool") << QStringLiteral("toolCompressed.js");
    QTest::newRow("never saved") << QString() << QStringLiteral("Compressed.js");
    QTest::newRow("never saved, edited") << QStringLiteral(" [modified]") << QStringLiteral(" [modified]Compressed.js");
}

void TestDlgJSCompressed::suggestedName()
{
    QFETCH(QString, baseName);
    QFETCH(QString, suggested);
    DlgJSCompressed dialog(nullptr);
    QVERIFY(showFilled(dialog, baseName, QStringLiteral("a=1;")));
    const SaveRun run = clickSave(&dialog, QString());
    QCOMPARE(run.dialogTitle, QStringLiteral("Export to Festoon file"));
    QCOMPARE(run.proposedName, suggested);
    QCOMPARE(run.proposedDirectory, QDir(m_dir->path()).absolutePath());
}

void TestDlgJSCompressed::typedName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("no extension") << QStringLiteral("out") << QStringLiteral("out.js");
    QTest::newRow("upper-case extension") << QStringLiteral("out.JS") << QStringLiteral("out.JS.js");
    QTest::newRow("extension") << QStringLiteral("out.js") << QStringLiteral("out.js");
}

void TestDlgJSCompressed::typedName()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QTemporaryDir elsewhere;
    DlgJSCompressed dialog(nullptr);
    QVERIFY(showFilled(dialog, QStringLiteral("tool"), QStringLiteral("a=1;\nb=2;")));
    const SaveRun run = clickSave(&dialog, elsewhere.filePath(typed));

    QCOMPARE(fileContents(elsewhere.filePath(written)), QByteArray("a=1;\nb=2;"));
    QCOMPARE(run.messageTitle, QStringLiteral("Information"));
    // The message names the suggested file whatever name was typed.
    QCOMPARE(run.messageText, QStringLiteral("The toolCompressed.js was successfully saved"));
    QVERIFY(run.messageHadOnlyOk);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(QMWidgets::App::saveDirectory(), QDir(elsewhere.path()).absolutePath());
}

void TestDlgJSCompressed::editedTextIsSaved()
{
    DlgJSCompressed dialog(nullptr);
    QVERIFY(showFilled(dialog, QString(), QStringLiteral("a=1;")));
    auto *text = dialog.findChild<QTextEdit *>();
    text->moveCursor(QTextCursor::End);
    QTest::keyClicks(text, QStringLiteral("b=2;"));
    clickSave(&dialog, QStringLiteral("edited"));
    QCOMPARE(fileContents(m_dir->filePath(QStringLiteral("edited.js"))), QByteArray("a=1;b=2;"));
}

// Every character above U+007F becomes an escape, so the file is ASCII and
// means the same in any encoding; a space character outside a literal, where
// an escape would be no blank, becomes a space.
void TestDlgJSCompressed::exportIsAscii()
{
    DlgJSCompressed dialog(nullptr);
    QVERIFY(showFilled(dialog, QString(), QStringLiteral("var\u2003s='é€😀\u2003';")));
    clickSave(&dialog, QStringLiteral("ascii"));
    QCOMPARE(fileContents(m_dir->filePath(QStringLiteral("ascii.js"))),
             QByteArray("var s='\\u00E9\\u20AC\\uD83D\\uDE00\\u2003';"));
}

void TestDlgJSCompressed::cancellingTheFileDialogKeepsTheDialogOpen()
{
    DlgJSCompressed dialog(nullptr);
    QVERIFY(showFilled(dialog, QStringLiteral("tool"), QStringLiteral("a=1;")));
    const SaveRun run = clickSave(&dialog, QString());
    QCOMPARE(run.proposedName, QStringLiteral("toolCompressed.js"));
    QVERIFY(run.messageText.isEmpty());
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.findChild<QTextEdit *>()->toPlainText(), QStringLiteral("a=1;"));
    QVERIFY(QDir(m_dir->path()).entryList(QDir::Files).isEmpty());
    QCOMPARE(QMWidgets::App::saveDirectory(), m_dir->path());
}

void TestDlgJSCompressed::unwritableFileKeepsTheDialogOpen()
{
    DlgJSCompressed dialog(nullptr);
    QVERIFY(showFilled(dialog, QString(), QStringLiteral("a=1;")));
    // A folder of that name is in the way.
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("taken.js")));
    const SaveRun run = clickSave(&dialog, QStringLiteral("taken"));
    QVERIFY(run.messageText.startsWith(QStringLiteral("Cannot save ")));
    QVERIFY(dialog.isVisible());
}

void TestDlgJSCompressed::cancelAndEscapeReject()
{
    {
        DlgJSCompressed dialog(nullptr);
        whenActive<DlgJSCompressed>(m_answers, [this](DlgJSCompressed *shown) {
            QTest::mouseClick(button(shown, QStringLiteral("&Cancel")), Qt::LeftButton);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    }
    {
        DlgJSCompressed dialog(nullptr);
        whenActive<DlgJSCompressed>(m_answers, [](DlgJSCompressed *shown) { QTest::keyClick(shown, Qt::Key_Escape); });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    }
}

// The Compress command of a document saved as tool.test.js.
void TestDlgJSCompressed::compressCommandOfTheDocumentWindow()
{
    const QString path = m_dir->filePath(QStringLiteral("tool.test.js"));
    const QByteArray script = "// tool\nvar a = 1;\nif (a) {\n    print( 'a  b' );\n}\n";
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(script);
    }
    JSMainWindow window;
    window.openPath(path);
    QCOMPARE(window.windowTitleText(), path);

    QString shown;
    SaveRun run;
    whenActive<DlgJSCompressed>(m_answers, [&](DlgJSCompressed *dialog) {
        QCOMPARE(dialog->parentWidget(), &window);
        shown = dialog->findChild<QTextEdit *>()->toPlainText();
        run = clickSave(dialog, QStringLiteral("out"));
    });
    window.showCompressedContent();

    QCOMPARE(shown, QStringLiteral("\nvar a=1;if(a){\n print('a  b');}\n"));
    QCOMPARE(shown, compressJavaScriptText(QString::fromUtf8(script)));
    QCOMPARE(run.proposedName, QStringLiteral("toolCompressed.js"));
    QCOMPARE(run.messageText, QStringLiteral("The toolCompressed.js was successfully saved"));
    QCOMPARE(fileContents(m_dir->filePath(QStringLiteral("out.js"))), shown.toUtf8());
    QVERIFY(!QApplication::activeModalWidget());
    // The document itself is untouched.
    QCOMPARE(window.editor()->textEdit()->toPlainText(), QString::fromUtf8(script));
}

void TestDlgJSCompressed::neverSavedDocument()
{
    JSMainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    SaveRun fresh;
    whenActive<DlgJSCompressed>(m_answers, [&](DlgJSCompressed *dialog) {
        fresh = clickSave(dialog, QString());
        dialog->reject();
    });
    window.showCompressedContent();
    QCOMPARE(fresh.proposedName, QStringLiteral("Compressed.js"));

    QTest::keyClicks(window.editor()->textEdit(), QStringLiteral("x"));
    QCOMPARE(window.windowTitleText(), QStringLiteral(" [modified]"));
    SaveRun edited;
    whenActive<DlgJSCompressed>(m_answers, [&](DlgJSCompressed *dialog) {
        edited = clickSave(dialog, QString());
        dialog->reject();
    });
    window.showCompressedContent();
    QCOMPARE(edited.proposedName, QStringLiteral(" [modified]Compressed.js"));
}

// The running application's tool bar: Compress opens the dialog with the
// document's script, minified.
void TestDlgJSCompressed::compressButtonOfTheToolBar()
{
    JavaScriptEvaluator frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QMDrovebot::DocWindow *document = frame.mainWindow()->editor()->textEdit();
    document->setPlainText(QStringLiteral("var s = 'a  b';   // greeting\nprintout( s );\n"));

    QString shown;
    QString title;
    whenActive<DlgJSCompressed>(m_answers, [&](DlgJSCompressed *dialog) {
        shown = dialog->findChild<QTextEdit *>()->toPlainText();
        title = dialog->windowTitle();
        QTest::mouseClick(button(dialog, QStringLiteral("&Cancel")), Qt::LeftButton);
    });
    auto *compress = frame.tabBar()->findChild<MUITabBarItem *>(QStringLiteral("compressButton"));
    QVERIFY(compress);
    QTest::mouseClick(compress, Qt::LeftButton);

    QCOMPARE(title, QStringLiteral("Compressor Dialog"));
    QCOMPARE(shown, QStringLiteral("var s='a  b';printout(s);\n"));
    QVERIFY(!QApplication::activeModalWidget());
}

QTEST_MAIN(TestDlgJSCompressed)
#include "tst_dlgjscompressed.moc"
