// The project's command-line tools run as a user runs them, for the tests that drive them.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

struct ToolRun {
    int status;          // exit status, -1 if a signal ended it
    std::string output;  // what the command wrote to standard output
};

// Runs command as a shell reads it (append " 2>&1" to catch standard error too).
inline ToolRun runCommand(const std::string& command)
{
    ToolRun result = {-1, ""};
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// A file's bytes, or "" when it cannot be read.
inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
