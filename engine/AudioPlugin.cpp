#include "engine/AudioPlugin.h"

#include "dsp/Dsp.h"

#include <algorithm>
#include <cmath>

namespace
{

using ShelfFilter = Dsp::SmoothedFilterDesign<Dsp::RBJ::Design::BandShelf, 2, Dsp::DirectFormII>;
using BandPassFilter =
    Dsp::FilterDesign<Dsp::Butterworth::Design::BandPass<4>, 2, Dsp::DirectFormII>;

constexpr int kBandPassOrder = 4;
constexpr double kShelfWidthOctaves = 1.0 / 3.0;
// exp(-0.2302585092994) = 10^(-0.1): the -2 dB pad of the Lucky rule.
const double kLuckyPad = std::exp(-0.2302585092994);

double ClampUserGain(double gainDb)
{
    return std::clamp(gainDb, -AudioPlugin::kMaxUserGainDb, AudioPlugin::kMaxUserGainDb);
}

} // namespace

struct AudioPlugin::Filters
{
    std::array<std::unique_ptr<ShelfFilter>, kBandCount> shelves;
    std::array<std::unique_ptr<BandPassFilter>, kBandCount> bandPasses;

    Filters()
    {
        for (int band = 0; band < kBandCount; ++band)
        {
            shelves[band] = std::make_unique<ShelfFilter>();
            bandPasses[band] = std::make_unique<BandPassFilter>();
        }
    }
};

AudioPlugin::AudioPlugin()
    : levelFloor(std::exp(-6.907755278982)), mid_(kMaxFrames), side_(kMaxFrames),
      scratch0_(kMaxFrames), scratch1_(kMaxFrames), filters_(std::make_unique<Filters>())
{
    MarkUnprepared();
    LimitWetFrames(kMaxFrames);
    UpdateIntegration();
}

AudioPlugin::~AudioPlugin() = default;

double AudioPlugin::BandFrequencyHz(int band) noexcept
{
    return static_cast<double>(kBandCentreHz[static_cast<size_t>(band)]);
}

void AudioPlugin::Configure()
{
    // A rate of 0 would give non-finite coefficients, so it counts as not prepared too.
    if (!Prepared())
    {
        return;
    }
    const double internalRateHz = static_cast<double>(SampleRate()) * OversamplingFactor();
    const double edgeRatio = std::pow(2.0, 1.0 / 6.0);
    for (int band = 0; band < kBandCount; ++band)
    {
        const double centreHz = BandFrequencyHz(band);
        Dsp::FilterParams shelf{};
        shelf[0] = internalRateHz;
        shelf[1] = centreHz;
        shelf[2] = bandGains[band];
        shelf[3] = kShelfWidthOctaves;
        filters_->shelves[band]->SetParams(shelf);

        Dsp::FilterParams bandPass{};
        bandPass[0] = internalRateHz;
        bandPass[1] = kBandPassOrder;
        bandPass[2] = centreHz;
        bandPass[3] = centreHz * edgeRatio - centreHz / edgeRatio;
        filters_->bandPasses[band]->SetParams(bandPass);
    }
    UpdateIntegration();
}

void AudioPlugin::ApplyGainToShelf(int band, double gainDb) noexcept
{
    if (Prepared())
    {
        filters_->shelves[band]->SetParamById(Dsp::kParamGain, gainDb);
    }
}

void AudioPlugin::SetBandGain(double gainDb, int band)
{
    if (band < 0 || band >= kBandCount || !std::isfinite(gainDb))
    {
        return;
    }
    const double applied = ClampUserGain(gainDb);
    bandGains[band] = applied;
    if (eqAmount > 0.0)
    {
        rawBandGains[band] = gainDb / eqAmount;
    }
    ApplyGainToShelf(band, applied);
}

void AudioPlugin::SetEqAmount(double amount, bool apply)
{
    if (!std::isfinite(amount))
    {
        return;
    }
    eqAmount = amount;
    if (!apply)
    {
        return;
    }
    for (int band = 0; band < kBandCount; ++band)
    {
        const double scaled = rawBandGains[band] * amount;
        if (std::isnan(scaled))
        {
            continue; // an overflowed stored gain times 0: keep what the band has
        }
        const double applied = ClampUserGain(scaled);
        bandGains[band] = applied;
        if (amount > 0.0)
        {
            rawBandGains[band] = scaled / amount;
        }
        ApplyGainToShelf(band, applied);
    }
}

void AudioPlugin::UpdateIntegration()
{
    const int rateHz = SampleRate() * OversamplingFactor();
    const double coefficient = std::pow(0.01, 1.0 / (integrationTimeMs * rateHz * 0.001));
    for (BandDetector& detector : detectors_)
    {
        detector.rateHz = rateHz;
        detector.rise = coefficient;
        detector.fall = coefficient;
        detector.envelope = 0.0;
    }
}

void AudioPlugin::ClearHeldLevels()
{
    heldLevels.fill(0.0);
}

void AudioPlugin::SetCustomCurveValue(int band, double gainDb)
{
    if (band >= 0 && band < kBandCount && std::isfinite(gainDb))
    {
        customCurve[band] = gainDb;
    }
}

void AudioPlugin::ProcessWet(double* const* wet, int frames) noexcept
{
    if (!Prepared())
    {
        return;
    }
    SplitMidSide(wet, frames);
    if (!eqBypass)
    {
        RunEqualiser(frames);
    }
    RunAnalyser(frames);
    if (autoEqActive)
    {
        RunAutoEq();
    }
    JoinMidSide(wet, frames);
}

void AudioPlugin::SplitMidSide(double* const* wet, int frames) noexcept
{
    const double* left = wet[0];
    const double* right = wet[1];
    for (int j = 0; j < frames; ++j)
    {
        mid_[j] = (left[j] + right[j]) * 0.5;
        side_[j] = (left[j] - right[j]) * 0.5;
    }
}

void AudioPlugin::JoinMidSide(double* const* wet, int frames) noexcept
{
    double* left = wet[0];
    double* right = wet[1];
    for (int j = 0; j < frames; ++j)
    {
        left[j] = mid_[j] + side_[j];
        right[j] = mid_[j] - side_[j];
    }
}

void AudioPlugin::RunEqualiser(int frames) noexcept
{
    double* midSide[2] = {mid_.data(), side_.data()};
    for (int band = 0; band < kBandCount; ++band)
    {
        // A band at exactly 0 dB stands still: no processing, its state and ramp frozen.
        if (bandGains[band] != 0.0)
        {
            filters_->shelves[band]->Process(frames, midSide);
        }
    }
    if (luckyAlgorithm)
    {
        for (int j = 0; j < frames; ++j)
        {
            mid_[j] *= kLuckyPad;
            side_[j] *= kLuckyPad;
        }
    }
}

void AudioPlugin::RunAnalyser(int frames) noexcept
{
    // +3 dB: the reported level of a band is its largest smoothed value, raised by 3 dB.
    constexpr double kLevelBoost = 1.4125375446227544;
    double* scratch[2] = {scratch0_.data(), scratch1_.data()};
    const double* source = displayMode ? scratch[1] : scratch[0];
    for (int band = 0; band < kBandCount; ++band)
    {
        std::copy(mid_.data(), mid_.data() + frames, scratch[0]);
        std::copy(side_.data(), side_.data() + frames, scratch[1]);
        filters_->bandPasses[band]->Process(frames, scratch);

        BandDetector& detector = detectors_[band];
        double level = 0.0;
        double envelope = detector.envelope;
        for (int j = 0; j < frames; ++j)
        {
            const double rectified = std::fabs(source[j]);
            const double g = rectified > envelope ? detector.rise : detector.fall;
            envelope = (1.0 - g) * rectified + g * envelope;
            level = std::max(level, envelope * kLevelBoost);
        }
        detector.envelope = envelope;
        // Later pieces of one long block extend the block's level instead of replacing it.
        bandLevels[band] = PieceIndex() > 0 ? std::max(bandLevels[band], level) : level;
        if (level > heldLevels[band] && std::isfinite(level))
        {
            heldLevels[band] = level;
        }
    }
}

double AudioPlugin::AutoEqGain(int band, double reference) const noexcept
{
    const double hi = std::exp(1.7269388197455);
    const double lo = std::exp(-1.7269388197455);
    double ratio = std::max(std::min(reference / heldLevels[band], hi), lo);
    if (compensation == kCompensationDefault)
    {
        ratio *= std::exp(defaultCurve[band] * kDbToLinear);
    }
    else if (compensation == kCompensationCustom)
    {
        ratio *= std::exp(customCurve[band] * kDbToLinear);
    }
    // The Lucky rule uses the linear ratio itself as the gain value in dB.
    const double gainDb = luckyAlgorithm ? ratio : kLinearToDb * std::log(std::fabs(ratio));
    return eqAmount * gainDb;
}

void AudioPlugin::RunAutoEq() noexcept
{
    double loudest = 0.0;
    double sum = 0.0;
    for (double held : heldLevels)
    {
        loudest = std::max(loudest, held);
        sum += held;
    }
    const double mean = sum / kBandCount;
    const double threshold =
        loudest > 0.0 ? std::exp((kLinearToDb * std::log(std::fabs(loudest)) - 30.0) * kDbToLinear)
                      : 0.0;
    const double neutralDb = luckyAlgorithm ? 1.0 : 0.0;
    double running = mean;
    for (int band = 0; band < kBandCount; ++band)
    {
        double reference = mean;
        if (!luckyAlgorithm)
        {
            double neighbourhood = 0.0;
            if (band == 0)
            {
                neighbourhood = (heldLevels[0] + heldLevels[1]) / 2.0;
            }
            else if (band == kBandCount - 1)
            {
                neighbourhood = (heldLevels[band - 1] + heldLevels[band]) / 2.0;
            }
            else
            {
                neighbourhood =
                    (heldLevels[band - 1] + heldLevels[band] + heldLevels[band + 1]) / 3.0;
            }
            running = 0.5 * (neighbourhood + running);
            reference = running;
        }
        const double held = heldLevels[band];
        const double gainDb =
            held > threshold && held > levelFloor ? AutoEqGain(band, reference) : NAN;
        if (std::isfinite(gainDb))
        {
            bandGains[band] = gainDb;
            rawBandGains[band] = gainDb;
            ApplyGainToShelf(band, gainDb);
        }
        else if (bandGains[band] != neutralDb)
        {
            // Below the thresholds (or an unusable level): the band returns to 0 dB.
            ApplyGainToShelf(band, 0.0);
            bandGains[band] = 0.0;
        }
        if (autoEqContinuous)
        {
            heldLevels[band] = held * 0.999;
        }
    }
}
