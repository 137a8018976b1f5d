// What red lines cost in the output pane.
//
// One Run prints 20,000 lines; a second prints the same 20,000 lines with a
// failed Test.verify after every 20th, 1,000 red lines in all. Target: the
// second costs at most 1.5 times the first. Times are medians of the GUI
// thread's processor time.
//
//   cmake --build build --target bench_output
//   QT_QPA_PLATFORM=offscreen build/bench/bench_output [repetitions]

#include <QApplication>
#include <QVector>

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The median Run of `script`, and the pane's line count as a check.
double medianRunMs(const QString &script, int repetitions, int *lines)
{
    QMDrovebot::Editor editor;
    editor.textEdit()->setPlainText(script);
    QVector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        const double start = threadCpuMs();
        editor.run();
        times << threadCpuMs() - start;
    }
    *lines = editor.outputArea()->document()->blockCount();
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int repetitions = argc > 1 ? qMax(1, atoi(argv[1])) : 5;

    const QString plain = QStringLiteral("for (var i = 0; i < 20000; ++i)\n"
                                         "    printout(\"line \" + i);\n");
    const QString withErrors = QStringLiteral("for (var i = 0; i < 20000; ++i) {\n"
                                              "    printout(\"line \" + i);\n"
                                              "    if (i % 20 == 19)\n"
                                              "        Test.verify(false);\n"
                                              "}\n");
    int plainLines = 0;
    int errorLines = 0;
    const double plainMs = medianRunMs(plain, repetitions, &plainLines);
    const double errorMs = medianRunMs(withErrors, repetitions, &errorLines);
    if (plainLines != 20000 || errorLines != 21000) {
        std::fprintf(stderr, "unexpected pane: %d and %d lines\n", plainLines, errorLines);
        return 1;
    }
    std::printf("20,000 printouts                     %8.1f ms\n", plainMs);
    std::printf("20,000 printouts and 1,000 red lines %8.1f ms  ratio %.2f (target <= 1.50)\n", errorMs,
                errorMs / plainMs);
    return 0;
}
