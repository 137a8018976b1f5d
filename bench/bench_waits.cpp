// How soon waitForWidget() returns after its widget appears, and how long the
// evidence of a failed script takes to write, on a window of 1,000 widgets.
// Prints numbers; asserts nothing.
//
//   cmake --build <build> --target bench_waits
//   QT_QPA_PLATFORM=offscreen <build>/bench/bench_waits

#include <QApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <QMDrovebot/automation/Evidence.h>
#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bench"));
    auto *grid = new QGridLayout(&window);
    for (int i = 0; i < 999; ++i)
        grid->addWidget(new QPushButton(QStringLiteral("B%1").arg(i % 50)), i / 40, i % 40);
    auto *late = new QPushButton(QStringLiteral("Late"));
    late->setObjectName(QStringLiteral("lateButton"));
    grid->addWidget(late, 30, 0);
    late->hide();
    window.show();
    QMDrovebot::Editor editor;

    std::vector<double> latencies;
    for (int round = 0; round < 7; ++round) {
        late->hide();
        QElapsedTimer clock;
        qint64 shownAt = -1;
        QTimer::singleShot(200, [&] {
            late->show();
            shownAt = clock.nsecsElapsed();
        });
        editor.textEdit()->setPlainText(QStringLiteral("waitForWidget('objectName', 'lateButton', 5000);"));
        clock.start();
        editor.run();
        const qint64 returnedAt = clock.nsecsElapsed();
        if (shownAt < 0 || editor.errorStatus() != 0) {
            std::fprintf(stderr, "the wait failed: %s\n", qPrintable(editor.outputArea()->toPlainText()));
            return 1;
        }
        latencies.push_back((returnedAt - shownAt) / 1e6);
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("waitForWidget on %d widgets: returns %.1f ms after the widget appears (median of 7, worst %.1f; "
                "target < 30 ms)\n",
                int(window.findChildren<QWidget *>().size()) + 1, latencies[3], latencies.back());

    QTemporaryDir dir;
    std::vector<double> writes;
    for (int round = 0; round < 7; ++round) {
        QElapsedTimer clock;
        clock.start();
        const QString path = QMDrovebot::Evidence::write(dir.path(), QStringLiteral("bench.js"), QStringLiteral("x"));
        writes.push_back(clock.nsecsElapsed() / 1e6);
        if (path.isEmpty())
            return 1;
    }
    std::sort(writes.begin(), writes.end());
    std::printf("evidence of %d widgets: %.1f ms (median of 7, worst %.1f; target < 300 ms)\n",
                int(QApplication::allWidgets().size()), writes[3], writes.back());
    return 0;
}
