// What attaching costs a program at start-up: the time from starting it to
// its first painted window, as a plain program, with Corvella's library
// preloaded but not asked to act (a program the user starts normally), and
// started by `corvella --run noop.js --app` (the launcher, the preload and
// the attach work). The program is this benchmark itself in its child role:
// a QMainWindow with a form, which prints "painted" after its first paint.
//
//   cmake --build build --target bench_attach corvella && build/bench/bench_attach [runs]

#include <QApplication>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, qApp, [] {
                // Standard error: under the launcher the program's standard
                // output goes there too.
                std::fputs("painted\n", stderr);
                std::fflush(stderr);
                // Long enough for the launcher to run its script.
                QTimer::singleShot(2000, qApp, &QCoreApplication::quit);
            });
        }
        return false;
    }

private:
    bool m_seen = false;
};

int child(int argc, char **argv)
{
    QApplication app(argc, argv);
    FirstPaint watcher;
    QMainWindow window;
    auto *central = new QWidget;
    auto *form = new QFormLayout(central);
    form->addRow(QStringLiteral("Name"), new QLineEdit);
    form->addRow(QStringLiteral("Notes"), new QTextEdit);
    window.setCentralWidget(central);
    app.installEventFilter(&watcher);
    window.show();
    return app.exec();
}

double startOnce(const QString &program, const QStringList &arguments, const QString &preload)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (!preload.isEmpty())
        env.insert(QStringLiteral("LD_PRELOAD"), preload);
    process.setProcessEnvironment(env);
    process.setReadChannel(QProcess::StandardError);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForStarted())
        return -1;
    QByteArray seen;
    while (!seen.contains("painted")) {
        if (!process.waitForReadyRead(30000))
            return -1;
        seen += process.readAll();
    }
    const double ms = clock.nsecsElapsed() / 1e6;
    process.waitForFinished(30000);
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
    if (argc > 1 && qstrcmp(argv[1], "child") == 0)
        return child(argc, argv);

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 9;
    const QString self = QCoreApplication::applicationFilePath();
    const QString appDir = QCoreApplication::applicationDirPath() + QStringLiteral("/../app/");
    const QString corvella = appDir + QStringLiteral("corvella");
    const QString library = appDir + QStringLiteral("libcorvella-attach.so");
    QTemporaryDir dir;
    const QString noop = dir.filePath(QStringLiteral("noop.js"));
    QFile file(noop);
    if (!file.open(QIODevice::WriteOnly) || file.write("var x = 1;") < 0)
        return 1;
    file.close();

    QVector<double> plain, preloaded, attached;
    for (int i = 0; i < runs; ++i) {
        plain << startOnce(self, {QStringLiteral("child")}, QString());
        preloaded << startOnce(self, {QStringLiteral("child")}, library);
        attached << startOnce(corvella,
                              {QStringLiteral("--run"), noop, QStringLiteral("--app"), self, QStringLiteral("--"),
                               QStringLiteral("child")},
                              QString());
    }
    const double p = median(plain), l = median(preloaded), a = median(attached);
    std::printf("start to first painted window (offscreen, median of %d):\n", runs);
    std::printf("  plain program:                          %8.1f ms\n", p);
    std::printf("  library preloaded, not asked to act:    %8.1f ms  (+%.1f)\n", l, l - p);
    std::printf("  corvella --run --app (launcher+attach): %8.1f ms  (+%.1f, target < +100)\n", a, a - p);
    return 0;
}
