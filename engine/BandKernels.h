#pragma once

// Vectorised inner loops of the engine. The bands' filters are run with several bands and both
// channels side by side in one register, each lane doing exactly the arithmetic of the filter
// library's Direct Form II step in the same order, so the results are identical sample for
// sample to running the filters one by one.
//
// Lane layout: a group holds kBandsPerGroup bands; lane 2 * (band % kBandsPerGroup) + channel,
// channel 0 the mid and channel 1 the side signal.

namespace BandKernels
{

inline constexpr int kLanes = 8;
inline constexpr int kBandsPerGroup = kLanes / 2;
inline constexpr int kGroups = 8; // 32 band slots for 31 bands; the spare slot is inert
inline constexpr int kBandPassSections = 4;

inline constexpr int LaneOf(int band, int channel)
{
    return 2 * (band % kBandsPerGroup) + channel;
}
inline constexpr int GroupOf(int band)
{
    return band / kBandsPerGroup;
}

// One biquad section per lane: normalised coefficients and Direct Form II state.
struct alignas(64) SectionLanes
{
    double a1[kLanes];
    double a2[kLanes];
    double b0[kLanes];
    double b1[kLanes];
    double b2[kLanes];
    double w1[kLanes];
    double w2[kLanes];
};

// The analyser of one group: a four-section band-pass per lane followed by an envelope follower
// (computed in every lane; the caller keeps the lanes of the measured channel).
struct alignas(64) AnalyserGroup
{
    SectionLanes sections[kBandPassSections];
    double offset[kLanes]; // denormal offset of each lane's first section
    double envelope[kLanes];
    double rise[kLanes];
    double fall[kLanes];
    double level[kLanes]; // out: largest smoothed value of the block, +3 dB
};

// One group of a chain of band shelves: slot 4 * group + lane / 2 of the chain.
struct alignas(64) ShelfGroup
{
    SectionLanes section;
    double offset[kLanes]; // denormal offset of each lane's section
};

// Runs mid and side, in place, through a chain of single-section filters: slot 0 first, the
// output of each slot feeding the next, up to lastSlot (at most kGroups * kBandsPerGroup - 1).
// The chain is computed as a wavefront, slot k working on frame t - k at step t, so all slots
// run side by side. Audio thread; no allocation.
void RunShelfChain(ShelfGroup* groups, int lastSlot, double* mid, double* side,
                   int frames) noexcept;

// Runs frames samples of mid and side through every group. Audio thread; no allocation.
void RunAnalyser(AnalyserGroup* groups, int groupCount, const double* mid, const double* side,
                 int frames) noexcept;

} // namespace BandKernels
