#pragma once

#include <QStringList>
#include <QWidget>

#include <QMDrovebot/automation/QEventDefs.h>
#include <QMDrovebot/automation/QtDefs.h>
#include <QMDrovebot/automation/Support.h>
#include <QMDrovebot/automation/TestObj.h>
#include <QMDrovebot/engine/ScriptEngine.h>

class QScriptEngineDebugger;

namespace QMDrovebot {

class DeletionGuard;
class DocWindow;
class LineTextWidget;
class OutputArea;
class RecoveryFile;

// The composite editor: document text with its line-number gutter above the
// output pane, and the engine that runs the document.
class Editor : public QWidget
{
    Q_OBJECT

public:
    explicit Editor(QWidget *parent = nullptr);
    ~Editor() override;

    DocWindow *textEdit() const;
    OutputArea *outputArea() const;
    ScriptEngine *engine() const;
    LineTextWidget *gutter() const;
    RecoveryFile *recoveryFile() const;
    // Keeps `widget` from being deleted by a script (see DeletionGuard).
    void protectFromScripts(QObject *widget);
    QString fileName() const;
    bool isModified() const;

    // Shows the zoom `level` (point steps from the starting size), or the
    // smallest size the toolkit allows when the level goes below it.
    void setZoom(int level);
    int zoomLevel() const;

    // Execution side.
    int errorStatus() const;
    QString outputHtml() const;
    bool isEvaluating() const;
    void setEmbeddedFunctionsEnabled(bool enabled);
    bool embeddedFunctionsEnabled() const;
    static QString embeddedFunctionsText();
    int mainProgramLineOffset() const;
    bool checkSyntax();
    QString programPrefix();
    QString includedFilesText(const QString &text);

    // Appends a red error text to the output pane and marks the run failed.
    void appendError(const QString &text);
    // Whether the latest run() evaluated its whole program: false after a
    // syntax error, an uncaught exception, Stop or abort(), true after a run
    // whose checks failed.
    bool ranToEnd() const;

    void publishObject(QObject *object, const QString &name);

    QtDefs *qtDefs();
    QEventDefs *qEventDefs();
    TestObj *testObj();
    Support *support();

signals:
    void changeWindowTitle(const QString &title);
    void cursorPositionChanged(int row, int column);
    // Transient notes for the status bar: failed file operations, a refused run.
    void statusMessage(const QString &message);
    // The document's lasting note about its file (see DocWindow::fileStatus).
    void fileStatus(const QString &message);
    // A red text appendError() added to the pane, as it was given (HTML).
    void errorAppended(const QString &html);
    // The debugger of the debug run that is starting, before it is attached;
    // it is deleted when that run ends. Lets a test step or continue it.
    void debuggerCreated(QScriptEngineDebugger *debugger);

public slots:
    void newFile();
    void open();
    void save();
    void saveAs();
    void run();
    void debug();
    void zoomIn();
    void zoomOut();
    void showAliaces();
    void copy();
    void paste();
    void undo();
    void redo();
    void stopEvaluation();
    void displayError(const QString &message);
    void displayWarning(const QString &message);
    void open(const QString &path);

private slots:
    void cursorChanged();

private:
    // The zoom the document shows: its point size less the size it started
    // with, in whole steps.
    int appliedZoom() const;
    void zoomBy(int steps);
    // Wide enough for the largest line number in the current font, never
    // narrower than the default.
    void fitGutterWidth();

    bool refuseNestedRun();
    // The steps Run and Debug share: refuse a nested run, reset, check the
    // syntax and clear the pane. False when the run must not go on.
    bool startRun();
    // Evaluates the assembled program; true when it failed, with `failure`
    // filled in.
    bool programFailed(ScriptEngine::Failure *failure);
    void reportFailure(const ScriptEngine::Failure &failure);

    ScriptEngine *m_engine = nullptr;
    DocWindow *m_textEdit = nullptr;
    OutputArea *m_outputArea = nullptr;
    LineTextWidget *m_gutter = nullptr;
    RecoveryFile *m_recovery = nullptr;
    DeletionGuard *m_deletionGuard = nullptr;
    int m_zoomLevel = 0;
    qreal m_unzoomedPointSize = 0;

    bool m_embeddedFunctionsEnabled = false;
    int m_errorStatus = 0;
    bool m_ranToEnd = false;

    QtDefs m_qtDefs;
    QEventDefs m_qEventDefs;
    TestObj m_testObj;
    Support m_support;
};

} // namespace QMDrovebot
