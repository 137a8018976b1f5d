#include "TestSupport.h"

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/editor/FindDialog.h>
#include <QMDrovebot/editor/LineTextWidget.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMWidgets/App.h>

#include <QScrollBar>

using QMDrovebot::Editor;

namespace {

void zoom(Editor &editor, int steps)
{
    for (; steps > 0; --steps)
        editor.zoomIn();
    for (; steps < 0; ++steps)
        editor.zoomOut();
}

// The leftmost column inside the gutter's outline that holds anything but
// white: where the widest label starts.
int firstInkColumn(const QImage &image)
{
    for (int x = 1; x < image.width() - 1; ++x)
        for (int y = 1; y < image.height() - 1; ++y)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return x;
    return image.width();
}

QString selection(const QTextEdit *edit)
{
    const QTextCursor cursor = edit->textCursor();
    return QStringLiteral("%1-%2").arg(cursor.anchor()).arg(cursor.position());
}

} // namespace

// The editor's view: its zoom, which comes back at the next start, the
// gutter that fits every line number, and the find dialog.
class tst_EditorView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestSupport::useTestIdentity();
        QFont font = QApplication::font();
        font.setPointSize(12);
        QApplication::setFont(font);
    }

    void init() { TestSupport::clearSettings(); }

    void zoomComesBack_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QList<int>>("sessions");
        QTest::addColumn<int>("pointSize");
        // clang-format off
        QTest::newRow("three in") << 0 << QList<int>{3} << 15;
        QTest::newRow("twelve out stop at the smallest size") << 0 << QList<int>{-12} << 1;
        QTest::newRow("then three in") << 0 << QList<int>{-12, 3} << 4;
        QTest::newRow("out and in in one session") << 0 << QList<int>{-14, 2} << 3;
        QTest::newRow("stored level below the smallest size") << -20 << QList<int>{} << 1;
        QTest::newRow("and three in from there") << -20 << QList<int>{3} << 4;
        // clang-format on
    }

    void zoomComesBack()
    {
        QFETCH(int, stored);
        QFETCH(QList<int>, sessions);
        QFETCH(int, pointSize);
        if (stored)
            QMWidgets::App::setSettingValue(QStringLiteral("zoom"), stored);
        for (int steps : sessions) {
            Editor editor;
            zoom(editor, steps);
        }
        Editor restarted;
        QCOMPARE(restarted.textEdit()->font().pointSize(), pointSize);
        QCOMPARE(restarted.outputArea()->font().pointSize(), pointSize);
        QCOMPARE(restarted.zoomLevel(), pointSize - 12);
        if (!sessions.isEmpty())
            QCOMPARE(QMWidgets::App::settingValue(QStringLiteral("zoom")).toInt(), pointSize - 12);
    }

    void gutterFitsLineNumbers_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("zoom");
        QTest::newRow("two digits") << 99 << 0;
        QTest::newRow("four digits zoomed in") << 1200 << 3;
        QTest::newRow("four digits zoomed out") << 1200 << -4;
        QTest::newRow("six digits") << 100000 << 0;
    }

    void gutterFitsLineNumbers()
    {
        QFETCH(int, lines);
        QFETCH(int, zoom);
        Editor editor;
        editor.resize(463, 400);
        QVERIFY(TestSupport::shown(&editor));
        editor.textEdit()->setPlainText(QStringLiteral("x;\n").repeated(lines - 1) + QStringLiteral("x;"));
        ::zoom(editor, zoom);
        editor.textEdit()->moveCursor(QTextCursor::End);
        editor.textEdit()->ensureCursorVisible();
        QCoreApplication::processEvents();

        QMDrovebot::LineTextWidget *gutter = editor.gutter();
        const int labelWidth = QFontMetrics(editor.textEdit()->font()).horizontalAdvance(QString::number(lines));
        QVERIFY2(gutter->width() >= labelWidth + 7 + 2, qPrintable(QString::number(gutter->width())));
        QVERIFY(gutter->width() >= 40);
        QVERIFY2(firstInkColumn(gutter->grab().toImage()) >= 2, "a line number is cut at the left");
        editor.textEdit()->setPlainText(QStringLiteral("x;"));
        editor.setZoom(0);
        QCOMPARE(gutter->width(), 40);
    }

    void findNext_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("search");
        // The selection (anchor-position) after each press of "Find Next".
        QTest::addColumn<QStringList>("selections");
        // clang-format off
        QTest::newRow("ignores case") << "xx ABC yy" << 0 << 0 << "abc" << QStringList{"3-6"};
        QTest::newRow("successive matches, then no wrap") << "abc xabcx\nabc" << 0 << 0 << "abc" << QStringList{"0-3", "5-8", "10-13", "10-13"};
        QTest::newRow("searches from the cursor") << "abc def abc" << 5 << 5 << "abc" << QStringList{"8-11", "8-11"};
        QTest::newRow("starts after the selection") << "abcabc" << 0 << 3 << "abc" << QStringList{"3-6", "3-6"};
        QTest::newRow("no match keeps the selection") << "abc xyz" << 0 << 3 << "zzz" << QStringList{"0-3"};
        QTest::newRow("empty field finds nothing") << "abc" << 1 << 1 << "" << QStringList{"1-1", "1-1"};
        // clang-format on
    }

    void findNext()
    {
        QFETCH(QString, text);
        QFETCH(int, anchor);
        QFETCH(int, position);
        QFETCH(QString, search);
        QFETCH(QStringList, selections);
        Editor editor;
        QTextEdit *edit = editor.textEdit();
        edit->setPlainText(text);
        QTextCursor cursor(edit->document());
        cursor.setPosition(anchor);
        cursor.setPosition(position, QTextCursor::KeepAnchor);
        edit->setTextCursor(cursor);
        QMDrovebot::FindDialog dialog(&editor, nullptr);
        QVERIFY(TestSupport::shown(&dialog));
        QTest::keyClicks(dialog.findChild<QLineEdit *>(QStringLiteral("findLineEdit")), search);
        QStringList seen;
        for (int press = 0; press < selections.size(); ++press) {
            QTest::mouseClick(TestSupport::button(&dialog, QStringLiteral("Find Next")), Qt::LeftButton);
            seen << selection(edit);
        }
        QCOMPARE(seen, selections);
    }

    void findScrollsToTheMatch()
    {
        Editor editor;
        editor.resize(400, 300);
        QTextEdit *edit = editor.textEdit();
        edit->setPlainText(QString(QStringLiteral("filler;\n")).repeated(300) + QStringLiteral("needle"));
        edit->moveCursor(QTextCursor::Start);
        QVERIFY(TestSupport::shown(&editor));
        QMDrovebot::FindDialog dialog(&editor, nullptr);
        dialog.findChild<QLineEdit *>(QStringLiteral("findLineEdit"))->setText(QStringLiteral("NEEDLE"));
        QTest::mouseClick(TestSupport::button(&dialog, QStringLiteral("Find Next")), Qt::LeftButton);
        QCOMPARE(edit->textCursor().selectedText(), QStringLiteral("needle"));
        QVERIFY(edit->verticalScrollBar()->value() > 0);
        QVERIFY(edit->viewport()->rect().contains(edit->cursorRect().center()));
    }

    void findCloseAndEscapeOnlyHide_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Close button") << false;
        QTest::newRow("Escape key") << true;
    }

    void findCloseAndEscapeOnlyHide()
    {
        QFETCH(bool, escape);
        Editor editor;
        QMDrovebot::FindDialog dialog(&editor, nullptr);
        QVERIFY(!dialog.isModal());
        QVERIFY(TestSupport::shown(&dialog));
        auto *field = dialog.findChild<QLineEdit *>(QStringLiteral("findLineEdit"));
        QTest::keyClicks(field, QStringLiteral("kept"));
        if (escape)
            QTest::keyClick(field, Qt::Key_Escape);
        else
            QTest::mouseClick(TestSupport::button(&dialog, QStringLiteral("Close")), Qt::LeftButton);
        QVERIFY(dialog.isHidden());
        QVERIFY(TestSupport::shown(&dialog));
        QCOMPARE(field->text(), QStringLiteral("kept"));
    }
};

QTEST_MAIN(tst_EditorView)
#include "tst_editorview.moc"
