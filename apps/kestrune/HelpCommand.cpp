// kestrune help [TOPIC]: longer explanations than the commands' --help, one topic each.

#include <cstdio>
#include <string>

#include "apps/kestrune/Commands.h"
#include "session/AudioSession.h"
#include "session/OutputFormat.h"

namespace
{

struct Topic
{
    const char* name;
    const char* summary;
    std::string text;
};

std::vector<Topic> Topics()
{
    return {
        {"names", "how --set and --automate name parameters",
         "A parameter is named as 'kestrune params' lists it, in any case (\"Gain 17\",\n"
         "\"gain 17\"), or by its LV2 port symbol (gain_17, eq_amount, auto_eq). A band gain\n"
         "can also be named by its band's centre frequency: 1kHz, 1k, 1000Hz, \"1000 Hz\" or\n"
         "1000 (within 2 % of a centre). VALUE is a number in the parameter's range (\"+3\"\n"
         "and \"-4.5\" alike) or one of its value texts (\"Static\", \"on\", \"4s\").\n"
         "  kestrune process in.wav out.wav --set 1kHz=+3 --set 'Auto Eq=Static'\n"},
        {"automation", "changing parameters during the audio",
         "--automate \"NAME=VALUE@SECONDS\" (process and analyse, repeatable) changes a parameter\n"
         "at a time in the audio, as a host's automation does. The block is split at the\n"
         "nearest frame, so the change takes effect exactly there whatever --block is.\n"
         "  kestrune process in.wav out.wav --automate Output=-6@1.5 --automate 'Bypass "
         "EQ=on@3'\n"},
        {"formats", "output types, sample formats, quality, clipping and dither",
         "The output's type follows its extension (" + KnownOutputTypes() +
             "),\n"
             "or --type. --bits 16, 24, 32, float or double sets the sample format; without it\n"
             "the input's is kept where the type holds it, else 24 (or 16) bits. --quality 0 to 1\n"
             "sets the encoder quality of ogg, opus and mp3. Samples beyond full scale in an\n"
             "integer or lossy output are clipped; their count is printed on standard error\n"
             "(--quiet hides it). --dither adds triangular dither at 16 or 24 bits.\n"
             "  kestrune process in.wav out.flac --bits 16 --dither\n"},
        {"pipes", "standard input and output",
         "- names standard input (IN) or standard output (OUT). Standard output takes the\n"
         "input's type unless --type names another.\n"
         "  sox in.wav -t wav - | kestrune process - out.flac\n"
         "  kestrune process in.wav - --type wav | sox - -n stats\n"},
        {"batch", "many files at once",
         "kestrune process IN... --output-dir DIR runs every input into DIR, one plug-in per\n"
         "file on all cores; each output keeps its input's name (and extension, unless\n"
         "--type). Every file gets a line; a failing file does not stop the others, and the\n"
         "exit status is 1 when any failed. kestrune analyse takes several files too (--json:\n"
         "an array of one object per file).\n"},
        {"outputs", "how outputs are written and what is refused",
         "A regular file is written to a hidden temporary next to it and renamed into place,\n"
         "so a failed run (a full disk too) leaves no half-written file; a symlink is written\n"
         "through; a device, a FIFO and - are written directly. Refused before anything is\n"
         "written: a directory, a read-only file, and any input (also through links).\n"},
        {"rates", "supported sample rates",
         "8000 to 768000 Hz. A band is equalised and measured when its centre lies below 0.95 of\n"
         "half the rate: every band from 44.1 kHz up, bands 0 to 22 at 8 kHz. Other rates are\n"
         "refused.\n"},
        {"exit", "exit status",
         "0 success, 1 the command failed (one line on standard error), 2 the command line was\n"
         "not understood.\n"},
    };
}

void RunHelp(const std::string& topic)
{
    const std::vector<Topic> topics = Topics();
    if (topic.empty())
    {
        std::printf("kestrune help TOPIC, with TOPIC one of:\n");
        for (const Topic& t : topics)
            std::printf("  %-11s %s\n", t.name, t.summary);
        std::printf("Each command explains its options with --help (kestrune process --help).\n");
        return;
    }
    for (const Topic& t : topics)
    {
        if (topic == t.name)
        {
            std::fputs(t.text.c_str(), stdout);
            return;
        }
    }
    throw ToolError("no help topic \"" + topic + "\" (kestrune help lists them)");
}

} // namespace

void AddHelpCommand(CLI::App& app, CommandContext& context)
{
    auto topic = std::make_shared<std::string>();
    CLI::App* command =
        app.add_subcommand("help", "Explain a topic: names, automation, formats, pipes, batch, "
                                   "outputs, rates, exit");
    command->add_option("TOPIC", *topic, "the topic; none lists them");
    SetCommandWork(*command, context, [topic] { RunHelp(*topic); });
}
