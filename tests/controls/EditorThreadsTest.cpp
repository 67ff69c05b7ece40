// Blocks processed on one thread while the editor draws frames and handles the mouse on another,
// as a host runs them. Built with ThreadSanitizer this must report no race.

#include "controls/EditFlags.h"
#include "graphics/IGraphicsOffscreen.h"
#include "plugin/VantorKestrune.h"
#include "tests/support/PreparedProduct.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

namespace
{

constexpr int kBlockFrames = 256;
constexpr double kRateHz = 48000.0;

void RenderBlocks(VantorKestrune& plug, int blocks)
{
    std::vector<float> left(kBlockFrames), right(kBlockFrames), outL(kBlockFrames),
        outR(kBlockFrames);
    long frame = 0;
    for (int block = 0; block < blocks; ++block)
    {
        for (int i = 0; i < kBlockFrames; ++i, ++frame)
        {
            const double t = frame / kRateHz;
            left[static_cast<size_t>(i)] = static_cast<float>(
                0.3 * std::sin(2.0 * M_PI * 440.0 * t) + 0.1 * std::sin(2.0 * M_PI * 5000.0 * t));
            right[static_cast<size_t>(i)] = left[static_cast<size_t>(i)];
        }
        float* in[2] = {left.data(), right.data()};
        float* out[2] = {outL.data(), outR.data()};
        plug.RenderBlock(in, 2, out, 2, kBlockFrames, false);
    }
}

// One round of editor work: hover the display, drag a fader, wheel a knob, draw a frame.
void EditorRound(IGraphicsOffscreen& editor, int round)
{
    editor.DispatchMouseOver(40 + round % 700, 120, {});
    const MouseMods left{true, false, false, false, false};
    const int faderX = 36 + 25 * (round % 31);
    editor.DispatchMouseDown(faderX, 370, left);
    editor.DispatchMouseDrag(faderX, 360 - round % 40, left);
    editor.Tick();
    editor.DispatchMouseUp(faderX, 350, left);
    editor.DispatchMouseWheel(400, 558, {}, round % 2 ? 1 : -1);
    editor.Tick();
}

} // namespace

TEST(EditorThreads, BlocksOnOneThreadFramesOnAnother)
{
    std::unique_ptr<VantorKestrune> plug = PreparedProduct(kRateHz, kBlockFrames);
    auto* editor = dynamic_cast<IGraphicsOffscreen*>(plug->Editor());
    ASSERT_NE(editor, nullptr);
    // Auto EQ writing back with a custom curve, so the write-back, the fader marks and the
    // compensation swap all take part.
    for (auto [index, real] :
         {std::pair{kParamAutoEqCompensation, 2.0}, std::pair{kParamAutoEq, 2.0},
          std::pair{kParamEnablePeakDisplay, 1.0}})
        plug->SetParameterFromHost(index, plug->Param(index)->ToNormalized(real));

    std::atomic<bool> audioDone{false};
    std::thread audio(
        [&]
        {
            RenderBlocks(*plug, 300);
            audioDone = true;
        });
    std::thread host(
        [&]
        {
            for (int i = 0; !audioDone; ++i)
            {
                const int index = i % 2 ? kParamAnalyzerDbPerLed : kParamBypassEq;
                plug->SetParameterFromHost(index, (i / 2) % 2 ? 1.0 : 0.0);
                std::this_thread::yield();
            }
        });
    int rounds = 0;
    while (!audioDone || rounds < 4)
        EditorRound(*editor, rounds++);
    audio.join();
    host.join();

    EXPECT_FALSE(FaderDragActive.load());
    EXPECT_GT(rounds, 0);
    // The editor's last frame left every value in range.
    for (int b = 0; b < kBandCount; ++b)
    {
        const double gain = plug->Param(b)->Value();
        EXPECT_TRUE(gain >= -15.0 && gain <= 15.0) << b;
    }
    CustomCompensationEditing = false;
}
