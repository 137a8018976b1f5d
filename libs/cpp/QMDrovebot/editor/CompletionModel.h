#pragma once

#include <QHash>
#include <QList>
#include <QString>

class QScriptEngine;

namespace QMDrovebot {

// What a script can call at a place in its text: the engine's global
// functions and published objects, or one published object's callable
// members. The names come from the engine itself, never from a list of our
// own; the arguments and the one-line summaries come from the scripting
// reference compiled into the library, the text the reference's own test
// holds to the same engine.
class CompletionModel
{
public:
    struct Entry
    {
        QString name;
        QString arguments; // "(widget, text)"; empty for an object
        QString summary;
        bool function = false;

        // The name, its arguments and the summary, as a list shows them.
        QString display() const;
    };

    // What the reference says of a name ("printout", "Support.mouseClick").
    struct Reference
    {
        QString arguments;
        QString summary;
    };
    using References = QHash<QString, Reference>;

    // The headings, the member tables and the inline mentions of members
    // ("`output.append(text)`") of a reference in Markdown.
    static References parseReference(const QString &markdown);
    // docs/scripting.md as built into the library.
    static const References &builtInReference();

    // Global entries (`qualifier` empty) or the members of the published
    // object `qualifier`, sorted by name.
    static QList<Entry> entries(QScriptEngine *engine, const QString &qualifier,
                                const References &reference = builtInReference());
    // Those whose name starts with `prefix`, upper and lower case alike.
    static QList<Entry> matching(const QList<Entry> &entries, const QString &prefix);
};

} // namespace QMDrovebot
