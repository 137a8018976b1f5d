#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>

class QLockFile;

namespace QMDrovebot {

class DocWindow;

// Keeps a copy of a modified document's text in the application's data
// folder, so that nothing typed is lost when the process dies: a crash in the
// script engine, a kill, a power cut. The copy is written a few seconds after
// a change, and at once before a script runs; it goes away when the document
// is saved or holds nothing worth keeping, and when this object is destroyed
// (the program ended normally or the user chose to drop the changes).
//
// Each copy has a lock file that the writing process holds while it lives:
// a copy whose lock is free belongs to a process that ended without cleaning
// up, and is what the next start of the editor offers to restore.
class RecoveryFile : public QObject
{
    Q_OBJECT

public:
    static constexpr int writeDelayMs = 3000;

    RecoveryFile(DocWindow *document, QObject *parent = nullptr);
    ~RecoveryFile() override;

    // Writes the copy now if the document is worth keeping (before a run,
    // whose script may take the process down).
    void writeNow();
    // Removes the copy (the user answered that the changes may go).
    void discard();
    QString path() const;

    struct Copy
    {
        QString path;
        QString fileName; // the document's file; empty for an unsaved document
        QString text;
        QDateTime written;
    };
    // Copies left by processes that ended without removing them, newest first.
    static QList<Copy> orphans();
    static void remove(const Copy &copy);
    static QString folder();

private:
    void update(bool force);
    bool worthKeeping(const QString &text) const;

    QPointer<DocWindow> m_document;
    QTimer m_timer;
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    bool m_dirty = true;
    bool m_written = false;
};

} // namespace QMDrovebot
