#pragma once

// The product's signal engine: a mid/side equaliser of 31 smoothed band shelves, a band analyser
// of 31 band-pass filters with envelope followers, and the Auto EQ that sets the band gains from
// the analysed spectrum. Every operation is called under the plug-in lock; ProcessWet runs on
// the audio thread inside Process.

#include "engine/AudioProcessor.h"
#include "engine/BandTable.h"
#include "product/Modes.h"

#include <array>
#include <memory>
#include <vector>

class AudioPlugin final : public AudioProcessor
{
public:
    // Largest block ProcessWet handles at once (the size of the mid, side and scratch buffers);
    // Process cuts longer blocks into pieces of this size.
    static constexpr int kMaxFrames = 16384;

    AudioPlugin();
    ~AudioPlugin();

    // Redesigns all 62 band filters for the current internal rate (after SetOversampling).
    void Configure() override;

    // Band gain in dB, clamped to +-15 dB; the gain before the EQ amount is kept for later
    // rescaling. Out-of-range bands and non-finite values are ignored.
    void SetBandGain(double gainDb, int band);
    // amount scales every band gain; with apply the stored gains are rescaled and reapplied.
    // A non-finite amount is ignored.
    void SetEqAmount(double amount, bool apply);
    // Restarts the envelope followers with integrationTimeMs at the internal rate.
    void UpdateIntegration();
    // Clears the maximum-hold levels, restarting the Auto EQ's learning.
    void ClearHeldLevels();
    // Forgets the audio heard so far: every filter state, envelope and band level is cleared.
    // Settings, gain ramps in progress and held levels stay.
    void ClearHistory() noexcept;
    // Stores one value (dB) of the "Custom" compensation curve; non-finite values are ignored.
    void SetCustomCurveValue(int band, double gainDb);

    // Settings written directly by the plug-in's parameter reactions.
    int integrationTimeMs = 500; // analyser envelope time: 125, 500 or 2000 ms
    bool displayMode = false;    // false: measure L + R (mid); true: L - R (side)
    bool autoEqActive = false;
    bool eqBypass = false;         // equaliser filters are not run
    bool autoEqContinuous = false; // held levels decay by 0.1 % per block
    bool luckyAlgorithm = false;   // mean reference, linear ratios as gains, -2 dB pad
    int compensation = kCompensationDefault;

    // Engine state, read by the plug-in after each block. Levels are linear amplitudes
    // (full scale 1.0), gains are dB.
    std::array<double, kBandCount> bandGains{};    // gains the shelves apply
    std::array<double, kBandCount> rawBandGains{}; // the same before the EQ amount
    std::array<double, kBandCount> bandLevels{};   // last block's level per band
    std::array<double, kBandCount> heldLevels{};   // maximum-hold of bandLevels
    double eqAmount = 1.0;
    // Lowest held level the Auto EQ acts on (-60 dB).
    const double levelFloor;
    const std::array<double, kBandCount> defaultCurve = kDefaultCompensationDb;
    std::array<double, kBandCount> customCurve{};

    static double BandFrequencyHz(int band) noexcept;
    // True when the band can be equalised and measured at the internal rate (BandCarriedAt).
    // A band that is not carried passes the signal unchanged, reads no level and gets no Auto
    // EQ gain. False for every band while the engine is not prepared.
    bool BandCarried(int band) const noexcept;
    // The engine runs at base rates from kMinSampleRateHz to kMaxSampleRateHz; at any other
    // rate it stays unprepared and passes the signal through unchanged.
    static bool SupportedSampleRate(double sampleRateHz) noexcept;

    // Runs every filter through its own Process instead of the vectorised loops; the results are
    // the same sample for sample. For tests and comparisons.
    void UseReferencePath(bool on) noexcept { referencePath_ = on; }

protected:
    void ProcessWet(double* const* wet, int frames) noexcept override;

private:
    struct BandDetector
    {
        double envelope = 0.0;
        int rateHz = 0;
        double rise = 0.0;
        double fall = 0.0;
    };

    struct Filters;

    bool Prepared() const noexcept { return SupportedSampleRate(SampleRate()); }
    double InternalRateHz() const noexcept;
    void ConfigureShelf(int band, double internalRateHz, bool carried);
    void ConfigureBandPass(int band, double internalRateHz, bool carried);
    void ClearNonFiniteState() noexcept;
    void ApplyGainToShelf(int band, double gainDb) noexcept;
    void SplitMidSide(double* const* wet, int frames) noexcept;
    void JoinMidSide(double* const* wet, int frames) noexcept;
    void RunEqualiser(int frames) noexcept;
    void RunShelfChain(const int* bands, int count, int frames) noexcept;
    void RunAnalyser(int frames) noexcept;
    void RunAnalyserReference(int frames) noexcept;
    bool AnalyserVectorisable() const noexcept;
    void LoadAnalyserLanes() noexcept;
    void StoreAnalyserLanes() noexcept;
    void RecordBandLevel(int band, double level) noexcept;
    void RunAutoEq() noexcept;
    double AutoEqGain(int band, double reference) const noexcept;
    double NeighbourhoodLevel(int band, int bandCount) const noexcept;

    std::vector<double> mid_;
    std::vector<double> side_;
    std::vector<double> scratch0_;
    std::vector<double> scratch1_;
    std::unique_ptr<Filters> filters_;
    std::array<BandDetector, kBandCount> detectors_{};
    // Bands 0 .. carriedBands_ - 1 are carried (BandCarriedAt rises with the band's centre);
    // set by Configure, 0 while not prepared.
    int carriedBands_ = 0;
    bool referencePath_ = false;
};
