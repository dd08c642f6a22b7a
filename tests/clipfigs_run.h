// clipfigs run as a user runs it, for the figure library's tests (CLIPFIGS_TOOL: its path).
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

struct ToolRun {
    int status;          // exit status, -1 if a signal ended it
    std::string output;  // standard output and standard error together
};

// Runs clipfigs with the arguments, as a shell reads them.
inline ToolRun runClipfigs(const std::string& arguments)
{
    ToolRun result = {-1, ""};
    std::FILE* pipe = popen((std::string(CLIPFIGS_TOOL) + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}
