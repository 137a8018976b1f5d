#include "OutputMirror.h"

#include <QTextCursor>
#include <QTextDocument>

namespace {

// As QTextDocument::toPlainText() gives them.
void plain(QString *text)
{
    for (QChar &c : *text) {
        switch (c.unicode()) {
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
        case 0xFDD0:
        case 0xFDD1:
            c = QLatin1Char('\n');
            break;
        case QChar::Nbsp:
            c = QLatin1Char(' ');
            break;
        default:
            break;
        }
    }
}

} // namespace

OutputMirror::OutputMirror(QTextDocument *document, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_text(document->toPlainText())
{
    connect(document, &QTextDocument::contentsChange, this, &OutputMirror::follow);
}

QString OutputMirror::text() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_text;
}

void OutputMirror::follow(int position, int removed, int added)
{
    if (!m_document)
        return;
    // Positions are the plain text's indexes; the document's final block
    // end, which changes may include, is no character of it.
    const int length = m_document->characterCount() - 1;
    QString inserted;
    const int end = qMin(position + added, length);
    if (end > position) {
        QTextCursor cursor(m_document);
        cursor.setPosition(position);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        inserted = cursor.selectedText();
        plain(&inserted);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (position <= m_text.size())
        m_text.replace(position, qMin(removed, m_text.size() - position), inserted);
    if (m_text.size() != length) {
        // Not the change the numbers told: take the whole text again.
        m_text = m_document->toPlainText();
    }
}
