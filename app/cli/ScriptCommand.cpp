#include "ScriptCommand.h"

#include "AppScriptHost.h"
#include "CommandLine.h"
#include "JUnitFile.h"
#include "LocalScriptHost.h"
#include "OutputMirror.h"
#include "ProgramCheck.h"
#include "ReportFile.h"
#include "ResultPrinter.h"
#include "RunWatchdog.h"
#include "ScriptRunGuard.h"
#include "SuitePlan.h"
#include "WorkerPool.h"

#include <QDir>
#include <QFileInfo>
#include <QVector>

#include <MTools/BoundedFile.h>
#include <QMDrovebot/batch/ScriptList.h>
#include <QMDrovebot/batch/ScriptRunner.h>
#include <QMWidgets/App.h>

#include <memory>
#include <numeric>

using CommandLine::fail;
using QMDrovebot::ScriptRun;

namespace {

struct Row
{
    QString shown; // as the list or the command line names it
    QString run;   // the file that runs
    int number;    // in the list, from 1
};

struct Batch
{
    QString suiteName;
    // The folder the report's class names start from.
    QString baseFolder;
    // The rows this run takes (all, or one shard's), in list order, and
    // their report cases, named over the whole list so that every shard
    // names a script the same way.
    QVector<Row> rows;
    QVector<JUnitReport::Case> cases;
    // Per row, the seconds it is expected to take; empty when unknown.
    QVector<double> expected;
    ScriptCommandOptions options;
    // One script from --run: its pane is printed exactly as --run prints
    // it, with no header, state or summary.
    bool single = false;
};

QVector<JUnitReport::Case> namedCases(const Batch &batch, const QVector<Row> &rows)
{
    QStringList scripts;
    for (const Row &row : rows)
        scripts << row.run;
    return JUnitReport::namedCases(batch.suiteName, batch.baseFolder, scripts);
}

// An output that would replace an input is refused before anything is
// written, the report included.
QString overwrittenInput(const Batch &batch, const QStringList &inputs)
{
    QString refusal = CommandLine::overwritesInput(QStringLiteral("--junit"), batch.options.reportPath, inputs);
    if (refusal.isEmpty())
        refusal = CommandLine::overwritesInput(QStringLiteral("--evidence"), batch.options.evidenceFolder, inputs);
    return refusal;
}

// Each case's time in the earlier report `path`, or -1; empty error on
// success. A report not there yet (a suite's first run) leaves the rows
// counting the same.
QString readDurations(const QString &path, const QVector<JUnitReport::Case> &cases, QVector<double> *expected)
{
    if (!QFileInfo::exists(path)) {
        CommandLine::printLine(
            stderr, QStringLiteral("corvella: %1 does not exist (yet): every script counts the same").arg(path));
        return QString();
    }
    QVector<JUnitFile::Suite> suites;
    QHash<QString, double> times;
    QString error;
    if (!JUnitFile::read(path, &suites, &times, &error))
        return QStringLiteral("cannot read %1: %2").arg(path, error);
    QVector<double> seconds;
    for (const JUnitReport::Case &c : cases)
        seconds.append(times.value(JUnitFile::caseKey(c.className, c.name), -1));
    *expected = SuitePlan::expected(seconds);
    return QString();
}

JUnitReport::Outcome outcomeOf(const ScriptRun &result, bool failed)
{
    if (!failed)
        return JUnitReport::Outcome::Passed;
    return result.endedEarly || ScriptRunGuard::signalReceived() ? JUnitReport::Outcome::Error
                                                                 : JUnitReport::Outcome::Failed;
}

// The scripts run one after another in one host (the editor of a frame like
// the one the user sees, or a program Corvella is attached to with --app),
// or with --jobs each in a process of its own, several at once. Either way
// rows are printed and reported in list order.
class Run
{
public:
    explicit Run(const Batch &batch)
        : m_batch(batch)
        , m_report(batch.options.reportPath, batch.suiteName, batch.cases)
        , m_printer(batch.single ? ResultPrinter::Style::PaneOnly : ResultPrinter::Style::Blocks)
        , m_rows(batch.rows.size())
    {
    }

    int exec(int argc, char **argv)
    {
        // In place before anything that takes time: a job killed while the
        // program starts must not leave the previous run's report behind.
        if (!m_report.writeNow())
            return 2;
        // An empty shard: nothing to start.
        if (m_batch.rows.isEmpty())
            return conclude();
        CommandLine::chooseHeadlessPlatform();
        QMWidgets::App app(argc, argv, QLatin1String(CommandLine::organization),
                           QLatin1String(CommandLine::application));
        CommandLine::setUpApplication(app);
        return m_batch.options.jobs > 0 ? runParallel() : runSerial();
    }

private:
    // What a row left once it will not run again.
    struct RowState
    {
        bool finished = false;
        ResultPrinter::State state = ResultPrinter::State::Done;
        QString printed;
        // The failed attempts before the last, and the time all took.
        QVector<JUnitReport::Attempt> earlier;
        qint64 milliseconds = 0;
    };

    int runSerial()
    {
        ScriptRunGuard guard(m_batch.options.timeLimitSeconds);
        std::unique_ptr<ScriptHost> host;
        if (m_batch.options.appCommand.isEmpty())
            host = std::make_unique<LocalScriptHost>(m_batch.options.evidenceFolder, &guard);
        else
            host = std::make_unique<AppScriptHost>(m_batch.options.appCommand, m_batch.options.evidenceFolder, &guard);
        if (!host->start())
            return 2;
        const int status = runRows(*host);
        // The summary comes while the host is still there: a program that
        // takes its time to quit does not hold up the last line.
        return status != 0 ? status : conclude();
    }

    // 0, or the status to end with at once.
    int runRows(ScriptHost &host)
    {
        // Only a script that runs on this thread can keep it from returning;
        // a program's scripts are stopped or killed from here.
        std::unique_ptr<RunWatchdog> watchdog;
        if (const OutputMirror *mirror = host.mirror()) {
            watchdog = std::make_unique<RunWatchdog>(
                m_batch.options.timeLimitSeconds,
                [this, mirror](int row, const QString &lines) { abandon(row, mirror->text(), lines); });
        }
        for (int i = 0; i < m_batch.rows.size(); ++i) {
            if (ScriptRunGuard::signalReceived()) {
                m_whyNotRun = QStringLiteral("interrupted by ") + ScriptRunGuard::signalName();
                break;
            }
            if (!host.canRun()) {
                m_whyNotRun = QStringLiteral("the program ended");
                break;
            }
            const Row &row = m_batch.rows.at(i);
            markRunning(i);
            if (watchdog)
                watchdog->rowStarted(i);
            ScriptRun result = host.run(row.run, evidenceName(i));
            if (watchdog)
                watchdog->rowFinished();

            if (m_batch.single && !result.opened) {
                JUnitReport::Case c = m_report.at(i);
                c.outcome = JUnitReport::Outcome::Error;
                c.failureText = result.errorText;
                m_report.setCase(i, c);
                m_report.finish(QString());
                return fail(QStringLiteral("cannot read %1: %2").arg(row.shown, result.errorText), 2);
            }
            const bool failed = result.error || ScriptRunGuard::signalReceived();
            if (failed && !result.quitRequested)
                result = runAgain(i, result);
            record(i, result, result.error || ScriptRunGuard::signalReceived());
            if (result.quitRequested) {
                m_whyNotRun = QStringLiteral("quitApplication() ended the batch");
                break;
            }
        }
        if (m_whyNotRun.isEmpty() && ScriptRunGuard::signalReceived())
            m_whyNotRun = QStringLiteral("interrupted by ") + ScriptRunGuard::signalName();
        return 0;
    }

    // --retries after a row failed in the shared host: each attempt in a
    // process of its own, so it starts as fresh as the first did not.
    ScriptRun runAgain(int i, ScriptRun result)
    {
        while (result.error && canRetry(i)) {
            WorkerPool pool(1, processSetup());
            bool ran = false;
            ScriptRun next;
            QObject::connect(&pool, &WorkerPool::finished, [&](int, const ScriptRun &r) {
                next = r;
                ran = true;
            });
            pool.enqueue(i, m_batch.rows.at(i).run, evidenceName(i));
            // Signals only: the process keeps the time limit.
            ScriptRunGuard guard;
            guard.run([&pool] { pool.waitUntilIdle(); }, [&pool](const QString &reason) { pool.stopAll(reason); });
            if (!ran) {
                // A signal came first; a script that had begun still brings
                // its result.
                pool.stopAll(ScriptRunGuard::signalText());
                pool.waitUntilIdle();
                if (!ran)
                    break;
            }
            addAttempt(i, result);
            result = next;
        }
        return result;
    }

    int runParallel()
    {
        const ScriptProcess::Setup setup = processSetup();
        if (!setup.appCommand.isEmpty()) {
            // What can be told before any instance starts ends the run as
            // without --jobs; what only a running instance shows fails its
            // own script.
            const QString &program = setup.appCommand.first();
            const QString refusal =
                ProgramCheck::refusal(ProgramCheck::inspect(ProgramCheck::resolve(program)), program);
            if (!refusal.isEmpty())
                return fail(refusal, 2);
        }
        WorkerPool pool(qMin(m_batch.options.jobs, m_batch.rows.size()), setup);
        QObject::connect(&pool, &WorkerPool::started, [this](int i) { markRunning(i); });
        QObject::connect(&pool, &WorkerPool::finished, [this, &pool](int i, const ScriptRun &result) {
            // quitApplication() ends only the script's own application here.
            if (result.error && canRetry(i)) {
                addAttempt(i, result);
                pool.enqueue(i, m_batch.rows.at(i).run, evidenceName(i), true);
                return;
            }
            record(i, result, result.error);
        });
        QVector<int> order(m_batch.rows.size());
        std::iota(order.begin(), order.end(), 0);
        for (int i : SuitePlan::longestFirst(order, m_batch.expected))
            pool.enqueue(i, m_batch.rows.at(i).run, evidenceName(i));
        // Signals only: each process keeps its script's time limit.
        ScriptRunGuard guard;
        guard.run([&pool] { pool.waitUntilIdle(); }, [&pool](const QString &reason) { pool.stopAll(reason); });
        if (ScriptRunGuard::signalReceived()) {
            // Also when the signal came before the run began.
            pool.stopAll(ScriptRunGuard::signalText());
            pool.waitUntilIdle();
            m_whyNotRun = QStringLiteral("interrupted by ") + ScriptRunGuard::signalName();
        }
        return conclude();
    }

    ScriptProcess::Setup processSetup() const
    {
        ScriptProcess::Setup setup;
        setup.appCommand = m_batch.options.appCommand;
        setup.evidenceFolder = m_batch.options.evidenceFolder;
        setup.timeLimitSeconds = m_batch.options.timeLimitSeconds;
        return setup;
    }

    // A row that never ran has no windows of its own to show.
    QString evidenceName(int i) const
    {
        const Row &row = m_batch.rows.at(i);
        return row.run.isEmpty() ? QStringLiteral("empty-row-%1").arg(row.number) : row.run;
    }

    bool canRetry(int i) const
    {
        return m_rows.at(i).earlier.size() < m_batch.options.retries && !ScriptRunGuard::signalReceived();
    }

    void addAttempt(int i, const ScriptRun &failed)
    {
        RowState &row = m_rows[i];
        row.earlier.append({failed.endedEarly, failed.errorText, failed.outputText});
        row.milliseconds += failed.milliseconds;
    }

    void markRunning(int i)
    {
        JUnitReport::Case c = m_report.at(i);
        c.outcome = JUnitReport::Outcome::Unfinished;
        m_report.setCase(i, c);
    }

    // The row's last attempt: into the report at once, onto standard output
    // once every row before it is there.
    void record(int i, const ScriptRun &result, bool failed)
    {
        RowState &row = m_rows[i];
        row.finished = true;
        row.milliseconds += result.milliseconds;
        row.state = failed                  ? ResultPrinter::State::Error
                    : row.earlier.isEmpty() ? ResultPrinter::State::Done
                                            : ResultPrinter::State::Flaky;
        const int attempts = row.earlier.size() + 1;
        for (int a = 0; a < row.earlier.size(); ++a) {
            row.printed += QStringLiteral("Attempt %1 of %2 failed: %3\n")
                               .arg(a + 1)
                               .arg(attempts)
                               .arg(row.earlier.at(a).failureText.section(QLatin1Char('\n'), 0, 0));
        }
        row.printed += result.outputText;
        if (row.printed.endsWith(QLatin1Char('\n')) && !result.outputText.endsWith(QLatin1Char('\n')))
            row.printed.chop(1);

        JUnitReport::Case c = m_report.at(i);
        c.outcome = outcomeOf(result, failed);
        c.seconds = row.milliseconds / 1000.0;
        c.failureText = result.errorText;
        c.systemOut = result.outputText;
        c.earlierAttempts = row.earlier;
        m_report.setCase(i, c);
        printFinished(false);
    }

    // `skipGaps`: the run is over, and rows that never finished are left out.
    void printFinished(bool skipGaps)
    {
        for (; m_nextToPrint < m_rows.size(); ++m_nextToPrint) {
            RowState &row = m_rows[m_nextToPrint];
            if (!row.finished && !skipGaps)
                break;
            if (!row.finished)
                continue;
            m_printer.printRow(m_batch.rows.at(m_nextToPrint).shown, row.printed, row.state);
            row.printed.clear();
        }
    }

    int conclude()
    {
        printFinished(true);
        const int total = m_batch.rows.size();
        const bool complete = m_printer.printedRows() == total;
        m_printer.printSummary(total, m_whyNotRun);
        const QString stop = QStringLiteral("The run ended early (%1): %2 of %3 scripts did not run")
                                 .arg(m_whyNotRun)
                                 .arg(total - m_printer.printedRows())
                                 .arg(total);
        if (!m_report.finish(complete ? QString() : stop))
            return 2;
        const bool flakyFails = m_batch.options.failOnFlaky && m_printer.flakyRows() > 0;
        return complete && m_printer.failedRows() == 0 && !flakyFails ? 0 : 1;
    }

    // On the watchdog's thread, with the GUI thread stuck: what the row
    // printed so far, why it ends, the report, and nothing more.
    void abandon(int row, const QString &printed, const QString &lines)
    {
        // The time limit's own line is there when the limit struck between
        // two native calls.
        QString pane = printed;
        for (const QString &line : lines.split(QLatin1Char('\n'))) {
            if (!pane.contains(line))
                pane += (pane.isEmpty() ? QString() : QStringLiteral("\n")) + line;
        }
        JUnitReport::Case c;
        if (row >= 0) {
            c = m_report.at(row);
            c.outcome = JUnitReport::Outcome::Error;
            c.failureText = lines;
            c.systemOut = pane;
        }
        m_printer.printLast(row >= 0 ? m_batch.rows.at(row).shown : QString(), pane, m_batch.rows.size(),
                            QStringLiteral("a script did not stop"));
        m_report.abandon(row, c,
                         QStringLiteral("The run was ended: a script did not stop within %1 seconds of its time "
                                        "limit or a signal")
                             .arg(RunWatchdog::graceSeconds));
    }

    const Batch &m_batch;
    ReportFile m_report;
    ResultPrinter m_printer;
    QVector<RowState> m_rows;
    int m_nextToPrint = 0;
    QString m_whyNotRun;
};

} // namespace

int runBatchCommand(int argc, char **argv, const QString &listPath, const ScriptCommandOptions &options)
{
    QByteArray bytes;
    QString reason;
    switch (MTools::BoundedFile::read(listPath, QMDrovebot::ScriptList::maximumFileSize, &bytes, &reason)) {
    case MTools::BoundedFile::Ok:
        break;
    case MTools::BoundedFile::Unreadable:
        return fail(QStringLiteral("cannot read %1: %2").arg(listPath, reason), 2);
    case MTools::BoundedFile::Missing:
        return fail(QStringLiteral("cannot read %1: no such file").arg(listPath), 2);
    default:
        return fail(QStringLiteral("cannot read %1: not a list file").arg(listPath), 2);
    }
    const QStringList paths = QMDrovebot::ScriptList::parse(bytes);
    // Most likely the wrong file, or one truncated on its way to the job; a
    // green run of nothing would hide either.
    if (paths.isEmpty())
        return fail(QStringLiteral("cannot run %1: the list holds no scripts").arg(listPath), 2);
    Batch batch;
    batch.suiteName = QFileInfo(listPath).completeBaseName();
    batch.baseFolder = QFileInfo(listPath).absolutePath();
    batch.options = options;
    QVector<Row> all;
    QStringList inputs{listPath};
    for (const QString &path : paths) {
        all.append({path, QMDrovebot::ScriptList::resolve(path, listPath), all.size() + 1});
        inputs << all.last().run;
    }
    const QString refusal = overwrittenInput(batch, inputs);
    if (!refusal.isEmpty())
        return fail(refusal, 2);
    const QVector<JUnitReport::Case> cases = namedCases(batch, all);
    QVector<double> expected;
    if (!options.durationsPath.isEmpty()) {
        const QString error = readDurations(options.durationsPath, cases, &expected);
        if (!error.isEmpty())
            return fail(error, 2);
    }
    QVector<int> taken(all.size());
    std::iota(taken.begin(), taken.end(), 0);
    if (options.shardCount > 1)
        taken = SuitePlan::shard(all.size(), options.shardIndex, options.shardCount, expected);
    for (int i : taken) {
        batch.rows.append(all.at(i));
        batch.cases.append(cases.at(i));
        if (!expected.isEmpty())
            batch.expected.append(expected.at(i));
    }
    return Run(batch).exec(argc, argv);
}

int runScriptCommand(int argc, char **argv, const QString &scriptPath, const ScriptCommandOptions &options)
{
    const QFileInfo info(scriptPath);
    Batch batch;
    batch.suiteName = info.completeBaseName();
    batch.baseFolder = info.absolutePath();
    batch.options = options;
    batch.single = true;
    batch.rows.append({scriptPath, info.absoluteFilePath(), 1});
    batch.cases = namedCases(batch, batch.rows);
    const QString refusal = overwrittenInput(batch, {scriptPath});
    if (!refusal.isEmpty())
        return fail(refusal, 2);
    if (!info.isFile() || !info.isReadable()) {
        const QString message = QStringLiteral("cannot read %1").arg(scriptPath);
        // The CI server still learns which script it was.
        QVector<JUnitReport::Case> cases = batch.cases;
        cases[0].outcome = JUnitReport::Outcome::Error;
        cases[0].failureText = message;
        ReportFile report(options.reportPath, batch.suiteName, cases);
        report.finish(QString());
        return fail(message, 2);
    }
    return Run(batch).exec(argc, argv);
}
