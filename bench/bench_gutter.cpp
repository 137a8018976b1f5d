// Cost of one gutter paint at the bottom of a short and of a long document.
// The paint must not grow with the document's length: the ratio long/short
// should stay at most 1.3. Usage: bench_gutter [PAINTS]

#include <QMDrovebot/editor/LineTextWidget.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>

namespace {

QString numberedLines(int count)
{
    QString text;
    text.reserve(count * 24);
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("var line%1 = %1; // note\n").arg(i);
    text.chop(1);
    return text;
}

// Processor time of this thread: the machine may be shared, and waiting for
// a core is no cost of the paint.
double threadMicroseconds()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e6 + now.tv_nsec / 1e3;
}

// A gutter beside its text editor, as the editor widget lays them out,
// scrolled to the bottom of a document of the given number of lines.
struct View
{
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    QMDrovebot::LineTextWidget *gutter = new QMDrovebot::LineTextWidget;
    double best = 1e300;

    explicit View(int lines)
    {
        auto *layout = new QHBoxLayout(window.get());
        layout->setContentsMargins(1, 1, 1, 1);
        layout->setSpacing(0);
        auto *edit = new QTextEdit;
        gutter->setFixedWidth(40);
        layout->addWidget(gutter);
        layout->addWidget(edit);
        gutter->setTextEdit(edit);
        window->resize(463, 515);
        edit->setPlainText(numberedLines(lines));
        window->show();
        QCoreApplication::processEvents();
        // Lay the whole document out first: this measures painting, not the
        // layout that showing the bottom needs once.
        edit->document()->documentLayout()->blockBoundingRect(edit->document()->lastBlock());
        edit->moveCursor(QTextCursor::End);
        edit->verticalScrollBar()->setValue(edit->verticalScrollBar()->maximum());
        QCoreApplication::processEvents();
    }

    void measure(int paints)
    {
        const double start = threadMicroseconds();
        for (int i = 0; i < paints; ++i)
            gutter->repaint();
        best = std::min(best, (threadMicroseconds() - start) / paints);
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int paints = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 200;

    View small(1000);
    View large(200000);
    // Alternate the batches so that both views meet the same conditions.
    for (int batch = 0; batch < 15; ++batch) {
        small.measure(paints);
        large.measure(paints);
    }
    std::printf("one gutter paint at the bottom, best batch of %d paints "
                "(microseconds of processor time)\n",
                paints);
    std::printf("  1,000 lines:   %8.1f\n", small.best);
    std::printf("  200,000 lines: %8.1f\n", large.best);
    std::printf("ratio 200,000 / 1,000: %.2f (target at most 1.30)\n", large.best / small.best);
    return 0;
}
