#pragma once

// Helpers shared by the tests: files, the real program, answering modal
// dialogs from the event loop, a settings store that starts empty, and
// conditions a save must survive.

// What most tests use comes in here, so each test lists only its own units.
#include <QtScript>
#include <QtTest>
#include <QtWidgets>

#include <csignal>
#include <functional>
#include <memory>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

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
    int status = -1; // -1: the program crashed or did not end in time
    QByteArray out;
    QByteArray err;
};

// Runs a program to its end (at most `timeoutMs`); `meanwhile` is called once
// it has started.
inline Run runProgram(const QString &program, const QStringList &arguments, int timeoutMs = 120000,
                      const std::function<void(QProcess &)> &meanwhile = {})
{
    QProcess process;
    process.start(program, arguments);
    process.closeWriteChannel();
    if (process.waitForStarted(10000) && meanwhile)
        meanwhile(process);
    const bool ended = process.waitForFinished(timeoutMs);
    if (!ended)
        process.kill();
    process.waitForFinished(1000);
    return {ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

inline Run corvella(const QStringList &arguments, const std::function<void(QProcess &)> &meanwhile = {})
{
    return runProgram(QStringLiteral(CORVELLA_BINARY), arguments, 120000, meanwhile);
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

// Answers the next message box with `button`; its title and text go to
// `seen`, when given, as "title|text".
inline void whenMessageBox(QMessageBox::StandardButton button, QString *seen = nullptr)
{
    whenActive<QMessageBox>([button, seen](QMessageBox *box) {
        if (seen)
            *seen = box->windowTitle() + QLatin1Char('|') + box->text();
        box->button(button)->click();
    });
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

// While it lives, no file of this process grows beyond `bytes`: writes fail
// as on a full disk (the signal that would end the process is ignored).
class FullDisk
{
public:
    explicit FullDisk(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

// A file system of its own: 64 KiB and `inodes` inodes, its root among them.
// Only root can mount one; mounted() is false elsewhere.
class SmallDisk
{
public:
    explicit SmallDisk(int inodes)
    {
        const QByteArray options = "size=64k,nr_inodes=" + QByteArray::number(inodes);
        m_mounted = m_dir.isValid() && mount("tmpfs", QFile::encodeName(m_dir.path()), "tmpfs", 0, options) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            umount(QFile::encodeName(m_dir.path()));
    }
    bool mounted() const { return m_mounted; }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    // Takes every free block, and an inode.
    void fill()
    {
        QFile filler(filePath(QStringLiteral("filler")));
        const QByteArray page(4096, 'f');
        if (filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            while (filler.write(page) == page.size()) {
            }
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

// A folder in which nothing can be created while its files stay writable.
// Root ignores permission bits, so root marks it immutable instead; ok() is
// false where neither holds.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString &path)
        : m_path(path)
    {
        m_ok = geteuid() != 0 ? QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner)
                              : QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
        QFile probe(QDir(path).filePath(QStringLiteral(".probe")));
        if (m_ok && probe.open(QIODevice::WriteOnly))
            m_ok = !probe.remove();
    }
    ~ReadOnlyFolder()
    {
        if (geteuid() == 0)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool ok() const { return m_ok; }

private:
    QString m_path;
    bool m_ok = false;
};

} // namespace TestSupport
