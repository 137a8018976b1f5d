// Cold start to the first painted frame, Corvella against a bare
// QApplication + QMainWindow + QTextEdit program, both under the offscreen
// platform. The driver starts each kind as a child process several times and
// takes the time from the start of the process until the child reports its
// first painted frame on stdout.
//
//   cmake --build build --target bench_startup && build/bench/bench_startup [runs]

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>

#include "window/JavaScriptEvaluator.h"

#include <QMWidgets/App.h>

namespace {

class FirstPaint : public QObject
{
public:
    // Watches the whole application: the first widget painted into the
    // window's backing store marks the first frame, whichever widget it is.
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // Report once the paint has finished.
            QTimer::singleShot(0, qApp, [] {
                std::puts("painted");
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    bool m_seen = false;
};

int child(int argc, char **argv, bool corvella)
{
    FirstPaint watcher;
    if (corvella) {
        QMWidgets::App app(argc, argv, QStringLiteral("Brightfold"), QStringLiteral("Corvella"));
        app.setStyleSheet(JavaScriptEvaluator::applicationStyleSheet());
        JavaScriptEvaluator frame;
        app.installEventFilter(&watcher);
        frame.showAtStartUp();
        return app.exec();
    }
    QApplication app(argc, argv);
    QMainWindow window;
    auto *edit = new QTextEdit;
    window.setCentralWidget(edit);
    app.installEventFilter(&watcher);
    window.resize(463, 515);
    window.show();
    return app.exec();
}

double startOnce(const QString &program, const QString &mode)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    process.start(program, {mode});
    if (!process.waitForStarted())
        return -1;
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(30000))
            return -1;
    }
    const double ms = clock.nsecsElapsed() / 1e6;
    process.waitForFinished();
    return ms;
}

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? -1 : v.at(v.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "bare") == 0)
        return child(argc, argv, false);
    if (argc > 1 && qstrcmp(argv[1], "corvella") == 0)
        return child(argc, argv, true);

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 9;
    const QString self = QCoreApplication::applicationFilePath();
    QVector<double> bare, corvella;
    for (int i = 0; i < runs; ++i) {
        bare << startOnce(self, QStringLiteral("bare"));
        corvella << startOnce(self, QStringLiteral("corvella"));
    }
    const double b = median(bare), c = median(corvella);
    std::printf("cold start to first painted frame (offscreen, median of %d):\n", runs);
    std::printf("  bare QApplication+QMainWindow+QTextEdit: %8.1f ms\n", b);
    std::printf("  Corvella:                                %8.1f ms\n", c);
    std::printf("  ratio: %.2f (target <= 1.5)\n", c / b);
    return 0;
}
