#pragma once

#include <QString>

#include <mutex>

// What --run and --batch print on standard output, one finished row at a
// time, so rows can be printed in the order they finish:
// - a single script (--run): its output pane's text, nothing else;
// - a list (--batch): per row "== PATH" (the path as the list names it), the
//   pane's text and "-- Done", "-- Error" or "-- Flaky" (failed, then passed
//   when run again), then one summary line such as "3 scripts: 2 done, 1
//   error", with ", 1 flaky" when there were any (they count as done).
// Thread-safe: the watchdog prints the last row from its own thread when the
// GUI thread no longer returns, and closes the printer so nothing follows.
class ResultPrinter
{
public:
    enum class Style { PaneOnly, Blocks };
    enum class State { Done, Error, Flaky };

    explicit ResultPrinter(Style style);

    void printRow(const QString &shown, const QString &paneText, State state);
    // `total` rows; those not printed count as not run, and `whyNotRun` says
    // why, when given.
    void printSummary(int total, const QString &whyNotRun = QString());

    int printedRows() const;
    int failedRows() const;
    int flakyRows() const;

    // Prints the row and the summary, and nothing is printed after them.
    void printLast(const QString &shown, const QString &paneText, int total, const QString &whyNotRun);

private:
    void printRowLocked(const QString &shown, const QString &paneText, State state);
    void printSummaryLocked(int total, const QString &whyNotRun);

    mutable std::mutex m_mutex;
    Style m_style;
    int m_printed = 0;
    int m_failed = 0;
    int m_flaky = 0;
    bool m_closed = false;
};
