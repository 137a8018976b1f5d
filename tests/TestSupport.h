#pragma once

// Helpers shared by the widget tests: answering modal dialogs from the event
// loop, and a settings store that starts empty for every test function.

#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QSettings>
#include <QTimer>
#include <QWidget>
#include <QtTest/qtestcase.h>

#include <functional>

namespace TestSupport {

// Calls `answer` with the next modal widget as soon as one is active. The
// poll runs from the event loop, so it works while a modal exec() blocks the
// test function.
// The answer usually captures the test function's locals, so a poll whose
// test has ended (no dialog ever came) gives up instead of answering a
// later test's dialog with dangling references.
inline QByteArray currentTest()
{
    return QByteArray(QTest::currentTestFunction()) + '/' + QTest::currentDataTag();
}

inline void whenModal(std::function<void(QWidget *)> answer, int timeoutMs = 10000)
{
    auto *timer = new QTimer(qApp);
    auto *waited = new int(0);
    const QByteArray owner = currentTest();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, waited, answer, timeoutMs, owner]() {
        const bool ownerAlive = currentTest() == owner;
        QWidget *modal = ownerAlive ? QApplication::activeModalWidget() : nullptr;
        *waited += 10;
        if (ownerAlive && !modal && *waited < timeoutMs)
            return;
        timer->stop();
        timer->deleteLater();
        delete waited;
        if (modal)
            answer(modal);
    });
    timer->start(10);
}

inline void useTestIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Brightfold"));
    QCoreApplication::setApplicationName(QStringLiteral("Corvella"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
    qputenv("CORVELLA_NON_NATIVE_DIALOGS", "1");
}

inline void clearSettings()
{
    QSettings settings(QCoreApplication::organizationName(), QCoreApplication::applicationName());
    settings.clear();
    settings.sync();
}

} // namespace TestSupport
