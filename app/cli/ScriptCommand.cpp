#include "ScriptCommand.h"

#include "AppScriptHost.h"
#include "CommandLine.h"
#include "LocalScriptHost.h"
#include "OutputMirror.h"
#include "ReportFile.h"
#include "ResultPrinter.h"
#include "RunWatchdog.h"
#include "ScriptRunGuard.h"

#include <QDir>
#include <QFileInfo>
#include <QVector>

#include <MTools/BoundedFile.h>
#include <QMDrovebot/batch/ScriptList.h>
#include <QMDrovebot/batch/ScriptRunner.h>
#include <QMWidgets/App.h>

#include <memory>

using CommandLine::fail;
using QMDrovebot::ScriptRun;

namespace {

struct Row
{
    QString shown; // as the list or the command line names it
    QString run;   // the file that runs
};

struct Batch
{
    QString suiteName;
    // The folder the report's class names start from.
    QString baseFolder;
    QVector<Row> rows;
    ScriptCommandOptions options;
    // One script from --run: its pane is printed exactly as --run prints
    // it, with no header, state or summary.
    bool single = false;
};

QVector<JUnitReport::Case> namedCases(const Batch &batch)
{
    QStringList scripts;
    for (const Row &row : batch.rows)
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

JUnitReport::Outcome outcomeOf(const ScriptRun &result, bool failed)
{
    if (!failed)
        return JUnitReport::Outcome::Passed;
    return result.endedEarly || ScriptRunGuard::signalReceived() ? JUnitReport::Outcome::Error
                                                                 : JUnitReport::Outcome::Failed;
}

// The scripts run one after another in one host: the editor of a frame like
// the one the user sees, or a program Corvella is attached to (--app).
class Run
{
public:
    explicit Run(const Batch &batch)
        : m_batch(batch)
        , m_report(batch.options.reportPath, batch.suiteName, namedCases(batch))
        , m_printer(batch.single ? ResultPrinter::Style::PaneOnly : ResultPrinter::Style::Blocks)
    {
    }

    int exec(int argc, char **argv)
    {
        // In place before anything that takes time: a job killed while the
        // program starts must not leave the previous run's report behind.
        if (!m_report.writeNow())
            return 2;
        CommandLine::chooseHeadlessPlatform();
        QMWidgets::App app(argc, argv, QLatin1String(CommandLine::organization),
                           QLatin1String(CommandLine::application));
        CommandLine::setUpApplication(app);
        ScriptRunGuard guard(m_batch.options.timeLimitSeconds);
        std::unique_ptr<ScriptHost> host;
        if (m_batch.options.appCommand.isEmpty())
            host = std::make_unique<LocalScriptHost>(m_batch.options.evidenceFolder, &guard);
        else
            host = std::make_unique<AppScriptHost>(m_batch.options.appCommand, m_batch.options.evidenceFolder, &guard);
        if (!host->start())
            return 2;
        const int status = runRows(*host);
        if (status != 0)
            return status;
        const int total = m_batch.rows.size();
        const bool complete = m_printer.printedRows() == total;
        m_printer.printSummary(total, m_whyNotRun);
        const QString stop = QStringLiteral("The run ended early (%1): %2 of %3 scripts did not run")
                                 .arg(m_whyNotRun)
                                 .arg(total - m_printer.printedRows())
                                 .arg(total);
        if (!m_report.finish(complete ? QString() : stop))
            return 2;
        return complete && m_printer.failedRows() == 0 ? 0 : 1;
    }

private:
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
            JUnitReport::Case c = m_report.at(i);
            c.outcome = JUnitReport::Outcome::Unfinished;
            m_report.setCase(i, c);

            if (watchdog)
                watchdog->rowStarted(i);
            // A row that never ran has no windows of its own to show.
            const QString evidenceName = row.run.isEmpty() ? QStringLiteral("empty-row-%1").arg(i + 1) : row.run;
            ScriptRun result = host.run(row.run, evidenceName);
            if (watchdog)
                watchdog->rowFinished();

            const bool failed = result.error || ScriptRunGuard::signalReceived();
            c.outcome = outcomeOf(result, failed);
            if (m_batch.single && !result.opened) {
                c.failureText = result.errorText;
                m_report.setCase(i, c);
                m_report.finish(QString());
                return fail(QStringLiteral("cannot read %1: %2").arg(row.shown, result.errorText), 2);
            }
            m_printer.printRow(row.shown, result.outputText, failed);
            c.seconds = result.milliseconds / 1000.0;
            c.failureText = result.errorText;
            c.systemOut = result.outputText;
            m_report.setCase(i, c);
            if (result.quitRequested) {
                m_whyNotRun = QStringLiteral("quitApplication() ended the batch");
                break;
            }
        }
        if (m_whyNotRun.isEmpty() && ScriptRunGuard::signalReceived())
            m_whyNotRun = QStringLiteral("interrupted by ") + ScriptRunGuard::signalName();
        return 0;
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
    QStringList inputs{listPath};
    for (const QString &path : paths) {
        batch.rows.append({path, QMDrovebot::ScriptList::resolve(path, listPath)});
        inputs << batch.rows.last().run;
    }
    const QString refusal = overwrittenInput(batch, inputs);
    if (!refusal.isEmpty())
        return fail(refusal, 2);
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
    batch.rows.append({scriptPath, info.absoluteFilePath()});
    const QString refusal = overwrittenInput(batch, {scriptPath});
    if (!refusal.isEmpty())
        return fail(refusal, 2);
    if (!info.isFile() || !info.isReadable()) {
        const QString message = QStringLiteral("cannot read %1").arg(scriptPath);
        // The CI server still learns which script it was.
        QVector<JUnitReport::Case> cases = namedCases(batch);
        cases[0].outcome = JUnitReport::Outcome::Error;
        cases[0].failureText = message;
        ReportFile report(options.reportPath, batch.suiteName, cases);
        report.finish(QString());
        return fail(message, 2);
    }
    return Run(batch).exec(argc, argv);
}
