#pragma once

#include <QString>
#include <QStringList>

class QScriptEngine;

namespace QMDrovebot {

// The textual side of include(): which files a document names, where they
// are, how each is checked on its own and how its block is laid out in the
// assembled program. No widgets, so it is tested and measured on its own.
class IncludeExpander
{
public:
    // Included files larger than this are refused: a script library is never
    // that big, and reading a disk image by mistake must not stall a run.
    static constexpr qint64 maximumFileSize = 16 * 1024 * 1024;

    // The names of the include calls, in the order they are written: the
    // word include outside comments and literals, then blanks, "(", blanks
    // and a name in double or single quotes. The word anywhere else (in a
    // longer name, a text, a comment) includes nothing.
    static QStringList includedNames(const QString &text);
    // A name without "/" is taken relative to the document's folder.
    static QString resolve(const QString &name, const QString &documentPath);
    // The file's text, decoded as UTF-8 up to the first zero byte; false for a
    // missing, unreadable or oversized file, and for anything that is not a
    // regular file (a folder, a pipe, a device).
    static bool readFile(const QString &path, QString *contents);
    static QString fileBlock(const QString &path, const QString &contents);
    // The line breaks in `text` as the engine counts them for its line
    // numbers: LF, CR, U+2028 and U+2029, with a CR LF or LF CR pair as one.
    static int lineCount(const QString &text);
    // Makes include() a call that does nothing, as it is in a run, in an
    // engine that checks an included file on its own: an include inside an
    // included file includes nothing and is no error.
    static void ignoreIncludes(QScriptEngine *engine);

    static QString missingFileText(const QString &path);
    static QString unreadableFileText(const QString &path);
};

// The error text for one included file, empty when the file is acceptable.
// The file's top-level code runs once in a bare engine with nothing
// registered; a file that keeps running for longer than a few seconds is
// stopped and reported as an evaluation error.
QString checkIncludedFile(const QString &path);
// The same check, handing back the file's text for the assembly and whether
// it could be read, so each file is read once per assembly.
QString checkIncludedFile(const QString &path, QString *contents, bool *readable);

} // namespace QMDrovebot
