// Soak test: long stretches of simulated audio through the plug-in, driven as a host drives it,
// with random automation of every parameter, Auto EQ mode changes and varied input (noise,
// sines, silence, loud bursts, impulses) in blocks of varying length; at 48 kHz for the full
// duration, and for a tenth of it at each of the other rates from 8 kHz to 192 kHz, where the
// rate leaves the top bands out.
//
// Every block is checked for non-finite and subnormal samples and against a level bound: the
// output peak may not exceed the recent input peak times the largest gain the settings of the
// recent past allow (input gain, the equaliser's combined response, output gain), with a small
// margin for filter overshoot. A second test checks that silence after loud material costs no
// more CPU time than noise (no denormal slow-down) and that the output holds no subnormal value.
//
// Simulated duration: KESTRUNE_SOAK_SECONDS (default 300, 30 in sanitizer builds). The one-hour
// soak on a release build:
//   KESTRUNE_SOAK_SECONDS=3600 build/tests/reliability_soak_tests

#include "engine/BandResponse.h"
#include "plugin/VantorKestrune.h"
#include "tests/reliability/TestDuration.h"
#include "tests/support/PreparedProduct.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr double kDefaultSoakSeconds = 30.0;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr double kDefaultSoakSeconds = 30.0;
#else
constexpr double kDefaultSoakSeconds = 300.0;
#endif
#else
constexpr double kDefaultSoakSeconds = 300.0;
#endif

constexpr double kMainRateHz = 48000.0;
constexpr int kMaxBlockFrames = 512;
// How far back the level bound looks: the slowest shelf (20 Hz, largest boost) decays by more
// than 60 dB within this time, so older input cannot show in the output any more.
constexpr double kMemorySeconds = 4.0;
// Filter overshoot allowed above the steady-state bound: the peak of filtered noise can exceed
// the largest magnitude response times the input peak (the impulse response's L1 norm exceeds
// its peak gain), and ramping coefficients add a little. An hour of this soak came to 0.82 of
// the bound at most; 1.5 (+3.5 dB) still catches a runaway or a gain applied twice.
constexpr double kOvershootMargin = 1.5;
// The filters' denormal offsets (1e-8) keep a resting equaliser slightly away from zero, and
// boosted bands raise that residue (measured: 1.5e-6 after seconds of silence with a 15 dB
// band); an output below this level counts as silence whatever the bound.
constexpr double kNoiseFloor = 1e-5;
// Band gains are rounded up to this step for the bound, so that the combined response is only
// recomputed when the gains really move.
constexpr double kGainStepDb = 0.25;
// Auto EQ gains are not clamped to the faders' range: the level ratio (+-15 dB) plus the
// largest compensation value (+15 dB, a custom curve from the faders), or with the Lucky rule
// the linear ratio (10^(15/20)) times the same compensation used as dB.
const double kLargestAutoEqGainDb = std::max(30.0, std::pow(10.0, 30.0 / 20.0));

double SoakSeconds()
{
    return reliability::SecondsFromEnvironment("KESTRUNE_SOAK_SECONDS", kDefaultSoakSeconds);
}

double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

bool SubnormalOrNonFinite(double x)
{
    const int kind = std::fpclassify(x);
    return kind == FP_SUBNORMAL || kind == FP_NAN || kind == FP_INFINITE;
}

std::unique_ptr<VantorKestrune> PreparedPlugin(double rateHz = kMainRateHz)
{
    std::unique_ptr<VantorKestrune> plugin = PreparedProduct(rateHz, kMaxBlockFrames);
    // A host announces every parameter once at the start.
    for (int i = 0; i < plugin->ParameterCount(); ++i)
    {
        plugin->SetParameterFromHost(i, plugin->Param(i)->Normalized());
    }
    return plugin;
}

// Input material, one segment at a time: each segment has a kind, a length and its own levels.
class Material
{
public:
    enum Kind
    {
        kNoise,
        kSines,
        kSilence,
        kBurst,
        kImpulses,
        kKinds
    };

    Material(std::mt19937_64& random, double rateHz) : random_(random), rateHz_(rateHz)
    {
        NextSegment();
    }

    // Fills `frames` samples of both channels; returns the block's input peak.
    double Fill(double* left, double* right, int frames)
    {
        double peak = 0.0;
        for (int j = 0; j < frames; ++j)
        {
            if (remainingFrames_-- <= 0)
            {
                NextSegment();
            }
            double l = 0.0;
            double r = 0.0;
            switch (kind_)
            {
            case kNoise:
            case kBurst:
                l = amplitude_ * uniform_(random_);
                r = correlation_ * l + (1.0 - correlation_) * amplitude_ * uniform_(random_);
                break;
            case kSines:
                for (int s = 0; s < 3; ++s)
                {
                    phases_[s] += phaseSteps_[s];
                    l += amplitude_ / 3.0 * std::sin(phases_[s]);
                    r += amplitude_ / 3.0 * std::cos(phases_[s] * (1.0 - correlation_));
                }
                break;
            case kImpulses:
                if (++sinceImpulse_ >= impulseSpacing_)
                {
                    sinceImpulse_ = 0;
                    l = amplitude_;
                    r = correlation_ > 0.5 ? amplitude_ : -amplitude_;
                }
                break;
            default:
                break;
            }
            left[j] = l;
            right[j] = r;
            peak = std::max({peak, std::fabs(l), std::fabs(r)});
        }
        return peak;
    }

    int segments = 0;

private:
    void NextSegment()
    {
        ++segments;
        kind_ = static_cast<Kind>(std::uniform_int_distribution<int>(0, kKinds - 1)(random_));
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        double seconds = 0.2 + 2.8 * unit(random_);
        correlation_ = unit(random_);
        // Levels from -60 dBFS to full scale; bursts are short and up to +12 dBFS.
        amplitude_ = std::pow(10.0, -3.0 * unit(random_));
        if (kind_ == kBurst)
        {
            amplitude_ = std::pow(10.0, 0.6 * unit(random_));
            seconds = 0.01 + 0.3 * unit(random_);
        }
        for (double& step : phaseSteps_)
        {
            // 10 Hz .. half the rate, log-uniform.
            step = 2.0 * M_PI * 10.0 * std::pow(rateHz_ / 20.0, unit(random_)) / rateHz_;
        }
        impulseSpacing_ = 1 + static_cast<int>(unit(random_) * rateHz_ * 0.5);
        remainingFrames_ = static_cast<int>(seconds * rateHz_);
    }

    std::mt19937_64& random_;
    double rateHz_;
    std::uniform_real_distribution<double> uniform_{-1.0, 1.0};
    Kind kind_ = kSilence;
    int remainingFrames_ = 0;
    double amplitude_ = 0.0;
    double correlation_ = 0.0;
    std::array<double, 3> phases_{};
    std::array<double, 3> phaseSteps_{};
    int impulseSpacing_ = 1;
    int sinceImpulse_ = 0;
};

// The equaliser's combined magnitude response for a set of band gains: the largest value over a
// dense logarithmic grid (64 points per octave from 10 Hz to the Nyquist frequency) and the band
// centres. Cut bands count as they are; a boost is never underestimated between grid points by
// more than a fraction of a dB, which the overshoot margin covers. Bands the rate does not
// carry pass the signal unchanged and count as 0 dB.
class ResponseBound
{
public:
    explicit ResponseBound(double rateHz) : rateHz_(rateHz)
    {
        for (double hz = 10.0; hz < rateHz / 2.0; hz *= std::pow(2.0, 1.0 / 64.0))
        {
            frequencies_.push_back(hz);
        }
        for (int band = 0; band < kBandCount; ++band)
        {
            if (BandCarriedAt(band, rateHz))
            {
                frequencies_.push_back(BandCentreHz(band));
            }
        }
    }

    double LargestMagnitude(const std::array<double, kBandCount>& gainsDb)
    {
        if (valid_ && gainsDb == gainsDb_)
        {
            return largest_;
        }
        gainsDb_ = gainsDb;
        valid_ = true;
        const BandResponse response(rateHz_, gainsDb);
        largest_ = 0.0;
        for (double hz : frequencies_)
        {
            largest_ = std::max(largest_, response.Magnitude(hz));
        }
        ++recomputations;
        return largest_;
    }

    int recomputations = 0;

private:
    double rateHz_;
    std::vector<double> frequencies_;
    std::array<double, kBandCount> gainsDb_{};
    bool valid_ = false;
    double largest_ = 1.0;
};

// The recent past the output of a block can depend on, and the level bound that follows from it.
// A band's shelf keeps its state while the band rests at exactly 0 dB or the equaliser is
// bypassed, and picks it up again when it runs next: what it holds then is as old as the blocks
// it last ran in. So each band keeps its own memory, advanced only by the blocks it ran in and
// consulted only when it runs; everything else is remembered along the plain block count.
class LevelBound
{
public:
    LevelBound(int memoryBlocks, double rateHz) : memoryBlocks_(memoryBlocks), response_(rateHz) {}

    // Called after each block with the input peak times the input gain, the band gains of the
    // block and which bands ran in it. Returns the bound before the output gain: the largest
    // input a running filter may still hold, through the equaliser at the largest gains a band
    // may still be ramping from or have left its mark with in the bands after it (the
    // magnitude at every frequency grows with each band's gain).
    double Update(double scaledInputPeak, const std::array<double, kBandCount>& gainsDb,
                  const std::array<bool, kBandCount>& ran)
    {
        // The bands run in order; a band that runs again releases what it held into the bands
        // after it and into the output.
        Entry plain{scaledInputPeak, {}};
        for (int band = 0; band < kBandCount; ++band)
        {
            plain.gainsDb[band] = std::ceil(gainsDb[band] / kGainStepDb) * kGainStepDb;
            if (!ran[band])
            {
                continue;
            }
            for (const Entry& past : bands_[band])
            {
                plain.scaledInputPeak = std::max(plain.scaledInputPeak, past.scaledInputPeak);
            }
            Push(bands_[band], {plain.scaledInputPeak, {plain.gainsDb[band]}});
        }
        Push(plain_, plain);
        double recentInput = 0.0;
        std::array<double, kBandCount> recentGains = plain.gainsDb;
        for (const Entry& past : plain_)
        {
            recentInput = std::max(recentInput, past.scaledInputPeak);
            for (int band = 0; band < kBandCount; ++band)
            {
                recentGains[band] = std::max(recentGains[band], past.gainsDb[band]);
            }
        }
        for (int band = 0; band < kBandCount; ++band)
        {
            for (const Entry& past : bands_[band])
            {
                if (ran[band])
                {
                    recentGains[band] = std::max(recentGains[band], past.gainsDb[0]);
                }
            }
        }
        lastInput = recentInput;
        return recentInput * response_.LargestMagnitude(recentGains);
    }

    int Recomputations() const { return response_.recomputations; }
    double lastInput = 0.0; // the largest remembered input of the last Update

private:
    struct Entry
    {
        double scaledInputPeak;
        std::array<double, kBandCount> gainsDb; // a band's own memory uses the first only
    };

    void Push(std::deque<Entry>& memory, const Entry& entry) const
    {
        memory.push_back(entry);
        if (static_cast<int>(memory.size()) > memoryBlocks_)
        {
            memory.pop_front();
        }
    }

    int memoryBlocks_;
    std::deque<Entry> plain_;
    std::array<std::deque<Entry>, kBandCount> bands_;
    ResponseBound response_;
};

class Automation
{
public:
    Automation(VantorKestrune& plugin, std::mt19937_64& random) : plugin_(plugin), random_(random)
    {
    }

    // Changes a few random parameters to random values inside their ranges, mostly through the
    // host path; band gains sometimes come from the editor, which edits the custom curve while
    // the Auto EQ runs with it.
    void Step()
    {
        std::uniform_int_distribution<int> count(1, 6);
        std::uniform_int_distribution<int> anyParam(0, kNumParams - 1);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        const int changes = count(random_);
        for (int i = 0; i < changes; ++i)
        {
            // Every third change is an Auto EQ mode change, the rest spread over the table.
            const int index = unit(random_) < 0.33 ? kParamAutoEq : anyParam(random_);
            IPlugParameter& param = *plugin_.Param(index);
            double value = param.Min() + unit(random_) * (param.Max() - param.Min());
            if (param.Kind() != ParameterKind::Double)
            {
                value = std::round(value);
            }
            if (IsBandGainParam(index) && unit(random_) < 0.3)
            {
                const auto lock = plugin_.LockPlugin();
                param.SetClamped(value);
                plugin_.OnParameterChanged(index, ParameterChangeSource::Editor);
            }
            else
            {
                plugin_.SetParameterFromHost(index, param.ToNormalized(value));
            }
            ++parameterChanges;
            if (index == kParamAutoEq)
            {
                ++modeChanges;
            }
        }
    }

    long parameterChanges = 0;
    long modeChanges = 0;

private:
    VantorKestrune& plugin_;
    std::mt19937_64& random_;
};

double DbToLinear(double db)
{
    return std::pow(10.0, db / 20.0);
}

class SoakAtRate : public ::testing::TestWithParam<double>
{
};

TEST_P(SoakAtRate, RandomAutomationAndMaterialStayFiniteAndBounded)
{
    const double rateHz = GetParam();
    const double seconds = rateHz == kMainRateHz ? SoakSeconds() : SoakSeconds() / 10.0;
    const auto wallStart = std::chrono::steady_clock::now();
    std::mt19937_64 random(20240611);
    auto plugin = PreparedPlugin(rateHz);
    Material material(random, rateHz);
    Automation automation(*plugin, random);
    LevelBound levelBound(static_cast<int>(kMemorySeconds * rateHz / kMaxBlockFrames) + 1, rateHz);

    std::vector<double> left(kMaxBlockFrames);
    std::vector<double> right(kMaxBlockFrames);
    const long totalFrames = static_cast<long>(seconds * rateHz);
    std::uniform_int_distribution<int> blockLength(1, kMaxBlockFrames);
    std::uniform_int_distribution<int> blocksUntilChange(1, 100);
    std::uniform_real_distribution<double> unit(0.0, 1.0);

    long blocks = 0;
    long framesDone = 0;
    int untilChange = blocksUntilChange(random);
    double largestRatio = 0.0; // output peak over the bound without margin
    double largestOutputPeak = 0.0;
    double largestGainDb = 0.0;
    int failures = 0;
    while (framesDone < totalFrames && failures < 5)
    {
        if (--untilChange <= 0)
        {
            automation.Step();
            untilChange = blocksUntilChange(random);
        }
        // Mostly full blocks, sometimes a short one as hosts send around loop points.
        const int frames = unit(random) < 0.8 ? kMaxBlockFrames : blockLength(random);
        const double inputPeak = material.Fill(left.data(), right.data(), frames);

        const double scaledInputPeak = inputPeak * DbToLinear(plugin->Param(kParamInput)->Value());
        // A band runs in a block when, as the block starts, the equaliser is on and the band's
        // gain is not exactly 0 dB.
        std::array<bool, kBandCount> ran{};
        std::array<double, kBandCount> gainsDb{};
        for (int band = 0; band < kBandCount; ++band)
        {
            gainsDb[band] = plugin->Engine().bandGains[band];
            ran[band] = !plugin->Engine().eqBypass && gainsDb[band] != 0.0;
        }
        double* channels[2] = {left.data(), right.data()};
        {
            const auto lock = plugin->LockPlugin();
            plugin->ProcessBlock(channels, channels, frames);
        }
        // The Auto EQ may have set new gains at the end of the block; their ramps start now.
        for (int band = 0; band < kBandCount; ++band)
        {
            const double gainDb = plugin->Engine().bandGains[band];
            largestGainDb = std::max(largestGainDb, std::fabs(gainDb));
            gainsDb[band] = std::max(gainsDb[band], gainDb);
        }
        const double bound = levelBound.Update(scaledInputPeak, gainsDb, ran) *
                             DbToLinear(plugin->Param(kParamOutput)->Value());

        double outputPeak = 0.0;
        int badSamples = 0;
        for (int j = 0; j < frames; ++j)
        {
            badSamples += SubnormalOrNonFinite(left[j]) + SubnormalOrNonFinite(right[j]);
            outputPeak = std::max({outputPeak, std::fabs(left[j]), std::fabs(right[j])});
        }
        largestOutputPeak = std::max(largestOutputPeak, outputPeak);
        if (outputPeak > kNoiseFloor && bound > 0.0)
        {
            largestRatio = std::max(largestRatio, outputPeak / bound);
        }
        const bool bounded = outputPeak <= kOvershootMargin * bound + kNoiseFloor;
        const bool gainsInRange = largestGainDb <= kLargestAutoEqGainDb;
        if (badSamples > 0 || !bounded || !gainsInRange)
        {
            ++failures;
            ADD_FAILURE() << "block " << blocks << " at " << framesDone / rateHz
                          << " s: " << badSamples
                          << " non-finite or subnormal samples, output peak " << outputPeak
                          << ", bound " << bound << " (recent input " << levelBound.lastInput
                          << "), largest band gain " << largestGainDb << " dB";
        }
        ++blocks;
        framesDone += frames;
    }
    const double wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    std::printf("soak at %.0f Hz: %.0f simulated s, %ld blocks, %d segments, %ld parameter changes "
                "(%ld Auto "
                "EQ mode), %.1f s wall (%.0fx real time); largest output %.3g, largest output "
                "over bound %.3f, largest band gain %.2f dB, %d response recomputations\n",
                rateHz, framesDone / rateHz, blocks, material.segments, automation.parameterChanges,
                automation.modeChanges, wallSeconds, framesDone / rateHz / wallSeconds,
                largestOutputPeak, largestRatio, largestGainDb, levelBound.Recomputations());
    EXPECT_GE(framesDone, totalFrames);
    EXPECT_GT(automation.modeChanges, 0);
}

INSTANTIATE_TEST_SUITE_P(Rates, SoakAtRate,
                         ::testing::Values(kMainRateHz, 8000.0, 11025.0, 16000.0, 22050.0, 24000.0,
                                           32000.0, 96000.0, 192000.0),
                         [](const ::testing::TestParamInfo<double>& param)
                         { return std::to_string(static_cast<int>(param.param)) + "Hz"; });

// Loud material with every band boosted, then silence: the filters must not fall into
// subnormal numbers, which would make silence far more expensive than noise.
TEST(Soak, SilenceAfterLoudMaterialCostsNoMoreThanNoise)
{
    auto plugin = PreparedPlugin();
    for (int band = 0; band < kBandCount; ++band)
    {
        IPlugParameter& gain = *plugin->Param(BandGainParam(band));
        plugin->SetParameterFromHost(BandGainParam(band),
                                     gain.ToNormalized(band % 2 == 0 ? 12.0 : -9.0));
    }
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    std::vector<double> left(kMaxBlockFrames);
    std::vector<double> right(kMaxBlockFrames);
    auto run = [&](int blocks, double amplitude, int* subnormals)
    {
        const double start = ThreadCpuSeconds();
        for (int b = 0; b < blocks; ++b)
        {
            for (int j = 0; j < kMaxBlockFrames; ++j)
            {
                left[j] = amplitude * noise(random);
                right[j] = amplitude * noise(random);
            }
            double* channels[2] = {left.data(), right.data()};
            {
                const auto lock = plugin->LockPlugin();
                plugin->ProcessBlock(channels, channels, kMaxBlockFrames);
            }
            if (subnormals != nullptr)
            {
                for (int j = 0; j < kMaxBlockFrames; ++j)
                {
                    *subnormals += SubnormalOrNonFinite(left[j]) + SubnormalOrNonFinite(right[j]);
                }
                for (double level : plugin->Engine().bandLevels)
                {
                    *subnormals += SubnormalOrNonFinite(level);
                }
            }
        }
        return ThreadCpuSeconds() - start;
    };

    // 2 s of loud noise, then 60 s of silence for every state to decay as far as it will.
    run(190, 2.0, nullptr);
    int subnormals = 0;
    run(5625, 0.0, &subnormals);
    EXPECT_EQ(subnormals, 0);

    // Alternating rounds, so that a change of machine load affects both kinds alike; the
    // cheapest round of each kind is compared.
    constexpr int kRoundBlocks = 200;
    double noiseSeconds = 1e9;
    double silenceSeconds = 1e9;
    for (int round = 0; round < 5; ++round)
    {
        noiseSeconds = std::min(noiseSeconds, run(kRoundBlocks, 0.5, nullptr));
        run(940, 0.0, nullptr); // 10 s of silence between, so the next round starts decayed
        silenceSeconds = std::min(silenceSeconds, run(kRoundBlocks, 0.0, &subnormals));
    }
    EXPECT_EQ(subnormals, 0);
    std::printf("denormal check: silence %.3f ms, noise %.3f ms per %d blocks, ratio %.2f\n",
                1e3 * silenceSeconds, 1e3 * noiseSeconds, kRoundBlocks,
                silenceSeconds / noiseSeconds);
    EXPECT_LE(silenceSeconds, 3.0 * noiseSeconds);
}

} // namespace
