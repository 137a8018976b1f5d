// What the JUnit report costs a batch.
//
// 400 scripts that print 50 KB each run through `corvella --batch`, once
// without a report and once with --junit; then 2,000 rows that cannot be
// opened, the same two ways. Target: with the report at most 1.5 times the
// time without. Times are the wall-clock medians of whole program runs.
//
//   cmake --build build --target bench_batch corvella
//   build/bench/bench_batch [repetitions] [program]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QVector>

#include <algorithm>
#include <cstdio>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The median run in milliseconds; exits when the program does not end as a
// batch ends (0, or 1 when rows fail).
double medianMs(const QString &program, const QStringList &arguments, int repetitions, int expectedStatus)
{
    QVector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        QProcess process;
        process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        process.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer clock;
        clock.start();
        process.start(program, arguments);
        if (!process.waitForFinished(-1) || process.exitCode() != expectedStatus)
            qFatal("%s ended with %d", qPrintable(program), process.exitCode());
        times << clock.elapsed();
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int repetitions = argc > 1 ? qMax(1, atoi(argv[1])) : 3;
    const QString program = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(CORVELLA_BINARY);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QTemporaryDir dir;
    // One print of 500 lines of 100 characters.
    writeFile(dir.filePath("print.js"), "var pad = new Array(91).join('x'), lines = [];\n"
                                        "for (var i = 0; i < 500; ++i) lines.push('line ' + (1000 + i) + pad);\n"
                                        "printout(lines.join('\\n'));\n");
    QByteArray printing, missing;
    for (int i = 0; i < 400; ++i)
        printing += "print.js\n";
    for (int i = 0; i < 2000; ++i)
        missing += "missing-" + QByteArray::number(i) + ".js\n";
    writeFile(dir.filePath("print.jslst"), printing);
    writeFile(dir.filePath("missing.jslst"), missing);

    std::printf("%-32s %12s %12s %8s\n", "batch", "without ms", "--junit ms", "ratio");
    for (const char *list : {"print", "missing"}) {
        const QStringList batch{QStringLiteral("--batch"), dir.filePath(QLatin1String(list) + ".jslst")};
        const int status = QByteArray(list) == "print" ? 0 : 1;
        const double without = medianMs(program, batch, repetitions, status);
        const double with = medianMs(program, batch + QStringList{QStringLiteral("--junit"), dir.filePath("r.xml")},
                                     repetitions, status);
        std::printf("%-32s %12.0f %12.0f %8.2f\n",
                    QByteArray(list) == "print" ? "400 scripts, 50 KB output each" : "2,000 unopenable rows", without,
                    with, with / without);
    }
    return 0;
}
