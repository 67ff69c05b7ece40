#include "engine/BandKernels.h"

#include "engine/BandTable.h"

#include <cstdint>
#include <cstring>

namespace BandKernels
{
namespace
{

// Helpers are forced inline so each instruction-set clone of the loops gets its own copy.
#define KESTRUNE_LANE_INLINE __attribute__((always_inline)) inline

typedef double Lanes __attribute__((vector_size(kLanes * sizeof(double))));
typedef std::int64_t LaneMask __attribute__((vector_size(kLanes * sizeof(double))));

KESTRUNE_LANE_INLINE Lanes Load(const double* source) noexcept
{
    Lanes v;
    std::memcpy(&v, source, sizeof v);
    return v;
}

KESTRUNE_LANE_INLINE void Store(double* target, Lanes v) noexcept
{
    std::memcpy(target, &v, sizeof v);
}

KESTRUNE_LANE_INLINE Lanes Broadcast(double value) noexcept
{
    return Lanes{value, value, value, value, value, value, value, value};
}

KESTRUNE_LANE_INLINE Lanes Abs(Lanes v) noexcept
{
    const LaneMask noSign = ~(LaneMask{} + (std::int64_t{1} << 63));
    return __builtin_bit_cast(Lanes, __builtin_bit_cast(LaneMask, v) & noSign);
}

struct Section
{
    Lanes a1, a2, b0, b1, b2, w1, w2;

    KESTRUNE_LANE_INLINE explicit Section(const SectionLanes& s) noexcept
        : a1(Load(s.a1)), a2(Load(s.a2)), b0(Load(s.b0)), b1(Load(s.b1)), b2(Load(s.b2)),
          w1(Load(s.w1)), w2(Load(s.w2))
    {
    }

    KESTRUNE_LANE_INLINE void StoreState(SectionLanes& s) const noexcept
    {
        Store(s.w1, w1);
        Store(s.w2, w2);
    }

    // The filter library's Direct Form II step, lane by lane, in its order of operations.
    KESTRUNE_LANE_INLINE Lanes Step(Lanes x, Lanes offset) noexcept
    {
        const Lanes w = x - a1 * w1 - a2 * w2 + offset;
        const Lanes y = b0 * w + b1 * w1 + b2 * w2;
        w2 = w1;
        w1 = w;
        return y;
    }

    KESTRUNE_LANE_INLINE Lanes Step(Lanes x) noexcept
    {
        const Lanes w = x - a1 * w1 - a2 * w2;
        const Lanes y = b0 * w + b1 * w1 + b2 * w2;
        w2 = w1;
        w1 = w;
        return y;
    }
};

} // namespace

// Function clones are resolved by an IFUNC relocation before the sanitizer runtimes are ready,
// which crashes ThreadSanitizer binaries at start-up; sanitizer builds use the portable kernel.
// So do clang builds (the fuzz targets): clang rejects the vector helpers inlined into a clone
// of another instruction set.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__) || defined(__clang__)
#define KESTRUNE_KERNEL_CLONES
#else
#define KESTRUNE_KERNEL_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#endif

KESTRUNE_KERNEL_CLONES void RunAnalyser(AnalyserGroup* groups, int groupCount, const double* mid,
                                        const double* side, int frames) noexcept
{
    const Lanes one = Broadcast(1.0);
    const Lanes boost = Broadcast(kLevelBoost);
    for (int g = 0; g < groupCount; ++g)
    {
        AnalyserGroup& group = groups[g];
        Section s0(group.sections[0]);
        Section s1(group.sections[1]);
        Section s2(group.sections[2]);
        Section s3(group.sections[3]);
        Lanes offset = Load(group.offset);
        Lanes envelope = Load(group.envelope);
        const Lanes rise = Load(group.rise);
        const Lanes fall = Load(group.fall);
        Lanes level = Broadcast(0.0);
        for (int j = 0; j < frames; ++j)
        {
            const double m = mid[j];
            const double s = side[j];
            const Lanes x = Lanes{m, s, m, s, m, s, m, s};
            offset = -offset;
            const Lanes y = s3.Step(s2.Step(s1.Step(s0.Step(x, offset))));
            const Lanes rectified = Abs(y);
            const Lanes coefficient = rectified > envelope ? rise : fall;
            envelope = (one - coefficient) * rectified + coefficient * envelope;
            const Lanes boosted = envelope * boost;
            level = level < boosted ? boosted : level;
        }
        s0.StoreState(group.sections[0]);
        s1.StoreState(group.sections[1]);
        s2.StoreState(group.sections[2]);
        s3.StoreState(group.sections[3]);
        Store(group.offset, offset);
        Store(group.envelope, envelope);
        Store(group.level, level);
    }
}

KESTRUNE_KERNEL_CLONES void RunShelfChain(ShelfGroup* groups, int lastSlot, double* mid,
                                          double* side, int frames) noexcept
{
    if (frames <= 0 || lastSlot < 0)
    {
        return;
    }
    const int groupCount = lastSlot / kBandsPerGroup + 1;
    Lanes a1[kGroups], a2[kGroups], b0[kGroups], b1[kGroups], b2[kGroups];
    Lanes w1[kGroups], w2[kGroups], offset[kGroups], previous[kGroups], slot[kGroups];
    for (int g = 0; g < groupCount; ++g)
    {
        const SectionLanes& s = groups[g].section;
        a1[g] = Load(s.a1);
        a2[g] = Load(s.a2);
        b0[g] = Load(s.b0);
        b1[g] = Load(s.b1);
        b2[g] = Load(s.b2);
        w1[g] = Load(s.w1);
        w2[g] = Load(s.w2);
        offset[g] = Load(groups[g].offset);
        previous[g] = Broadcast(0.0);
        for (int lane = 0; lane < kLanes; ++lane)
        {
            slot[g][lane] = g * kBandsPerGroup + lane / 2;
        }
    }
    const int outGroup = lastSlot / kBandsPerGroup;
    const int outLane = 2 * (lastSlot % kBandsPerGroup);
    const int steps = frames + lastSlot;
    for (int t = 0; t < steps; ++t)
    {
        const double m = t < frames ? mid[t] : 0.0;
        const double s = t < frames ? side[t] : 0.0;
        const Lanes head = Lanes{0.0, 0.0, 0.0, 0.0, 0.0, 0.0, m, s};
        Lanes current[kGroups];
        // Every slot holds a real frame except while the wavefront fills and drains.
        if (t >= lastSlot && t < frames)
        {
            for (int g = 0; g < groupCount; ++g)
            {
                const Lanes below = g == 0 ? head : previous[g - 1];
                const Lanes x =
                    __builtin_shufflevector(below, previous[g], 6, 7, 8, 9, 10, 11, 12, 13);
                offset[g] = -offset[g];
                const Lanes w = x - a1[g] * w1[g] - a2[g] * w2[g] + offset[g];
                current[g] = b0[g] * w + b1[g] * w1[g] + b2[g] * w2[g];
                w2[g] = w1[g];
                w1[g] = w;
            }
        }
        else
        {
            const Lanes now = Broadcast(t);
            const Lanes frameCount = Broadcast(frames);
            for (int g = 0; g < groupCount; ++g)
            {
                const LaneMask active = (slot[g] <= now) & (now - slot[g] < frameCount);
                const Lanes below = g == 0 ? head : previous[g - 1];
                const Lanes x =
                    __builtin_shufflevector(below, previous[g], 6, 7, 8, 9, 10, 11, 12, 13);
                offset[g] = active ? -offset[g] : offset[g];
                const Lanes w = x - a1[g] * w1[g] - a2[g] * w2[g] + offset[g];
                current[g] = b0[g] * w + b1[g] * w1[g] + b2[g] * w2[g];
                w2[g] = active ? w1[g] : w2[g];
                w1[g] = active ? w : w1[g];
            }
        }
        for (int g = 0; g < groupCount; ++g)
        {
            previous[g] = current[g];
        }
        if (t >= lastSlot)
        {
            mid[t - lastSlot] = previous[outGroup][outLane];
            side[t - lastSlot] = previous[outGroup][outLane + 1];
        }
    }
    for (int g = 0; g < groupCount; ++g)
    {
        Store(groups[g].section.w1, w1[g]);
        Store(groups[g].section.w2, w2[g]);
        Store(groups[g].offset, offset[g]);
    }
}

} // namespace BandKernels
