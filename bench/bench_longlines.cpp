// Lines without break opportunities against the same amount of text with a
// blank every 16 characters, through the paths a user takes:
//
// (a) a script prints one string: Run, then the output pane laid out and
//     painted. Target: 1 MB unbroken under 1 s.
// (b) a one-line script is opened: the file read into the document, laid out,
//     coloured and painted. Target: 10 MB under 5 s.
// (c) a script throws one string: Run up to the red error in the pane.
//
// Each line gives the unbroken time, the time with blanks and their ratio.
// Times are the GUI thread's processor time, best of the repetitions.
//
//   cmake --build build --target bench_longlines &&
//   build/bench/bench_longlines [PRINT_BYTES [OPEN_BYTES [THROW_BYTES [REPETITIONS]]]]

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// Sixteen characters: hex digits alone, or fifteen and a blank.
const char *unit(bool blanks)
{
    return blanks ? "0123456789abcde " : "0123456789abcdef";
}

QString text(qint64 size, bool blanks)
{
    QString result;
    result.reserve(int(size));
    const QString piece = QString::fromLatin1(unit(blanks));
    while (result.size() < size)
        result += piece;
    result.truncate(int(size));
    return result;
}

// A script that builds the string itself, so the document stays short.
QString building(qint64 size, bool blanks)
{
    return QStringLiteral("var s = \"%1\"; while (s.length < %2) s += s; s = s.substr(0, %2);\n")
        .arg(QString::fromLatin1(unit(blanks)))
        .arg(size);
}

// Everything the user waits for: the lazy layout finished, then a paint.
void settle(QTextEdit *edit)
{
    edit->document()->documentLayout()->documentSize();
    QCoreApplication::processEvents();
    edit->viewport()->repaint();
}

struct Case
{
    const char *label;
    qint64 size;
    double target;
    // Prepares a fresh editor for one measurement, then does the work.
    std::function<void(QMDrovebot::Editor &, bool blanks)> prepare;
    std::function<void(QMDrovebot::Editor &)> work;
};

double best(const Case &c, bool blanks, int repetitions)
{
    double result = 1e300;
    for (int i = 0; i < repetitions; ++i) {
        QMDrovebot::Editor editor;
        editor.resize(463, 467);
        editor.show();
        c.prepare(editor, blanks);
        QCoreApplication::processEvents();
        const double start = threadSeconds();
        c.work(editor);
        result = std::min(result, threadSeconds() - start);
    }
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const auto argument = [argc, argv](int index, qint64 fallback) {
        return argc > index ? qMax<qint64>(1, QByteArray(argv[index]).toLongLong()) : fallback;
    };
    const qint64 printSize = argument(1, 1 << 20);
    const qint64 openSize = argument(2, 10 << 20);
    const qint64 throwSize = argument(3, 200 << 10);
    const int repetitions = int(argument(4, 3));

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("oneline.js"));

    const auto run = [](QMDrovebot::Editor &editor) {
        editor.run();
        settle(editor.outputArea());
    };
    const QVector<Case> cases = {
        {"print", printSize, 1.0,
         [printSize](QMDrovebot::Editor &editor, bool blanks) {
             editor.textEdit()->setPlainText(building(printSize, blanks) + QStringLiteral("printout(s);"));
         },
         run},
        {"open a one-line script", openSize, 5.0,
         [openSize, path](QMDrovebot::Editor &, bool blanks) {
             QFile file(path);
             if (file.open(QIODevice::WriteOnly))
                 file.write("var s = \"" + text(openSize, blanks).toLatin1() + "\";");
         },
         [path](QMDrovebot::Editor &editor) {
             editor.textEdit()->openFile(path);
             settle(editor.textEdit());
         }},
        {"throw", throwSize, 0.0,
         [throwSize](QMDrovebot::Editor &editor, bool blanks) {
             editor.textEdit()->setPlainText(building(throwSize, blanks) + QStringLiteral("throw s;"));
         },
         run},
    };

    std::printf("%-24s %10s %12s %12s %7s\n", "case", "bytes", "unbroken s", "blanks s", "ratio");
    for (const Case &c : cases) {
        const double unbroken = best(c, false, repetitions);
        const double blanks = best(c, true, repetitions);
        std::printf("%-24s %10lld %12.3f %12.3f %7.2f", c.label, c.size, unbroken, blanks, unbroken / blanks);
        if (c.target > 0)
            std::printf("  (target: unbroken under %.0f s)", c.target);
        std::printf("\n");
        std::fflush(stdout);
    }
    return 0;
}
