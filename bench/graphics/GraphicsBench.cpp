// Editor frame costs: a full redraw of an 800 x 600 editor with ~100 cairo controls (as after
// every processed block), an idle tick over clean controls, and one text draw.
#include "graphics/IControl.h"
#include "graphics/IGraphicsOffscreen.h"
#include "graphics/ycairo_gui.h"
#include "graphics/ycairo_surface.h"
#include "graphics/ycairo_text.h"
#include "resources/ModuleResources.h"
#include "tests/support/TestPlugin.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace
{

class BenchPlug : public TestPlugin
{
public:
    BenchPlug()
        : TestPlugin({.channelIOs = "2-2",
                      .effectName = "Bench",
                      .productName = "Bench",
                      .makerName = "Bench",
                      .version = 0x10000,
                      .uniqueId = 1,
                      .makerId = 2},
                     {GainParameter("Gain")})
    {
    }
};

// A rounded box with a one-line label, roughly what a fader or knob of the editor draws.
class LabelBox : public IControl, public ycairo_gui, public ycairo_text
{
public:
    LabelBox(IPlugBase* owner, ycairo_surface* surfaceHolder, const Rect& bounds)
        : IControl(owner, bounds, 0), ycairo_gui(surfaceHolder, this), ycairo_text(surfaceHolder)
    {
        LoadFont(kestrune::kFontTitilliumDisplay, kestrune::kResourceTypeRawData,
                 kestrune::kTitilliumFileName);
    }

    bool Draw(IGraphics&) override
    {
        BeginDraw();
        cairo_set_source_rgb(cr, 0.3, 0.3, 0.35);
        cairo_rectangle(cr, drawRect.left + 1, drawRect.top + 1, drawRect.Width() - 2,
                        drawRect.Height() - 2);
        cairo_fill(cr);
        DrawText(cr, "-12.5", 11.0, 255, 230, 230, 230, drawRect, kAlignCentre, kAlignMiddle);
        EndDraw();
        return true;
    }
};

struct BenchEditor
{
    BenchEditor()
    {
        editor = new IGraphicsOffscreen(&plug, 800, 600, 30);
        auto holder = std::make_unique<ycairo_surface>(&plug);
        surface = holder.get();
        plug.SetEditorSurface(std::move(holder));
        surface->CreateBackground(editor, 255, 46, 46, 46);
        // 31 columns of fader + value box, and a row of 35 small boxes below: 97 controls.
        for (int band = 0; band < 31; ++band)
        {
            const int x = 24 + band * 25;
            editor->AddControl(new LabelBox(&plug, surface, Rect(x, 260, x + 22, 460)));
            editor->AddControl(new LabelBox(&plug, surface, Rect(x, 462, x + 22, 478)));
        }
        for (int i = 0; i < 35; ++i)
        {
            const int x = 10 + i * 22;
            editor->AddControl(new LabelBox(&plug, surface, Rect(x, 500, x + 20, 540)));
        }
        plug.AttachEditor(editor);
    }

    BenchPlug plug;
    IGraphicsOffscreen* editor = nullptr;
    ycairo_surface* surface = nullptr;
};

void BM_FullEditorFrame(benchmark::State& state)
{
    BenchEditor bench;
    for (auto _ : state)
    {
        bench.editor->MarkAllControlsDirty();
        Rect area;
        bench.editor->CollectDirtyArea(area);
        bench.editor->DrawArea(area);
        benchmark::ClobberMemory();
    }
    state.counters["controls"] = bench.editor->ControlCount();
}
BENCHMARK(BM_FullEditorFrame)->Unit(benchmark::kMillisecond);

void BM_IdleTick(benchmark::State& state)
{
    BenchEditor bench;
    bench.editor->Tick();
    bench.editor->Tick();
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(bench.editor->Tick());
    }
}
BENCHMARK(BM_IdleTick)->Unit(benchmark::kNanosecond);

void BM_DrawText(benchmark::State& state)
{
    BenchEditor bench;
    auto* box = dynamic_cast<LabelBox*>(bench.editor->ControlAt(1));
    cairo_t* cr = bench.surface->Context();
    for (auto _ : state)
    {
        box->DrawText(cr, "20.0k", 11.0, 255, 255, 255, 255, Rect(10, 10, 60, 30),
                      ycairo_text::kAlignCentre, ycairo_text::kAlignMiddle);
    }
}
BENCHMARK(BM_DrawText)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
