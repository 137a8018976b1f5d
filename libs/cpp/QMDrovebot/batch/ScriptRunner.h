#pragma once

#include <QPointer>
#include <QString>

#include <functional>

class QTextDocument;

namespace QMDrovebot {

class Editor;

// What one batch row left behind.
struct ScriptRun
{
    QString path;
    // False when the file could not be opened; the pane then says why.
    bool opened = false;
    bool error = false;
    QString outputHtml;
    QString outputText;
    // The red texts of the output pane as plain text, one a line.
    QString errorText;
    qint64 milliseconds = 0;
};

// Runs one script of a batch in an editor: opens the file, runs it, and
// collects its outcome. The batch window and the command line share it, so a
// row behaves the same in both.
class ScriptRunner
{
public:
    // The call that runs the opened script; the default is the editor's
    // run(). Whatever limits a script (a time limit, a stop from outside)
    // wraps this one call.
    using RunStep = std::function<void(Editor *)>;

    explicit ScriptRunner(Editor *editor);

    void setRunStep(RunStep step);

    // A file that cannot be opened does not fall back to the text the editor
    // already holds: the row fails with the reason in red in the pane.
    ScriptRun run(const QString &path);

    // The red texts of a pane: what a failed run reports.
    static QString errorText(const QTextDocument *document);

    // Taken right after the failure, while the windows still show it; the
    // folder's path ends the run's output and its error text, so whoever
    // reads either finds the evidence.
    static void addEvidence(const QString &folder, ScriptRun *run);

private:
    bool open(const QString &path);

    QPointer<Editor> m_editor;
    RunStep m_runStep;
};

} // namespace QMDrovebot
