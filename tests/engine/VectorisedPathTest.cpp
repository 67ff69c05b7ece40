// The vectorised equaliser and analyser against the filters run one by one: identical samples,
// levels and gains, bit for bit.

#include "engine/AudioPlugin.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{

struct Scenario
{
    const char* name;
    bool displaySide;
    bool autoEq;
    bool lucky;
    int activeBandStride;     // every n-th band gets a gain; the others stay at 0 dB
    int sampleRateHz = 44100; // below 44.1 kHz the top bands are not carried
};

std::unique_ptr<AudioPlugin> Engine(const Scenario& scenario, bool reference)
{
    auto engine = std::make_unique<AudioPlugin>();
    engine->UseReferencePath(reference);
    engine->SetSampleRate(scenario.sampleRateHz);
    engine->SetBlockSize(4097);
    engine->SetOversampling(1);
    engine->displayMode = scenario.displaySide;
    engine->luckyAlgorithm = scenario.lucky;
    engine->autoEqActive = scenario.autoEq;
    engine->autoEqContinuous = scenario.autoEq;
    engine->compensation = kCompensationDefault;
    for (int band = 0; band < kBandCount; band += scenario.activeBandStride)
    {
        engine->SetBandGain((band % 5) * 2.5 - 6.0 + 0.5, band);
    }
    return engine;
}

class VectorisedPath : public ::testing::TestWithParam<Scenario>
{
};

TEST_P(VectorisedPath, MatchesTheReferenceBitForBit)
{
    const Scenario& scenario = GetParam();
    auto fast = Engine(scenario, false);
    auto reference = Engine(scenario, true);
    unsigned seed = 99;
    auto next = [&seed]
    {
        seed = seed * 1664525u + 1013904223u;
        return (static_cast<double>(seed >> 8) / (1 << 24) - 0.5);
    };
    int blockIndex = 0;
    for (int frames : {0, 1, 127, 128, 129, 4097, 129, 1, 2000})
    {
        std::vector<double> left(static_cast<size_t>(frames));
        std::vector<double> right(static_cast<size_t>(frames));
        for (int j = 0; j < frames; ++j)
        {
            left[j] = next();
            right[j] = next() * 0.5;
        }
        std::vector<double> left2 = left;
        std::vector<double> right2 = right;
        double* a[2] = {left.data(), right.data()};
        double* b[2] = {left2.data(), right2.data()};
        fast->Process(a, frames);
        reference->Process(b, frames);
        ASSERT_EQ(left, left2) << "block " << blockIndex;
        ASSERT_EQ(right, right2) << "block " << blockIndex;
        ASSERT_EQ(fast->bandLevels, reference->bandLevels) << "block " << blockIndex;
        ASSERT_EQ(fast->heldLevels, reference->heldLevels) << "block " << blockIndex;
        ASSERT_EQ(fast->bandGains, reference->bandGains) << "block " << blockIndex;
        // A gain change in the middle of the run starts ramps that cross block boundaries.
        if (blockIndex == 3)
        {
            for (auto* engine : {fast.get(), reference.get()})
            {
                engine->SetBandGain(3.0, 4);
                engine->SetBandGain(0.0, 10);
                engine->SetBandGain(-9.0, 11);
            }
        }
        ++blockIndex;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, VectorisedPath,
    ::testing::Values(Scenario{"AllBands", false, false, false, 1},
                      Scenario{"SparseBandsSide", true, false, false, 3},
                      Scenario{"ContinuousAutoEq", false, true, false, 1},
                      Scenario{"LuckyAutoEq", true, true, true, 2},
                      Scenario{"FlatAnalyserOnly", false, false, false, 99},
                      Scenario{"AllBandsAt16k", false, false, false, 1, 16000},
                      Scenario{"ContinuousAutoEqAt8k", true, true, false, 1, 8000},
                      Scenario{"LuckyAutoEqAt22k", false, true, true, 1, 22050}),
    [](const ::testing::TestParamInfo<Scenario>& param) { return std::string(param.param.name); });

} // namespace
