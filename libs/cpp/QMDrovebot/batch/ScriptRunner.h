#pragma once

#include <QMDrovebot/automation/Evidence.h>

#include <QPointer>
#include <QString>

#include <functional>

namespace QMDrovebot {

class Editor;

// What one batch row left behind.
struct ScriptRun
{
    QString path;
    // False when the file could not be opened; the pane then says why.
    bool opened = false;
    bool error = false;
    // The script did not run to its end: it could not be opened, had a
    // syntax error or an uncaught exception, or was stopped. A failed check
    // is an error that does not end the script.
    bool endedEarly = false;
    // The script called quitApplication(): a batch ends after it.
    bool quitRequested = false;
    QString outputHtml;
    QString outputText;
    // The red texts this run added to the pane, as plain text in the order
    // they came, whatever the script did to the pane afterwards.
    QString errorText;
    qint64 milliseconds = 0;
};

// Runs one script of a batch in an editor: opens the file, runs it, and
// collects its outcome. The batch window and the command line share it, so a
// row behaves the same in both.
class ScriptRunner
{
public:
    // The call that runs the opened script and lets what it posted last take
    // effect; the default is the editor's run() and one pass of the event
    // loop. Whatever limits a script (a time limit, a stop from outside)
    // replaces it and so covers both.
    using RunStep = std::function<void(Editor *)>;

    explicit ScriptRunner(Editor *editor);

    void setRunStep(RunStep step);

    // Each row starts with an empty pane, so it shows only its own texts. A
    // file that cannot be opened does not fall back to the text the editor
    // already holds: the row fails with the reason in red in the pane.
    ScriptRun run(const QString &path);

    // Taken right after the failure, while the windows still show it (or
    // from `snapshot`, taken before a stop closed what the script waited
    // for); the folder's path ends the run's output and its error text, so
    // whoever reads either finds the evidence. `name` names the folder.
    static void addEvidence(const QString &folder, const QString &name, const Evidence::Snapshot &snapshot,
                            ScriptRun *run);

private:
    bool open(const QString &path);

    QPointer<Editor> m_editor;
    RunStep m_runStep;
};

} // namespace QMDrovebot
