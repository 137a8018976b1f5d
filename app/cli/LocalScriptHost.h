#pragma once

#include "ScriptHost.h"

#include <memory>

class JavaScriptEvaluator;

// The scripts see the same application as the editor: the frame with its
// document window, whose editor runs them one after another.
class LocalScriptHost : public ScriptHost
{
public:
    LocalScriptHost(const QString &evidenceFolder, ScriptRunGuard *guard);
    ~LocalScriptHost() override;

    bool start() override;
    QMDrovebot::ScriptRun run(const QString &path, const QString &evidenceName) override;
    bool canRun() const override;
    const OutputMirror *mirror() const override;
    // Where the next failed row leaves its evidence; empty for nowhere.
    void setEvidenceFolder(const QString &folder);

private:
    QString m_evidenceFolder;
    ScriptRunGuard *m_guard;
    std::unique_ptr<JavaScriptEvaluator> m_frame;
    std::unique_ptr<QMDrovebot::ScriptRunner> m_runner;
    std::unique_ptr<OutputMirror> m_mirror;
    // Taken when a time limit or a signal stops the script, before the stop
    // closes what it waited for.
    std::unique_ptr<QMDrovebot::Evidence::Snapshot> m_stopSnapshot;
};
