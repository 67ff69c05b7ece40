#include "tests/cli/ToolRunner.h"

#include <cstdio>
#include <sys/wait.h>

ToolResult RunTool(const std::string& arguments, bool mergeErrors)
{
    const std::string command = std::string("'") + KESTRUNE_TOOL_PATH + "' " + arguments +
                                (mergeErrors ? " 2>&1" : " 2>/dev/null");
    ToolResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
    {
        return result;
    }
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0)
    {
        result.output.append(buffer, n);
    }
    const int status = pclose(pipe);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}
