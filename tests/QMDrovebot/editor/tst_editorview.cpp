#include "TestSupport.h"

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/editor/FindDialog.h>
#include <QMDrovebot/editor/LineTextWidget.h>
#include <QMDrovebot/editor/SyntaxHighlighter.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMWidgets/App.h>

using QMDrovebot::Editor;
using QMDrovebot::LineTextWidget;
using QMDrovebot::SyntaxHighlighter;

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

// One letter per character: g dark green, r red, b blue, k black, . none.
QChar colourLetter(const QTextCharFormat &format)
{
    static const QHash<QRgb, QChar> letters{{QColor(Qt::darkGreen).rgb(), 'g'},
                                            {QColor(Qt::red).rgb(), 'r'},
                                            {QColor(Qt::blue).rgb(), 'b'},
                                            {QColor(Qt::black).rgb(), 'k'}};
    if (!format.hasProperty(QTextFormat::ForegroundBrush))
        return QLatin1Char('.');
    return letters.value(format.foreground().color().rgb(), QLatin1Char('?'));
}

// The colours of a whole document, blocks separated by line ends.
QString colourMap(const QTextDocument &document)
{
    QStringList blocks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QString map(block.length() - 1, QLatin1Char('.'));
        const auto ranges = block.layout()->formats();
        for (const QTextLayout::FormatRange &range : ranges) {
            for (int i = range.start; i < range.start + range.length && i < map.size(); ++i)
                map[i] = colourLetter(range.format);
        }
        blocks << map;
    }
    return blocks.join(QLatin1Char('\n'));
}

QStringList blockStates(const QTextDocument &document)
{
    QStringList states;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        states << QString::number(block.userState());
    return states;
}

// A document reports its changes (and so gets highlighted) only once it has
// a layout; a text editor always gives it one.
void attach(QTextDocument *document)
{
    document->documentLayout();
    new SyntaxHighlighter(document);
}

QString numberedLines(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("line %1;").arg(i);
    return lines.join(QLatin1Char('\n'));
}

// The gutter beside its text editor, laid out as in the editor widget.
struct Host
{
    QWidget window;
    LineTextWidget *gutter;
    QTextEdit *edit;

    Host()
    {
        auto *layout = new QHBoxLayout(&window);
        layout->setContentsMargins(1, 1, 1, 1);
        layout->setSpacing(0);
        gutter = new LineTextWidget;
        gutter->setFixedWidth(40);
        edit = new QTextEdit;
        layout->addWidget(gutter);
        layout->addWidget(edit);
        gutter->setTextEdit(edit);
        window.resize(300, 220);
    }

    void scrollBlockToTop(int blockNumber)
    {
        const QTextBlock block = edit->document()->findBlockByNumber(blockNumber);
        const QRectF rect = edit->document()->documentLayout()->blockBoundingRect(block);
        edit->verticalScrollBar()->setValue(int(rect.top()));
    }

    // What the gutter must show: a white strip outlined in black and one
    // label per block from firstBlock on while the block starts within the
    // view. The vertical place comes from where the editor puts its cursor
    // for the block, not from the document layout the gutter reads. Drawn
    // through a widget of the same window, so text renders as in the gutter.
    QImage expectedGutter(int firstBlock)
    {
        Canvas canvas(&window);
        canvas.resize(gutter->size());
        canvas.paint = [&](QPainter &painter) {
            painter.setPen(Qt::black);
            painter.setBrush(Qt::white);
            painter.drawRect(0, 0, canvas.width() - 1, canvas.height() - 1);
            const QFontMetrics metrics(edit->font());
            for (QTextBlock block = edit->document()->findBlockByNumber(firstBlock); block.isValid();
                 block = block.next()) {
                const int top = edit->cursorRect(QTextCursor(block)).top();
                if (top > edit->viewport()->height())
                    break;
                const QString label = QString::number(block.blockNumber() + 1);
                QFont font = edit->font();
                font.setBold(block == edit->textCursor().block());
                painter.setFont(font);
                painter.drawText(canvas.width() - metrics.horizontalAdvance('0') * label.size() - 7,
                                 top + metrics.ascent() + 2, label);
            }
        };
        return render(&canvas);
    }

    QImage grabGutter() { return render(gutter); }

private:
    struct Canvas : QWidget
    {
        using QWidget::QWidget;
        std::function<void(QPainter &)> paint;
        void paintEvent(QPaintEvent *) override
        {
            QPainter painter(this);
            paint(painter);
        }
    };

    static QImage render(QWidget *widget)
    {
        QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        widget->render(&image);
        return image;
    }
};

QString selection(const QTextEdit *edit)
{
    const QTextCursor cursor = edit->textCursor();
    return QStringLiteral("%1-%2").arg(cursor.anchor()).arg(cursor.position());
}

} // namespace

// The editor's view: its zoom, which comes back at the next start, the
// gutter that fits and paints every line number, the highlighter's colours,
// and what Find Next selects.
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
        // Scripts reach the field by its name.
        auto *field = dialog.findChild<QLineEdit *>(QStringLiteral("findLineEdit"));
        QVERIFY(field);
        QTest::keyClicks(field, search);
        QStringList seen;
        for (int press = 0; press < selections.size(); ++press) {
            QTest::mouseClick(TestSupport::button(&dialog, QStringLiteral("Find Next")), Qt::LeftButton);
            seen << selection(edit);
        }
        QCOMPARE(seen, selections);
    }

    void colours_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("colours");
        QTest::addColumn<QStringList>("states");

        const QStringList normal1 = {"-1"};
        // clang-format off
        QTest::newRow("declaration with line comment") << "var x = 10; // comment" << "bbb...b.kkb.gggggggggg" << normal1;
        QTest::newRow("formula is not for") << "formula" << "......." << normal1;
        QTest::newRow("underscore is no word character") << "my_if" << "...bb" << normal1;
        QTest::newRow("digits then letters") << "12abc" << "kk..." << normal1;
        QTest::newRow("other number characters are digits") << QString::fromUtf8("\u0663x") << "k." << normal1;
        QTest::newRow("escaped double quote") << "s = \"a\\\"b\";" << "..b.rrrrrrb" << normal1;
        QTest::newRow("comment and keyword inside string") << "\"// if\" if" << "rrrrrrr.bb" << normal1;
        QTest::newRow("single quote closed by double quote") << "'a\"b'c\nde'f;" << "rrr.rr\nrrr.b" << QStringList{"1", "-1"};
        QTest::newRow("block comment across blocks") << "a /* b\nc\nd */ e" << "..gggg\ng\ngggg.." << QStringList{"0", "0", "-1"};
        QTest::newRow("slash star slash is a whole comment") << "/*/\nvar" << "ggg\nbbb" << QStringList{"-1", "-1"};
        QTest::newRow("hash starts a line comment") << "a # b" << "..ggg" << normal1;
        QTest::newRow("line comment ends with its block") << "a // \"b\nvar" << "..ggggg\nbbb" << QStringList{"-1", "-1"};
        QTest::newRow("interface is not int") << "interface int" << "bbbbbbbbb.bbb" << normal1;
        QTest::newRow("operators one character at a time") << "a>>>b===c->d<<e" << ".bbb.bbb.bb.bb." << normal1;
        QTest::newRow("word ending a line is no keyword") << "x inx" << "....." << normal1;
        QTest::newRow("empty block keeps an open string") << "\"a\n\nb\"" << "rr\n\nrr" << QStringList{"1", "1", "-1"};
        // clang-format on
    }

    void colours()
    {
        QFETCH(QString, text);
        QFETCH(QString, colours);
        QFETCH(QStringList, states);

        QTextDocument document;
        attach(&document);
        document.setPlainText(text);

        QCOMPARE(colourMap(document), colours);
        QCOMPARE(blockStates(document), states);
    }

    void openingCommentRecoloursFollowingBlocks()
    {
        QTextDocument document;
        attach(&document);
        document.setPlainText(QStringLiteral("var a;\nvar b;"));
        QCOMPARE(colourMap(document), QStringLiteral("bbb..b\nbbb..b"));

        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("/*"));
        QCOMPARE(colourMap(document), QStringLiteral("gggggggg\ngggggg"));
        QCOMPARE(blockStates(document), QStringList({"0", "0"}));

        cursor.deletePreviousChar();
        cursor.deletePreviousChar();
        QCOMPARE(colourMap(document), QStringLiteral("bbb..b\nbbb..b"));
        QCOMPARE(blockStates(document), QStringList({"-1", "-1"}));
    }

    // The gutter beside a text editor.
    void paintsVisibleBlockNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cursorBlock");
        QTest::addColumn<int>("topBlock"); // -1: not scrolled
        QTest::addColumn<int>("zoom");
        QTest::addColumn<int>("firstLabel");
        QTest::addColumn<int>("firstBlockLines"); // at least, once laid out

        const QString wrapped =
            QString(QStringLiteral("wrapping words ")).repeated(40) + QLatin1Char('\n') + numberedLines(100);

        // clang-format off
        QTest::newRow("empty document shows a bold 1") << QString() << 0 << -1 << 0 << 1 << 1;
        QTest::newRow("bold label below the top") << numberedLines(100) << 44 << 40 << 0 << 41 << 1;
        QTest::newRow("four digits at the end") << numberedLines(1000) << 999 << 992 << 0 << 993 << 1;
        QTest::newRow("zoomed in") << numberedLines(50) << 1 << -1 << 4 << 1 << 1;
        QTest::newRow("wrapped line above the top") << wrapped << 5 << 3 << 0 << 4 << 3;
        // clang-format on
    }

    void paintsVisibleBlockNumbers()
    {
        QFETCH(QString, text);
        QFETCH(int, cursorBlock);
        QFETCH(int, topBlock);
        QFETCH(int, zoom);
        QFETCH(int, firstLabel);
        QFETCH(int, firstBlockLines);

        Host host;
        host.edit->setPlainText(text);
        host.edit->zoomIn(zoom);
        QVERIFY(TestSupport::shown(&host.window));
        QVERIFY(host.edit->document()->firstBlock().layout()->lineCount() >= firstBlockLines);

        QTextCursor cursor(host.edit->document()->findBlockByNumber(cursorBlock));
        host.edit->setTextCursor(cursor);
        host.edit->verticalScrollBar()->setValue(0);
        if (topBlock >= 0)
            host.scrollBlockToTop(topBlock);

        const QImage expected = host.expectedGutter(firstLabel - 1);
        QVERIFY(host.grabGutter() == expected);
        // The expected image must itself hold labels, or the comparison proves
        // nothing.
        QVERIFY(expected != host.expectedGutter(1000000));
    }

    void paintingTheTopLeavesTheRestUnlaidOut()
    {
        // The text editor lays a long document out lazily, a piece at a time
        // while the event loop idles. The gutter must not force the layout of
        // the whole document just to find the top of the view: opening a large
        // file would then wait for all of it.
        Host host;
        host.edit->setPlainText(numberedLines(200000));
        QVERIFY(TestSupport::shown(&host.window));
        const QTextBlock middle = host.edit->document()->findBlockByNumber(100000);
        QCOMPARE(middle.layout()->lineCount(), 0);

        const QImage image = host.grabGutter();
        QCOMPARE(middle.layout()->lineCount(), 0);
        QVERIFY(image == host.expectedGutter(0));
    }
};

QTEST_MAIN(tst_EditorView)
#include "tst_editorview.moc"
