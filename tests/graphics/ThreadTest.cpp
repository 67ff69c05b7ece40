#include "GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace
{

// The audio and parameter threads write values and dirty flags while the editor runs frames;
// built with ThreadSanitizer this shows the control base is race-free, and in every build that
// no mark is lost: the last value written is the one drawn last.
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

    // Whenever the last mark was consumed, the frame that consumed it drew the last value.
    editor.Tick();
    editor.Tick();
    EXPECT_EQ(gain->GetValue(), 1.0);
    EXPECT_EQ(gain->lastDrawnValue, 1.0);
    EXPECT_FALSE(gain->IsMarkedDirty());
}

} // namespace
