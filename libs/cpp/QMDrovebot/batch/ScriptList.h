#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace QMDrovebot {

// The two forms a batch list takes outside the window: the `.jslst` file (one
// path a line) and the text kept in the settings store (paths joined by ";").
// Free of widgets, so the rules are checked without a display.
namespace ScriptList {

// Larger files are refused unread: no real list comes near it, and a wrong
// file picked by mistake (a disk image) must not be read into memory.
constexpr qint64 maximumFileSize = 16 * 1024 * 1024;

// One path per line. A line ends at LF, CR LF or a CR alone, so files from
// every system read alike, and an empty line is a row with an empty path. A
// line is decoded as UTF-8 up to its first NUL byte, and a line that starts
// with NUL ends the list.
QStringList parse(const QByteArray &bytes);

// Each path and a line feed, the last line included, as UTF-8: the reader
// decodes UTF-8 whatever the locale, so the writer must not use the locale.
QByteArray serialize(const QStringList &paths);

// The settings form. Nothing stored means no rows; otherwise every ";"
// separates two rows, empty ones included.
QString storedText(const QStringList &paths);
QStringList fromStoredText(const QString &text);

// A list's relative paths are relative to the folder of the list file, so a
// suite checked out anywhere finds its scripts. Empty paths stay empty.
QString resolve(const QString &path, const QString &listFile);

// How "Save List As" writes a row: relative to the list's folder when the
// script lies below it, so the list can move with its scripts (into a
// repository, say); otherwise as it is.
QString relativeTo(const QString &path, const QString &listFile);

// The name "Save List As" writes: ".jslst" is added unless the name already
// ends with it in exactly this spelling.
QString withSuffix(const QString &fileName);

} // namespace ScriptList

} // namespace QMDrovebot
