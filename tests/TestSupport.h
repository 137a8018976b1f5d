#pragma once

// Helpers shared by the tests: files, child processes, answering modal
// dialogs from the event loop, and a settings store that starts empty.

// What most tests use comes in here, so each test lists only its own units.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScriptEngine>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include <functional>
#include <memory>

namespace TestSupport {

inline QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a program to its end (at most `timeoutMs`), optionally feeding stdin.
inline Run runProgram(const QString &program, const QStringList &arguments, const QByteArray &input = QByteArray(),
                      int timeoutMs = 60000)
{
    QProcess process;
    process.start(program, arguments);
    Run run;
    if (!process.waitForStarted(10000))
        return run;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs))
        process.kill();
    process.waitForFinished(1000);
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

inline bool shown(QWidget *widget)
{
    widget->show();
    return QTest::qWaitForWindowExposed(widget);
}

// The button whose text, without its mnemonic marker, is `text`.
inline QAbstractButton *button(QWidget *root, const QString &text)
{
    for (QAbstractButton *b : root->findChildren<QAbstractButton *>()) {
        if (QString(b->text()).remove(QLatin1Char('&')) == text)
            return b;
    }
    return nullptr;
}

// The answer usually captures the test function's locals, so a poll whose
// test has ended (no dialog ever came) gives up instead of answering a
// later test's dialog with dangling references.
inline QByteArray currentTest()
{
    return QByteArray(QTest::currentTestFunction()) + '/' + QTest::currentDataTag();
}

// Calls `answer` with the next modal widget (of class `className`, when
// given: dialogs open inside other dialogs) as soon as one is active. The
// poll runs from the event loop, so it works while a modal exec() blocks the
// test function.
inline void whenModal(std::function<void(QWidget *)> answer, int timeoutMs = 10000, const char *className = nullptr)
{
    auto *timer = new QTimer(qApp);
    auto *waited = new int(0);
    const QByteArray owner = currentTest();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, waited, answer, timeoutMs, owner, className]() {
        const bool ownerAlive = currentTest() == owner;
        QWidget *modal = ownerAlive ? QApplication::activeModalWidget() : nullptr;
        if (modal && className && !modal->inherits(className))
            modal = nullptr;
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

template <typename T> void whenActive(std::function<void(T *)> answer)
{
    whenModal([answer](QWidget *w) { answer(static_cast<T *>(w)); }, 10000, T::staticMetaObject.className());
}

// Answers the next file dialog as a user would: the name typed into its
// name field and accepted, or the dialog cancelled for an empty name. The
// proposed file is handed to `proposed` when given.
inline void whenFileDialog(const QString &typed, QString *proposed = nullptr)
{
    whenActive<QFileDialog>([typed, proposed](QFileDialog *dialog) {
        if (proposed)
            *proposed = dialog->selectedFiles().value(0);
        if (typed.isEmpty())
            return dialog->reject();
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(typed);
        QMetaObject::invokeMethod(dialog, "accept");
    });
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
