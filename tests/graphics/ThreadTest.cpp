#include "GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace
{

// The audio and parameter threads write values and dirty flags while the editor runs frames;
// built with ThreadSanitizer this shows the control base is race-free, and in every build that
// the last value written is the one the next frame draws.
TEST(EditorThreads, FramesRunWhileAnotherThreadUpdatesControls)
{
    TestPlug plug;
    IGraphicsOffscreen editor(&plug, 200, 100, 30);
    auto* background = new ProbeControl(&plug, Rect(0, 0, 200, 100), -1);
    auto* gain = new ProbeControl(&plug, Rect(10, 10, 50, 50), TestPlug::kGain);
    editor.AddControl(background);
    editor.AddControl(gain);
    editor.SetHandleMouseOver(true);

    constexpr int kUpdates = 5000;
    std::thread feeder(
        [&]
        {
            for (int i = 0; i <= kUpdates; ++i)
            {
                editor.UpdateControlsForParameter(TestPlug::kGain, i / double(kUpdates), true);
                editor.MarkAllControlsDirty();
                editor.SetParameterControlsGrayed(TestPlug::kGain, (i & 1) != 0);
            }
        });
    for (int frame = 0; frame < 2000; ++frame)
    {
        editor.Tick();
        editor.DispatchMouseOver(20, 20, MouseMods{});
    }
    feeder.join();

    const int before = gain->draws;
    editor.Tick();
    EXPECT_EQ(gain->GetValue(), 1.0);
    EXPECT_GT(gain->draws, before);
}

} // namespace
