// What --jobs gains, and what a script costs in a worker.
//
// 1. 16 scripts that each wait 1.5 s: serial, then --jobs 4 (target: at
//    least 3 times faster).
// 2. 8 scripts that each compute for about 1 s (fixed work, calibrated to
//    this machine first): serial, then --jobs 2 (target: at least 1.7 times
//    faster on 2 idle cores; the load average is printed, since other work on
//    the machine takes the cores the workers need).
// 3. 40 empty scripts: serial, --jobs 1 and --jobs 2; the difference per
//    script is what a worker process costs (target: under 150 ms). For
//    comparison, what a fresh frame per script would cost inside one process.
//
//   cmake --build build --target bench_jobs corvella
//   QT_QPA_PLATFORM=offscreen build/bench/bench_jobs [program]

#include "cli/LocalScriptHost.h"
#include "cli/ScriptRunGuard.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <QMWidgets/App.h>

#include <cstdio>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

double load()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').value(0).toDouble() : -1;
}

// Wall-clock milliseconds of one whole program run.
double runMs(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        qFatal("%s %s ended with %d", qPrintable(program), qPrintable(arguments.join(' ')), process.exitCode());
    return clock.elapsed();
}

QString list(const QTemporaryDir &dir, const char *name, const QByteArray &script, int rows)
{
    writeFile(dir.filePath(QLatin1String(name) + ".js"), script);
    QByteArray lines;
    for (int i = 0; i < rows; ++i)
        lines += QByteArray(name) + ".js\n";
    const QString path = dir.filePath(QLatin1String(name) + ".jslst");
    writeFile(path, lines);
    return path;
}

void compare(const QString &program, const QString &what, const QString &listPath, const QStringList &jobs)
{
    const double serial = runMs(program, {QStringLiteral("--batch"), listPath});
    std::printf("%-36s serial %8.0f ms (load %.1f)\n", qPrintable(what), serial, load());
    for (const QString &n : jobs) {
        const double parallel = runMs(program, {QStringLiteral("--batch"), listPath, QStringLiteral("--jobs"), n});
        std::printf("%-36s --jobs %s %6.0f ms  %.2fx faster (load %.1f)\n", "", qPrintable(n), parallel,
                    serial / parallel, load());
    }
}

QByteArray computeScript(qint64 iterations)
{
    return "var x = 0;\nfor (var i = 0; i < " + QByteArray::number(iterations) +
           "; ++i) x = (x * 31 + i) % 1000003;\nprintout(x);\n";
}

} // namespace

int main(int argc, char **argv)
{
    QMWidgets::App app(argc, argv, QStringLiteral("Brightfold"), QStringLiteral("Corvella"));
    const QString program = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(CORVELLA_BINARY);
    QTemporaryDir dir;

    compare(program, QStringLiteral("16 scripts waiting 1.5 s"), list(dir, "waits", "delay(1500);", 16),
            {QStringLiteral("4")});

    // The work one script does in 1 s here, measured on one script of a
    // tenth of it and the empty run subtracted.
    const qint64 probe = 2000000;
    const double empty = runMs(program, {QStringLiteral("--batch"), list(dir, "empty", "", 1)});
    const double probed = runMs(program, {QStringLiteral("--batch"), list(dir, "probe", computeScript(probe), 1)});
    const qint64 perSecond = qint64(probe * 1000.0 / qMax(1.0, probed - empty));
    compare(program, QStringLiteral("8 scripts computing ~1 s"), list(dir, "computes", computeScript(perSecond), 8),
            {QStringLiteral("2")});

    const int rows = 40;
    const QString emptyList = list(dir, "empty", "", rows);
    const double serial = runMs(program, {QStringLiteral("--batch"), emptyList});
    std::printf("%d empty scripts                     serial %8.0f ms\n", rows, serial);
    for (const char *n : {"1", "2"}) {
        const double jobs =
            runMs(program, {QStringLiteral("--batch"), emptyList, QStringLiteral("--jobs"), QLatin1String(n)});
        std::printf("%-36s --jobs %s %6.0f ms  %.0f ms more per script (load %.1f)\n", "", n, jobs,
                    (jobs - serial) / rows, load());
    }

    // The alternative not taken: a fresh frame per script in one process.
    ScriptRunGuard guard;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < rows; ++i) {
        LocalScriptHost host(QString(), &guard);
        host.start();
        host.run(dir.filePath(QStringLiteral("empty.js")), QString());
    }
    std::printf("%-36s fresh frame in one process: %.0f ms per script\n", "", double(clock.elapsed()) / rows);
    return 0;
}
