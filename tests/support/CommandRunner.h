#pragma once

// Runs a shell command line as a user would and collects what it prints on standard output
// (redirect standard error in the command line to collect that too) and its exit status.

#include <cstdio>
#include <string>
#include <sys/wait.h>

struct CommandResult
{
    int exitStatus = -1; // -1: did not start or did not exit normally
    std::string output;
};

inline CommandResult RunCommand(const std::string& commandLine)
{
    CommandResult result;
    FILE* pipe = ::popen(commandLine.c_str(), "r");
    if (pipe == nullptr)
    {
        return result;
    }
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
    {
        result.output.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}
