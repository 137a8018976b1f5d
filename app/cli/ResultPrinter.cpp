#include "ResultPrinter.h"

#include "CommandLine.h"

using CommandLine::printLine;

namespace {

QString counted(int count, const char *singular, const char *plural)
{
    return QString::number(count) + QLatin1Char(' ') + QLatin1String(count == 1 ? singular : plural);
}

} // namespace

ResultPrinter::ResultPrinter(Style style)
    : m_style(style)
{
}

void ResultPrinter::printRow(const QString &shown, const QString &paneText, State state)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    printRowLocked(shown, paneText, state);
}

void ResultPrinter::printSummary(int total, const QString &whyNotRun)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    printSummaryLocked(total, whyNotRun);
}

void ResultPrinter::printLast(const QString &shown, const QString &paneText, int total, const QString &whyNotRun)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!shown.isNull())
        printRowLocked(shown, paneText, State::Error);
    printSummaryLocked(total, whyNotRun);
    m_closed = true;
}

int ResultPrinter::printedRows() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_printed;
}

int ResultPrinter::failedRows() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_failed;
}

int ResultPrinter::flakyRows() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_flaky;
}

void ResultPrinter::printRowLocked(const QString &shown, const QString &paneText, State state)
{
    if (m_closed)
        return;
    ++m_printed;
    m_failed += state == State::Error ? 1 : 0;
    m_flaky += state == State::Flaky ? 1 : 0;
    if (m_style == Style::PaneOnly) {
        printLine(stdout, paneText);
        return;
    }
    // One write per row: a reader never sees half a block.
    QString block = QStringLiteral("== ") + shown + QLatin1Char('\n');
    if (!paneText.isEmpty())
        block += paneText + QLatin1Char('\n');
    block += state == State::Error   ? QStringLiteral("-- Error")
             : state == State::Flaky ? QStringLiteral("-- Flaky")
                                     : QStringLiteral("-- Done");
    printLine(stdout, block);
}

void ResultPrinter::printSummaryLocked(int total, const QString &whyNotRun)
{
    if (m_closed || m_style == Style::PaneOnly)
        return;
    QString summary = counted(total, "script", "scripts") + QStringLiteral(": ") +
                      QString::number(m_printed - m_failed) + QStringLiteral(" done, ") +
                      counted(m_failed, "error", "errors");
    if (m_flaky > 0)
        summary += QStringLiteral(", ") + QString::number(m_flaky) + QStringLiteral(" flaky");
    if (m_printed < total) {
        summary += QStringLiteral(", ") + QString::number(total - m_printed) + QStringLiteral(" not run");
        if (!whyNotRun.isEmpty())
            summary += QStringLiteral(" (") + whyNotRun + QLatin1Char(')');
    }
    printLine(stdout, summary);
}
