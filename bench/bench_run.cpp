// What a Run costs on top of the engine itself.
//
// (a) A large valid program: a real ES5 library (lodash from npm, fetched
//     into bench/work/running/ on first use and never committed) repeated to
//     5 MB, run through the editor's run() against a bare QScriptEngine doing
//     checkSyntax + evaluate of the same text in the same process. Target:
//     at most 1.3 times the bare time. A second line does the same for a
//     program that the static check wrongly rejects, where the editor asks
//     the evaluator's parser for a second opinion.
// (b) Assembly with 50 included files of 20 KB each: the time of one whole
//     Run of a small document that names them. Target: under 100 ms.
//
// Times are medians of the GUI thread's processor time.
//
//   cmake --build build --target bench_run && build/bench/bench_run [repetitions]

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScriptEngine>
#include <QTemporaryDir>

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

const qint64 kProgramSize = 5 * 1024 * 1024;

QString workFolder()
{
    return QStringLiteral(CORVELLA_SOURCE_DIR "/bench/work/running");
}

// The library's text, downloaded with `npm pack` (the tarball only, so no
// node_modules folder that other benchmarks use is touched).
QString fetchLibrary()
{
    const QString folder = workFolder();
    const QString library = folder + QStringLiteral("/package/lodash.js");
    if (!QFileInfo::exists(library)) {
        QDir().mkpath(folder);
        QProcess npm;
        npm.setWorkingDirectory(folder);
        npm.start(QStringLiteral("npm"),
                  {QStringLiteral("pack"), QStringLiteral("--silent"), QStringLiteral("lodash@4")});
        if (!npm.waitForFinished(300000) || npm.exitCode() != 0) {
            std::fprintf(stderr, "npm pack lodash@4 failed: %s\n", npm.readAllStandardError().constData());
            return QString();
        }
        const QString tarball = QString::fromLocal8Bit(npm.readAllStandardOutput()).trimmed().split('\n').last();
        QProcess tar;
        tar.setWorkingDirectory(folder);
        tar.start(QStringLiteral("tar"), {QStringLiteral("-xzf"), tarball});
        if (!tar.waitForFinished(60000) || tar.exitCode() != 0) {
            std::fprintf(stderr, "unpacking %s failed\n", qPrintable(tarball));
            return QString();
        }
    }
    QFile file(library);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The median of the thread's processor time: the machine is shared, and
// wall-clock times swing with whatever else runs on it.
double medianMs(int repetitions, const std::function<void()> &work,
                const std::function<void(int)> &prepare = std::function<void(int)>())
{
    QVector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        if (prepare)
            prepare(i);
        const double start = threadCpuMs();
        work();
        times << threadCpuMs() - start;
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

bool compareWithBareEngine(const char *label, const QString &program, int repetitions)
{
    QMDrovebot::Editor editor;
    editor.textEdit()->setPlainText(program);
    const double run = medianMs(repetitions, [&editor] { editor.run(); });
    if (editor.errorStatus() != 0) {
        std::fprintf(stderr, "%s: the run failed:\n%s\n", label,
                     qPrintable(editor.outputArea()->toPlainText().left(500)));
        return false;
    }

    QScriptEngine engine;
    const double bare = medianMs(repetitions, [&engine, &program] {
        QScriptEngine::checkSyntax(program);
        engine.evaluate(program, QString(), 1);
        engine.clearExceptions();
    });
    std::printf("%-44s %6.1f MB  Run %8.1f ms  bare %8.1f ms  ratio %.2f (target <= 1.30)\n", label,
                program.size() / 1048576.0, run, bare, run / bare);
    return true;
}

bool includedFiles(int repetitions)
{
    QTemporaryDir dir;
    QString document;
    QStringList texts;
    for (int f = 0; f < 50; ++f) {
        QString text;
        for (int n = 0; text.size() < 20 * 1024; ++n) {
            text += QStringLiteral("function f%1_%2(a, b) {\n    var s = a + b;\n    for (var k = 0; k < 3; ++k)\n"
                                   "        s += k * b;\n    return s;\n}\n")
                        .arg(f)
                        .arg(n);
        }
        QFile file(dir.filePath(QStringLiteral("lib%1.js").arg(f)));
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(text.toUtf8());
        texts << text;
        document += QStringLiteral("include(\"lib%1.js\");\n").arg(f);
    }
    document += QStringLiteral("printout(f49_0(1, 2));\n");
    QFile main(dir.filePath(QStringLiteral("main.js")));
    if (!main.open(QIODevice::WriteOnly))
        return false;
    main.write(document.toUtf8());
    main.close();

    QMDrovebot::Editor editor;
    if (!editor.textEdit()->openFile(main.fileName()))
        return false;
    const double run = medianMs(repetitions, [&editor] { editor.run(); });
    if (editor.errorStatus() != 0 || editor.outputArea()->toPlainText() != QLatin1String("9")) {
        std::fprintf(stderr, "included files: the run failed:\n%s\n", qPrintable(editor.outputArea()->toPlainText()));
        return false;
    }
    // Every file edited before every Run, so no check result can be reused.
    const double edited = medianMs(
        repetitions, [&editor] { editor.run(); },
        [&dir, &texts](int round) {
            for (int f = 0; f < texts.size(); ++f) {
                QFile file(dir.filePath(QStringLiteral("lib%1.js").arg(f)));
                if (file.open(QIODevice::WriteOnly))
                    file.write((texts.at(f) + QStringLiteral("// edit %1\n").arg(round)).toUtf8());
            }
        });
    const double assembly = medianMs(repetitions, [&editor] { editor.programPrefix(); });
    // What the engine alone needs for the assembled program.
    const QString program = editor.programPrefix() + document;
    QScriptEngine engine;
    const double bare = medianMs(repetitions, [&engine, &program] {
        QScriptEngine::checkSyntax(program);
        engine.evaluate(program, QString(), 1);
    });
    std::printf("%-44s %6d KB  Run %8.1f ms  (target < 100 ms per Run)\n", "50 included files of 20 KB", 50 * 20, run);
    std::printf("    one assembly %.1f ms; Run after editing every file %.1f ms; bare engine, same program %.1f ms\n",
                assembly, edited, bare);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    const QString library = fetchLibrary();
    if (library.isEmpty())
        return 1;
    // The library mentions "include" in its own code; a first mention inside
    // a line comment switches the expansion off, as a user would do.
    QString program = QStringLiteral("// lodash repeated; include nothing\n");
    while (program.size() < kProgramSize)
        program += library + QLatin1Char('\n');

    // Valid, but the static check stops at the "++" starting the third line.
    const QString rejectedByStaticCheck = QStringLiteral("var a = 1, d = 2;\nvar x = a &&\n++d;\n") + program;

    bool ok = compareWithBareEngine("5 MB library (lodash x N)", program, repetitions);
    ok = compareWithBareEngine("same, rejected by the static check", rejectedByStaticCheck, repetitions) && ok;
    ok = includedFiles(repetitions * 2) && ok;
    return ok ? 0 : 1;
}
