#pragma once

// Helpers shared by the widget tests: answering modal dialogs from the event
// loop, and a settings store that starts empty for every test function.

#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QSettings>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace TestSupport {

// Calls `answer` with the next modal widget as soon as one is active. The
// poll runs from the event loop, so it works while a modal exec() blocks the
// test function.
inline void whenModal(std::function<void(QWidget *)> answer, int timeoutMs = 10000)
{
    auto *timer = new QTimer(qApp);
    auto *waited = new int(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, waited, answer, timeoutMs]() {
        QWidget *modal = QApplication::activeModalWidget();
        *waited += 10;
        if (!modal && *waited < timeoutMs)
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
