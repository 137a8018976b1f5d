#include "ScriptCommand.h"

#include "CommandLine.h"
#include "OutputMirror.h"
#include "ReportFile.h"
#include "ResultPrinter.h"
#include "RunWatchdog.h"
#include "ScriptRunGuard.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"

#include <QDir>
#include <QFileInfo>
#include <QVector>

#include <MTools/BoundedFile.h>
#include <QMDrovebot/automation/AutomationState.h>
#include <QMDrovebot/automation/Evidence.h>
#include <QMDrovebot/batch/ScriptList.h>
#include <QMDrovebot/batch/ScriptRunner.h>
#include <QMDrovebot/editor/Editor.h>
#include <QMDrovebot/engine/OutputArea.h>
#include <QMWidgets/App.h>

using CommandLine::fail;
using QMDrovebot::Evidence;
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

// The folder's path ends the script's output and its failure text, so
// whoever reads either finds the evidence.
void addEvidence(const QString &folder, const QString &name, const Evidence::Snapshot &snapshot, ScriptRun *result)
{
    QString error;
    const QString path = Evidence::write(folder, name, result->outputText, snapshot, &error);
    const QString line = path.isEmpty() ? QStringLiteral("No evidence: ") + error : QStringLiteral("Evidence: ") + path;
    for (QString *text : {&result->outputText, &result->errorText})
        *text += (text->isEmpty() ? QString() : QStringLiteral("\n")) + line;
}

JUnitReport::Outcome outcomeOf(const ScriptRun &result, bool failed)
{
    if (!failed)
        return JUnitReport::Outcome::Passed;
    return result.endedEarly || ScriptRunGuard::signalReceived() ? JUnitReport::Outcome::Error
                                                                 : JUnitReport::Outcome::Failed;
}

// The scripts run in the editor of a frame like the one the user sees, one
// after another; the frame lives as long as the run.
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
        // Nobody is there to answer the unsaved-changes question.
        QMDrovebot::AutomationState::setQuitsDirectly(true);
        ScriptRunGuard guard(m_batch.options.timeLimitSeconds);
        // The scripts see the same application as the editor: the frame with
        // its document window, whose editor runs them.
        JavaScriptEvaluator frame;
        frame.showAtStartUp();
        app.setMainWidget(&frame);
        frame.mainWindow()->registerApplicationWidget(&frame);
        CommandLine::waitUntilActive(&frame);

        QMDrovebot::Editor *editor = frame.mainWindow()->editor();
        QMDrovebot::ScriptRunner runner(editor);
        runner.setRunStep([&guard](QMDrovebot::Editor *e) { guard.run(e); });
        guard.setBeforeStop([this] {
            if (!m_batch.options.evidenceFolder.isEmpty())
                m_stopSnapshot.reset(new Evidence::Snapshot(Evidence::capture()));
        });
        OutputMirror mirror(editor->outputArea()->document());
        const int status = runRows(runner, mirror);
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
    int runRows(QMDrovebot::ScriptRunner &runner, const OutputMirror &mirror)
    {
        RunWatchdog watchdog(m_batch.options.timeLimitSeconds,
                             [this, &mirror](int row, const QString &lines) { abandon(row, mirror.text(), lines); });
        for (int i = 0; i < m_batch.rows.size(); ++i) {
            if (ScriptRunGuard::signalReceived()) {
                m_whyNotRun = QStringLiteral("interrupted by ") + ScriptRunGuard::signalName();
                break;
            }
            const Row &row = m_batch.rows.at(i);
            JUnitReport::Case c = m_report.at(i);
            c.outcome = JUnitReport::Outcome::Unfinished;
            m_report.setCase(i, c);
            m_stopSnapshot.reset();

            watchdog.rowStarted(i);
            ScriptRun result = runner.run(row.run);
            watchdog.rowFinished();

            const bool failed = result.error || ScriptRunGuard::signalReceived();
            c.outcome = outcomeOf(result, failed);
            if (m_batch.single && !result.opened) {
                c.failureText = result.errorText;
                m_report.setCase(i, c);
                m_report.finish(QString());
                return fail(QStringLiteral("cannot read %1: %2").arg(row.shown, result.errorText), 2);
            }
            if (failed && !m_batch.options.evidenceFolder.isEmpty()) {
                // A row that never ran has no windows of its own to show.
                const QString name = row.run.isEmpty() ? QStringLiteral("empty-row-%1").arg(i + 1) : row.run;
                addEvidence(m_batch.options.evidenceFolder, name,
                            !result.opened   ? Evidence::Snapshot()
                            : m_stopSnapshot ? *m_stopSnapshot
                                             : Evidence::capture(),
                            &result);
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
    std::unique_ptr<Evidence::Snapshot> m_stopSnapshot;
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
