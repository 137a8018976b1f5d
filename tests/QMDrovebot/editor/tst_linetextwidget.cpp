#include <QMDrovebot/editor/LineTextWidget.h>

#include <QAbstractTextDocumentLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QScrollBar>

#include "TestSupport.h"

#include <functional>

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

class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class tst_LineTextWidget : public QObject
{
    Q_OBJECT

private slots:
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

    // No event processing between a change and the check: the paint must happen
    // inside the change.
    void repaintsAtOnce()
    {
        Host host;
        host.edit->setPlainText(numberedLines(200));
        QVERIFY(TestSupport::shown(&host.window));
        QCoreApplication::processEvents();
        const std::function<void()> changes[] = {[&] { host.edit->verticalScrollBar()->setValue(100); },
                                                 [&] { host.edit->insertPlainText(QStringLiteral("x")); },
                                                 [&] { host.edit->moveCursor(QTextCursor::Down); }};
        for (const auto &change : changes) {
            PaintCounter counter;
            host.gutter->installEventFilter(&counter);
            change();
            QVERIFY(counter.paints > 0);
        }
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

QTEST_MAIN(tst_LineTextWidget)
#include "tst_linetextwidget.moc"
