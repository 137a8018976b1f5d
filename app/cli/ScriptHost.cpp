#include "ScriptHost.h"

ScriptHost::~ScriptHost() = default;
