#include <QMDrovebot/editor/LineTextWidget.h>

#include <QAbstractTextDocumentLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

using QMDrovebot::LineTextWidget;

namespace {

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
    // for the block, not from the document layout the gutter reads.
    QImage expectedGutter(int firstBlock)
    {
        Canvas canvas(&window);
        canvas.resize(gutter->size());
        const QFontMetrics metrics(edit->font());
        const int cursorBlock = edit->textCursor().blockNumber();
        for (QTextBlock block = edit->document()->findBlockByNumber(firstBlock); block.isValid();
             block = block.next()) {
            const int top = edit->cursorRect(QTextCursor(block)).top();
            if (top > edit->viewport()->height())
                break;
            Label label;
            label.text = QString::number(block.blockNumber() + 1);
            label.font = edit->font();
            label.font.setBold(block.blockNumber() == cursorBlock);
            label.position =
                QPoint(canvas.width() - metrics.horizontalAdvance(QLatin1Char('0')) * label.text.size() - 7,
                       top + metrics.ascent() + 2);
            canvas.labels << label;
        }
        return renderWidget(&canvas);
    }

    QImage grabGutter() { return renderWidget(gutter); }

private:
    struct Label
    {
        QString text;
        QFont font;
        QPoint position;
    };

    // Draws the expected labels through a widget of the same window, so
    // that text is rendered exactly as it is for the gutter.
    class Canvas : public QWidget
    {
    public:
        using QWidget::QWidget;
        QVector<Label> labels;

    protected:
        void paintEvent(QPaintEvent *) override
        {
            QPainter painter(this);
            painter.setPen(Qt::black);
            painter.setBrush(Qt::white);
            painter.drawRect(0, 0, width() - 1, height() - 1);
            for (const Label &label : labels) {
                painter.setFont(label.font);
                painter.drawText(label.position, label.text);
            }
        }
    };

    static QImage renderWidget(QWidget *widget)
    {
        QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        widget->render(&image);
        return image;
    }
};

// The columns of a horizontal band of the image that hold anything but
// white, inside the one-pixel outline.
QPair<int, int> inkColumns(const QImage &image, int top, int bottom)
{
    int left = image.width();
    int right = -1;
    for (int y = qMax(1, top); y < qMin(image.height() - 1, bottom); ++y) {
        for (int x = 1; x < image.width() - 1; ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                left = qMin(left, x);
                right = qMax(right, x);
            }
        }
    }
    return {left, right};
}

} // namespace

class tst_LineTextWidget : public QObject
{
    Q_OBJECT

private slots:
    void paintsVisibleBlockNumbers_data();
    void paintsVisibleBlockNumbers();
    void labelsAreRightAligned();
    void repaintsAtOnce_data();
    void repaintsAtOnce();
    void firstBlockBelow_data();
    void firstBlockBelow();
    void paintingTheTopLeavesTheRestUnlaidOut();
};

void tst_LineTextWidget::paintsVisibleBlockNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cursorBlock");
    QTest::addColumn<int>("topBlock"); // -1: not scrolled
    QTest::addColumn<int>("zoom");
    QTest::addColumn<int>("firstLabel");
    QTest::addColumn<int>("firstBlockLines"); // at least, once laid out

    const QString wrapped =
        QString(QStringLiteral("wrapping words ")).repeated(40) + QLatin1Char('\n') + numberedLines(100);

    QTest::newRow("empty document shows a bold 1") << QString() << 0 << -1 << 0 << 1 << 1;
    QTest::newRow("cursor on the third block") << numberedLines(5) << 2 << -1 << 0 << 1 << 1;
    QTest::newRow("scrolled to line 41") << numberedLines(100) << 0 << 40 << 0 << 41 << 1;
    QTest::newRow("bold label below the top") << numberedLines(100) << 44 << 40 << 0 << 41 << 1;
    QTest::newRow("four digits at the end") << numberedLines(1000) << 999 << 992 << 0 << 993 << 1;
    QTest::newRow("zoomed in") << numberedLines(50) << 1 << -1 << 4 << 1 << 1;
    QTest::newRow("wrapped line above, not scrolled") << wrapped << 0 << -1 << 0 << 1 << 3;
    QTest::newRow("wrapped line above the top") << wrapped << 5 << 3 << 0 << 4 << 3;
}

void tst_LineTextWidget::paintsVisibleBlockNumbers()
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
    host.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host.window));
    QVERIFY(host.edit->document()->firstBlock().layout()->lineCount() >= firstBlockLines);

    QTextCursor cursor(host.edit->document()->findBlockByNumber(cursorBlock));
    host.edit->setTextCursor(cursor);
    host.edit->verticalScrollBar()->setValue(0);
    if (topBlock >= 0)
        host.scrollBlockToTop(topBlock);

    const QImage actual = host.grabGutter();
    const QImage expected = host.expectedGutter(firstLabel - 1);
    if (actual != expected) {
        actual.save(QDir::temp().filePath(QStringLiteral("gutter-actual.png")));
        expected.save(QDir::temp().filePath(QStringLiteral("gutter-expected.png")));
    }
    QVERIFY2(actual == expected, "gutter pixels differ (images saved in the temp folder)");

    // The expected image must itself hold labels, or the comparison proves
    // nothing.
    QVERIFY(inkColumns(expected, 1, expected.height() - 1).second > 0);
}

void tst_LineTextWidget::labelsAreRightAligned()
{
    Host host;
    host.edit->setPlainText(numberedLines(1000));
    host.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host.window));
    // From block 96 on: two- and three-digit labels in one view.
    host.scrollBlockToTop(95);

    const QImage image = host.grabGutter();
    const QFontMetrics metrics(host.edit->font());
    int labels = 0;
    int rightEdge = -1;
    for (int y = 0; y + metrics.height() <= host.edit->viewport()->height(); y += metrics.height()) {
        const QTextCursor probe = host.edit->cursorForPosition(QPoint(1, y + 1));
        const int top = host.edit->cursorRect(probe).top();
        const QPair<int, int> ink = inkColumns(image, top + 2, top + 2 + metrics.height());
        if (ink.second < 0)
            continue;
        ++labels;
        // Nothing enters the seven-pixel margin, and every label ends at the
        // same column whatever its number of digits.
        QVERIFY2(ink.second < image.width() - 7, qPrintable(QString::number(ink.second)));
        if (rightEdge < 0)
            rightEdge = ink.second;
        QVERIFY(qAbs(ink.second - rightEdge) <= 1);
        QVERIFY(ink.first >= image.width() - 7 - 4 * metrics.horizontalAdvance(QLatin1Char('0')));
    }
    QVERIFY(labels >= 5);
}

void tst_LineTextWidget::repaintsAtOnce_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("scroll") << "scroll";
    QTest::newRow("typing") << "typing";
    QTest::newRow("cursor move") << "cursor";
}

namespace {
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};
} // namespace

void tst_LineTextWidget::repaintsAtOnce()
{
    QFETCH(QString, change);

    Host host;
    host.edit->setPlainText(numberedLines(200));
    host.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host.window));
    QCoreApplication::processEvents();

    PaintCounter counter;
    host.gutter->installEventFilter(&counter);
    // No event processing between the change and the check: the paint must
    // happen inside the change.
    if (change == QLatin1String("scroll"))
        host.edit->verticalScrollBar()->setValue(100);
    else if (change == QLatin1String("typing"))
        host.edit->insertPlainText(QStringLiteral("x"));
    else
        host.edit->moveCursor(QTextCursor::Down);
    QVERIFY(counter.paints > 0);
}

void tst_LineTextWidget::firstBlockBelow_data()
{
    QTest::addColumn<int>("blocks");
    QTest::addColumn<int>("probeBlock");
    QTest::addColumn<int>("offset"); // pixels below the probe block's top
    QTest::addColumn<int>("expected");

    QTest::newRow("top of document") << 10 << 0 << -4 << 0;
    QTest::newRow("top of a block") << 10 << 4 << 0 << 4;
    QTest::newRow("inside a block") << 10 << 4 << 3 << 4;
    QTest::newRow("last block") << 10 << 9 << 1 << 9;
    QTest::newRow("large document, middle") << 20000 << 12345 << 1 << 12345;
    QTest::newRow("large document, first") << 20000 << 0 << 1 << 0;
    QTest::newRow("past the end") << 10 << 9 << 1000 << -1;
}

void tst_LineTextWidget::firstBlockBelow()
{
    QFETCH(int, blocks);
    QFETCH(int, probeBlock);
    QFETCH(int, offset);
    QFETCH(int, expected);

    Host host;
    host.edit->setPlainText(numberedLines(blocks));
    host.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host.window));
    const QTextBlock probe = host.edit->document()->findBlockByNumber(probeBlock);
    const qreal y = host.edit->document()->documentLayout()->blockBoundingRect(probe).top() + offset;
    const QTextBlock found = host.gutter->firstBlockBelow(y);
    QCOMPARE(found.isValid() ? found.blockNumber() : -1, expected);
}

void tst_LineTextWidget::paintingTheTopLeavesTheRestUnlaidOut()
{
    // The text editor lays a long document out lazily, a piece at a time
    // while the event loop idles. The gutter must not force the layout of
    // the whole document just to find the top of the view: opening a large
    // file would then wait for all of it.
    Host host;
    host.edit->setPlainText(numberedLines(200000));
    host.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host.window));
    const QTextBlock middle = host.edit->document()->findBlockByNumber(100000);
    QCOMPARE(middle.layout()->lineCount(), 0);

    const QImage image = host.grabGutter();
    QCOMPARE(middle.layout()->lineCount(), 0);
    QVERIFY(image == host.expectedGutter(0));
}

QTEST_MAIN(tst_LineTextWidget)
#include "tst_linetextwidget.moc"
