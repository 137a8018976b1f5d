// Load time of a large script into a text editor, with and without the
// JavaScript highlighter. Usage: bench_highlighter [FILE.js [ROUNDS]]
// Without FILE it loads bench/work/highlighter-input.js, which
// bench/fetch_highlighter_input.sh builds from a library fetched with npm.

#include <QMDrovebot/editor/SyntaxHighlighter.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextBlock>
#include <QTextEdit>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

// Milliseconds of processor time used by this thread: the machine the
// benchmark runs on may be busy, and waiting for a core is no cost of ours.
double threadMilliseconds()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct Timing
{
    double load = 0;  // setPlainText, which also colours every block
    double total = 0; // and the rest of the layout down to the last block
    double wall = 0;  // the total in elapsed time
};

Timing loadOnce(const QString &text, bool highlighted)
{
    QTextEdit edit;
    edit.setStyleSheet(QStringLiteral("QTextEdit{background-color: white; color: black}"));
    edit.resize(463, 400);
    edit.show();
    QCoreApplication::processEvents();
    if (highlighted)
        new QMDrovebot::SyntaxHighlighter(edit.document());
    QCoreApplication::processEvents();

    Timing timing;
    QElapsedTimer timer;
    timer.start();
    const double start = threadMilliseconds();
    edit.setPlainText(text);
    timing.load = threadMilliseconds() - start;
    edit.document()->documentLayout()->blockBoundingRect(edit.document()->lastBlock());
    timing.total = threadMilliseconds() - start;
    timing.wall = timer.nsecsElapsed() / 1e6;
    return timing;
}

// The best round: on a shared machine the slower rounds measure the
// neighbours as much as the code.
double best(const std::vector<double> &values)
{
    return *std::min_element(values.begin(), values.end());
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const QString path = argc > 1 && argv[1][0]
                             ? QString::fromLocal8Bit(argv[1])
                             : QStringLiteral(CORVELLA_SOURCE_DIR "/bench/work/highlighter-input.js");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s: %s\nrun bench/fetch_highlighter_input.sh first\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return 1;
    }
    const QString text = QString::fromUtf8(file.readAll());
    std::printf("input: %s, %.2f MB, %d lines\n", qPrintable(path), text.size() / (1024.0 * 1024.0),
                text.count(QLatin1Char('\n')) + 1);

    const int rounds = argc > 2 ? qMax(1, QByteArray(argv[2]).toInt()) : 5;
    std::vector<Timing> plain, coloured;
    // Alternate the two cases so that neither profits from a warmer process.
    for (int round = 0; round < rounds; ++round) {
        plain.push_back(loadOnce(text, false));
        coloured.push_back(loadOnce(text, true));
    }

    const auto column = [](const std::vector<Timing> &timings, double Timing::*field) {
        std::vector<double> values;
        for (const Timing &timing : timings)
            values.push_back(timing.*field);
        return best(values);
    };
    std::printf("best of %d rounds, milliseconds of processor time (elapsed in brackets)\n", rounds);
    std::printf("  without highlighter: setPlainText %8.1f, with full layout %8.1f (%8.1f)\n",
                column(plain, &Timing::load), column(plain, &Timing::total), column(plain, &Timing::wall));
    std::printf("  with highlighter:    setPlainText %8.1f, with full layout %8.1f (%8.1f)\n",
                column(coloured, &Timing::load), column(coloured, &Timing::total), column(coloured, &Timing::wall));
    std::printf("ratio with / without, full load: %.2f (target at most 1.50)\n",
                column(coloured, &Timing::total) / column(plain, &Timing::total));
    return 0;
}
