#include "ScriptHost.h"

ScriptHost::~ScriptHost() = default;

const OutputMirror *ScriptHost::mirror() const
{
    return nullptr;
}
