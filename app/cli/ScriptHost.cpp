#include "ScriptHost.h"

#include "AppScriptHost.h"
#include "LocalScriptHost.h"
#include "ScriptCommand.h"

ScriptHost::~ScriptHost() = default;

std::unique_ptr<ScriptHost> ScriptHost::create(const ScriptCommandOptions &options, ScriptRunGuard *guard)
{
    if (!options.appCommand.isEmpty())
        return std::make_unique<AppScriptHost>(options.appCommand, options.evidenceFolder, guard);
    return std::make_unique<LocalScriptHost>(options.evidenceFolder, guard);
}
