#include "OutputMirror.h"

#include <QMDrovebot/engine/OutputArea.h>

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

OutputMirror::OutputMirror(QMDrovebot::OutputArea *area, QObject *parent)
    : QObject(parent)
    , m_document(area->document())
    , m_text(m_document->toPlainText())
{
    connect(m_document, &QTextDocument::contentsChange, this, &OutputMirror::follow);
    connect(area, &QMDrovebot::OutputArea::gathered, this, &OutputMirror::gather);
    connect(area, &QMDrovebot::OutputArea::flushed, this, &OutputMirror::forgetGathered);
    connect(area, &QMDrovebot::OutputArea::spilled, this, &OutputMirror::keepSpilled);
}

QString OutputMirror::text() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QString text = m_text.isEmpty() && !m_gathered.isEmpty() ? m_gathered.mid(1) : m_text + m_gathered;
    if (!m_spilled.isEmpty())
        text.prepend(m_spilled + QLatin1Char('\n'));
    return text;
}

void OutputMirror::keepSpilled(const QString &text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_spilled = text;
}

void OutputMirror::gather(const QString &line)
{
    QString added = line;
    plain(&added);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_gathered += QLatin1Char('\n') + added;
}

void OutputMirror::forgetGathered()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_gathered.clear();
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
    // The pane takes its gathered lines in before any other change.
    m_gathered.clear();
    if (position <= m_text.size())
        m_text.replace(position, qMin(removed, m_text.size() - position), inserted);
    if (m_text.size() != length) {
        // Not the change the numbers told: take the whole text again.
        m_text = m_document->toPlainText();
    }
}
