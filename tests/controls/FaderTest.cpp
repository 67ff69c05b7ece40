#include "ControlFixture.h"

#include "controls/EditFlags.h"
#include "controls/ICairoFader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace
{

const Color kTrack{40, 205, 255, 67};
const Color kAccent{255, 205, 255, 67};
const Color kOutline{255, 46, 46, 46};

// The editor's first band fader: 20 x 188 at (26, 276), bound to a -15..15 dB gain.
struct FaderFixture : ::testing::Test
{
    EditorFixture editor;
    ICairoFader* fader = nullptr;

    void SetUp() override
    {
        FaderDragActive = false;
        CustomCompensationEditing = false;
        fader = editor.Add(new ICairoFader(editor.plug.get(), editor.surface, {26, 276, 46, 464},
                                           FixturePlug::kGain, kTrack, kAccent, kOutline));
        editor.Attach();
        editor.Frame();
    }

    void TearDown() override
    {
        FaderDragActive = false;
        CustomCompensationEditing = false;
    }

    double GainDb() const { return editor.plug->Param(FixturePlug::kGain)->Value(); }
};

} // namespace

TEST_F(FaderFixture, HandlePlacementFromValue)
{
    struct Case
    {
        double normalised;
        int top;
    };
    // Handle 31 px high, 157 px of travel: offset = trunc((1 - v) x 157).
    const Case cases[] = {{0.5, 276 + 78}, {1.0, 276}, {0.0, 276 + 157}, {0.25, 276 + 117}};
    for (const Case& c : cases)
    {
        fader->SetValue(c.normalised);
        editor.Frame();
        EXPECT_EQ(fader->HandleRect(), Rect(26, c.top, 46, c.top + 31)) << c.normalised;
    }
}

TEST_F(FaderFixture, DragKeepsTheGrabPoint)
{
    // Handle at 354..385; take it 16 px below its top and move the pointer to y = 300.
    fader->HandleMouseDown(36, 370, {true, false, false, false, false});
    EXPECT_TRUE(FaderDragActive.load());
    EXPECT_EQ(fader->GrabOffset(), 16);
    fader->HandleMouseDrag(36, 300, 0, -70, {});
    EXPECT_EQ(fader->HandleRect().top, 284);
    EXPECT_DOUBLE_EQ(fader->GetValue(), 1.0 - 8.0 / 157.0);
    EXPECT_NEAR(GainDb(), -15.0 + 30.0 * (1.0 - 8.0 / 157.0), 1e-9);
    fader->HandleMouseUp(36, 300, {});
    EXPECT_FALSE(FaderDragActive.load());
    EXPECT_EQ(fader->GrabOffset(), 0);
}

TEST_F(FaderFixture, PressOnTheTrackMovesByThePointerDistance)
{
    // 74 px above the handle: the handle follows the pointer's movement, it does not jump.
    fader->HandleMouseDown(36, 280, {false, true, false, false, false});
    EXPECT_EQ(fader->GrabOffset(), 280 - 354);
    fader->HandleMouseDrag(36, 290, 0, 10, {});
    EXPECT_EQ(fader->HandleRect().top, 364);
}

TEST_F(FaderFixture, DragPinsAtBothEnds)
{
    fader->HandleMouseDown(36, 360, {true, false, false, false, false});
    fader->HandleMouseDrag(36, 100, 0, -260, {});
    EXPECT_EQ(fader->HandleRect().top, 276);
    EXPECT_DOUBLE_EQ(fader->GetValue(), 1.0);
    EXPECT_DOUBLE_EQ(GainDb(), 15.0);
    fader->HandleMouseDrag(36, 900, 0, 800, {});
    EXPECT_EQ(fader->HandleRect().bottom, 464);
    EXPECT_DOUBLE_EQ(fader->GetValue(), 0.0);
    EXPECT_DOUBLE_EQ(GainDb(), -15.0);
}

TEST_F(FaderFixture, WheelSteps)
{
    fader->HandleMouseWheel(36, 360, {}, 1);
    EXPECT_NEAR(GainDb(), 0.3, 1e-9);
    fader->HandleMouseWheel(36, 360, {false, false, true, false, false}, -1);
    EXPECT_NEAR(GainDb(), 0.27, 1e-9);
    fader->HandleMouseWheel(36, 360, {false, false, false, true, false}, -1);
    EXPECT_NEAR(GainDb(), 0.24, 1e-9);
}

TEST_F(FaderFixture, CompensationMarkerSwappedInWhileHeld)
{
    editor.plug->Param(FixturePlug::kGain)->SetClamped(-4.5);
    fader->SetCompensationMarker(6.0);
    CustomCompensationEditing = true;
    fader->HandleMouseDown(0, 0, {true, false, false, false, false});
    fader->HandleMouseUp(0, 0, {}); // grab offset back to 0 so the handle follows the marker
    FaderDragActive = true;         // another fader is held
    editor.Frame();
    EXPECT_DOUBLE_EQ(GainDb(), 6.0);
    EXPECT_DOUBLE_EQ(fader->SavedValue(), -4.5);
    // m = (6 + 15) / 30 = 0.7: offset trunc(0.3 x 157) = 47.
    EXPECT_EQ(fader->HandleRect().top, 276 + 47);
    fader->SetCompensationMarker(0.0);
    editor.Frame();
    EXPECT_EQ(fader->HandleRect().top, 276 + 78); // 0 dB: mid-travel
    EXPECT_DOUBLE_EQ(fader->SavedValue(), -4.5);  // the first saved value is kept

    FaderDragActive = false;
    editor.Frame();
    EXPECT_DOUBLE_EQ(GainDb(), -4.5);
    EXPECT_DOUBLE_EQ(fader->SavedValue(), ICairoFader::kNothingSaved);
}

TEST_F(FaderFixture, MarkerBeyondTheRangeIsClamped)
{
    fader->SetCompensationMarker(40.0);
    CustomCompensationEditing = true;
    FaderDragActive = true;
    editor.Frame();
    EXPECT_DOUBLE_EQ(GainDb(), 15.0);
    EXPECT_EQ(fader->HandleRect().top, 276);
}

TEST_F(FaderFixture, SwapWaitsWhileThePlugInIsBusy)
{
    editor.plug->Param(FixturePlug::kGain)->SetClamped(2.0);
    fader->SetCompensationMarker(-6.0);
    CustomCompensationEditing = true;
    FaderDragActive = true;
    std::atomic<bool> locked{false};
    std::atomic<bool> release{false};
    std::thread blockThread(
        [&]
        {
            const auto lock = editor.plug->LockPlugin();
            locked = true;
            while (!release)
                std::this_thread::yield();
        });
    while (!locked)
        std::this_thread::yield();
    editor.Frame();
    EXPECT_DOUBLE_EQ(GainDb(), 2.0);
    EXPECT_TRUE(fader->IsMarkedDirty()); // retried at the next frame
    release = true;
    blockThread.join();
    editor.Frame();
    EXPECT_DOUBLE_EQ(GainDb(), -6.0);
}

TEST_F(FaderFixture, TrackHandleAndGripPixels)
{
    // Track 5 px wide at x = 33.5, colour at alpha 40/255 over the background.
    const Pixel track = editor.At(35, 290);
    EXPECT_NEAR(track.red, 46 + (205 - 46) * 40.0 / 255.0, 1.0);
    EXPECT_NEAR(track.green, 46 + (255 - 46) * 40.0 / 255.0, 1.0);
    const Pixel beside = editor.At(28, 290);
    EXPECT_EQ(beside.red, 46);
    // Handle 354..385 filled with the accent, grip line 16 x 2 at y = 368.5.
    const Pixel handle = editor.At(36, 360);
    EXPECT_EQ(handle.red, 205);
    EXPECT_EQ(handle.green, 255);
    EXPECT_EQ(handle.blue, 67);
    const Pixel grip = editor.At(36, 369);
    EXPECT_EQ(grip.red, 46);
    EXPECT_EQ(grip.green, 46);

    fader->SetGrayed(true);
    editor.Frame();
    const Pixel greyed = editor.At(30, 360); // beside the track, over the background
    EXPECT_NEAR(greyed.red, 46 + (205 - 46) * 0.4, 1.0);
    EXPECT_NEAR(greyed.green, 46 + (255 - 46) * 0.4, 1.0);
}
