// The engine across its supported sample rates (8 kHz to 768 kHz): which bands each rate
// carries, finite and bounded output in every setting, recovery from a value that overflowed
// inside the filters, and unsupported rates passed through untouched.

#include "engine/AudioPlugin.h"
#include "engine/BandResponse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace
{

constexpr int kBlockFrames = 512;

std::unique_ptr<AudioPlugin> EngineAt(int sampleRateHz)
{
    auto engine = std::make_unique<AudioPlugin>();
    engine->SetSampleRate(sampleRateHz);
    engine->SetBlockSize(kBlockFrames);
    engine->SetOversampling(1);
    engine->SetMix(1.0);
    return engine;
}

// Pink-ish noise (white noise through a gentle one-pole low-pass) with a sweep on top, different
// on both channels, peak about 0.5.
class Material
{
public:
    explicit Material(int sampleRateHz) : sampleRateHz_(sampleRateHz) {}

    double Fill(std::vector<double>& left, std::vector<double>& right)
    {
        double peak = 0.0;
        for (std::size_t j = 0; j < left.size(); ++j)
        {
            lowPass_ = 0.9 * lowPass_ + 0.1 * Uniform();
            const double sweepHz = 20.0 * std::pow(1000.0, std::fmod(t_ / 2.0, 1.0));
            phase_ +=
                2.0 * std::numbers::pi * std::min(sweepHz, 0.45 * sampleRateHz_) / sampleRateHz_;
            t_ += 1.0 / sampleRateHz_;
            left[j] = 0.15 * Uniform() + lowPass_ + 0.2 * std::sin(phase_);
            right[j] = 0.1 * Uniform() - lowPass_ + 0.2 * std::cos(phase_);
            peak = std::max({peak, std::fabs(left[j]), std::fabs(right[j])});
        }
        return peak;
    }

private:
    double Uniform()
    {
        seed_ = seed_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(seed_ >> 11) / 9007199254740992.0 * 2.0 - 1.0;
    }

    int sampleRateHz_;
    unsigned long long seed_ = 12345;
    double lowPass_ = 0.0;
    double phase_ = 0.0;
    double t_ = 0.0;
};

// The largest magnitude of the carried shelves at the given gains, over a dense grid up to the
// Nyquist frequency. The magnitude at every frequency grows with each band's gain, so the
// largest gains a band had bound what it can have applied.
double LargestMagnitude(int sampleRateHz, const std::vector<double>& gainsDb)
{
    std::array<double, kBandCount> gains{};
    std::copy_n(gainsDb.begin(), kBandCount, gains.begin());
    const BandResponse response(sampleRateHz, gains);
    double largest = 0.0;
    for (double hz = 10.0; hz < sampleRateHz / 2.0; hz *= std::pow(2.0, 1.0 / 64.0))
    {
        largest = std::max(largest, response.Magnitude(hz));
    }
    return largest;
}

TEST(SampleRates, EachRateCarriesTheBandsBelowItsNyquistLimit)
{
    struct Case
    {
        int sampleRateHz;
        int carriedBands; // bands 0 .. carriedBands - 1
    };
    for (const Case& c :
         {Case{8000, 23}, Case{11025, 25}, Case{16000, 26}, Case{22050, 28}, Case{24000, 28},
          Case{32000, 29}, Case{44100, 31}, Case{48000, 31}, Case{96000, 31}, Case{768000, 31}})
    {
        auto engine = EngineAt(c.sampleRateHz);
        for (int band = 0; band < kBandCount; ++band)
        {
            EXPECT_EQ(engine->BandCarried(band), band < c.carriedBands)
                << c.sampleRateHz << " Hz, band " << band;
        }
    }
    EXPECT_FALSE(AudioPlugin().BandCarried(0)) << "an unprepared engine carries no band";
}

struct Setting
{
    const char* name;
    double gainDb; // every band; alternating signs when `alternate`
    bool alternate;
    bool autoEq;
    bool continuous;
    bool lucky;
};

struct SweepCase
{
    int sampleRateHz;
    Setting setting;
};

class RateSweep : public ::testing::TestWithParam<SweepCase>
{
};

// Two seconds of material at the rate: every sample finite, the peak within what the largest
// gains the bands had allow (with room for filter overshoot), bands the rate does not carry
// silent in the analyser and at 0 dB, the others measured.
TEST_P(RateSweep, OutputIsFiniteAndBounded)
{
    const int rate = GetParam().sampleRateHz;
    const Setting& setting = GetParam().setting;
    auto engine = EngineAt(rate);
    for (int band = 0; band < kBandCount; ++band)
    {
        engine->SetBandGain(setting.alternate && band % 2 ? -setting.gainDb : setting.gainDb, band);
    }
    engine->autoEqActive = setting.autoEq;
    engine->autoEqContinuous = setting.continuous;
    engine->luckyAlgorithm = setting.lucky;

    Material material(rate);
    std::vector<double> left(kBlockFrames);
    std::vector<double> right(kBlockFrames);
    std::vector<double> largestGainsDb(engine->bandGains.begin(), engine->bandGains.end());
    double inputPeak = 0.0;
    double outputPeak = 0.0;
    long nonFinite = 0;
    for (long done = 0; done < 2L * rate; done += kBlockFrames)
    {
        inputPeak = std::max(inputPeak, material.Fill(left, right));
        double* channels[2] = {left.data(), right.data()};
        engine->Process(channels, kBlockFrames);
        for (int j = 0; j < kBlockFrames; ++j)
        {
            nonFinite += !std::isfinite(left[j]) + !std::isfinite(right[j]);
            outputPeak = std::max({outputPeak, std::fabs(left[j]), std::fabs(right[j])});
        }
        for (int band = 0; band < kBandCount; ++band)
        {
            largestGainsDb[band] = std::max(largestGainsDb[band], engine->bandGains[band]);
        }
    }
    ASSERT_EQ(nonFinite, 0);
    const double bound = inputPeak * LargestMagnitude(rate, largestGainsDb);
    EXPECT_LE(outputPeak, 1.5 * bound) << "bound " << bound;
    EXPECT_GT(outputPeak, 0.1 * inputPeak);
    for (int band = 0; band < kBandCount; ++band)
    {
        if (engine->BandCarried(band))
        {
            EXPECT_GT(engine->bandLevels[band], 0.0) << "band " << band;
            EXPECT_TRUE(std::isfinite(engine->bandGains[band])) << "band " << band;
        }
        else
        {
            EXPECT_EQ(engine->bandLevels[band], 0.0) << "band " << band;
            EXPECT_EQ(engine->heldLevels[band], 0.0) << "band " << band;
            if (setting.autoEq)
            {
                EXPECT_EQ(engine->bandGains[band], 0.0) << "band " << band;
            }
        }
    }
}

const Setting kSettings[] = {
    {"AllBandsUp15", 15.0, false, false, false, false},
    {"AllBandsDown15", -15.0, false, false, false, false},
    {"Alternating15", 15.0, true, false, false, false},
    {"AutoEqStatic", 0.0, false, true, false, false},
    {"AutoEqContinuous", 0.0, false, true, true, false},
    {"AutoEqLucky", 0.0, false, true, true, true},
};
const int kRates[] = {8000,  11025, 16000, 22050,  24000,  32000,
                      44100, 48000, 96000, 192000, 384000, 768000};

std::vector<SweepCase> SweepCases()
{
    std::vector<SweepCase> cases;
    for (int rate : kRates)
    {
        for (const Setting& setting : kSettings)
        {
            cases.push_back({rate, setting});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Rates, RateSweep, ::testing::ValuesIn(SweepCases()),
                         [](const ::testing::TestParamInfo<SweepCase>& param) {
                             return std::to_string(param.param.sampleRateHz) + "_" +
                                    param.param.setting.name;
                         });

// A band the rate does not carry passes the signal exactly as a band at 0 dB.
TEST(SampleRates, BandAboveTheLimitPassesTheSignalUnchanged)
{
    auto boosted = EngineAt(16000);
    auto flat = EngineAt(16000);
    boosted->SetBandGain(15.0, 26); // 8000 Hz, the Nyquist frequency
    boosted->SetBandGain(15.0, 30);
    Material material(16000);
    std::vector<double> left(kBlockFrames);
    std::vector<double> right(kBlockFrames);
    for (int block = 0; block < 20; ++block)
    {
        material.Fill(left, right);
        std::vector<double> left2 = left;
        std::vector<double> right2 = right;
        double* a[2] = {left.data(), right.data()};
        double* b[2] = {left2.data(), right2.data()};
        boosted->Process(a, kBlockFrames);
        flat->Process(b, kBlockFrames);
        ASSERT_EQ(left, left2);
        ASSERT_EQ(right, right2);
    }
}

// Changing rates with a band boosted that only one of the rates carries: the shelf starts
// afresh at the rate that carries it instead of ramping from a design that could not run.
TEST(SampleRates, RateChangesAcrossTheLimitStayFinite)
{
    auto engine = EngineAt(48000);
    engine->SetBandGain(12.0, 29); // 16 kHz: carried at 48 kHz, the Nyquist frequency at 32 kHz
    Material material(48000);
    std::vector<double> left(kBlockFrames);
    std::vector<double> right(kBlockFrames);
    for (int rate : {48000, 32000, 48000, 8000, 44100})
    {
        engine->SetSampleRate(rate);
        engine->SetOversampling(1);
        for (int block = 0; block < 10; ++block)
        {
            material.Fill(left, right);
            double* channels[2] = {left.data(), right.data()};
            engine->Process(channels, kBlockFrames);
            for (int j = 0; j < kBlockFrames; ++j)
            {
                ASSERT_TRUE(std::isfinite(left[j]) && std::isfinite(right[j]))
                    << rate << " Hz, block " << block;
                ASSERT_LT(std::fabs(left[j]), 4.0) << rate << " Hz, block " << block;
            }
        }
        EXPECT_EQ(engine->BandCarried(29), rate > 32000);
    }
}

// Values far beyond full scale overflow inside the filters; the engine clears what overflowed
// before the next block, so the output and the analysis (and with it the Auto EQ) recover.
TEST(SampleRates, OverflowInsideTheFiltersIsClearedAtTheNextBlock)
{
    auto engine = EngineAt(48000);
    for (int band = 0; band < kBandCount; ++band)
    {
        engine->SetBandGain(15.0, band);
    }
    engine->autoEqActive = true;
    Material material(48000);
    std::vector<double> left(kBlockFrames, 1e308);
    std::vector<double> right(kBlockFrames, -1e308);
    double* channels[2] = {left.data(), right.data()};
    engine->Process(channels, kBlockFrames);

    for (int block = 0; block < 3; ++block)
    {
        material.Fill(left, right);
        engine->Process(channels, kBlockFrames);
        for (int j = 0; j < kBlockFrames; ++j)
        {
            ASSERT_TRUE(std::isfinite(left[j]) && std::isfinite(right[j])) << "block " << block;
        }
        for (int band = 0; band < kBandCount; ++band)
        {
            EXPECT_TRUE(std::isfinite(engine->bandLevels[band])) << "band " << band;
            EXPECT_GT(engine->bandLevels[band], 0.0) << "band " << band;
            EXPECT_GT(engine->heldLevels[band], 0.0) << "band " << band;
            EXPECT_TRUE(std::isfinite(engine->bandGains[band])) << "band " << band;
        }
    }
}

// Outside 8 kHz .. 768 kHz the engine stays unprepared: the signal passes untouched and no band
// is measured.
TEST(SampleRates, UnsupportedRatesPassTheSignalThrough)
{
    for (int rate : {1, 4000, 7999, 768001, 2000000})
    {
        auto engine = EngineAt(rate);
        engine->SetBandGain(15.0, 3);
        engine->autoEqActive = true;
        Material material(48000);
        std::vector<double> left(kBlockFrames);
        std::vector<double> right(kBlockFrames);
        material.Fill(left, right);
        const std::vector<double> inLeft = left;
        const std::vector<double> inRight = right;
        double* channels[2] = {left.data(), right.data()};
        engine->Process(channels, kBlockFrames);
        EXPECT_EQ(left, inLeft) << rate;
        EXPECT_EQ(right, inRight) << rate;
        EXPECT_EQ(engine->bandLevels[3], 0.0) << rate;
        EXPECT_FALSE(engine->BandCarried(0)) << rate;
    }
}

} // namespace
