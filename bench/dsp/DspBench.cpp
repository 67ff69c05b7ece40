// Cost of the filters the engine runs per block, in ns per frame (one sample of each of the two
// channels).

#include "dsp/Dsp.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace
{

using Shelf = Dsp::SmoothedFilterDesign<Dsp::RBJ::Design::BandShelf, 2, Dsp::DirectFormII>;
using BandPass = Dsp::FilterDesign<Dsp::Butterworth::Design::BandPass<4>, 2, Dsp::DirectFormII>;
using LowPass = Dsp::FilterDesign<Dsp::Legendre::Design::LowPass<8>, 2, Dsp::DirectFormII>;

struct StereoBlock
{
    explicit StereoBlock(int frames) : left(frames), right(frames)
    {
        std::mt19937 generator(7);
        std::uniform_real_distribution<double> noise(-0.5, 0.5);
        for (int i = 0; i < frames; ++i)
        {
            left[i] = noise(generator);
            right[i] = noise(generator);
        }
        channels[0] = left.data();
        channels[1] = right.data();
    }

    std::vector<double> left;
    std::vector<double> right;
    double* channels[2];
};

void ReportNsPerFrame(benchmark::State& state, int framesPerIteration)
{
    // An inverted rate counter reads as seconds per frame, printed with its SI prefix (ns).
    state.counters["per_frame"] =
        benchmark::Counter(framesPerIteration * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void ShelfAtRest(benchmark::State& state)
{
    const int frames = static_cast<int>(state.range(0));
    StereoBlock block(frames);
    Shelf shelf;
    shelf.SetParams({48000, 1000, 6, 1.0 / 3.0});
    for (auto _ : state)
    {
        shelf.Process(frames, block.channels);
        benchmark::DoNotOptimize(block.left.data());
    }
    ReportNsPerFrame(state, frames);
}
BENCHMARK(ShelfAtRest)->Arg(512);

// Every call starts a new 128-sample gain ramp, the equaliser's case while a fader moves or the
// Auto EQ follows the programme.
void ShelfRampingGain(benchmark::State& state)
{
    const int frames = Shelf::kTransitionSamples;
    StereoBlock block(frames);
    Shelf shelf;
    shelf.SetParams({48000, 1000, 6, 1.0 / 3.0});
    double gainDb = -6.0;
    for (auto _ : state)
    {
        shelf.SetParamById(Dsp::kParamGain, gainDb);
        gainDb = -gainDb;
        shelf.Process(frames, block.channels);
        benchmark::DoNotOptimize(block.left.data());
    }
    ReportNsPerFrame(state, frames);
}
BENCHMARK(ShelfRampingGain);

// A ramp that moves the centre frequency too: the complete design runs every sample.
void ShelfRampingFrequency(benchmark::State& state)
{
    const int frames = Shelf::kTransitionSamples;
    StereoBlock block(frames);
    Shelf shelf;
    shelf.SetParams({48000, 1000, 6, 1.0 / 3.0});
    double centerHz = 1200.0;
    for (auto _ : state)
    {
        shelf.SetParams({48000, centerHz, 6, 1.0 / 3.0});
        centerHz = centerHz == 1200.0 ? 1000.0 : 1200.0;
        shelf.Process(frames, block.channels);
        benchmark::DoNotOptimize(block.left.data());
    }
    ReportNsPerFrame(state, frames);
}
BENCHMARK(ShelfRampingFrequency);

void BandPassCascade(benchmark::State& state)
{
    const int frames = static_cast<int>(state.range(0));
    StereoBlock block(frames);
    BandPass band;
    const double centerHz = 1000.0;
    band.SetParams({48000, 4, centerHz, centerHz * (1.122462048309373 - 1.0 / 1.122462048309373)});
    for (auto _ : state)
    {
        band.Process(frames, block.channels);
        benchmark::DoNotOptimize(block.left.data());
    }
    ReportNsPerFrame(state, frames);
}
BENCHMARK(BandPassCascade)->Arg(512);

void LegendreCascade(benchmark::State& state)
{
    const int frames = static_cast<int>(state.range(0));
    StereoBlock block(frames);
    LowPass lowPass;
    lowPass.SetParams({96000, 8, 24000});
    for (auto _ : state)
    {
        lowPass.Process(frames, block.channels);
        benchmark::DoNotOptimize(block.left.data());
    }
    ReportNsPerFrame(state, frames);
}
BENCHMARK(LegendreCascade)->Arg(512);

// A redesign of the band-pass (what Configure does for every analyser band).
void BandPassRedesign(benchmark::State& state)
{
    BandPass band;
    double centerHz = 1000.0;
    for (auto _ : state)
    {
        band.SetParams({48000, 4, centerHz, 231.0});
        centerHz = centerHz == 1000.0 ? 1250.0 : 1000.0;
        benchmark::DoNotOptimize(&band);
    }
}
BENCHMARK(BandPassRedesign);

} // namespace

BENCHMARK_MAIN();
