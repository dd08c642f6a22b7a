// clipfigs run as a user runs it, for the figure library's tests (CLIPFIGS_TOOL: its path).
#pragma once

#include "tests/tool_run.h"

#include <string>

// Runs clipfigs with the arguments, as a shell reads them; output holds standard output and
// standard error together.
inline ToolRun runClipfigs(const std::string& arguments)
{
    return runCommand(std::string(CLIPFIGS_TOOL) + " " + arguments + " 2>&1");
}
