// Four threads on one plug-in instance for a bounded time, as a host and a user drive it at
// once: blocks on the audio thread, automation of every parameter with good and bad values,
// editor frames with drags on faders and knobs, and state saves and restores. Built with
// ThreadSanitizer this must report no race; with AddressSanitizer no memory error. At the end
// every parameter is finite and in range and the engine agrees with the parameters.
//
// KESTRUNE_STRESS_SECONDS sets the duration (5 seconds without it).

#include "tests/reliability/ReliabilityHarness.h"
#include "tests/reliability/TestDuration.h"
#include "tests/support/PreparedProduct.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <limits>
#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace
{

using namespace reliability;
using Clock = std::chrono::steady_clock;

constexpr int kPreparedFrames = 1024;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double StressSeconds()
{
    return std::clamp(SecondsFromEnvironment("KESTRUNE_STRESS_SECONDS", 5.0), 0.1, 3600.0);
}

// Normalised values a host may send, sane and not; non-finite ones must be refused.
constexpr double kNormalisedValues[] = {kNaN, kInf, -kInf, -1.0, 2.0,  1e300, -1e300,
                                        0.0,  1.0,  0.5,   0.25, 0.75, 1e-300};

struct AudioFigures
{
    long blocks = 0;
    long frames = 0;
    long nonFiniteBlocks = 0;
};

struct HostFigures
{
    long changes = 0;
    long refusedAsExpected = 0;
    long wrongAnswers = 0; // a finite value refused or a non-finite one taken
};

struct StateFigures
{
    long saves = 0;
    long restores = 0;
    long failures = 0;
};

AudioFigures RunAudio(VantorKestrune& plug, Clock::time_point end)
{
    // Sizes within the prepared block; a size change resets processing, as a host's does.
    const int sizes[] = {1024, 512, 512, 256, 1000, 64, 1, 333, 1024, 777, 128, 1024};
    TestSignal signal(kPreparedFrames);
    AudioFigures figures;
    for (long block = 0; Clock::now() < end; ++block)
    {
        const int frames = sizes[block % std::size(sizes)];
        // Every 16th block carries a NaN and an infinity, which the engine treats as silence.
        const bool poisoned = block % 16 == 5;
        const float keptLeft = signal.left[3 % frames];
        const float keptRight = signal.right[0];
        if (poisoned)
        {
            signal.left[3 % frames] = std::numeric_limits<float>::quiet_NaN();
            signal.right[0] = std::numeric_limits<float>::infinity();
        }
        // Every 23rd clean block is bypassed by the host.
        const bool bypassed = !poisoned && block % 23 == 11;
        plug.RenderBlock(signal.In(), 2, signal.Out(), 2, frames, bypassed);
        signal.left[3 % frames] = keptLeft;
        signal.right[0] = keptRight;
        if (!signal.OutputFinite(frames))
        {
            ++figures.nonFiniteBlocks;
        }
        ++figures.blocks;
        figures.frames += frames;
    }
    return figures;
}

HostFigures RunHost(VantorKestrune& plug, Clock::time_point end)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    HostFigures figures;
    for (long i = 0; Clock::now() < end; ++i)
    {
        const int index = static_cast<int>(i % kNumParams);
        const IPlugParameter& param = *plug.Param(index);
        const long pass = i / kNumParams;
        double value = 0.0;
        bool accepted = false;
        if (pass % 2 == 0)
        {
            const size_t row = static_cast<size_t>(pass / 2 + index) % std::size(kNormalisedValues);
            value = row == std::size(kNormalisedValues) - 1 ? unit(random) : kNormalisedValues[row];
            accepted = plug.SetParameterFromHost(index, value);
        }
        else
        {
            // Real values: in range, at and beyond the ends, huge and non-finite.
            const double span = param.Max() - param.Min();
            const double reals[] = {param.Min() + unit(random) * span,
                                    param.Min(),
                                    param.Max(),
                                    param.Min() - 1.0,
                                    param.Max() + span,
                                    1e308,
                                    -1e308,
                                    kNaN,
                                    kInf};
            value = reals[static_cast<size_t>(pass / 2 + index) % std::size(reals)];
            accepted = plug.SetParameterValueFromHost(index, value);
        }
        const bool finite = std::isfinite(value);
        if (accepted != finite)
        {
            ++figures.wrongAnswers;
        }
        else if (!accepted)
        {
            ++figures.refusedAsExpected;
        }
        ++figures.changes;
        if (i % 8 == 0)
        {
            std::this_thread::yield();
        }
    }
    return figures;
}

long RunEditor(IGraphicsOffscreen& editor, Clock::time_point end)
{
    const std::vector<IControl*> controls = DraggableControls(editor);
    const auto period = std::chrono::microseconds(1000000 / 30);
    auto next = Clock::now();
    long frames = 0;
    while (Clock::now() < end)
    {
        EditorGestureAndFrame(editor, controls, frames);
        ++frames;
        next += period;
        std::this_thread::sleep_until(next);
    }
    return frames;
}

StateFigures RunState(VantorKestrune& plug, Clock::time_point end)
{
    std::mt19937 random(11);
    std::deque<StateChunk> documents; // the first one of the run and the latest ones
    StateFigures figures;
    for (long i = 0; Clock::now() < end; ++i)
    {
        StateChunk saved;
        if (!plug.SerializeState(saved))
        {
            ++figures.failures;
        }
        ++figures.saves;
        documents.push_back(std::move(saved));
        if (documents.size() > 24)
        {
            documents.erase(documents.begin() + 1);
        }
        // Restore the one just saved, or one from earlier in the run.
        const size_t pick = i % 3 == 0 ? documents.size() - 1 : random() % documents.size();
        if (plug.DeserializeState(documents[pick], 0) < 0)
        {
            ++figures.failures;
        }
        ++figures.restores;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return figures;
}

double Clamped(double gainDb)
{
    return std::clamp(gainDb, -kMaxUserGainDb, kMaxUserGainDb);
}

TEST(Stress, FourThreadsOnOneInstance)
{
    std::unique_ptr<VantorKestrune> plug = PreparedProduct(kRateHz, kPreparedFrames);
    auto* editor = dynamic_cast<IGraphicsOffscreen*>(plug->Editor());
    ASSERT_NE(editor, nullptr);
    ASSERT_GT(DraggableControls(*editor).size(), 31u);
    UseBusyAutoEq(*plug);

    const double seconds = StressSeconds();
    const Clock::time_point start = Clock::now();
    const Clock::time_point end =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    AudioFigures audio;
    HostFigures host;
    StateFigures state;
    long editorFrames = 0;
    {
        std::thread audioThread([&] { audio = RunAudio(*plug, end); });
        std::thread hostThread([&] { host = RunHost(*plug, end); });
        std::thread stateThread([&] { state = RunState(*plug, end); });
        editorFrames = RunEditor(*editor, end);
        audioThread.join();
        hostThread.join();
        stateThread.join();
    }
    const double reached = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("stress: %.2f s; audio %ld blocks, %ld frames; host %ld parameter changes "
                "(%ld refused as expected); editor %ld frames; state %ld saves, %ld restores\n",
                reached, audio.blocks, audio.frames, host.changes, host.refusedAsExpected,
                editorFrames, state.saves, state.restores);
    RecordProperty("seconds", static_cast<int>(reached));
    RecordProperty("blocks", static_cast<int>(audio.blocks));
    RecordProperty("parameter_changes", static_cast<int>(host.changes));

    EXPECT_GE(reached, seconds);
    EXPECT_GT(audio.blocks, 0);
    EXPECT_GT(host.changes, 0);
    EXPECT_GT(editorFrames, 0);
    EXPECT_GT(state.restores, 0);
    EXPECT_EQ(audio.nonFiniteBlocks, 0);
    EXPECT_EQ(host.wrongAnswers, 0);
    EXPECT_EQ(state.failures, 0);
    EXPECT_FALSE(FaderDragActive.load());

    for (int i = 0; i < kNumParams; ++i)
    {
        const IPlugParameter& param = *plug->Param(i);
        EXPECT_TRUE(std::isfinite(param.Value())) << i;
        EXPECT_GE(param.Value(), param.Min()) << i;
        EXPECT_LE(param.Value(), param.Max()) << i;
    }

    // One more block: a running Auto EQ has written its gains into the band parameters.
    TestSignal signal(kPreparedFrames);
    plug->RenderBlock(signal.In(), 2, signal.Out(), 2, kPreparedFrames, false);
    EXPECT_TRUE(signal.OutputFinite(kPreparedFrames));
    const int mode = static_cast<int>(plug->Param(kParamAutoEq)->Value());
    if (mode == kAutoEqStatic || mode == kAutoEqContinuous)
    {
        for (int band = 0; band < kBandCount; ++band)
        {
            EXPECT_EQ(plug->Param(BandGainParam(band))->Value(),
                      Clamped(plug->Engine().bandGains[band]))
                << band;
        }
    }

    // Settle: the Auto EQ off, then the state the parameters hold restored, which announces
    // every parameter to the engine. The engine then runs exactly what the parameters say.
    ASSERT_TRUE(plug->SetParameterValueFromHost(kParamAutoEq, kAutoEqOff));
    StateChunk settled;
    ASSERT_TRUE(plug->SerializeState(settled));
    ASSERT_GE(plug->DeserializeState(settled, 0), 0);
    plug->RenderBlock(signal.In(), 2, signal.Out(), 2, kPreparedFrames, false);
    EXPECT_TRUE(signal.OutputFinite(kPreparedFrames));
    const AudioPlugin& engine = plug->Engine();
    for (int band = 0; band < kBandCount; ++band)
    {
        EXPECT_EQ(engine.bandGains[band], plug->Param(BandGainParam(band))->Value()) << band;
    }
    EXPECT_FALSE(engine.autoEqActive);
    EXPECT_EQ(engine.eqAmount, plug->Param(kParamEqAmount)->Value() / 100.0);
    EXPECT_EQ(engine.eqBypass, plug->Param(kParamBypassEq)->Value() >= 0.5);
    EXPECT_EQ(engine.displayMode, plug->Param(kParamDisplayMode)->Value() != 0.0);
    EXPECT_EQ(engine.luckyAlgorithm, plug->Param(kParamLuckyAutoEq)->Value() >= 0.5);
    EXPECT_EQ(engine.compensation,
              static_cast<int>(plug->Param(kParamAutoEqCompensation)->Value()));
    const double integration = plug->Param(kParamIntegrationTime)->Value();
    const int integrationMs[] = {125, 500, 2000};
    if (integration == 0.0 || integration == 1.0 || integration == 2.0)
    {
        EXPECT_EQ(engine.integrationTimeMs, integrationMs[static_cast<int>(integration)]);
    }
    CustomCompensationEditing = false;
}

} // namespace
