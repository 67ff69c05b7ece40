// Throughput of the signal engine at 48 kHz stereo, reported as "x real time": seconds of audio
// processed per CPU second.

#include "engine/AudioPlugin.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace
{

constexpr int kSampleRateHz = 48000;

struct Material
{
    std::vector<double> left;
    std::vector<double> right;

    explicit Material(int frames)
    {
        unsigned state = 12345u;
        for (int j = 0; j < frames; ++j)
        {
            state = state * 1664525u + 1013904223u;
            left.push_back((static_cast<double>(state >> 8) / (1 << 24) - 0.5) * 0.5);
            state = state * 1664525u + 1013904223u;
            right.push_back((static_cast<double>(state >> 8) / (1 << 24) - 0.5) * 0.5);
        }
    }
};

std::unique_ptr<AudioPlugin> PreparedEngine(int blockFrames)
{
    auto engine = std::make_unique<AudioPlugin>();
    engine->SetSampleRate(kSampleRateHz);
    engine->SetBlockSize(blockFrames);
    engine->SetOversampling(1);
    engine->SetMix(1.0);
    return engine;
}

void RunBlocks(benchmark::State& state, AudioPlugin& engine, int blockFrames)
{
    // One second of material, processed block after block; the working copy is refreshed
    // outside the timed region so the signal never decays or grows.
    const Material source(kSampleRateHz);
    Material work = source;
    const int frames = static_cast<int>(source.left.size());
    double audioSeconds = 0.0;
    for (auto _ : state)
    {
        state.PauseTiming();
        work = source;
        state.ResumeTiming();
        for (int start = 0; start + blockFrames <= frames; start += blockFrames)
        {
            double* channels[2] = {work.left.data() + start, work.right.data() + start};
            engine.Process(channels, blockFrames);
        }
        benchmark::DoNotOptimize(work.left.data());
        audioSeconds += static_cast<double>(frames / blockFrames * blockFrames) / kSampleRateHz;
    }
    state.counters["x_real_time"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}

void BM_AllBandsWithAnalyser(benchmark::State& state)
{
    auto engine = PreparedEngine(512);
    for (int band = 0; band < kBandCount; ++band)
    {
        engine->SetBandGain(band % 2 == 0 ? 4.5 : -3.0, band);
    }
    // Let the first ramps finish so the steady equaliser is measured.
    Material settle(2048);
    double* channels[2] = {settle.left.data(), settle.right.data()};
    engine->Process(channels, 512);
    RunBlocks(state, *engine, 512);
}
BENCHMARK(BM_AllBandsWithAnalyser)->Unit(benchmark::kMillisecond);

void BM_FlatAnalyserOnly(benchmark::State& state)
{
    auto engine = PreparedEngine(512);
    RunBlocks(state, *engine, 512);
}
BENCHMARK(BM_FlatAnalyserOnly)->Unit(benchmark::kMillisecond);

void BM_ContinuousAutoEqBlocksOf64(benchmark::State& state)
{
    auto engine = PreparedEngine(64);
    engine->autoEqActive = true;
    engine->autoEqContinuous = true;
    engine->eqAmount = 0.5;
    RunBlocks(state, *engine, 64);
}
BENCHMARK(BM_ContinuousAutoEqBlocksOf64)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
