#pragma once

#include <string>

struct ToolResult
{
    int exitStatus = -1;
    std::string output; // standard output, followed by standard error when merged
};

// Runs the kestrune tool with `arguments` (a shell word list) and waits for it.
ToolResult RunTool(const std::string& arguments, bool mergeErrors = false);
