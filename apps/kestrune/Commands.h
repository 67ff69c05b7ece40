#pragma once

#include <CLI/CLI.hpp>

#include <functional>

// The subcommands of the kestrune tool. Each command lives in its own file (cli/XCommand.cpp)
// and provides one Add function, declared here and called once from cli/main.cpp. An Add
// function creates the subcommand on `app`, binds its options, and sets a callback that runs the
// command and stores its exit status in `context.exitCode` (0 success, 1 failure; parse errors
// never reach a callback, main turns them into status 2).
struct CommandContext
{
    int exitCode = 0;
};

// Sets a command's callback: runs work for exit status 0; a failure it reports (a ToolError)
// becomes the one line "kestrune NAME: reason" on standard error and exit status 1.
void SetCommandWork(CLI::App& command, CommandContext& context, std::function<void()> work);

void AddParamsCommand(CLI::App& app, CommandContext& context);
void AddProcessCommand(CLI::App& app, CommandContext& context);
void AddAnalyseCommand(CLI::App& app, CommandContext& context);
void AddDemoCommand(CLI::App& app, CommandContext& context);
void AddEditorCommand(CLI::App& app, CommandContext& context);
void AddResponseCommand(CLI::App& app, CommandContext& context);
void AddHelpCommand(CLI::App& app, CommandContext& context);
