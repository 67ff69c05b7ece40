#pragma once

// The equaliser's bands: 31 third-octave bands from 20 Hz to 20 kHz, band 0 lowest. The
// shelves, the analyser, the faders, the state document and every host description use this
// table and this order.

#include <array>
#include <cstddef>

inline constexpr int kBandCount = 31;

// Centre frequencies, stored as single-precision floats and widened to double when used. Bands
// 15, 25 and 28 (635, 6350 and 12000 Hz) differ from the ISO series on purpose.
inline constexpr std::array<float, kBandCount> kBandCentreHz = {
    20.0f,   25.0f,   31.5f,   40.0f,    50.0f,    63.0f,    80.0f,   100.0f,
    125.0f,  160.0f,  200.0f,  250.0f,   315.0f,   400.0f,   500.0f,  635.0f,
    800.0f,  1000.0f, 1250.0f, 1600.0f,  2000.0f,  2500.0f,  3150.0f, 4000.0f,
    5000.0f, 6350.0f, 8000.0f, 10000.0f, 12000.0f, 16000.0f, 20000.0f};

constexpr double BandCentreHz(int band)
{
    return static_cast<double>(kBandCentreHz[static_cast<std::size_t>(band)]);
}

// Each band's shelf spans a third of an octave around its centre.
inline constexpr double kShelfWidthOctaves = 1.0 / 3.0;

// Band gains set by the user are clamped to this range (dB); Auto EQ gains are not.
inline constexpr double kMaxUserGainDb = 15.0;

// The Auto EQ's "Default" compensation curve, dB per band.
inline constexpr std::array<double, kBandCount> kDefaultCompensationDb = {
    -6.0, -3.0, 0.0, 2.0, 3.0, 3.0, 3.0, 2.0, 0.0, 0.0,  0.0,  -1.0, -1.0, -1.0, -1.0, 0.0,
    0.0,  0.0,  0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, -0.5, -1.0, -1.0, -3.0, -6.0, -9.0};

// Sample rates the product runs at (Hz). Hosts that offer another rate get the plug-in refused
// where their format allows it, or the signal passed through the engine unchanged.
inline constexpr int kMinSampleRateHz = 8000;
inline constexpr int kMaxSampleRateHz = 768000;
