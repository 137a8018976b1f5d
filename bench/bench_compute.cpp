// What a Run costs a script that computes, against the engine alone.
//
// (a) A workload of recursive calls (fib(27)), forEach over 300,000
//     elements, 200,000 property writes and 100,000 string appends, run
//     through the editor's run() and, in the same process, evaluated by a
//     bare QScriptEngine with the same event processing and by one without
//     any. Target: the Run costs at most 1.2 times the bare engine with event
//     processing. The line for fib(27) alone shows the cost of calls.
// (b) The same workload as the top-level code of an included file: the time
//     the check of that file takes before a Run, against the bare engine.
// (c) A script that prints 60-character lines: the time per line until the
//     pane is up to date, and the heap the pane holds per byte of text.
//     Targets: 10 us a line (100,000 lines in 1 s, 1,000,000 in 15 s); the
//     pane at most twice the text (UTF-16) plus a constant.
//
// Times are medians of the GUI thread's processor time; the machine is
// shared, and wall-clock times swing with whatever else runs on it.
//
//   cmake --build build --target bench_compute
//   QT_QPA_PLATFORM=offscreen build/bench/bench_compute [repetitions] [lines]

#include <QApplication>
#include <QFile>
#include <QScriptEngine>
#include <QTemporaryDir>

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/IncludeExpander.h>
#include <QMDrovebot/engine/OutputArea.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <malloc.h>

namespace {

const char *const kFib = "function fib(n) { return n < 2 ? n : fib(n - 1) + fib(n - 2); }\n"
                         "fib(27);\n";
const char *const kRest = "var a = [];\n"
                          "for (var i = 0; i < 300000; i++) a.push(i);\n"
                          "var s = 0;\n"
                          "a.forEach(function (x) { s += x; });\n"
                          "var o = {};\n"
                          "for (var j = 0; j < 200000; j++) o[\"k\" + (j % 1000)] = j;\n"
                          "var str = \"\";\n"
                          "for (var k = 0; k < 100000; k++) str += \"x\";\n";

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double medianMs(int repetitions, const std::function<void(int)> &work)
{
    QVector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        const double start = threadCpuMs();
        work(i);
        times << threadCpuMs() - start;
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

double heapMB()
{
    malloc_trim(0);
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / 1048576.0;
}

void compareRun(const char *label, const QString &program, int repetitions)
{
    QMDrovebot::Editor editor;
    editor.textEdit()->setPlainText(program);
    const double run = medianMs(repetitions, [&editor](int) { editor.run(); });
    if (editor.errorStatus() != 0)
        std::fprintf(stderr, "%s: the run failed: %s\n", label, qPrintable(editor.outputArea()->toPlainText()));
    QScriptEngine processing;
    processing.setProcessEventsInterval(50);
    const double withEvents = medianMs(repetitions, [&](int) { processing.evaluate(program, QString(), 1); });
    QScriptEngine plain;
    const double bare = medianMs(repetitions, [&](int) { plain.evaluate(program, QString(), 1); });
    std::printf("%-24s Run %7.1f ms  bare+events %7.1f ms  bare %7.1f ms  ratio %.2f (target <= 1.20)\n", label, run,
                withEvents, bare, run / withEvents);
}

void includeCheck(const QString &program, int repetitions)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lib.js"));
    // A comment that changes every time, so no earlier verdict is reused.
    const double check = medianMs(repetitions, [&](int round) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write((program + QStringLiteral("// %1\n").arg(round)).toUtf8());
        file.close();
        const QString error = QMDrovebot::checkIncludedFile(path);
        if (!error.isEmpty())
            std::fprintf(stderr, "include check failed: %s\n", qPrintable(error));
    });
    QScriptEngine plain;
    const double bare = medianMs(repetitions, [&](int) { plain.evaluate(program, QString(), 1); });
    std::printf("%-24s check %5.1f ms  bare %7.1f ms  ratio %.2f\n", "included file, workload", check, bare,
                check / bare);
}

void printing(int lines)
{
    QMDrovebot::Editor editor;
    editor.resize(600, 500);
    editor.show();
    QApplication::processEvents();
    editor.textEdit()->setPlainText(
        QStringLiteral("var line = \"%1\";\nfor (var i = 0; i < %2; i++) printout(line + (i % 10));\n")
            .arg(QString(59, QLatin1Char('x')))
            .arg(lines));
    const double heapBefore = heapMB();
    const double start = threadCpuMs();
    editor.run();
    // Until the pane has taken and laid out every line.
    QApplication::processEvents();
    const int shown = editor.outputArea()->toPlainText().size() + 1;
    const double ms = threadCpuMs() - start;
    const double heap = heapMB() - heapBefore;
    const double text = double(lines) * 61 * 2 / 1048576.0;
    std::printf("%d printouts of 60 chars: %8.1f ms, %5.2f us a line (target <= 10); pane %.1f MB for %.1f MB of "
                "text, ratio %.2f (target <= 2)\n",
                lines, ms, ms * 1000.0 / lines, heap, text, heap / text);
    if (shown < lines * 61)
        std::fprintf(stderr, "the pane holds only %d characters\n", shown);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const int lines = argc > 2 ? std::max(1, atoi(argv[2])) : 100000;
    const QString fib = QString::fromLatin1(kFib);
    const QString workload = fib + QString::fromLatin1(kRest);
    compareRun("workload", workload, repetitions);
    compareRun("fib(27) alone", fib, repetitions);
    includeCheck(workload, repetitions);
    printing(lines);
    return 0;
}
