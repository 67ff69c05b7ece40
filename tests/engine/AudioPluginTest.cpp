#include "engine/AudioPlugin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace
{

std::unique_ptr<AudioPlugin> PreparedEngine(int sampleRateHz = 44100, int blockSize = 512)
{
    auto engine = std::make_unique<AudioPlugin>();
    engine->SetSampleRate(sampleRateHz);
    engine->SetBlockSize(blockSize);
    engine->SetOversampling(1);
    engine->SetMix(1.0);
    return engine;
}

struct Stereo
{
    std::vector<double> left;
    std::vector<double> right;
    double* pointers[2] = {nullptr, nullptr};

    double* const* Channels()
    {
        pointers[0] = left.data();
        pointers[1] = right.data();
        return pointers;
    }
    int Frames() const { return static_cast<int>(left.size()); }
};

// Deterministic noise-like material, different on both channels.
Stereo Noise(int frames, unsigned seed = 1)
{
    Stereo s;
    unsigned state = seed;
    for (int j = 0; j < frames; ++j)
    {
        state = state * 1664525u + 1013904223u;
        s.left.push_back((static_cast<double>(state >> 8) / (1 << 24) - 0.5) * 0.8);
        state = state * 1664525u + 1013904223u;
        s.right.push_back((static_cast<double>(state >> 8) / (1 << 24) - 0.5) * 0.4);
    }
    return s;
}

Stereo Sine(double freqHz, int sampleRateHz, int frames, double amplitude, bool mono)
{
    Stereo s;
    for (int j = 0; j < frames; ++j)
    {
        const double x = amplitude * std::sin(2.0 * std::numbers::pi * freqHz * j / sampleRateHz);
        s.left.push_back(x);
        s.right.push_back(mono ? x : 0.0);
    }
    return s;
}

void ProcessInBlocks(AudioPlugin& engine, Stereo& signal, int blockFrames)
{
    for (int start = 0; start < signal.Frames(); start += blockFrames)
    {
        const int n = std::min(blockFrames, signal.Frames() - start);
        double* channels[2] = {signal.left.data() + start, signal.right.data() + start};
        engine.Process(channels, n);
    }
}

TEST(AudioPlugin, BandTableKeepsItsNonIsoEntries)
{
    EXPECT_EQ(AudioPlugin::BandFrequencyHz(0), 20.0);
    EXPECT_EQ(AudioPlugin::BandFrequencyHz(2), 31.5);
    EXPECT_EQ(AudioPlugin::BandFrequencyHz(15), 635.0);
    EXPECT_EQ(AudioPlugin::BandFrequencyHz(25), 6350.0);
    EXPECT_EQ(AudioPlugin::BandFrequencyHz(28), 12000.0);
    EXPECT_EQ(AudioPlugin::BandFrequencyHz(30), 20000.0);
}

TEST(AudioPlugin, UnpreparedEngineLeavesTheSignalAlone)
{
    AudioPlugin engine;
    engine.SetBandGain(9.0, 17);
    Stereo signal = Noise(256);
    const Stereo original = signal;
    engine.Process(signal.Channels(), signal.Frames());
    EXPECT_EQ(signal.left, original.left);
    EXPECT_EQ(signal.right, original.right);
    EXPECT_EQ(engine.bandGains[17], 9.0);
}

TEST(AudioPlugin, FlatEqualiserPassesInputUpToMidSideRounding)
{
    struct Case
    {
        bool lucky;
        bool bypass;
        double expectedGain;
    };
    const double pad = std::exp(-0.2302585092994);
    for (const Case& c : {Case{false, false, 1.0}, Case{true, false, pad}, Case{true, true, 1.0}})
    {
        auto engine = PreparedEngine();
        engine->luckyAlgorithm = c.lucky;
        engine->eqBypass = c.bypass;
        Stereo signal = Noise(1000);
        const Stereo original = signal;
        ProcessInBlocks(*engine, signal, 512);
        for (int j = 0; j < signal.Frames(); ++j)
        {
            ASSERT_NEAR(signal.left[j], original.left[j] * c.expectedGain, 1e-15);
            ASSERT_NEAR(signal.right[j], original.right[j] * c.expectedGain, 1e-15);
        }
    }
}

TEST(AudioPlugin, BandGainIsClampedAndRemembersTheUnscaledValue)
{
    auto engine = PreparedEngine();
    engine->SetBandGain(20.0, 5);
    EXPECT_EQ(engine->bandGains[5], 15.0);
    EXPECT_EQ(engine->rawBandGains[5], 20.0);

    engine->SetEqAmount(0.5, false);
    engine->SetBandGain(6.0, 0);
    EXPECT_EQ(engine->rawBandGains[0], 12.0);
    engine->SetEqAmount(1.0, true);
    EXPECT_EQ(engine->bandGains[0], 12.0);
    engine->SetEqAmount(0.25, true);
    EXPECT_EQ(engine->bandGains[0], 3.0);

    engine->SetEqAmount(0.0, true);
    engine->SetBandGain(-7.0, 0);
    EXPECT_EQ(engine->bandGains[0], -7.0);
    EXPECT_EQ(engine->rawBandGains[0], 12.0);
}

TEST(AudioPlugin, NonFiniteGainsAndAmountsNeverReachTheFilters)
{
    auto engine = PreparedEngine();
    engine->SetBandGain(4.0, 3);
    engine->SetBandGain(NAN, 3);
    engine->SetBandGain(INFINITY, 3);
    engine->SetBandGain(1.0, 31);
    engine->SetBandGain(1.0, -1);
    EXPECT_EQ(engine->bandGains[3], 4.0);
    engine->SetEqAmount(NAN, true);
    EXPECT_EQ(engine->eqAmount, 1.0);
    engine->SetCustomCurveValue(2, NAN);
    EXPECT_EQ(engine->customCurve[2], 0.0);

    Stereo signal = Noise(2048);
    signal.left[100] = NAN;
    signal.right[700] = INFINITY;
    ProcessInBlocks(*engine, signal, 512);
    for (int j = 0; j < signal.Frames(); ++j)
    {
        ASSERT_TRUE(std::isfinite(signal.left[j]) && std::isfinite(signal.right[j])) << j;
    }
}

TEST(AudioPlugin, MonoInputStaysMonoThroughTheEqualiser)
{
    auto engine = PreparedEngine();
    for (int band = 0; band < kBandCount; ++band)
    {
        engine->SetBandGain(band % 2 == 0 ? 6.0 : -4.5, band);
    }
    Stereo signal = Noise(1500);
    signal.right = signal.left;
    ProcessInBlocks(*engine, signal, 512);
    // The side filters only see their own denormal offsets.
    for (int j = 0; j < signal.Frames(); ++j)
    {
        ASSERT_NEAR(signal.left[j], signal.right[j], 1e-5) << j;
    }
}

TEST(AudioPlugin, BoostedBandRaisesASineAtItsCentre)
{
    auto engine = PreparedEngine();
    engine->SetBandGain(12.0, 17);
    Stereo signal = Sine(1000.0, 44100, 44100, 0.1, false);
    ProcessInBlocks(*engine, signal, 512);
    double peak = 0.0;
    for (int j = 40000; j < 44100; ++j)
    {
        peak = std::max(peak, std::fabs(signal.left[j]));
    }
    EXPECT_NEAR(8.685889638065037 * std::log(peak / 0.1), 12.0, 0.1);
}

TEST(AudioPlugin, SteadySineAtBandCentreReadsItsRectifiedMeanPlus3Db)
{
    auto engine = PreparedEngine();
    // 1 kHz is band 17; L = R keeps the full sine in the mid signal.
    Stereo signal = Sine(1000.0, 44100, 44100 * 4, 1.0, true);
    ProcessInBlocks(*engine, signal, 512);
    EXPECT_NEAR(engine->bandLevels[17], 0.8997, 0.002);
    EXPECT_NEAR(8.685889638065037 * std::log(engine->bandLevels[17]), -0.92, 0.02);
    EXPECT_GE(engine->heldLevels[17], engine->bandLevels[17]);
    EXPECT_LT(engine->bandLevels[10], 0.01);
    EXPECT_LT(engine->bandLevels[24], 0.01);
}

TEST(AudioPlugin, SideMeasurementOfMonoSignalReadsZero)
{
    auto engine = PreparedEngine();
    engine->displayMode = true;
    Stereo signal = Sine(1000.0, 44100, 8192, 0.7, true);
    ProcessInBlocks(*engine, signal, 512);
    for (int band = 0; band < kBandCount; ++band)
    {
        // Only the filters' denormal offset remains, far below anything shown.
        EXPECT_LT(engine->bandLevels[band], 1e-6) << band;
    }
}

TEST(AudioPlugin, EmptyBlockClearsBandLevelsAndKeepsHeldLevels)
{
    auto engine = PreparedEngine();
    Stereo signal = Noise(2048);
    ProcessInBlocks(*engine, signal, 512);
    const auto held = engine->heldLevels;
    ASSERT_GT(held[20], 0.0);
    double* channels[2] = {signal.left.data(), signal.right.data()};
    engine->Process(channels, 0);
    for (int band = 0; band < kBandCount; ++band)
    {
        EXPECT_EQ(engine->bandLevels[band], 0.0);
    }
    EXPECT_EQ(engine->heldLevels, held);
}

TEST(AudioPlugin, IntegrationChangeRestartsTheEnvelopes)
{
    // After a loud sine a silent block still reads the decaying envelope, unless the envelopes
    // were restarted in between.
    for (bool restart : {false, true})
    {
        auto engine = PreparedEngine();
        Stereo loud = Sine(1000.0, 44100, 44100, 1.0, true);
        ProcessInBlocks(*engine, loud, 512);
        if (restart)
        {
            engine->integrationTimeMs = 125;
            engine->UpdateIntegration();
        }
        Stereo silence{std::vector<double>(512, 0.0), std::vector<double>(512, 0.0)};
        ProcessInBlocks(*engine, silence, 512);
        if (restart)
        {
            EXPECT_LT(engine->bandLevels[17], 0.2);
        }
        else
        {
            EXPECT_GT(engine->bandLevels[17], 0.85);
        }
    }
}

TEST(AudioPlugin, LongBlockMatchesTheSameMaterialInBufferSizedBlocks)
{
    auto whole = PreparedEngine(48000, 512);
    auto pieces = PreparedEngine(48000, 512);
    for (auto* engine : {whole.get(), pieces.get()})
    {
        engine->SetBandGain(5.0, 12);
        engine->SetBandGain(-8.0, 26);
    }
    Stereo a = Noise(40000, 7);
    Stereo b = a;
    // 40000 frames exceed both the 512-frame buffers and the 16384-frame scratch buffers.
    whole->Process(a.Channels(), a.Frames());
    ProcessInBlocks(*pieces, b, 512);
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.right, b.right);
    EXPECT_EQ(whole->heldLevels, pieces->heldLevels);
    // One call reports the level of all its pieces, not only of the last one.
    for (int band = 0; band < kBandCount; ++band)
    {
        EXPECT_GE(whole->bandLevels[band], pieces->bandLevels[band]);
    }
}

// Auto EQ on prepared held levels: an empty block runs the rule without new analysis.
void RunAutoEqOnce(AudioPlugin& engine)
{
    double left = 0.0;
    double right = 0.0;
    double* channels[2] = {&left, &right};
    engine.Process(channels, 0);
}

TEST(AudioPlugin, AutoEqWithNoHeldLevelsReturnsEveryBandToZero)
{
    auto engine = PreparedEngine();
    engine->SetBandGain(7.0, 4);
    engine->SetBandGain(-3.0, 30);
    engine->autoEqActive = true;
    RunAutoEqOnce(*engine);
    for (int band = 0; band < kBandCount; ++band)
    {
        EXPECT_EQ(engine->bandGains[band], 0.0) << band;
    }
    EXPECT_EQ(engine->rawBandGains[4], 7.0);
}

TEST(AudioPlugin, AutoEqOnFlatSpectrumGivesTheCompensationCurve)
{
    struct Case
    {
        int compensation;
        double amount;
    };
    for (const Case& c : {Case{kCompensationNone, 1.0}, Case{kCompensationDefault, 1.0},
                          Case{kCompensationDefault, 0.5}, Case{kCompensationCustom, 0.8}})
    {
        auto engine = PreparedEngine();
        engine->heldLevels.fill(0.2);
        engine->compensation = c.compensation;
        engine->eqAmount = c.amount;
        for (int band = 0; band < kBandCount; ++band)
        {
            engine->SetCustomCurveValue(band, band * 0.5 - 7.0);
        }
        engine->autoEqActive = true;
        RunAutoEqOnce(*engine);
        for (int band = 0; band < kBandCount; ++band)
        {
            double curve = 0.0;
            if (c.compensation == kCompensationDefault)
            {
                curve = engine->defaultCurve[band];
            }
            else if (c.compensation == kCompensationCustom)
            {
                curve = band * 0.5 - 7.0;
            }
            EXPECT_NEAR(engine->bandGains[band], c.amount * curve, 1e-9) << band;
            EXPECT_EQ(engine->rawBandGains[band], engine->bandGains[band]);
        }
        if (c.compensation == kCompensationDefault)
        {
            EXPECT_NEAR(engine->bandGains[30], -9.0 * c.amount, 1e-9);
        }
    }
}

TEST(AudioPlugin, AutoEqCutsAStandoutBandAndIgnoresQuietOnes)
{
    auto engine = PreparedEngine();
    engine->heldLevels.fill(0.01);
    engine->heldLevels[10] = 0.1;    // 20 dB above the rest
    engine->heldLevels[20] = 0.002;  // more than 30 dB below the loudest
    engine->heldLevels[25] = 0.0005; // below the -60 dB floor
    engine->SetBandGain(5.0, 20);
    engine->SetBandGain(5.0, 25);
    engine->compensation = kCompensationNone;
    engine->autoEqActive = true;
    RunAutoEqOnce(*engine);
    EXPECT_LT(engine->bandGains[10], -3.0);
    EXPECT_GE(engine->bandGains[10], -15.0);
    EXPECT_EQ(engine->bandGains[20], 0.0);
    EXPECT_EQ(engine->bandGains[25], 0.0);
    EXPECT_GT(engine->bandGains[11], 0.0); // the neighbour is pulled up by band 10
}

TEST(AudioPlugin, AutoEqGainsAreNotClampedToTheUserRange)
{
    auto engine = PreparedEngine();
    engine->heldLevels.fill(0.5);
    engine->heldLevels[4] = 0.05; // far below its reference: ratio limited to +15 dB
    engine->compensation = kCompensationDefault;
    engine->autoEqActive = true;
    RunAutoEqOnce(*engine);
    EXPECT_NEAR(engine->bandGains[4], 18.0, 1e-9);
}

TEST(AudioPlugin, LuckyRuleOnFlatSpectrumGivesOneDecibelAndPads)
{
    auto engine = PreparedEngine();
    engine->heldLevels.fill(0.3);
    engine->compensation = kCompensationNone;
    engine->luckyAlgorithm = true;
    engine->autoEqActive = true;
    RunAutoEqOnce(*engine);
    for (int band = 0; band < kBandCount; ++band)
    {
        EXPECT_NEAR(engine->bandGains[band], 1.0, 1e-12) << band;
    }
}

TEST(AudioPlugin, ContinuousModeDecaysHeldLevels)
{
    auto engine = PreparedEngine();
    engine->heldLevels.fill(0.5);
    engine->autoEqActive = true;
    engine->autoEqContinuous = true;
    for (int block = 0; block < 1000; ++block)
    {
        RunAutoEqOnce(*engine);
    }
    EXPECT_NEAR(engine->heldLevels[7] / 0.5, std::pow(0.999, 1000), 1e-12);
    EXPECT_NEAR(engine->heldLevels[7] / 0.5, 0.368, 0.001);
}

TEST(AudioPlugin, StaticModeCutsAStandoutToneInTheSignal)
{
    auto engine = PreparedEngine();
    engine->compensation = kCompensationNone;
    engine->autoEqActive = true;
    Stereo signal = Sine(1000.0, 44100, 44100, 0.5, true);
    const Stereo low = Sine(100.0, 44100, 44100, 0.05, true);
    for (int j = 0; j < signal.Frames(); ++j)
    {
        signal.left[j] += low.left[j];
        signal.right[j] += low.right[j];
    }
    ProcessInBlocks(*engine, signal, 512);
    EXPECT_LT(engine->bandGains[17], -3.0);
    for (double gain : engine->bandGains)
    {
        EXPECT_TRUE(std::isfinite(gain));
    }
    double peak = 0.0;
    for (int j = 40000; j < 44100; ++j)
    {
        peak = std::max(peak, std::fabs(signal.left[j]));
    }
    EXPECT_LT(peak, 0.5);
}

} // namespace
