#include "ScriptCommand.h"

#include "AppScriptHost.h"
#include "CommandLine.h"
#include "JUnitReport.h"
#include "LocalScriptHost.h"
#include "ScriptRunGuard.h"
#include "window/JSMainWindow.h"
#include "window/JavaScriptEvaluator.h"

#include <QFileInfo>
#include <QVector>

#include <MTools/BoundedFile.h>
#include <QMDrovebot/automation/AutomationState.h>
#include <QMDrovebot/automation/Evidence.h>
#include <QMDrovebot/batch/ScriptList.h>
#include <QMDrovebot/batch/ScriptRunner.h>
#include <QMWidgets/App.h>

using CommandLine::fail;
using CommandLine::printLine;

namespace {

struct Row
{
    QString shown; // as the list or the command line names it
    QString run;   // the file that runs
};

struct Batch
{
    QString suiteName;
    QVector<Row> rows;
    ScriptCommandOptions options;
    // One script from --run: its pane is printed exactly as --run prints
    // it, with no header, state or summary.
    bool single = false;
};

class ReportFile
{
public:
    ReportFile(const Batch &batch)
        : m_report(batch.suiteName)
        , m_path(batch.options.reportPath)
    {
        for (const Row &row : batch.rows) {
            const QFileInfo info(row.shown);
            m_report.cases().append({info.fileName(), info.path(), 0, JUnitReport::Outcome::NotRun, {}, {}});
        }
    }

    JUnitReport::Case &operator[](int i) { return m_report.cases()[i]; }

    // After the first failure it stops writing: the command ends with 2.
    bool write()
    {
        if (m_path.isEmpty() || m_failed)
            return !m_failed;
        QString error;
        if (!m_report.write(m_path, &error)) {
            m_failed = true;
            fail(QStringLiteral("cannot write %1: %2").arg(m_path, error), 2);
        }
        return !m_failed;
    }
    bool failed() const { return m_failed; }

private:
    JUnitReport m_report;
    QString m_path;
    bool m_failed = false;
};

QString counted(int count, const char *singular, const char *plural)
{
    return QString::number(count) + QLatin1Char(' ') + QLatin1String(count == 1 ? singular : plural);
}

int runBatch(int argc, char **argv, const Batch &batch)
{
    CommandLine::chooseHeadlessPlatform();
    QMWidgets::App app(argc, argv, QLatin1String(CommandLine::organization), QLatin1String(CommandLine::application));
    CommandLine::setUpApplication(app);
    ScriptRunGuard guard(batch.options.timeLimitSeconds);
    std::unique_ptr<ScriptHost> host;
    if (batch.options.appCommand.isEmpty())
        host = std::make_unique<LocalScriptHost>(batch.options.evidenceFolder, &guard);
    else
        host = std::make_unique<AppScriptHost>(batch.options.appCommand, batch.options.evidenceFolder, &guard);
    if (!host->start())
        return 2;

    ReportFile report(batch);
    if (!report.write())
        return 2;

    int errors = 0;
    int ran = 0;
    for (int i = 0; i < batch.rows.size() && !ScriptRunGuard::signalReceived() && host->canRun(); ++i, ++ran) {
        const Row &row = batch.rows.at(i);
        if (!batch.single)
            printLine(stdout, QStringLiteral("== ") + row.shown);
        report[i].outcome = JUnitReport::Outcome::Unfinished;
        report.write();

        QMDrovebot::ScriptRun result = host->run(row.run);
        if (batch.single && !result.opened)
            return fail(QStringLiteral("cannot read %1: %2").arg(row.shown, result.errorText), 2);
        const bool failed = result.error || ScriptRunGuard::signalReceived();
        errors += failed ? 1 : 0;
        if (batch.single || !result.outputText.isEmpty())
            printLine(stdout, result.outputText);
        if (!batch.single)
            printLine(stdout, failed ? QStringLiteral("-- Error") : QStringLiteral("-- Done"));

        report[i].outcome = failed ? JUnitReport::Outcome::Failed : JUnitReport::Outcome::Passed;
        report[i].seconds = result.milliseconds / 1000.0;
        report[i].failureText = result.errorText;
        report[i].systemOut = result.outputText;
        report.write();
    }
    if (!batch.single) {
        const int count = batch.rows.size();
        QString summary = counted(count, "script", "scripts") + QStringLiteral(": ") + QString::number(ran - errors) +
                          QStringLiteral(" done, ") + counted(errors, "error", "errors");
        // A signal ends the suite early; the rows it skipped are named.
        if (ran < count)
            summary += QStringLiteral(", ") + QString::number(count - ran) + QStringLiteral(" not run");
        printLine(stdout, summary);
    }
    if (report.failed())
        return 2;
    return errors == 0 && ran == batch.rows.size() ? 0 : 1;
}

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
    Batch batch;
    batch.suiteName = QFileInfo(listPath).completeBaseName();
    batch.options = options;
    const QStringList paths = QMDrovebot::ScriptList::parse(bytes);
    for (const QString &path : paths)
        batch.rows.append({path, QMDrovebot::ScriptList::resolve(path, listPath)});
    return runBatch(argc, argv, batch);
}

int runScriptCommand(int argc, char **argv, const QString &scriptPath, const ScriptCommandOptions &options)
{
    const QFileInfo info(scriptPath);
    if (!info.isFile() || !info.isReadable())
        return fail(QStringLiteral("cannot read %1").arg(scriptPath), 2);
    Batch batch;
    batch.suiteName = info.completeBaseName();
    batch.options = options;
    batch.single = true;
    batch.rows.append({scriptPath, info.absoluteFilePath()});
    return runBatch(argc, argv, batch);
}
