// One full editor frame of the product's editor: every control dirty, as after each processed
// block while audio runs. The editor must sustain this 30 times a second.

#include "controls/ICairoDotMatrix.h"
#include "graphics/IGraphics.h"
#include "plugin/VantorKestrune.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace
{

void ShowMovingSpectrum(VantorKestrune& plug, IGraphics& graphics, int frame)
{
    auto* display = dynamic_cast<ICairoDotMatrix*>(graphics.ControlAt(plug.AnalyserControlIndex()));
    if (!display)
        return;
    for (int band = 0; band < kBandCount; ++band)
    {
        const double levelDb = -30.0 + 20.0 * std::sin(0.3 * band + 0.1 * frame);
        display->SetLevel(band, levelDb);
        display->SetPeak(band, levelDb + 3.0);
    }
}

void BM_FullEditorFrame(benchmark::State& state)
{
    std::unique_ptr<VantorKestrune> plug{CreatePlugin()};
    auto* graphics = dynamic_cast<IGraphics*>(plug->Editor());
    if (!graphics)
    {
        state.SkipWithError("no editor");
        return;
    }
    plug->SetParameterFromHost(kParamEnablePeakDisplay, 1.0);
    graphics->DispatchMouseOver(310, 150, {}); // the readout box too
    const Rect everything(0, 0, graphics->Width(), graphics->Height());
    int frame = 0;
    for (auto _ : state)
    {
        ShowMovingSpectrum(*plug, *graphics, frame++);
        graphics->MarkAllControlsDirty();
        Rect area;
        graphics->CollectDirtyArea(area);
        benchmark::DoNotOptimize(graphics->DrawArea(area.IsEmpty() ? everything : area));
    }
}

} // namespace

BENCHMARK(BM_FullEditorFrame)->Unit(benchmark::kMillisecond);

// The same frame with one kind of control hidden, to see where the time goes.
void BM_FrameWithout(benchmark::State& state)
{
    std::unique_ptr<VantorKestrune> plug{CreatePlugin()};
    auto* graphics = dynamic_cast<IGraphics*>(plug->Editor());
    const int first = static_cast<int>(state.range(0));
    const int last = static_cast<int>(state.range(1));
    for (int i = first; i <= last; ++i)
        graphics->ControlAt(i)->SetHidden(true);
    const Rect everything(0, 0, graphics->Width(), graphics->Height());
    for (auto _ : state)
    {
        graphics->MarkAllControlsDirty();
        benchmark::DoNotOptimize(graphics->DrawArea(everything));
    }
}
BENCHMARK(BM_FrameWithout)
    ->Args({31, 31})
    ->Args({32, 62})
    ->Args({63, 93})
    ->Args({1, 30})
    ->Args({94, 97})
    ->Unit(benchmark::kMillisecond);

// A new instance with its editor built and laid out, as when a host loads a session: the cost
// a session with many instances pays once per instance.
void BM_CreateInstance(benchmark::State& state)
{
    for (auto _ : state)
    {
        std::unique_ptr<VantorKestrune> plug{CreatePlugin()};
        benchmark::DoNotOptimize(plug.get());
    }
}
BENCHMARK(BM_CreateInstance)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
