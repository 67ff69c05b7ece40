// kestrune: runs the VantorKestrune plug-in without a host.
//
// Exit status: 0 success, 1 the command failed, 2 the command line was not understood.

#include <cstdio>
#include <exception>

#include <CLI/CLI.hpp>

#include "apps/kestrune/Commands.h"
#include "plugin/ProductIdentity.h"
#include "session/AudioSession.h"

namespace
{
constexpr int kUsageError = 2;
}

void SetCommandWork(CLI::App& command, CommandContext& context, std::function<void()> work)
{
    command.callback(
        [&command, &context, work = std::move(work)]
        {
            try
            {
                work();
                context.exitCode = 0;
            }
            catch (const ToolError& error)
            {
                std::fprintf(stderr, "kestrune %s: %s\n", command.get_name().c_str(), error.what());
                context.exitCode = 1;
            }
            catch (const output::FileError& error)
            {
                std::fprintf(stderr, "kestrune %s: %s\n", command.get_name().c_str(), error.what());
                context.exitCode = 1;
            }
        });
}

int main(int argc, char** argv)
{
    CLI::App app{"kestrune: the VantorKestrune equaliser and analyser without a host", "kestrune"};
    app.set_version_flag("--version", std::string("kestrune ") + kPluginVersionText);
    // At most one command; a missing one is reported after parsing, so that unknown options
    // and unknown command names are reported as such first.
    app.require_subcommand(0, 1);
    CommandContext context;

    AddParamsCommand(app, context);
    AddProcessCommand(app, context);
    AddAnalyseCommand(app, context);
    AddDemoCommand(app, context);
    AddEditorCommand(app, context);
    AddResponseCommand(app, context);
    AddHelpCommand(app, context);

    try
    {
        app.parse(argc, argv);
    }
    catch (const CLI::CallForHelp& e)
    {
        return app.exit(e);
    }
    catch (const CLI::CallForAllHelp& e)
    {
        return app.exit(e);
    }
    catch (const CLI::CallForVersion& e)
    {
        return app.exit(e);
    }
    catch (const CLI::ParseError& e)
    {
        app.exit(e);
        return kUsageError;
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "kestrune: error: %s\n", e.what());
        return 1;
    }
    if (app.get_subcommands().empty())
    {
        std::fprintf(stderr, "kestrune: a subcommand is required\nRun with --help for more "
                             "information.\n");
        return kUsageError;
    }
    return context.exitCode;
}
