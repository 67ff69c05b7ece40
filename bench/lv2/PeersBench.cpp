// Runs our stereo plug-in and the graphic equalisers of other LV2 packages in the same lilv
// host, with the same block size, sample rate and noise input, every band of every plug-in
// boosted, and prints each one's speed as "x real time" (seconds of audio per CPU second) and
// our ratio to the fastest peer. Plug-ins that are not installed are left out.
//
// The LV2 path decides what is found: bench/peers sets LV2_PATH to our bundle's folder and the
// system's LV2 folder.

#include "lv2/host/LilvHost.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{

constexpr double kSampleRateHz = 48000.0;
constexpr uint32_t kBlockFrames = 512;
constexpr uint32_t kNoiseFrames = 48000 * 4;

struct Contender
{
    std::string label;
    std::string uri;
    bool ours;
    // Sets every band of the plug-in to a boost of about +6 dB.
    std::function<void(lv2host::Instance&)> boostAllBands;
};

void SetIndexed(lv2host::Instance& instance, const std::string& prefix, int first, int last,
                float value)
{
    for (int band = first; band <= last; ++band)
    {
        const std::string symbol = prefix + std::to_string(band);
        // A band whose port is not a control input (one peer describes its first band of each
        // channel as an output) cannot be set and is left as it is.
        if (instance.Ports()[instance.PortBySymbol(symbol)].kind == lv2host::PortKind::ControlIn)
        {
            instance.SetControl(symbol, value);
        }
    }
}

std::vector<Contender> Contenders()
{
    return {
        {"VantorKestrune stereo", "https://vantor.audio/plugins/kestrune#stereo", true,
         [](lv2host::Instance& p) { SetIndexed(p, "gain_", 0, 30, 6.0f); }},
        // Band gains are linear factors: 2.0 is about +6 dB.
        {"LSP Graphic Equalizer x32 Stereo",
         "http://lsp-plug.in/plugins/lv2/graph_equalizer_x32_stereo", false,
         [](lv2host::Instance& p) { SetIndexed(p, "g_", 0, 31, 2.0f); }},
        // Band gains are fractions of the gain scale (18 dB by default), per channel.
        {"Calf Equalizer 30 Band", "http://calf.sourceforge.net/plugins/Equalizer30Band", false,
         [](lv2host::Instance& p)
         {
             SetIndexed(p, "gain1", 0, 30, 1.0f / 3.0f);
             SetIndexed(p, "gain2", 0, 30, 1.0f / 3.0f);
         }},
    };
}

std::vector<float> MakeNoise(unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> uniform(-0.25f, 0.25f);
    std::vector<float> noise(kNoiseFrames);
    for (float& sample : noise)
    {
        sample = uniform(generator);
    }
    return noise;
}

void RunPlugin(benchmark::State& state, lv2host::World* world, const Contender* contender)
{
    lv2host::Instance instance(*world, contender->uri, kSampleRateHz, kBlockFrames);
    contender->boostAllBands(instance);
    instance.Activate();

    const std::vector<float> left = MakeNoise(1);
    const std::vector<float> right = MakeNoise(2);
    std::vector<float> outLeft(kBlockFrames);
    std::vector<float> outRight(kBlockFrames);
    float* outputs[2] = {outLeft.data(), outRight.data()};
    uint32_t position = 0;
    for (auto _ : state)
    {
        const float* inputs[2] = {left.data() + position, right.data() + position};
        instance.Run(inputs, outputs, kBlockFrames);
        benchmark::DoNotOptimize(outLeft.data());
        position = (position + kBlockFrames) % (kNoiseFrames - kBlockFrames);
    }
    state.SetItemsProcessed(state.iterations() * kBlockFrames);
}

// Console output as usual, and a summary of the speeds at the end.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    struct Result
    {
        std::string label;
        bool ours;
        double realTimeFactor;
    };

    explicit SummaryReporter(const std::vector<Contender>& contenders) : contenders_(contenders) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
        {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0 ||
                run.cpu_accumulated_time <= 0.0)
            {
                continue;
            }
            const double audioSeconds =
                static_cast<double>(run.iterations) * kBlockFrames / kSampleRateHz;
            for (const Contender& c : contenders_)
            {
                if (run.run_name.function_name == c.label)
                {
                    results_.push_back({c.label, c.ours, audioSeconds / run.cpu_accumulated_time});
                }
            }
        }
    }

    void PrintSummary() const
    {
        std::printf("\nx real time (48 kHz stereo noise, blocks of %u, every band boosted):\n",
                    kBlockFrames);
        const Result* ours = nullptr;
        const Result* bestPeer = nullptr;
        for (const Result& r : results_)
        {
            std::printf("  %-36s %10.1f x real time\n", r.label.c_str(), r.realTimeFactor);
            if (r.ours)
            {
                ours = &r;
            }
            else if (!bestPeer || r.realTimeFactor > bestPeer->realTimeFactor)
            {
                bestPeer = &r;
            }
        }
        if (ours && bestPeer)
        {
            std::printf("  ratio to the fastest peer (%s): %.2f (target >= 4)\n",
                        bestPeer->label.c_str(), ours->realTimeFactor / bestPeer->realTimeFactor);
        }
        else
        {
            std::printf("  no ratio: %s\n", ours ? "no peer installed" : "our plug-in not found");
        }
    }

private:
    const std::vector<Contender>& contenders_;
    std::vector<Result> results_;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    lv2host::World world;
    const std::vector<Contender> contenders = Contenders();
    for (const Contender& c : contenders)
    {
        if (!world.FindPlugin(c.uri))
        {
            std::fprintf(stderr, "not installed, left out: %s\n", c.uri.c_str());
            continue;
        }
        benchmark::RegisterBenchmark(c.label.c_str(), RunPlugin, &world, &c)->MinTime(2.0);
    }
    SummaryReporter reporter(contenders);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    benchmark::Shutdown();
    return 0;
}
