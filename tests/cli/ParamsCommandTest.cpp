#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/cli/ToolRunner.h"

namespace
{

using nlohmann::json;

TEST(ParamsCommand, JsonListsTheWholeTable)
{
    const ToolResult run = RunTool("params --json");
    ASSERT_EQ(run.exitStatus, 0);
    const json table = json::parse(run.output);
    ASSERT_TRUE(table.is_array());
    ASSERT_EQ(table.size(), 46u);

    const std::vector<std::string> keys = {"index", "name", "kind",  "default",      "min",
                                           "max",   "step", "label", "displayTexts", "valueText"};
    std::map<std::string, int> kinds;
    for (std::size_t i = 0; i < table.size(); ++i)
    {
        const json& entry = table[i];
        // Band gains also name their band's frequency.
        EXPECT_EQ(entry.size(), keys.size() + (i <= 30 ? 1 : 0));
        for (const std::string& key : keys)
        {
            EXPECT_TRUE(entry.contains(key)) << i << " " << key;
        }
        EXPECT_EQ(entry["index"], i);
        ++kinds[entry["kind"].get<std::string>()];
    }
    EXPECT_EQ(kinds["double"], 34);
    EXPECT_EQ(kinds["enum"], 5);
    EXPECT_EQ(kinds["bool"], 7);

    EXPECT_EQ(table[30]["name"], "Gain 30");
    EXPECT_EQ(table[30]["frequencyHz"], 20000.0);
    EXPECT_EQ(table[15]["frequencyHz"], 635.0);
    EXPECT_EQ(table[30]["min"], -15.0);
    EXPECT_EQ(table[30]["step"], 0.1);
    EXPECT_EQ(table[30]["label"], "dB");
    EXPECT_EQ(table[30]["valueText"], "0.0");

    struct Case
    {
        int index;
        const char* name;
        const char* valueText;
        double defaultValue;
    };
    const Case cases[] = {
        {31, "Analyzer dB per led", "6", 3.0},        {32, "Integration Time", "1s", 1.0},
        {34, "Enable peak display", "on", 1.0},       {43, "Eq Amount", "50", 50.0},
        {45, "Auto EQ compensation", "Default", 0.0},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(table[c.index]["name"], c.name);
        EXPECT_EQ(table[c.index]["valueText"], c.valueText);
        EXPECT_EQ(table[c.index]["default"], c.defaultValue);
    }
    EXPECT_EQ(table[43]["label"], "%");
    EXPECT_EQ(table[43]["step"], 1.0);
    EXPECT_EQ(table[33]["displayTexts"],
              json::parse(R"([{"value":0,"text":"L + R"},{"value":1,"text":"L - R"}])"));
}

TEST(ParamsCommand, TableHasAHeadingAndOneLinePerParameter)
{
    const ToolResult run = RunTool("params");
    ASSERT_EQ(run.exitStatus, 0);
    std::istringstream lines(run.output);
    std::vector<std::string> all;
    for (std::string line; std::getline(lines, line);)
    {
        all.push_back(line);
    }
    ASSERT_EQ(all.size(), 47u);
    EXPECT_EQ(all[0].rfind("index", 0), 0u);
    EXPECT_NE(all[31].find("Gain 30"), std::string::npos);
    EXPECT_NE(all[44].find("Eq Amount"), std::string::npos);
    EXPECT_EQ(run.output.find("Gain 31"), std::string::npos);
}

TEST(ParamsCommand, CommandLineErrorsExitWithStatusTwo)
{
    struct Case
    {
        const char* arguments;
        const char* message;
    };
    const Case cases[] = {
        {"params --bogus", "--bogus"},
        {"--bogus", "--bogus"},
        {"", "subcommand"},
        {"nosuchcommand", "nosuchcommand"},
    };
    for (const Case& c : cases)
    {
        const ToolResult run = RunTool(c.arguments, true);
        EXPECT_EQ(run.exitStatus, 2) << c.arguments;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << c.arguments << run.output;
    }
}

TEST(ParamsCommand, HelpIsAvailableEverywhere)
{
    const ToolResult top = RunTool("--help");
    EXPECT_EQ(top.exitStatus, 0);
    EXPECT_NE(top.output.find("params"), std::string::npos);
    const ToolResult params = RunTool("params --help");
    EXPECT_EQ(params.exitStatus, 0);
    EXPECT_NE(params.output.find("--json"), std::string::npos);
    const ToolResult version = RunTool("--version");
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_NE(version.output.find("1.2.5"), std::string::npos);
}

} // namespace

namespace
{

// Every topic that `kestrune help` lists prints its text; an unknown one is an error.
TEST(HelpCommand, EveryListedTopicHasItsText)
{
    const ToolResult list = RunTool("help");
    ASSERT_EQ(list.exitStatus, 0);
    std::istringstream lines(list.output);
    std::string line;
    int topics = 0;
    while (std::getline(lines, line))
    {
        if (line.rfind("  ", 0) != 0)
            continue;
        const std::string topic = line.substr(2, line.find(' ', 2) - 2);
        const ToolResult text = RunTool("help " + topic);
        EXPECT_EQ(text.exitStatus, 0) << topic;
        EXPECT_GT(text.output.size(), 80u) << topic;
        ++topics;
    }
    EXPECT_EQ(topics, 8);
    EXPECT_EQ(RunTool("help nothing").exitStatus, 1);
}

} // namespace
