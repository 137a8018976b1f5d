#pragma once

#include <QString>
#include <Qt>

namespace QMDrovebot {

// The process-wide table that turns the key names of a shortcut text
// ("Ctrl+Shift+S", "F5", "PageDown") into toolkit key codes. Scripts write
// these names, so they are matched exactly, case-sensitively.
class KeyNames
{
public:
    struct Shortcut
    {
        int key = -1;
        Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    };

    // Fills the table; called by every editor, so filling again is a no-op.
    static void fill();
    static int count();

    // The key code of a name, or -1 when the name is not in the table (also
    // before the table has been filled).
    static int keyCode(const QString &name);
    // The name of a key code, or empty when the table has none.
    static QString name(int keyCode);
    // The text that parse() turns back into `key` with `modifiers`, or empty
    // when the key has no name.
    static QString shortcutText(int key, Qt::KeyboardModifiers modifiers);

    // Shift, Ctrl, Meta and Alt; NoModifier for any other text.
    static Qt::KeyboardModifier modifier(const QString &name);

    // Splits the text at every "+"; modifier names add up, every other part
    // names the key, the last one winning. An empty part stands for the plus
    // key, so "Ctrl++" is Control with plus. key stays -1 when no part names
    // a key in the table.
    static Shortcut parse(const QString &text);
};

} // namespace QMDrovebot
