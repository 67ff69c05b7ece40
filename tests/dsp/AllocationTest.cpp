#include "tests/dsp/DspTestUtil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

// The replaced operators pair malloc with free; GCC cannot see that and warns where it inlines
// a delete of a new-expression.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Counts every allocation of this test program; the filters must make none while processing or
// redesigning.
namespace
{
std::atomic<long> g_allocations{0};
}

void* operator new(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size == 0 ? 1 : size))
    {
        return memory;
    }
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

namespace
{

using namespace DspTest;

TEST(Allocation, ProcessingAndRedesignAllocateNothing)
{
    Shelf shelf;
    BandPass band;
    LowPass lowPass;
    std::vector<double> left = RandomSignal(512, 1);
    std::vector<double> right = RandomSignal(512, 2);
    std::vector<float> floatLeft(left.begin(), left.end());
    std::vector<float> floatRight(right.begin(), right.end());
    double* channels[2] = {left.data(), right.data()};
    float* floatChannels[2] = {floatLeft.data(), floatRight.data()};

    const long before = g_allocations.load();
    shelf.SetParams({48000, 1000, 3, 1.0 / 3.0});
    band.SetParams({48000, 4, 1000, 231});
    lowPass.SetParams({96000, 8, 48000});
    for (int round = 0; round < 4; ++round)
    {
        shelf.SetParamById(Dsp::kParamGain, round * 2.0);
        shelf.SetParams({48000, 1000.0 + round, -3, 1.0 / 3.0});
        band.SetParams({48000, 4, 1000.0 + round, 231});
        band.SetParamById(Dsp::kParamOrder, 2.0 + round % 2);
        lowPass.SetParams({96000, 8, 20000.0 + round});
        shelf.Process(100, channels);
        shelf.Process(412, floatChannels);
        band.Process(512, channels);
        band.Process(512, floatChannels);
        lowPass.Process(512, channels);
        band.ResetState();
    }
    EXPECT_EQ(g_allocations.load() - before, 0);
}

} // namespace
