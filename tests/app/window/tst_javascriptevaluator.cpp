#include "TestSupport.h"
#include "compress/JSMinifier.h"
#include "window/DlgJSCompressed.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"
#include "window/MUITabBar.h"
#include "window/MUITabBarItem.h"

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMDrovebot/engine/ScriptEngine.h>
#include <QMWidgets/App.h>
#include <QMWidgets/AppMenu.h>

#include <cmath>

namespace {

QRgb commonest(const QMap<QRgb, int> &counts)
{
    return std::max_element(counts.cbegin(), counts.cend()).key();
}

// The columns of the bar's caption band (its lower half) with ink: pixels
// far from their row's commonest colour, since the bar's gradient is
// vertical.
QVector<bool> inkColumns(QWidget *bar)
{
    const QImage image = bar->grab().toImage();
    QVector<bool> ink(image.width());
    for (int y = image.height() / 2 + 3; y < image.height() - 1; ++y) {
        QMap<QRgb, int> counts;
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
        const QRgb b = commonest(counts);
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            ink[x] = ink[x] || qAbs(qRed(p) - qRed(b)) + qAbs(qGreen(p) - qGreen(b)) + qAbs(qBlue(p) - qBlue(b)) > 60;
        }
    }
    return ink;
}

double luminance(QRgb pixel)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(pixel)) + 0.7152 * linear(qGreen(pixel)) + 0.0722 * linear(qBlue(pixel));
}

// The share of the selection (where selecting changed the picture) drawn in
// a colour with a contrast ratio of at least 3 to the selection's bar, its
// commonest colour: the selected text.
double readableShare(QWidget *window, const std::function<void(bool)> &select)
{
    // A blinking text cursor would count as drawn on the selection.
    if (QWidget *focus = QApplication::focusWidget())
        focus->clearFocus();
    select(false);
    const QImage plain = window->grab().toImage();
    select(true);
    const QImage selected = window->grab().toImage();
    QMap<QRgb, int> counts;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            if (selected.pixel(x, y) != plain.pixel(x, y))
                ++counts[selected.pixel(x, y)];
    if (counts.isEmpty())
        return 0;
    const double bar = luminance(commonest(counts));
    int readable = 0;
    int all = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const double l = luminance(it.key());
        all += it.value();
        readable += (qMax(l, bar) + 0.05) / (qMin(l, bar) + 0.05) >= 3 ? it.value() : 0;
    }
    return double(readable) / all;
}

} // namespace

using namespace TestSupport;

// The frame: its tool bar as the user sees and uses it, the questions before
// anything unsaved is lost, selections that stay readable, and the dialog
// that shows and exports the compressed script.
class tst_JavaScriptEvaluator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        useTestIdentity();
        // Closing a test's frame must not end the test run's application.
        qApp->setQuitOnLastWindowClosed(false);
        qApp->setStyleSheet(JavaScriptEvaluator::applicationStyleSheet());
    }

    void init()
    {
        clearSettings();
        m_dir.reset(new QTemporaryDir);
        QMWidgets::App::setSaveDirectory(m_dir->path());
        m_frame.reset(new JavaScriptEvaluator);
        m_frame->showAtStartUp();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.data()));
    }

    void arrowsPointLikeTheirCaptions_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("direction");
        QTest::newRow("Undo turns back to the left") << "undoButton" << -1;
        QTest::newRow("Redo turns on to the right") << "redoButton" << 1;
    }

    void arrowsPointLikeTheirCaptions()
    {
        QFETCH(QString, button);
        QFETCH(int, direction);
        const QImage image = item(qPrintable(button))->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        // The solid head outweighs the symmetric turn: the picture's weight
        // lies on the side the arrow points to.
        double mass = 0;
        double moment = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                mass += qAlpha(image.pixel(x, y));
                moment += qAlpha(image.pixel(x, y)) * (x + 0.5);
            }
        }
        QVERIFY(mass > 0);
        const double offset = (moment / mass - image.width() / 2.0) / image.width();
        QVERIFY2(offset * direction > 0.03, qPrintable(QString::number(offset)));
    }

    void captionsKeepApart_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("default width") << 463;
        QTest::newRow("wide") << 900;
    }

    void captionsKeepApart()
    {
        QFETCH(int, width);
        m_frame->resize(width, 515);
        QCoreApplication::processEvents();
        // The window keeps the width asked for, unless the bar needs more.
        QCOMPARE(m_frame->width(), qMax(width, m_frame->minimumWidth()));
        // Captions are clipped to their buttons: the ink in a button's columns
        // is its caption's.
        const QVector<bool> ink = inkColumns(m_frame->tabBar());
        QList<MUITabBarItem *> items;
        for (MUITabBarItem *item : m_frame->tabBar()->findChildren<MUITabBarItem *>())
            if (item->isVisible())
                items << item;
        std::sort(items.begin(), items.end(), [](QWidget *a, QWidget *b) { return a->x() < b->x(); });
        int previousEnd = -1000;
        QString previous;
        for (MUITabBarItem *item : items) {
            // Caption and picture fit, with a gap on both sides.
            const int content = qMax(item->fontMetrics().horizontalAdvance(item->caption()), item->height() / 2);
            QVERIFY2(item->width() >= content + 4, qPrintable(item->caption()));
            const int first =
                int(std::find(ink.begin() + item->x(), ink.begin() + item->geometry().right(), true) - ink.begin());
            QVERIFY2(first < item->geometry().right(), qPrintable(item->caption()));
            QVERIFY2(first - previousEnd > 3, qPrintable(previous + " touches " + item->caption()));
            previousEnd = item->geometry().right();
            while (!ink[previousEnd])
                --previousEnd;
            previous = item->caption();
        }
    }

    // The pictures' drawn parts stand at one height, whatever transparent
    // border each image has.
    void picturesLineUp()
    {
        const QImage image = m_frame->tabBar()->grab().toImage();
        QMap<int, QString> middles; // twice the middle row of each button's picture
        for (MUITabBarItem *item : m_frame->tabBar()->findChildren<MUITabBarItem *>()) {
            if (!item->isVisible())
                continue;
            int top = -1, bottom = -1;
            for (int y = 0; y < image.height() / 2 + 3; ++y) {
                const QRgb edge = image.pixel(item->x(), y); // the bar's gradient at this row
                for (int x = item->x(); x <= item->geometry().right(); ++x) {
                    const QRgb p = image.pixel(x, y);
                    if (qAbs(qRed(p) - qRed(edge)) + qAbs(qGreen(p) - qGreen(edge)) + qAbs(qBlue(p) - qBlue(edge)) >
                        60) {
                        bottom = y;
                        top = top < 0 ? y : top;
                    }
                }
            }
            middles.insert(top + bottom, item->caption());
        }
        // Within a pixel of each other: an odd and an even height round apart.
        QVERIFY2(middles.lastKey() - middles.firstKey() <= 2, qPrintable(middles.first() + " / " + middles.last()));
    }

    void selectedTextIsReadable_data()
    {
        QTest::addColumn<QString>("field");
        for (const char *field : {"line edit", "document", "output pane", "compressed"})
            QTest::newRow(field) << field;
    }

    void selectedTextIsReadable()
    {
        QFETCH(QString, field);
        QScopedPointer<QWidget> window;
        QTextEdit *edit = nullptr;
        if (field == "line edit") {
            window.reset(new QLineEdit(QStringLiteral("Selected words 0123")));
        } else if (field == "compressed") {
            window.reset(new DlgJSCompressed(nullptr));
            edit = window->findChild<QTextEdit *>();
        } else {
            auto *editor = new QMDrovebot::Editor;
            window.reset(editor);
            edit = field == "document" ? static_cast<QTextEdit *>(editor->textEdit()) : editor->outputArea();
        }
        if (edit)
            edit->setPlainText(QStringLiteral("Selected words 0123"));
        QVERIFY(shown(window.data()));
        auto *line = qobject_cast<QLineEdit *>(window.data());
        const double share = readableShare(window.data(), [line, edit](bool on) {
            if (line)
                on ? line->selectAll() : line->deselect();
            else
                on ? edit->selectAll() : edit->moveCursor(QTextCursor::End);
        });
        QVERIFY2(share >= 0.03, qPrintable(QStringLiteral("readable share %1").arg(share)));
    }

    void quitQuestion_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("fromMenu");
        QTest::newRow("No keeps the program running") << false << false;
        QTest::newRow("Yes closes") << true << false;
        QTest::newRow("the menu's Quit asks alike") << false << true;
    }

    void quitQuestion()
    {
        QFETCH(bool, yes);
        QFETCH(bool, fromMenu);
        QTemporaryDir dir;
        const QString path = writeFile(dir.filePath(QStringLiteral("a.js")), "var a = 1;\n");
        m_frame->mainWindow()->openPath(path);
        QCOMPARE(m_frame->windowTitle(), path);
        QTest::keyClicks(m_frame->mainWindow()->editor()->textEdit(), QStringLiteral("x"));
        QString seen;
        whenMessageBox(yes ? QMessageBox::Yes : QMessageBox::No, &seen);
        if (fromMenu)
            m_frame->findChild<QMWidgets::AppMenu *>()->actions().constLast()->trigger();
        else
            QCOMPARE(m_frame->close(), yes);
        // The question names the title, marker included.
        QTRY_COMPARE(seen, "Warning|The text of the \"" + path +
                               " [modified]\" file has been changed. Do you want to quit without saving the changes?");
        QCOMPARE(m_frame->isVisible(), !yes);
        // Once saved, the window closes without a question.
        m_frame->mainWindow()->save();
        seen.clear();
        m_frame->close();
        QVERIFY(!m_frame->isVisible());
        QCOMPARE(seen, QString());
    }

    void quitApplicationAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("pane");
        // clang-format off
        QTest::newRow("keep the text") << int(QMessageBox::No) << "still running";
        QTest::newRow("quit anyway") << int(QMessageBox::Yes) << "Evaluation Error: Line:1\nError: Script evaluation is stopped by user\nBacktrace: <global>() at 1";
        // clang-format on
    }

    void quitApplicationAsksFirst()
    {
        QFETCH(int, answer);
        QFETCH(QString, pane);
        m_frame->mainWindow()->registerApplicationWidget(m_frame.data());
        QMDrovebot::Editor *editor = m_frame->mainWindow()->editor();
        // Typed into a new document, never saved.
        editor->textEdit()->setPlainText(QStringLiteral("quitApplication();\nprintout(\"still running\");"));
        QString seen;
        whenMessageBox(QMessageBox::StandardButton(answer), &seen);
        editor->run();
        QVERIFY2(seen.startsWith(QStringLiteral("Warning|")), qPrintable(seen));
        QCOMPARE(m_frame->isVisible(), answer == QMessageBox::No);
        QCOMPARE(editor->outputArea()->toPlainText(), pane);
    }

    void closingStopsAWaitingScript()
    {
        QMDrovebot::Editor *editor = m_frame->mainWindow()->editor();
        editor->textEdit()->setPlainText(
            QStringLiteral("var rounds = 0;\nwhile (rounds < 200) { delay(20); rounds++; }\nprintout('not stopped');"));
        QTimer::singleShot(100, m_frame.data(), [this] {
            whenMessageBox(QMessageBox::Yes);
            m_frame->close();
        });
        editor->run();
        QVERIFY(!m_frame->isVisible());
        QVERIFY(!editor->isEvaluating());
        QCOMPARE(editor->errorStatus(), 1);
        const QString pane = editor->outputArea()->toPlainText();
        QVERIFY2(pane.contains(QStringLiteral("Script evaluation is stopped by user")), qPrintable(pane));
        QVERIFY(!pane.contains(QStringLiteral("not stopped")));
        QVERIFY(editor->engine()->globalObject().property(QStringLiteral("rounds")).toInt32() < 200);
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
        QVERIFY(shown(&dialog));
        const QStringList seen = clickSave(&dialog, elsewhere.filePath(typed));
        QCOMPARE(seen.at(0), m_dir->filePath(baseName + QStringLiteral("Compressed.js")));
        // The message names the suggested file whatever name was typed.
        QCOMPARE(seen.at(1), QStringLiteral("The %1Compressed.js was successfully saved").arg(baseName));
        QCOMPARE(readFile(elsewhere.filePath(written)), contents);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(QMWidgets::App::saveDirectory(), QDir(elsewhere.path()).absolutePath());
    }

    // The tool bar's Compress shows the document's script minified, named
    // after the file up to its first dot, and leaves the document as it was.
    void compressButtonOfTheToolBar()
    {
        const QByteArray script = "// tool\nvar a = 1;\nif (a) {\n    print( 'a  b' );\n}\n";
        m_frame->mainWindow()->openPath(writeFile(m_dir->filePath(QStringLiteral("tool.test.js")), script));
        QString shown;
        QStringList seen;
        whenActive<DlgJSCompressed>([&](DlgJSCompressed *dialog) {
            shown = dialog->windowTitle() + '|' + dialog->findChild<QTextEdit *>()->toPlainText();
            seen = clickSave(dialog, m_dir->filePath(QStringLiteral("out")));
        });
        QTest::mouseClick(item("compressButton"), Qt::LeftButton);
        QCOMPARE(shown, QStringLiteral("Compressor Dialog|\nvar a=1;if(a){\n print('a  b');}\n"));
        QCOMPARE(seen.value(1), QStringLiteral("The toolCompressed.js was successfully saved"));
        QCOMPARE(readFile(m_dir->filePath(QStringLiteral("out.js"))), shown.mid(18).toUtf8());
        QCOMPARE(m_frame->mainWindow()->editor()->textEdit()->toPlainText(), QString::fromUtf8(script));
    }

private:
    // Clicks Save, types `typed` into the file dialog (or cancels it when
    // empty) and answers the message box; returns the proposed file and the
    // message.
    QStringList clickSave(QWidget *dialog, const QString &typed)
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
    MUITabBarItem *item(const char *name) { return m_frame->tabBar()->findChild<MUITabBarItem *>(name); }

    QScopedPointer<JavaScriptEvaluator> m_frame;
    QScopedPointer<QTemporaryDir> m_dir;
};

QTEST_MAIN(tst_JavaScriptEvaluator)
#include "tst_javascriptevaluator.moc"
