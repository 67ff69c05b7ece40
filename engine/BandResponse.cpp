#include "engine/BandResponse.h"

#include "dsp/RBJ.h"

#include <cmath>
#include <complex>
#include <cstddef>

BandResponse::BandResponse(double sampleRateHz,
                           const std::array<double, kBandCount>& gainsDb) noexcept
    : sampleRateHz_(sampleRateHz)
{
    for (int band = 0; band < kBandCount; ++band)
    {
        const double gainDb = gainsDb[static_cast<std::size_t>(band)];
        if (gainDb == 0.0 || !BandCarriedAt(band, sampleRateHz))
        {
            continue;
        }
        sections_[static_cast<std::size_t>(sectionCount_++)] =
            Dsp::RBJ::Design::BandShelf::DesignSection(sampleRateHz, BandCentreHz(band), gainDb,
                                                       kShelfWidthOctaves);
    }
}

double BandResponse::Magnitude(double freqHz) const noexcept
{
    double magnitude = 1.0;
    for (int i = 0; i < sectionCount_; ++i)
    {
        magnitude *= std::abs(
            Dsp::SectionResponse(sections_[static_cast<std::size_t>(i)], freqHz / sampleRateHz_));
    }
    return magnitude;
}

double BandResponse::MagnitudeDb(double freqHz) const noexcept
{
    return 20.0 * std::log10(Magnitude(freqHz));
}
