#include "tests/cli/ToolRunner.h"

#include "tests/support/CommandRunner.h"

ToolResult RunTool(const std::string& arguments, bool mergeErrors)
{
    const CommandResult run = RunCommand(std::string("'") + KESTRUNE_TOOL_PATH + "' " + arguments +
                                         (mergeErrors ? " 2>&1" : " 2>/dev/null"));
    return {run.exitStatus, run.output};
}
