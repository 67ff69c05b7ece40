// The product object around its engine: parameter reactions, the block flow and the state
// document.

#include "plugin/VantorKestrune.h"
#include "tests/support/PreparedProduct.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{

std::unique_ptr<VantorKestrune> Prepared(int blockSize = 512)
{
    return PreparedProduct(44100.0, blockSize);
}

void Set(VantorKestrune& plugin, int index, double value,
         ParameterChangeSource source = ParameterChangeSource::Host)
{
    plugin.Param(index)->SetClamped(value);
    plugin.OnParameterChanged(index, source);
}

double Value(const VantorKestrune& plugin, int index)
{
    return plugin.Param(index)->Value();
}

std::string DocumentText(const StateChunk& chunk, int position = 0)
{
    std::string text;
    EXPECT_GE(chunk.GetStr(text, position), 0);
    return text;
}

StateChunk Framed(const std::string& text)
{
    StateChunk chunk;
    chunk.PutStr(text);
    return chunk;
}

std::string FreshDocument()
{
    std::string text = "{\"eqcomp\":[";
    for (int band = 0; band < 31; ++band)
    {
        text += band == 0 ? "0.0" : ",0.0";
    }
    text += "],\"params\":[";
    for (int band = 0; band < 31; ++band)
    {
        text += "{\"name\":\"Gain " + std::to_string(band) + "\",\"value\":0.0},";
    }
    text += "{\"name\":\"Analyzer dB per led\",\"value\":3.0},"
            "{\"name\":\"Integration Time\",\"value\":1.0},"
            "{\"name\":\"Display Mode\",\"value\":0.0},"
            "{\"name\":\"Enable peak display\",\"value\":1.0},"
            "{\"name\":\"Reset analyzer\",\"value\":0.0},"
            "{\"name\":\"Reset Auto EQ\",\"value\":0.0},"
            "{\"name\":\"Auto Eq\",\"value\":0.0},"
            "{\"name\":\"Bypass EQ\",\"value\":0.0},"
            "{\"name\":\"Reset EQ\",\"value\":0.0},"
            "{\"name\":\"Disable Analyzer\",\"value\":0.0},"
            "{\"name\":\"Input\",\"value\":0.0},"
            "{\"name\":\"Output\",\"value\":0.0},"
            "{\"name\":\"Eq Amount\",\"value\":50.0},"
            "{\"name\":\"Lucky AutoEQ algorithm\",\"value\":0.0},"
            "{\"name\":\"Auto EQ compensation\",\"value\":0.0}],\"version\":\"1.2.5\"}";
    return text;
}

TEST(StateDocument, FreshInstanceWritesTheExactCompactDocument)
{
    std::unique_ptr<VantorKestrune> plugin(CreatePlugin());
    StateChunk chunk;
    ASSERT_TRUE(plugin->SerializeState(chunk));
    const std::string expected = FreshDocument();
    EXPECT_EQ(DocumentText(chunk), expected);
    EXPECT_EQ(chunk.Size(), 4 + static_cast<int>(expected.size()));
    std::int32_t count = 0;
    chunk.Get(&count, 0);
    EXPECT_EQ(count, static_cast<std::int32_t>(expected.size()));
    // The default preset "-" holds the same document.
    EXPECT_STREQ(plugin->Preset(0)->name, "-");
    EXPECT_EQ(DocumentText(plugin->Preset(0)->chunk), expected);
}

TEST(StateDocument, RoundTripRestoresParametersEngineAndTheWholeCurve)
{
    auto writer = Prepared();
    Set(*writer, kParamEqAmount, 80.0);
    Set(*writer, kParamGain5, -4.5);
    Set(*writer, kParamAutoEqCompensation, 2.0);
    Set(*writer, kParamAutoEq, 2.0);
    Set(*writer, kParamGain30, 7.25, ParameterChangeSource::Editor); // custom value of band 30
    Set(*writer, kParamGain2, -3.5, ParameterChangeSource::Editor);
    StateChunk chunk;
    writer->SerializeState(chunk);

    auto reader = Prepared();
    EXPECT_EQ(reader->DeserializeState(chunk, 0), chunk.Size());
    EXPECT_TRUE(reader->StateLoaded());
    EXPECT_EQ(Value(*reader, kParamEqAmount), 80.0);
    EXPECT_EQ(Value(*reader, kParamGain5), -4.5);
    EXPECT_EQ(Value(*reader, kParamAutoEq), 2.0);
    EXPECT_DOUBLE_EQ(reader->Engine().eqAmount, 0.8);
    EXPECT_DOUBLE_EQ(reader->Engine().bandGains[5], -4.5);
    EXPECT_EQ(reader->Engine().customCurve[30], 7.25);
    EXPECT_EQ(reader->Engine().customCurve[2], -3.5);
    EXPECT_TRUE(reader->Engine().autoEqActive);
}

TEST(StateDocument, RestoredStaticAutoEqComesBackOff)
{
    auto writer = Prepared();
    Set(*writer, kParamAutoEq, 1.0);
    ASSERT_TRUE(writer->Engine().autoEqActive);
    StateChunk chunk;
    writer->SerializeState(chunk);
    auto reader = Prepared();
    reader->DeserializeState(chunk, 0);
    EXPECT_EQ(Value(*reader, kParamAutoEq), 0.0);
    EXPECT_FALSE(reader->Engine().autoEqActive);
}

// "Reset EQ" left on by host automation: the gains set after the reset are part of the state
// and survive a save and a restore, into the same instance and into a new one.
TEST(StateDocument, RestoreWithResetEqOnKeepsTheStoredGains)
{
    auto writer = Prepared();
    Set(*writer, kParamResetEq, 1.0);
    Set(*writer, kParamGain7, 5.5);
    StateChunk chunk;
    writer->SerializeState(chunk);
    const auto fresh = Prepared();
    for (VantorKestrune* reader : {writer.get(), fresh.get()})
    {
        EXPECT_EQ(reader->DeserializeState(chunk, 0), chunk.Size());
        EXPECT_EQ(Value(*reader, kParamResetEq), 1.0);
        EXPECT_EQ(Value(*reader, kParamGain7), 5.5);
        EXPECT_EQ(reader->Engine().bandGains[7], 5.5);
    }
}

TEST(StateDocument, ParameterChunkIsReadThroughTheFallback)
{
    auto writer = Prepared();
    Set(*writer, kParamGain7, 3.3);
    Set(*writer, kParamOutput, -2.0);
    StateChunk chunk;
    writer->SerializeParams(chunk);
    auto reader = Prepared();
    EXPECT_EQ(reader->DeserializeState(chunk, 0), 0);
    EXPECT_FALSE(reader->StateLoaded());
    EXPECT_EQ(Value(*reader, kParamGain7), 3.3);
    EXPECT_EQ(Value(*reader, kParamOutput), -2.0);
    EXPECT_EQ(reader->Engine().bandGains[7], 3.3);
}

TEST(StateDocument, PartialDocumentsClampAndIgnoreUnknownNames)
{
    auto plugin = Prepared();
    Set(*plugin, kParamGain1, 2.0);
    const StateChunk chunk = Framed("{\"params\":[{\"name\":\"Gain 4\",\"value\":20.0},"
                                    "{\"name\":\"Gain 99\",\"value\":1.0},"
                                    "{\"name\":\"Output\",\"value\":-1}]}");
    EXPECT_EQ(plugin->DeserializeState(chunk, 0), chunk.Size());
    EXPECT_EQ(Value(*plugin, kParamGain4), 15.0);
    EXPECT_EQ(Value(*plugin, kParamOutput), -1.0);
    EXPECT_EQ(Value(*plugin, kParamGain1), 2.0);
}

TEST(StateDocument, TwoDocumentsInOneChunkAreReadOneAtATime)
{
    auto plugin = Prepared();
    StateChunk chunk;
    plugin->SerializeState(chunk);
    const int first = chunk.Size();
    plugin->SerializeState(chunk);
    EXPECT_EQ(plugin->DeserializeState(chunk, 0), first);
    EXPECT_EQ(plugin->DeserializeState(chunk, first), chunk.Size());
}

TEST(StateDocument, CurveValuesAreReadAsNumbersOnlyWithCustomCompensation)
{
    struct Case
    {
        const char* curve; // the "eqcomp" member, or "" for none
        int compensation;
        bool loads;
        double band0;
        double band30;
    };
    const std::string thirty = "[1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0]";
    const std::string thirtyOne =
        "[1.5,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,-4]";
    const std::string withString =
        "[\"x\",0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0]";
    const std::string beyondRange =
        "[300,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,-1e308]";
    const std::vector<Case> cases = {
        {"", 0, true, 9.0, 9.0},                     // not read at all without "Custom"
        {"", 2, false, 9.0, 9.0},                    // missing values read as null: a type error
        {thirty.c_str(), 2, true, 1.0, 9.0},         // integer 1 is 1.0; band 30 left alone
        {thirtyOne.c_str(), 2, true, 1.5, -4.0},     // 31 values: band 30 too
        {withString.c_str(), 2, false, 9.0, 9.0},    // a string is a type error
        {beyondRange.c_str(), 2, true, 15.0, -15.0}, // limited to the band gain's range
        {"{\"a\":1}", 2, false, 9.0, 9.0},           // neither null nor an array
    };
    for (const Case& c : cases)
    {
        auto plugin = Prepared();
        Set(*plugin, kParamAutoEqCompensation, 2.0);
        Set(*plugin, kParamAutoEq, 2.0);
        Set(*plugin, kParamGain0, 9.0, ParameterChangeSource::Editor);
        Set(*plugin, kParamGain30, 9.0, ParameterChangeSource::Editor);
        std::string text = "{\"params\":[{\"name\":\"Auto EQ compensation\",\"value\":" +
                           std::to_string(c.compensation) + "}]";
        if (std::strlen(c.curve) > 0)
        {
            text += std::string(",\"eqcomp\":") + c.curve;
        }
        text += "}";
        plugin->DeserializeState(Framed(text), 0);
        EXPECT_EQ(plugin->StateLoaded(), c.loads) << text;
        EXPECT_EQ(plugin->Engine().customCurve[0], c.band0) << text;
        EXPECT_EQ(plugin->Engine().customCurve[30], c.band30) << text;
    }
}

// A document whose custom curve lies far outside any gain, restored with the Auto EQ
// following that curve, must not drive the output to infinity or NaN.
TEST(StateDocument, ExtremeCustomCurveKeepsTheAutoEqOutputFinite)
{
    for (const char* lucky : {"0", "1"})
    {
        auto plugin = Prepared();
        std::string curve = "[";
        for (int band = 0; band < 31; ++band)
        {
            curve += band == 0 ? "2000" : ",2000";
        }
        const std::string text = "{\"eqcomp\":" + curve +
                                 "],\"params\":[{\"name\":\"Auto Eq\",\"value\":2.0},"
                                 "{\"name\":\"Auto EQ compensation\",\"value\":2.0},"
                                 "{\"name\":\"Eq Amount\",\"value\":100.0},"
                                 "{\"name\":\"Lucky AutoEQ algorithm\",\"value\":" +
                                 lucky + "}]}";
        ASSERT_GT(plugin->DeserializeState(Framed(text), 0), 0);
        ASSERT_TRUE(plugin->StateLoaded());
        std::vector<double> left(512), right(512);
        for (int block = 0; block < 8; ++block)
        {
            for (int j = 0; j < 512; ++j)
            {
                left[j] = 0.5 * std::sin((block * 512 + j) * 0.05);
                right[j] = 0.4 * std::sin((block * 512 + j) * 0.31);
            }
            double* io[2] = {left.data(), right.data()};
            plugin->ProcessBlock(io, io, 512);
            for (int j = 0; j < 512; ++j)
            {
                ASSERT_TRUE(std::isfinite(left[j]) && std::isfinite(right[j]))
                    << "lucky " << lucky << " block " << block << " frame " << j;
            }
        }
        const auto& gains = plugin->Engine().bandGains;
        EXPECT_TRUE(std::any_of(gains.begin(), gains.end(), [](double g) { return g != 0.0; }))
            << "the Auto EQ ran";
    }
}

TEST(StateDocument, MalformedDocumentsLeaveEngineAndParametersInAgreement)
{
    struct Case
    {
        const char* text;
        bool afterGoodDocument;
    };
    const std::vector<Case> cases = {
        {"", false},
        {"[1,2]", false},
        {"{\"params\":5}", true},
        {"{\"params\":[{\"name\":\"Gain 3\",\"value\":4.0},{\"name\":\"Gain 6\",\"value\":\"x\"}]}",
         false},
        {"{\"params\":[{\"name\":\"Gain 3\",\"value\":4.0},{\"name\":\"Gain 6\",\"value\":\"x\"}]}",
         true},
        {"{\"params\":[{\"name\":\"Gain 3\",\"value\":4.0},7]}", true},
        {"{\"params\":[], trailing", true},
    };
    for (const Case& c : cases)
    {
        auto plugin = Prepared();
        Set(*plugin, kParamGain6, -2.0);
        StateChunk good;
        if (c.afterGoodDocument)
        {
            plugin->SerializeState(good);
            ASSERT_EQ(plugin->DeserializeState(good, 0), good.Size());
        }
        const StateChunk chunk = Framed(c.text);
        const int end = plugin->DeserializeState(chunk, 0);
        EXPECT_EQ(end, c.afterGoodDocument ? chunk.Size() : 0) << c.text;
        EXPECT_EQ(plugin->StateLoaded(), c.afterGoodDocument) << c.text;
        for (int band = 0; band < 31; ++band)
        {
            EXPECT_EQ(plugin->Engine().bandGains[band], Value(*plugin, band)) << c.text << band;
        }
        // Text bytes are never taken for parameter values.
        EXPECT_EQ(Value(*plugin, kParamGain6), -2.0) << c.text;
        EXPECT_EQ(Value(*plugin, kParamEqAmount), 50.0) << c.text;
    }
}

// Runs `work` on a thread with a stack as small as some hosts give their worker threads.
template <typename Work> void OnSmallStack(Work work)
{
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 256 * 1024);
    pthread_t thread;
    auto run = [](void* argument) -> void*
    {
        (*static_cast<Work*>(argument))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, &work), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

// Documents nested far deeper than any saved state are refused while parsing: no stack
// overflow on a 256 kB thread, and the instance keeps its values.
TEST(StateDocument, DeeplyNestedDocumentsFailCleanly)
{
    const std::string deep(100000, '[');
    const std::string texts[] = {
        deep + std::string(100000, ']'),
        "{\"params\":" + deep + std::string(100000, ']') + "}",
        "{\"params\":[{\"name\":\"Gain 3\",\"value\":" + deep,
        std::string(20000, '{'),
    };
    for (const std::string& text : texts)
    {
        for (bool afterGoodDocument : {false, true})
        {
            auto plugin = Prepared();
            Set(*plugin, kParamGain6, -2.0);
            if (afterGoodDocument)
            {
                StateChunk good;
                plugin->SerializeState(good);
                plugin->DeserializeState(good, 0);
            }
            const StateChunk chunk = Framed(text);
            OnSmallStack([&] { plugin->DeserializeState(chunk, 0); });
            EXPECT_EQ(Value(*plugin, kParamGain6), -2.0);
            EXPECT_EQ(plugin->StateLoaded(), afterGoodDocument);
        }
    }
}

// A framed text of 46 bytes starts with the count 46, as a parameter chunk of the 46
// parameters does; neither it nor any other text is read as parameter values.
TEST(StateDocument, TextsAreNeverReadAsParameterChunks)
{
    const std::string texts[] = {
        std::string(46, 'A'),
        "{\"params\":[{\"name\":\"Gain 0\",\"value\":1}", // 46 bytes, cut short
        std::string(46, '\0'),
        std::string(400, '\x7f'),
    };
    for (const std::string& text : texts)
    {
        auto plugin = Prepared();
        const StateChunk chunk = Framed(text);
        plugin->DeserializeState(chunk, 0);
        for (int i = 0; i < plugin->ParameterCount(); ++i)
        {
            EXPECT_EQ(plugin->Param(i)->Value(), plugin->Param(i)->DefaultValue())
                << text.size() << " " << i;
        }
    }
}

TEST(StateDocument, EmptyChunkOnFreshInstanceReturnsTheGivenPosition)
{
    std::unique_ptr<VantorKestrune> plugin(CreatePlugin());
    const StateChunk empty;
    EXPECT_EQ(plugin->DeserializeState(empty, 0), 0);
    EXPECT_EQ(Value(*plugin, kParamEqAmount), 50.0);
    EXPECT_DOUBLE_EQ(plugin->Engine().eqAmount, 0.5); // announced
}

TEST(ParameterReactions, EqAmountRescalesTheUnscaledGains)
{
    auto plugin = Prepared();
    Set(*plugin, kParamEqAmount, 50.0);
    Set(*plugin, kParamGain3, 6.0);
    Set(*plugin, kParamEqAmount, 100.0);
    EXPECT_EQ(Value(*plugin, kParamGain3), 12.0);
    EXPECT_EQ(plugin->Engine().bandGains[3], 12.0);
}

TEST(ParameterReactions, ResetEqActsOnlyWhenSwitchedOn)
{
    auto plugin = Prepared();
    Set(*plugin, kParamGain0, 4.0);
    Set(*plugin, kParamGain30, -4.0);
    Set(*plugin, kParamResetEq, 0.0);
    EXPECT_EQ(Value(*plugin, kParamGain0), 4.0);
    Set(*plugin, kParamResetEq, 1.0);
    for (int band = 0; band < 31; ++band)
    {
        EXPECT_EQ(Value(*plugin, band), 0.0);
        EXPECT_EQ(plugin->Engine().bandGains[band], 0.0);
    }
}

TEST(ParameterReactions, CustomCurveEditingFollowsModeAndCompensation)
{
    auto plugin = Prepared();
    Set(*plugin, kParamAutoEqCompensation, 2.0);
    EXPECT_FALSE(CustomCompensationEditing.load());
    Set(*plugin, kParamAutoEq, 2.0);
    EXPECT_TRUE(CustomCompensationEditing.load());

    Set(*plugin, kParamGain8, 5.0, ParameterChangeSource::Host);
    EXPECT_EQ(plugin->Engine().customCurve[8], 0.0);
    Set(*plugin, kParamGain8, 5.0, ParameterChangeSource::Editor);
    EXPECT_EQ(plugin->Engine().customCurve[8], 5.0);

    Set(*plugin, kParamAutoEq, 0.0);
    EXPECT_FALSE(CustomCompensationEditing.load());
}

TEST(ParameterReactions, IntegrationBetweenPositionsOnlyClearsHeldLevels)
{
    auto plugin = Prepared();
    std::vector<double> left(4096), right(4096);
    for (int j = 0; j < 4096; ++j)
    {
        left[j] = right[j] = std::sin(j * 0.14);
    }
    double* io[2] = {left.data(), right.data()};
    for (int start = 0; start < 4096; start += 512)
    {
        double* block[2] = {io[0] + start, io[1] + start};
        plugin->ProcessBlock(block, block, 512);
    }
    ASSERT_GT(plugin->Engine().heldLevels[17], 0.0);
    Set(*plugin, kParamIntegrationTime, 1.5);
    EXPECT_EQ(plugin->Engine().integrationTimeMs, 500);
    EXPECT_EQ(plugin->Engine().heldLevels[17], 0.0);
    Set(*plugin, kParamIntegrationTime, 0.0);
    EXPECT_EQ(plugin->Engine().integrationTimeMs, 125);
}

TEST(AudioFlow, EmptyBlockTouchesNothing)
{
    auto plugin = Prepared();
    double in0 = 1.0, in1 = 2.0, out0 = 5.0, out1 = 6.0;
    double* inputs[2] = {&in0, &in1};
    double* outputs[2] = {&out0, &out1};
    plugin->ProcessBlock(inputs, outputs, 0);
    EXPECT_EQ(out0, 5.0);
    EXPECT_EQ(out1, 6.0);
    EXPECT_EQ(in0, 1.0);
}

TEST(AudioFlow, InputAndOutputGainsCancelAroundAFlatEngine)
{
    auto plugin = Prepared();
    Set(*plugin, kParamInput, 6.0);
    Set(*plugin, kParamOutput, -6.0);
    std::vector<double> left(512), right(512), outLeft(512), outRight(512);
    for (int j = 0; j < 512; ++j)
    {
        left[j] = std::sin(j * 0.05) * 0.3;
        right[j] = std::cos(j * 0.07) * 0.2;
    }
    const std::vector<double> original = left;
    double* inputs[2] = {left.data(), right.data()};
    double* outputs[2] = {outLeft.data(), outRight.data()};
    plugin->ProcessBlock(inputs, outputs, 512);
    for (int j = 0; j < 512; ++j)
    {
        ASSERT_NEAR(outLeft[j], original[j], 1e-12);
    }
}

TEST(AudioFlow, AutoEqWritesGainsBackUnlessTheCurveIsBeingEdited)
{
    for (bool dragging : {false, true})
    {
        auto plugin = Prepared();
        Set(*plugin, kParamAutoEqCompensation, 2.0);
        Set(*plugin, kParamAutoEq, 2.0);
        FaderDragActive.store(dragging);
        std::vector<double> left(512), right(512);
        for (int block = 0; block < 40; ++block)
        {
            for (int j = 0; j < 512; ++j)
            {
                left[j] = right[j] = 0.5 * std::sin((block * 512 + j) * 0.142);
            }
            double* io[2] = {left.data(), right.data()};
            plugin->ProcessBlock(io, io, 512);
        }
        FaderDragActive.store(false);
        const double engineGain = plugin->Engine().bandGains[17];
        ASSERT_NE(engineGain, 0.0);
        if (dragging)
        {
            EXPECT_EQ(Value(*plugin, kParamGain17), 0.0);
        }
        else
        {
            EXPECT_EQ(Value(*plugin, kParamGain17), std::clamp(engineGain, -15.0, 15.0));
        }
    }
}

TEST(AudioFlow, BlockLongerThanTheHostBlockSizeIsProcessedSafely)
{
    auto plugin = Prepared(256);
    Set(*plugin, kParamGain12, 6.0);
    const int frames = 40000;
    std::vector<double> left(frames, 0.25), right(frames, -0.25), out0(frames), out1(frames);
    double* inputs[2] = {left.data(), right.data()};
    double* outputs[2] = {out0.data(), out1.data()};
    plugin->ProcessBlock(inputs, outputs, frames);
    for (int j = 0; j < frames; ++j)
    {
        ASSERT_TRUE(std::isfinite(out0[j]) && std::isfinite(out1[j]));
    }
}

} // namespace
