#include "JSCompressor.h"

#include "JSMinifier.h"

#include <QMDrovebot/DocWindow.h>
#include <QMDrovebot/Editor.h>

QString compressJavaScript(QMDrovebot::Editor *editor)
{
    if (!editor)
        return QString();
    return compressJavaScriptText(editor->textEdit()->toPlainText());
}

void JSAsciiEncoder::encode(const QChar *text, qsizetype size, QByteArray &out)
{
    static const char hex[] = "0123456789ABCDEF";
    const qsizetype start = out.size();
    out.resize(int(start + 6 * size + 1)); // the worst case: every unit escaped, plus a held backslash
    char *o = out.data() + start;
    const auto *units = reinterpret_cast<const ushort *>(text);
    for (qsizetype i = 0; i < size; ++i) {
        const ushort u = units[i];
        if (u == '\\') {
            if (m_heldBackslash) {
                *o++ = '\\';
                *o++ = '\\';
            }
            m_heldBackslash = !m_heldBackslash;
            continue;
        }
        if (u < 0x80) {
            if (m_heldBackslash) {
                *o++ = '\\';
                m_heldBackslash = false;
            }
            *o++ = char(u);
            continue;
        }
        if (m_heldBackslash) {
            m_heldBackslash = false;
            if (u == 0x2028 || u == 0x2029)
                continue;
        }
        *o++ = '\\';
        *o++ = 'u';
        *o++ = hex[(u >> 12) & 0xF];
        *o++ = hex[(u >> 8) & 0xF];
        *o++ = hex[(u >> 4) & 0xF];
        *o++ = hex[u & 0xF];
    }
    out.truncate(int(o - out.constData()));
}

void JSAsciiEncoder::finish(QByteArray &out)
{
    if (m_heldBackslash)
        out.append('\\');
    m_heldBackslash = false;
}

QByteArray toJavaScriptAscii(const QString &text)
{
    QByteArray out;
    JSAsciiEncoder encoder;
    encoder.encode(text.constData(), text.size(), out);
    encoder.finish(out);
    return out;
}
