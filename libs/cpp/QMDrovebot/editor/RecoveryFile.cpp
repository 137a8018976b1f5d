#include "RecoveryFile.h"

#include "DocWindow.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QStandardPaths>
#include <QUuid>

#include <MTools/BoundedFile.h>
#include <MTools/CheckedSaveFile.h>

#include <algorithm>

namespace QMDrovebot {

namespace {

const QString kSuffix = QStringLiteral(".recovery");

QString lockPathFor(const QString &copyPath)
{
    return copyPath + QStringLiteral(".lock");
}

} // namespace

QString RecoveryFile::folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recovery");
}

RecoveryFile::RecoveryFile(DocWindow *document, QObject *parent)
    : QObject(parent)
    , m_document(document)
{
    m_path = folder() + QLatin1Char('/') + QUuid::createUuid().toString(QUuid::WithoutBraces) + kSuffix;
    m_timer.setSingleShot(true);
    m_timer.setInterval(writeDelayMs);
    connect(&m_timer, &QTimer::timeout, this, [this]() { update(false); });
    // Started by the first change and not restarted by later ones, so steady
    // typing is saved every few seconds rather than never.
    connect(document, &QTextEdit::textChanged, this, [this]() {
        m_dirty = true;
        if (!m_timer.isActive())
            m_timer.start();
    });
    // Open and Save report their title with the document unmodified.
    connect(document, &DocWindow::changeWindowTitle, this, [this]() {
        if (m_document && !m_document->isModified())
            discard();
    });
}

RecoveryFile::~RecoveryFile()
{
    discard();
}

QString RecoveryFile::path() const
{
    return m_path;
}

bool RecoveryFile::worthKeeping(const QString &text) const
{
    if (!m_document->isModified())
        return false;
    // A new document's sample text is no work of the user's.
    return !m_document->fileName().isEmpty() || (!text.isEmpty() && text != DocWindow::defaultText());
}

void RecoveryFile::writeNow()
{
    update(true);
}

void RecoveryFile::update(bool force)
{
    if (!m_document)
        return;
    if (!force && !m_dirty)
        return;
    const QString text = m_document->savedText();
    if (!worthKeeping(text)) {
        discard();
        return;
    }
    if (m_written && !m_dirty)
        return;
    if (!m_lock) {
        QDir().mkpath(folder());
        m_lock = std::make_unique<QLockFile>(lockPathFor(m_path));
        m_lock->setStaleLockTime(0);
        if (!m_lock->tryLock(0)) {
            m_lock.reset();
            return;
        }
    }
    QJsonObject copy;
    copy.insert(QStringLiteral("file"), m_document->fileName());
    copy.insert(QStringLiteral("text"), text);
    copy.insert(QStringLiteral("written"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    if (MTools::CheckedSaveFile::writeFile(m_path, QJsonDocument(copy).toJson(QJsonDocument::Compact), nullptr)) {
        m_written = true;
        m_dirty = false;
    }
}

void RecoveryFile::discard()
{
    m_timer.stop();
    if (m_written)
        QFile::remove(m_path);
    m_written = false;
    m_dirty = true;
    m_lock.reset(); // unlocks and removes the lock file
}

QList<RecoveryFile::Copy> RecoveryFile::orphans()
{
    QList<Copy> copies;
    const QDir dir(folder());
    const QStringList names = dir.entryList({QLatin1Char('*') + kSuffix}, QDir::Files);
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        QLockFile lock(lockPathFor(path));
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            continue; // its process still runs
        lock.unlock();
        QByteArray bytes;
        if (MTools::BoundedFile::read(path, 256 * 1024 * 1024, &bytes) != MTools::BoundedFile::Ok)
            continue;
        const QJsonObject object = QJsonDocument::fromJson(bytes).object();
        if (!object.contains(QStringLiteral("text")))
            continue;
        copies.append(
            Copy{path, object.value(QStringLiteral("file")).toString(), object.value(QStringLiteral("text")).toString(),
                 QDateTime::fromString(object.value(QStringLiteral("written")).toString(), Qt::ISODateWithMs)});
    }
    std::sort(copies.begin(), copies.end(), [](const Copy &a, const Copy &b) { return a.written > b.written; });
    return copies;
}

void RecoveryFile::remove(const Copy &copy)
{
    QFile::remove(copy.path);
    QFile::remove(lockPathFor(copy.path));
}

} // namespace QMDrovebot
