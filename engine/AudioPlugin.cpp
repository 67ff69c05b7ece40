#include "engine/AudioPlugin.h"

#include "dsp/Dsp.h"
#include "engine/BandKernels.h"

#include <algorithm>
#include <cmath>

namespace
{

// The equaliser's band shelf, with its channel states open to the vectorised shelf chain.
class ShelfFilter final
    : public Dsp::SmoothedFilterDesign<Dsp::RBJ::Design::BandShelf, 2, Dsp::DirectFormII>
{
public:
    auto& ChannelStates() noexcept { return m_channels; }
    bool Ramping() const noexcept { return RemainingTransitionSamples() > 0; }
};

// The analyser's band-pass, with its channel states open to the vectorised analyser, which
// runs the filter's own step on them.
class BandPassFilter final
    : public Dsp::FilterDesign<Dsp::Butterworth::Design::BandPass<4>, 2, Dsp::DirectFormII>
{
public:
    auto& ChannelStates() noexcept { return m_channels; }
};

constexpr int kBandPassOrder = 4;
// exp(-0.2302585092994) = 10^(-0.1): the -2 dB pad of the Lucky rule.
const double kLuckyPad = std::exp(-0.2302585092994);

double ClampUserGain(double gainDb)
{
    return std::clamp(gainDb, -kMaxUserGainDb, kMaxUserGainDb);
}

// Lanes of a band the rate does not carry: all coefficients and states zero, so the band reads
// a level of exactly 0, as the reference path reports it.
void SilenceAnalyserLanes(BandKernels::AnalyserGroup& group, int band) noexcept
{
    for (int channel = 0; channel < 2; ++channel)
    {
        const int lane = BandKernels::LaneOf(band, channel);
        for (BandKernels::SectionLanes& lanes : group.sections)
        {
            lanes.a1[lane] = lanes.a2[lane] = 0.0;
            lanes.b0[lane] = lanes.b1[lane] = lanes.b2[lane] = 0.0;
            lanes.w1[lane] = lanes.w2[lane] = 0.0;
        }
        group.envelope[lane] = 0.0;
    }
}

} // namespace

struct AudioPlugin::Filters
{
    std::array<std::unique_ptr<ShelfFilter>, kBandCount> shelves;
    std::array<std::unique_ptr<BandPassFilter>, kBandCount> bandPasses;
    // Working copy of the band-pass coefficients and states for the vectorised analyser.
    std::array<BandKernels::AnalyserGroup, BandKernels::kGroups> analyserGroups{};
    // Working copy of a chain of resting shelves for the vectorised equaliser.
    std::array<BandKernels::ShelfGroup, BandKernels::kGroups> shelfGroups{};

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
    return BandCentreHz(band);
}

bool AudioPlugin::SupportedSampleRate(double sampleRateHz) noexcept
{
    return sampleRateHz >= kMinSampleRateHz && sampleRateHz <= kMaxSampleRateHz;
}

bool AudioPlugin::BandCarried(int band) const noexcept
{
    return band >= 0 && band < carriedBands_;
}

double AudioPlugin::InternalRateHz() const noexcept
{
    return static_cast<double>(SampleRate()) * OversamplingFactor();
}

void AudioPlugin::Configure()
{
    if (!Prepared())
    {
        carriedBands_ = 0;
        return;
    }
    const double internalRateHz = InternalRateHz();
    int carriedBands = 0;
    for (int band = 0; band < kBandCount; ++band)
    {
        const bool carried = BandCarriedAt(band, internalRateHz);
        ConfigureShelf(band, internalRateHz, carried);
        ConfigureBandPass(band, internalRateHz, carried);
        if (!carried)
        {
            heldLevels[band] = 0.0;
            bandLevels[band] = 0.0;
        }
        carriedBands += carried ? 1 : 0;
    }
    carriedBands_ = carriedBands;
    UpdateIntegration();
}

void AudioPlugin::ConfigureShelf(int band, double internalRateHz, bool carried)
{
    Dsp::FilterParams params{};
    params[0] = internalRateHz;
    params[1] = BandFrequencyHz(band);
    params[2] = bandGains[band];
    params[3] = kShelfWidthOctaves;
    ShelfFilter& shelf = *filters_->shelves[band];
    shelf.SetParams(params);
    if (carried && !BandCarried(band))
    {
        // The shelf's last design could not run at the rate it was made for (or the band sat
        // out a rate that did not carry it): start afresh instead of ramping from there.
        shelf.FinishTransition();
        shelf.ResetState();
    }
}

void AudioPlugin::ConfigureBandPass(int band, double internalRateHz, bool carried)
{
    static const double edgeRatio = std::pow(2.0, 1.0 / 6.0);
    const double centreHz = BandFrequencyHz(band);
    Dsp::FilterParams params{};
    params[0] = internalRateHz;
    params[1] = kBandPassOrder;
    params[2] = centreHz;
    params[3] = centreHz * edgeRatio - centreHz / edgeRatio;
    // Designed even when not carried, so every band keeps its four sections; the analyser
    // does not run a band it does not carry.
    filters_->bandPasses[band]->SetParams(params);
    if (!carried)
    {
        filters_->bandPasses[band]->ResetState();
    }
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
    const double coefficient =
        std::pow(0.01, 1.0 / (static_cast<double>(integrationTimeMs) * rateHz * 0.001));
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

void AudioPlugin::ClearHistory() noexcept
{
    ClearResamplerHistory();
    for (int band = 0; band < kBandCount; ++band)
    {
        filters_->shelves[band]->ResetState();
        filters_->bandPasses[band]->ResetState();
        detectors_[band].envelope = 0.0;
    }
    bandLevels.fill(0.0);
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
    ClearNonFiniteState();
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

// A value that overflowed inside a filter or an envelope (from extreme input) would stay for
// good and silence the analyser; it is cleared before the next block, so output and analysis
// recover within one block. The check reads each filter's few state values once per block.
void AudioPlugin::ClearNonFiniteState() noexcept
{
    for (int band = 0; band < kBandCount; ++band)
    {
        ShelfFilter& shelf = *filters_->shelves[band];
        if (!shelf.StateFinite())
        {
            shelf.ResetState();
        }
        BandPassFilter& bandPass = *filters_->bandPasses[band];
        if (!bandPass.StateFinite())
        {
            bandPass.ResetState();
        }
        BandDetector& detector = detectors_[band];
        if (!std::isfinite(detector.envelope))
        {
            detector.envelope = 0.0;
        }
    }
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

void AudioPlugin::RunShelfChain(const int* bands, int count, int frames) noexcept
{
    if (count <= 0)
    {
        return;
    }
    for (int slot = 0; slot < count; ++slot)
    {
        ShelfFilter& filter = *filters_->shelves[bands[slot]];
        BandKernels::ShelfGroup& group = filters_->shelfGroups[BandKernels::GroupOf(slot)];
        const Dsp::BiquadCoefficients& section = filter.GetDesign().Section();
        auto& states = filter.ChannelStates();
        for (int channel = 0; channel < 2; ++channel)
        {
            const int lane = BandKernels::LaneOf(slot, channel);
            group.section.a1[lane] = section.a1;
            group.section.a2[lane] = section.a2;
            group.section.b0[lane] = section.b0;
            group.section.b1[lane] = section.b1;
            group.section.b2[lane] = section.b2;
            group.section.w1[lane] = states[channel].sections[0].w1;
            group.section.w2[lane] = states[channel].sections[0].w2;
            group.offset[lane] = states[channel].denormalOffset;
        }
    }
    BandKernels::RunShelfChain(filters_->shelfGroups.data(), count - 1, mid_.data(), side_.data(),
                               frames);
    for (int slot = 0; slot < count; ++slot)
    {
        auto& states = filters_->shelves[bands[slot]]->ChannelStates();
        const BandKernels::ShelfGroup& group = filters_->shelfGroups[BandKernels::GroupOf(slot)];
        for (int channel = 0; channel < 2; ++channel)
        {
            const int lane = BandKernels::LaneOf(slot, channel);
            states[channel].sections[0].w1 = group.section.w1[lane];
            states[channel].sections[0].w2 = group.section.w2[lane];
            states[channel].denormalOffset = group.offset[lane];
        }
    }
}

void AudioPlugin::RunEqualiser(int frames) noexcept
{
    double* midSide[2] = {mid_.data(), side_.data()};
    // Resting shelves are gathered into chains run side by side; a ramping shelf redesigns
    // itself every sample and runs on its own, in its place in the band order.
    std::array<int, kBandCount> chain{};
    int chainLength = 0;
    for (int band = 0; band < kBandCount; ++band)
    {
        // A band at exactly 0 dB stands still: no processing, its state and ramp frozen. So
        // does a band the rate does not carry.
        if (bandGains[band] == 0.0 || !BandCarried(band))
        {
            continue;
        }
        ShelfFilter& shelf = *filters_->shelves[band];
        if (!referencePath_ && !shelf.Ramping())
        {
            chain[chainLength++] = band;
            continue;
        }
        RunShelfChain(chain.data(), chainLength, frames);
        chainLength = 0;
        shelf.Process(frames, midSide);
    }
    RunShelfChain(chain.data(), chainLength, frames);
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
    if (referencePath_ || !AnalyserVectorisable())
    {
        RunAnalyserReference(frames);
        return;
    }
    LoadAnalyserLanes();
    BandKernels::RunAnalyser(filters_->analyserGroups.data(), BandKernels::kGroups, mid_.data(),
                             side_.data(), frames);
    StoreAnalyserLanes();
}

bool AudioPlugin::AnalyserVectorisable() const noexcept
{
    for (const auto& filter : filters_->bandPasses)
    {
        if (filter->GetDesign().SectionCount() != BandKernels::kBandPassSections)
        {
            return false;
        }
    }
    return true;
}

void AudioPlugin::LoadAnalyserLanes() noexcept
{
    for (int band = 0; band < kBandCount; ++band)
    {
        BandPassFilter& filter = *filters_->bandPasses[band];
        BandKernels::AnalyserGroup& group = filters_->analyserGroups[BandKernels::GroupOf(band)];
        const Dsp::BiquadCoefficients* sections = filter.GetDesign().Sections();
        auto& states = filter.ChannelStates();
        if (!BandCarried(band))
        {
            SilenceAnalyserLanes(group, band);
            continue;
        }
        for (int channel = 0; channel < 2; ++channel)
        {
            const int lane = BandKernels::LaneOf(band, channel);
            for (int s = 0; s < BandKernels::kBandPassSections; ++s)
            {
                BandKernels::SectionLanes& lanes = group.sections[s];
                lanes.a1[lane] = sections[s].a1;
                lanes.a2[lane] = sections[s].a2;
                lanes.b0[lane] = sections[s].b0;
                lanes.b1[lane] = sections[s].b1;
                lanes.b2[lane] = sections[s].b2;
                lanes.w1[lane] = states[channel].sections[s].w1;
                lanes.w2[lane] = states[channel].sections[s].w2;
            }
            group.offset[lane] = states[channel].denormalOffset;
            group.envelope[lane] = detectors_[band].envelope;
            group.rise[lane] = detectors_[band].rise;
            group.fall[lane] = detectors_[band].fall;
        }
    }
}

void AudioPlugin::StoreAnalyserLanes() noexcept
{
    const int measured = displayMode ? 1 : 0;
    for (int band = 0; band < kBandCount; ++band)
    {
        BandPassFilter& filter = *filters_->bandPasses[band];
        const BandKernels::AnalyserGroup& group =
            filters_->analyserGroups[BandKernels::GroupOf(band)];
        auto& states = filter.ChannelStates();
        for (int channel = 0; channel < 2; ++channel)
        {
            const int lane = BandKernels::LaneOf(band, channel);
            for (int s = 0; s < BandKernels::kBandPassSections; ++s)
            {
                states[channel].sections[s].w1 = group.sections[s].w1[lane];
                states[channel].sections[s].w2 = group.sections[s].w2[lane];
            }
            states[channel].denormalOffset = group.offset[lane];
        }
        const int lane = BandKernels::LaneOf(band, measured);
        detectors_[band].envelope = group.envelope[lane];
        RecordBandLevel(band, group.level[lane]);
    }
}

void AudioPlugin::RecordBandLevel(int band, double level) noexcept
{
    // Later pieces of one long block extend the block's level instead of replacing it.
    bandLevels[band] = PieceIndex() > 0 ? std::max(bandLevels[band], level) : level;
    if (level > heldLevels[band] && std::isfinite(level))
    {
        heldLevels[band] = level;
    }
}

void AudioPlugin::RunAnalyserReference(int frames) noexcept
{
    double* scratch[2] = {scratch0_.data(), scratch1_.data()};
    const double* source = displayMode ? scratch[1] : scratch[0];
    for (int band = 0; band < kBandCount; ++band)
    {
        BandDetector& detector = detectors_[band];
        if (!BandCarried(band))
        {
            detector.envelope = 0.0;
            RecordBandLevel(band, 0.0);
            continue;
        }
        std::copy(mid_.data(), mid_.data() + frames, scratch[0]);
        std::copy(side_.data(), side_.data() + frames, scratch[1]);
        filters_->bandPasses[band]->Process(frames, scratch);

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
        RecordBandLevel(band, level);
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

// The reference blends the spectrum of the carried bands only: at rates that do not carry the
// top bands, the highest carried band is the edge of the spectrum, and the bands above it are
// held at 0 dB. With every band carried this is the rule exactly as for 31 bands.
void AudioPlugin::RunAutoEq() noexcept
{
    const int carriedBands = carriedBands_;
    double loudest = 0.0;
    double sum = 0.0;
    for (int band = 0; band < carriedBands; ++band)
    {
        loudest = std::max(loudest, heldLevels[band]);
        sum += heldLevels[band];
    }
    const double mean = carriedBands > 0 ? sum / carriedBands : 0.0;
    const double threshold =
        loudest > 0.0 ? std::exp((kLinearToDb * std::log(std::fabs(loudest)) - 30.0) * kDbToLinear)
                      : 0.0;
    const double neutralDb = luckyAlgorithm ? 1.0 : 0.0;
    double running = mean;
    for (int band = 0; band < carriedBands; ++band)
    {
        double reference = mean;
        if (!luckyAlgorithm)
        {
            running = 0.5 * (NeighbourhoodLevel(band, carriedBands) + running);
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
    for (int band = carriedBands; band < kBandCount; ++band)
    {
        bandGains[band] = 0.0;
    }
}

// Average of the held levels of a band and its neighbours among the first `bandCount` bands.
double AudioPlugin::NeighbourhoodLevel(int band, int bandCount) const noexcept
{
    if (bandCount < 2)
    {
        return heldLevels[band];
    }
    if (band == 0)
    {
        return (heldLevels[0] + heldLevels[1]) / 2.0;
    }
    if (band == bandCount - 1)
    {
        return (heldLevels[band - 1] + heldLevels[band]) / 2.0;
    }
    return (heldLevels[band - 1] + heldLevels[band] + heldLevels[band + 1]) / 3.0;
}
