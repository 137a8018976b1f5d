#include "KeyNames.h"

#include <QHash>

namespace QMDrovebot {

namespace {

QHash<QString, int> &table()
{
    static QHash<QString, int> keys;
    return keys;
}

} // namespace

void KeyNames::fill()
{
    QHash<QString, int> &keys = table();
    if (!keys.isEmpty())
        return;

    for (int i = 0; i < 12; ++i)
        keys.insert(QStringLiteral("F%1").arg(i + 1), Qt::Key_F1 + i);
    for (char c = '0'; c <= '9'; ++c)
        keys.insert(QString(QLatin1Char(c)), c);
    for (char c = 'A'; c <= 'Z'; ++c)
        keys.insert(QString(QLatin1Char(c)), c);
    // Punctuation is named by the character itself; its key code is its own
    // character code.
    for (char c : QByteArray(" $%&'*+,-:;<=>?\\"))
        keys.insert(QString(QLatin1Char(c)), c);

    const struct
    {
        const char *name;
        int key;
    } named[] = {
        {"Pause", Qt::Key_Pause},
        {"Del", Qt::Key_Delete},
        {"Insert", Qt::Key_Insert},
        {"Escape", Qt::Key_Escape},
        {"Tab", Qt::Key_Tab},
        {"Backspace", Qt::Key_Backspace},
        {"Return", Qt::Key_Return},
        {"Enter", Qt::Key_Enter},
        {"CapsLock", Qt::Key_CapsLock},
        {"NumLock", Qt::Key_NumLock},
        {"ScrollLock", Qt::Key_ScrollLock},
        {"Print", Qt::Key_Print},
        {"Home", Qt::Key_Home},
        {"End", Qt::Key_End},
        {"Left", Qt::Key_Left},
        {"Up", Qt::Key_Up},
        {"Right", Qt::Key_Right},
        {"Down", Qt::Key_Down},
        {"PageUp", Qt::Key_PageUp},
        {"PageDown", Qt::Key_PageDown},
        {"Shift", Qt::Key_Shift},
        {"Ctrl", Qt::Key_Control},
        {"Meta", Qt::Key_Meta},
        {"Alt", Qt::Key_Alt},
    };
    for (const auto &entry : named)
        keys.insert(QString::fromLatin1(entry.name), entry.key);
}

int KeyNames::count()
{
    return table().size();
}

int KeyNames::keyCode(const QString &name)
{
    return table().value(name, -1);
}

QString KeyNames::name(int keyCode)
{
    // "Shift", "Ctrl", "Meta" and "Alt" name keys too; modifiers are written
    // apart, so a key code finds its own name.
    const QHash<QString, int> &keys = table();
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        if (it.value() == keyCode)
            return it.key();
    }
    return QString();
}

QString KeyNames::shortcutText(int key, Qt::KeyboardModifiers modifiers)
{
    const QString keyName = name(key);
    if (keyName.isEmpty())
        return QString();
    QString text;
    if (modifiers & Qt::ControlModifier)
        text += QLatin1String("Ctrl+");
    if (modifiers & Qt::ShiftModifier)
        text += QLatin1String("Shift+");
    if (modifiers & Qt::AltModifier)
        text += QLatin1String("Alt+");
    if (modifiers & Qt::MetaModifier)
        text += QLatin1String("Meta+");
    return text + keyName;
}

Qt::KeyboardModifier KeyNames::modifier(const QString &name)
{
    if (name == QLatin1String("Shift"))
        return Qt::ShiftModifier;
    if (name == QLatin1String("Ctrl"))
        return Qt::ControlModifier;
    if (name == QLatin1String("Meta"))
        return Qt::MetaModifier;
    if (name == QLatin1String("Alt"))
        return Qt::AltModifier;
    return Qt::NoModifier;
}

KeyNames::Shortcut KeyNames::parse(const QString &text)
{
    Shortcut result;
    const QStringList parts = text.split(QLatin1Char('+'));
    for (const QString &part : parts) {
        const Qt::KeyboardModifier mod = modifier(part);
        if (mod != Qt::NoModifier)
            result.modifiers |= mod;
        else
            result.key = keyCode(part.isEmpty() ? QStringLiteral("+") : part);
    }
    return result;
}

} // namespace QMDrovebot
