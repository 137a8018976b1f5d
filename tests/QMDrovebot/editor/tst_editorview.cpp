#include "TestSupport.h"

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/editor/LineTextWidget.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMWidgets/App.h>

#include <QtTest>

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

} // namespace

class tst_EditorView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void zoomComesBack_data();
    void zoomComesBack();
    void gutterFitsLineNumbers_data();
    void gutterFitsLineNumbers();
    void longRunsBreakAnywhere_data();
    void longRunsBreakAnywhere();
};

void tst_EditorView::initTestCase()
{
    TestSupport::useTestIdentity();
    QFont font = QApplication::font();
    font.setPointSize(12);
    QApplication::setFont(font);
}

void tst_EditorView::init()
{
    TestSupport::clearSettings();
}

void tst_EditorView::zoomComesBack_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<QList<int>>("sessions");
    QTest::addColumn<int>("pointSize");

    QTest::newRow("three in") << 0 << QList<int>{3} << 15;
    QTest::newRow("twelve out stop at the smallest size") << 0 << QList<int>{-12} << 1;
    QTest::newRow("then three in") << 0 << QList<int>{-12, 3} << 4;
    QTest::newRow("out and in in one session") << 0 << QList<int>{-14, 2} << 3;
    QTest::newRow("stored level below the smallest size") << -20 << QList<int>{} << 1;
    QTest::newRow("and three in from there") << -20 << QList<int>{3} << 4;
}

void tst_EditorView::zoomComesBack()
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

void tst_EditorView::gutterFitsLineNumbers_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("zoom");

    QTest::newRow("two digits") << 99 << 0;
    QTest::newRow("four digits zoomed in") << 1200 << 3;
    QTest::newRow("four digits zoomed out") << 1200 << -4;
    QTest::newRow("six digits") << 100000 << 0;
}

void tst_EditorView::gutterFitsLineNumbers()
{
    QFETCH(int, lines);
    QFETCH(int, zoom);

    Editor editor;
    editor.resize(463, 400);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    editor.textEdit()->setPlainText(QStringLiteral("x;\n").repeated(lines - 1) + QStringLiteral("x;"));
    ::zoom(editor, zoom);
    editor.textEdit()->moveCursor(QTextCursor::End);
    editor.textEdit()->ensureCursorVisible();
    QCoreApplication::processEvents();

    QMDrovebot::LineTextWidget *gutter = editor.gutter();
    const QFontMetrics metrics(editor.textEdit()->font());
    const int labelWidth = metrics.horizontalAdvance(QString::number(lines));
    QVERIFY2(gutter->width() >= labelWidth + 7 + 2, qPrintable(QString::number(gutter->width())));
    QVERIFY(gutter->width() >= 40);
    QVERIFY2(firstInkColumn(gutter->grab().toImage()) >= 2, "a line number is cut at the left");

    editor.textEdit()->setPlainText(QStringLiteral("x;"));
    editor.setZoom(0);
    QCOMPARE(gutter->width(), 40);
}

void tst_EditorView::longRunsBreakAnywhere_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("documentAnywhere");
    QTest::addColumn<bool>("outputAnywhere");

    const QString build = QStringLiteral("var s = '0123456789abcdef'; while (s.length < 5000) s += s;\n");
    QTest::newRow("ordinary script") << QStringLiteral("printout('hello world');") << false << false;
    QTest::newRow("printed run") << build + QStringLiteral("printout(s);") << false << true;
    QTest::newRow("thrown run") << build + QStringLiteral("throw s;") << false << true;
    QTest::newRow("run in the script") << QStringLiteral("var s = '%1';").arg(QString(5000, 'f')) << true << false;
}

void tst_EditorView::longRunsBreakAnywhere()
{
    QFETCH(QString, script);
    QFETCH(bool, documentAnywhere);
    QFETCH(bool, outputAnywhere);

    Editor editor;
    editor.textEdit()->setPlainText(script);
    editor.run();
    // The widget keeps the mode chosen for it; its document shows the one
    // in force.
    for (QTextEdit *edit :
         {static_cast<QTextEdit *>(editor.textEdit()), static_cast<QTextEdit *>(editor.outputArea())}) {
        const bool anywhere = edit == editor.textEdit() ? documentAnywhere : outputAnywhere;
        QCOMPARE(edit->document()->defaultTextOption().wrapMode(),
                 anywhere ? QTextOption::WrapAnywhere : edit->wordWrapMode());
    }
}

QTEST_MAIN(tst_EditorView)
#include "tst_editorview.moc"
