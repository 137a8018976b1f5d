#pragma once

#include <QStringList>

namespace QMWidgets {

// The recent-file list both script editor windows keep. The list itself keeps
// the order files were first seen; what is shown and stored puts the file of
// the latest command first. Stored under the setting "recent", shared by the
// windows.
class RecentFiles
{
public:
    // After a file command on `name` (the clicked text, or the document's
    // file name), with `current` the document's file name now: drops the
    // oldest entry when the list is full, adds `current`, stores and returns
    // the entries to show, `name` first.
    static QStringList add(QStringList *recent, const QString &name, const QString &current, int maximum);
    // The stored entries, in their stored order. Empty pieces (the first
    // start stores nothing) would become blank entries that open nothing.
    static QStringList stored();
};

} // namespace QMWidgets
