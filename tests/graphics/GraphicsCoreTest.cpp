#include "GraphicsTestSupport.h"
#include "graphics/IViewContainer.h"
#include "graphics/PlatformGraphics.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

using Event = IPlugHeadless::HostEvent;
using Strings = std::vector<std::string>;

constexpr MouseMods kLeft{true, false, false, false, false};
constexpr MouseMods kRight{false, true, false, false, false};

class RecordingViewContainer : public IViewContainer
{
public:
    uint32_t CurrentModifiers() override { return hostModifiers; }
    int HandleParameterMouseDown(const char* parameterId, uint32_t modifiers) override
    {
        ids.push_back(parameterId);
        masks.push_back(modifiers);
        return result;
    }

    uint32_t hostModifiers = 0;
    int result = 1; // not consumed
    Strings ids;
    std::vector<uint32_t> masks;
};

// Background (index 0), two side-by-side controls and one overlapping the second on top.
class EditorFixture : public ::testing::Test
{
protected:
    EditorFixture() : editor(std::make_unique<IGraphicsOffscreen>(&plug, 200, 100, 30))
    {
        background = Add(Rect(0, 0, 200, 100), -1);
        left = Add(Rect(10, 10, 50, 50), TestPlug::kGain);
        right = Add(Rect(60, 10, 100, 50), TestPlug::kAmount);
        top = Add(Rect(80, 30, 120, 70), -1);
    }

    ProbeControl* Add(const Rect& rect, int paramIndex)
    {
        auto* control = new ProbeControl(&plug, rect, paramIndex);
        editor->AddControl(control);
        return control;
    }

    void CleanAll()
    {
        for (int i = 0; i < 2; ++i)
        {
            Rect area;
            if (editor->CollectDirtyArea(area))
            {
                editor->DrawArea(area);
            }
        }
    }

    std::vector<Event::Kind> HostKinds() const
    {
        std::vector<Event::Kind> kinds;
        for (const Event& e : plug.HostEvents())
        {
            kinds.push_back(e.kind);
        }
        return kinds;
    }

    TestPlug plug;
    std::unique_ptr<IGraphicsOffscreen> editor;
    ProbeControl* background = nullptr;
    ProbeControl* left = nullptr;
    ProbeControl* right = nullptr;
    ProbeControl* top = nullptr;
};

TEST_F(EditorFixture, AddControlNumbersAndLooksUp)
{
    EXPECT_EQ(top->ListIndex(), 3);
    auto* extra = new ProbeControl(&plug, Rect(0, 0, 1, 1), -1);
    int& index = editor->AddControl(extra);
    EXPECT_EQ(index, 4);
    EXPECT_EQ(editor->ControlAt(4), extra);
    EXPECT_EQ(editor->ControlAt(5), nullptr);
    EXPECT_EQ(editor->ControlAt(-1), nullptr);
    EXPECT_EQ(extra->Graphics(), editor.get());
}

TEST(EditorConstruction, FrameRateFallsBackTo30)
{
    TestPlug plug;
    IGraphicsOffscreen zero(&plug, 10, 10, 0);
    IGraphicsOffscreen negative(&plug, 10, 10, -5);
    IGraphicsOffscreen sixty(&plug, 10, 10, 60);
    EXPECT_EQ(zero.FrameRate(), 30);
    EXPECT_EQ(negative.FrameRate(), 30);
    EXPECT_EQ(sixty.FrameRate(), 60);
}

struct HitCase
{
    int x;
    int y;
    bool forHover;
    int expected;
};

class HitTable : public EditorFixture, public ::testing::WithParamInterface<HitCase>
{
};

// The right control is greyed but hovers when greyed; the left one is hidden.
TEST_P(HitTable, FindControlAtScansTopFirst)
{
    right->SetGrayed(true);
    right->SetHoverWhenGrayed(true);
    left->SetHidden(true);
    const HitCase& c = GetParam();
    EXPECT_EQ(editor->FindControlAt(c.x, c.y, c.forHover), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, HitTable,
                         ::testing::Values(HitCase{90, 40, false, 3}, // overlap: top wins
                                           HitCase{70, 20, false, 0}, // greyed: background
                                           HitCase{70, 20, true, 2},  // hover reaches it
                                           HitCase{20, 20, false, 0}, // hidden: background
                                           HitCase{20, 20, true, 0}, HitCase{250, 20, false, -1}));

TEST_F(EditorFixture, CaptureSurvivesLeavingTheEditor)
{
    editor->DispatchMouseDown(20, 20, kLeft);
    EXPECT_EQ(editor->MouseCapture(), 1);
    EXPECT_EQ(editor->FindControlAt(150, 90, false), 1);
    editor->DispatchMouseDrag(-30, 400, kLeft);
    editor->DispatchMouseUp(-30, 400, MouseMods{});
    EXPECT_EQ(left->events, (Strings{"down@20,20", "drag@-30,400", "up@-30,400"}));
    EXPECT_EQ(left->lastDX, -50);
    EXPECT_EQ(left->lastDY, 380);
    EXPECT_EQ(editor->MouseCapture(), -1);
    EXPECT_EQ(HostKinds(),
              (std::vector<Event::Kind>{Event::Kind::BeginGesture, Event::Kind::EndGesture}));
    EXPECT_EQ(plug.HostEvents()[0].index, TestPlug::kGain);
}

TEST_F(EditorFixture, DragWithoutMovementOrCaptureDoesNothing)
{
    editor->DispatchMouseDrag(20, 20, kLeft);
    editor->DispatchMouseDown(20, 20, kLeft);
    editor->DispatchMouseDrag(20, 20, kLeft);
    EXPECT_EQ(left->events, (Strings{"down@20,20"}));
}

TEST_F(EditorFixture, UnboundControlGetsNoGestures)
{
    editor->DispatchMouseDown(110, 60, kLeft);
    editor->DispatchMouseUp(110, 60, MouseMods{});
    EXPECT_EQ(top->events, (Strings{"down@110,60", "up@110,60"}));
    EXPECT_TRUE(plug.HostEvents().empty());
}

TEST_F(EditorFixture, HostConsumedClickKeepsCaptureAndEndsGesture)
{
    RecordingViewContainer container;
    container.result = 0;
    container.hostModifiers = 0x40;
    editor->SetViewContainer(&container);
    editor->DispatchMouseDown(70, 20, MouseMods{false, true, true, true, true});
    ASSERT_EQ(container.ids, (Strings{"4"}));
    EXPECT_EQ(container.masks[0], 1u | 4u | 8u | 0x40u | 16u);
    EXPECT_TRUE(right->events.empty());
    EXPECT_EQ(editor->MouseCapture(), 2);
    editor->DispatchMouseDrag(75, 25, kLeft);
    editor->DispatchMouseUp(75, 25, MouseMods{});
    EXPECT_EQ(right->events, (Strings{"drag@75,25", "up@75,25"}));
    EXPECT_EQ(HostKinds(), (std::vector<Event::Kind>{Event::Kind::EndGesture}));
}

TEST_F(EditorFixture, HostNotConsumingClickLetsItThrough)
{
    RecordingViewContainer container;
    editor->SetViewContainer(&container);
    editor->DispatchMouseDown(20, 20, kLeft);
    editor->DispatchMouseDown(110, 60, kLeft); // unbound: the host is not asked
    EXPECT_EQ(container.ids, (Strings{"1"}));
    EXPECT_EQ(container.masks[0], 0u);
    EXPECT_EQ(left->events, (Strings{"down@20,20"}));
    EXPECT_EQ(top->events, (Strings{"down@110,60"}));
}

// A double-click's change reaches the host inside a gesture: the double-click opens it and the
// release of the second click closes it, so every end has its begin.
TEST_F(EditorFixture, DoubleClickDefaultAndAsDown)
{
    using Kind = Event::Kind;
    EXPECT_FALSE(editor->DispatchDoubleClick(20, 20, kLeft));
    EXPECT_EQ(left->events, (Strings{"dbl@20,20"}));
    EXPECT_EQ(editor->MouseCapture(), -1);
    EXPECT_EQ(HostKinds(), (std::vector<Kind>{Kind::BeginGesture}));
    editor->DispatchMouseUp(20, 20, MouseMods{});
    EXPECT_EQ(HostKinds(), (std::vector<Kind>{Kind::BeginGesture, Kind::EndGesture}));

    left->SetDoubleClickAsDown(true);
    EXPECT_TRUE(editor->DispatchDoubleClick(21, 22, kLeft));
    EXPECT_EQ(left->events.back(), "down@21,22");
    EXPECT_EQ(editor->MouseCapture(), 1);
    editor->DispatchMouseUp(21, 22, MouseMods{});
    EXPECT_EQ(HostKinds(), (std::vector<Kind>{Kind::BeginGesture, Kind::EndGesture,
                                              Kind::BeginGesture, Kind::EndGesture}));
    EXPECT_FALSE(editor->DispatchDoubleClick(300, 300, kLeft));
    EXPECT_EQ(editor->MouseCapture(), -1);
    editor->DispatchMouseUp(300, 300, MouseMods{});
    EXPECT_EQ(plug.HostEvents().size(), 4u) << "a release outside any control ends nothing";
}

// A press whose release never arrives (a popup menu took it) has its gesture closed by the
// next press; a release over another control ends the gesture that was begun.
TEST_F(EditorFixture, GesturesStayBalancedWhenReleasesGoAstray)
{
    using Kind = Event::Kind;
    editor->DispatchMouseDown(20, 20, kLeft);
    editor->DispatchMouseDown(70, 20, kLeft);
    editor->DispatchMouseUp(20, 20, MouseMods{});
    editor->DispatchMouseUp(20, 20, MouseMods{});
    ASSERT_EQ(HostKinds(), (std::vector<Kind>{Kind::BeginGesture, Kind::EndGesture,
                                              Kind::BeginGesture, Kind::EndGesture}));
    EXPECT_EQ(plug.HostEvents()[0].index, plug.HostEvents()[1].index);
    EXPECT_EQ(plug.HostEvents()[2].index, plug.HostEvents()[3].index);
    EXPECT_NE(plug.HostEvents()[0].index, plug.HostEvents()[2].index);
}

TEST_F(EditorFixture, WheelGoesToControlUnderPointerWithoutGestures)
{
    editor->DispatchMouseWheel(90, 40, MouseMods{}, -3);
    EXPECT_EQ(top->events, (Strings{"wheel@90,40"}));
    EXPECT_EQ(top->lastNotches, -3);
    editor->DispatchMouseWheel(20, 20, MouseMods{}, 1);
    EXPECT_EQ(left->events, (Strings{"wheel@20,20"}));
    EXPECT_TRUE(plug.HostEvents().empty());
}

TEST_F(EditorFixture, HoverNewControlFirstThenOldOut)
{
    EXPECT_FALSE(editor->DispatchMouseOver(20, 20, MouseMods{}));
    EXPECT_TRUE(left->events.empty());
    editor->SetHandleMouseOver(true);
    std::vector<std::string> order;
    EXPECT_TRUE(editor->DispatchMouseOver(20, 20, MouseMods{}));
    EXPECT_TRUE(editor->DispatchMouseOver(70, 20, MouseMods{}));
    EXPECT_EQ(left->events, (Strings{"over@20,20", "out@-1,-1"}));
    EXPECT_EQ(right->events, (Strings{"over@70,20"}));
    EXPECT_EQ(editor->MouseOverIndex(), 2);
    EXPECT_EQ(editor->LastMouseX(), 70);

    // Outside every control: nothing is called, the previous control gets no mouse-out.
    EXPECT_TRUE(editor->DispatchMouseOver(500, 500, MouseMods{}));
    EXPECT_EQ(right->events.size(), 1u);

    editor->DispatchMouseOut();
    EXPECT_EQ(right->events.back(), "out@-1,-1");
    EXPECT_EQ(background->events.back(), "out@-1,-1");
    EXPECT_EQ(editor->MouseOverIndex(), -1);
}

TEST_F(EditorFixture, GreyedControlHoversButIsNotClicked)
{
    editor->SetHandleMouseOver(true);
    right->SetGrayed(true);
    right->SetHoverWhenGrayed(true);
    editor->DispatchMouseOver(70, 20, MouseMods{});
    editor->DispatchMouseDown(70, 20, kLeft);
    EXPECT_EQ(right->events, (Strings{"over@70,20"}));
    EXPECT_EQ(background->events, (Strings{"down@70,20"}));
}

TEST_F(EditorFixture, KeysOverBackgroundGoToHost)
{
    EXPECT_FALSE(editor->DispatchKeyDown(150, 90, 5));
    EXPECT_TRUE(background->events.empty());
    EXPECT_TRUE(editor->DispatchKeyDown(20, 20, 15));
    EXPECT_EQ(left->lastKey, 15);
    left->handlesKeys = false;
    EXPECT_FALSE(editor->DispatchKeyDown(20, 20, 15));
    EXPECT_FALSE(editor->DispatchKeyDown(500, 500, 15));
    // While captured, keys go to the capturing control wherever the pointer is.
    editor->DispatchMouseDown(110, 60, kLeft);
    EXPECT_TRUE(editor->DispatchKeyDown(150, 90, 1));
    EXPECT_EQ(top->lastKey, 1);
}

TEST_F(EditorFixture, DirtyAreaIsUnionOfDirtyControls)
{
    CleanAll();
    left->MarkDirty(false);
    top->MarkDirty(false);
    Rect area;
    ASSERT_TRUE(editor->CollectDirtyArea(area));
    EXPECT_EQ(area, Rect(10, 10, 120, 70));
}

TEST_F(EditorFixture, DrawAreaDrawsIntersectingVisibleControlsAndPresentsArea)
{
    CleanAll();
    const int backgroundDraws = background->draws;
    const int rightDraws = right->draws;
    const int topDraws = top->draws;
    left->MarkDirty(false);
    Rect area;
    ASSERT_TRUE(editor->CollectDirtyArea(area));
    top->SetHidden(true);
    top->MarkClean();
    ASSERT_TRUE(editor->DrawArea(area));
    EXPECT_EQ(background->draws, backgroundDraws + 1); // the background intersects every area
    EXPECT_EQ(right->draws, rightDraws);
    EXPECT_EQ(top->draws, topDraws);
    EXPECT_EQ(editor->LastPresentedArea(), Rect(10, 10, 50, 50));
}

TEST_F(EditorFixture, DirtyControlOutsidePaintedAreaStaysDirty)
{
    CleanAll();
    right->MarkDirty(false);
    editor->DrawArea(Rect(0, 0, 5, 5));
    EXPECT_TRUE(right->IsMarkedDirty());
    editor->DrawArea(Rect(0, 0, 5, 5));
    EXPECT_FALSE(right->IsMarkedDirty());
}

TEST(EmptyEditor, DrawAreaPresentsNothing)
{
    TestPlug plug;
    IGraphicsOffscreen editor(&plug, 10, 10, 30);
    EXPECT_TRUE(editor.DrawArea(Rect(0, 0, 10, 10)));
    EXPECT_EQ(editor.PresentCount(), 0);
}

TEST_F(EditorFixture, IdleHooksRunEverySecondIdleTick)
{
    std::vector<int> idleAfterTick;
    for (int tick = 0; tick < 9; ++tick)
    {
        if (tick == 3)
        {
            right->MarkDirty(false);
        }
        editor->Tick();
        idleAfterTick.push_back(plug.idleCalls);
    }
    // Tick 0 draws the new controls; 1, 2 idle (hooks at 2); 3 and 4 draw the marked control
    // and restart the count; 5, 6 idle (hooks at 6); 7, 8 idle (hooks at 8).
    EXPECT_EQ(idleAfterTick, (std::vector<int>{0, 0, 1, 1, 1, 1, 2, 2, 3}));
    EXPECT_EQ(left->idleTicks, 3);
    EXPECT_EQ(background->idleTicks, 3);
}

TEST_F(EditorFixture, ParameterUpdatesReachBoundControls)
{
    editor->UpdateControlsForParameter(TestPlug::kAmount, 25.0, false);
    EXPECT_DOUBLE_EQ(right->GetValue(), 0.25);
    editor->UpdateControlsForParameter(TestPlug::kGain, 0.5, true);
    EXPECT_DOUBLE_EQ(left->GetValue(), 0.5);
    EXPECT_EQ(top->GetValue(), 0.0);
    // A real value for a parameter outside the list is dropped.
    editor->UpdateControlsForParameter(42, 1.0, false);
}

TEST_F(EditorFixture, GreyingAndMarkingAll)
{
    CleanAll();
    editor->SetParameterControlsGrayed(TestPlug::kGain, true);
    EXPECT_TRUE(left->IsGrayed());
    EXPECT_FALSE(right->IsGrayed());
    editor->MarkAllControlsDirty();
    for (ProbeControl* control : {background, left, right, top})
    {
        EXPECT_TRUE(control->IsMarkedDirty());
    }
}

TEST(EditorAttach, AttachEditorCreatesBitmapAndPushesValues)
{
    TestPlug plug;
    auto* editor = new IGraphicsOffscreen(&plug, 801, 600, 30);
    auto* gain = new ProbeControl(&plug, Rect(0, 0, 10, 10), TestPlug::kGain);
    editor->AddControl(gain);
    plug.AttachEditor(editor);
    ASSERT_NE(editor->BackingBitmap(), nullptr);
    EXPECT_EQ(editor->BackingBitmap()->Width(), 801);
    EXPECT_EQ(editor->BackingBitmap()->RowSpan(), 804);
    EXPECT_DOUBLE_EQ(gain->GetValue(), 0.5);
    EXPECT_DOUBLE_EQ(gain->GetDefaultValue(), 0.5);
}

// Prompts ---------------------------------------------------------------------------------------

class PromptFixture : public EditorFixture
{
protected:
    PromptFixture()
    {
        dropdown = Add(Rect(130, 10, 190, 30), TestPlug::kIntegration);
        toggle = Add(Rect(130, 40, 190, 60), TestPlug::kPeaks);
        for (ProbeControl* c : {left, right, dropdown, toggle})
        {
            c->SetPromptDisabled(false);
        }
    }

    ProbeControl* dropdown = nullptr;
    ProbeControl* toggle = nullptr;
};

TEST_F(PromptFixture, EnumMenuListsTextsWithCurrentChecked)
{
    editor->QueueMenuCommand(2);
    editor->DispatchMouseDown(140, 20, kRight);
    ASSERT_EQ(editor->MenuCount(), 1);
    const auto& items = editor->LastMenuCommands();
    ASSERT_EQ(items.size(), 4u);
    Strings labels;
    for (const MenuCommand& item : items)
    {
        labels.push_back(item.label);
        EXPECT_EQ(item.IsChecked(), item.label == "1s");
    }
    EXPECT_EQ(labels, (Strings{"0.5s", "1s", "2s", "4s"}));
    EXPECT_DOUBLE_EQ(dropdown->GetValue(), plug.Param(TestPlug::kIntegration)->ToNormalized(2));
    EXPECT_DOUBLE_EQ(plug.Param(TestPlug::kIntegration)->Value(), 2.0);
    // The menu dropped the capture, so no mouse-up arrives at the dropdown later.
    EXPECT_EQ(editor->MouseCapture(), -1);
}

TEST_F(PromptFixture, DismissedMenuChangesNothingButRepaintsAll)
{
    CleanAll();
    editor->DispatchMouseDown(140, 20, kRight);
    EXPECT_EQ(dropdown->GetValue(), 0.0);
    EXPECT_TRUE(plug.changes.empty());
    EXPECT_TRUE(editor->FullRepaintPending());
    const int backgroundDraws = background->draws;
    const int rightDraws = right->draws;
    editor->Tick();
    EXPECT_FALSE(editor->FullRepaintPending());
    EXPECT_GT(background->draws, backgroundDraws);
    EXPECT_EQ(right->draws, rightDraws + 1); // not dirty: drawn by the full repaint only
}

TEST_F(PromptFixture, BoolWithTextsGetsMenu)
{
    editor->QueueMenuCommand(1);
    editor->DispatchMouseDown(140, 50, kRight);
    ASSERT_EQ(editor->MenuCount(), 1);
    EXPECT_EQ(editor->LastMenuCommands()[0].label, "off");
    EXPECT_TRUE(editor->LastMenuCommands()[0].IsChecked());
    EXPECT_DOUBLE_EQ(plug.Param(TestPlug::kPeaks)->Value(), 1.0);
}

TEST_F(PromptFixture, NumberOpensTextEntryWithValueText)
{
    plug.Param(TestPlug::kGain)->SetClamped(-3.5);
    editor->DispatchMouseDown(20, 20, kRight);
    EXPECT_EQ(editor->MenuCount(), 0);
    ASSERT_TRUE(editor->TextEntry().IsOpen());
    EXPECT_EQ(editor->LastEntryInitialText(), "-3.5");
    EXPECT_EQ(editor->TextEntry().Control(), left);
    EXPECT_EQ(editor->TextEntry().Parameter(), plug.Param(TestPlug::kGain));
}

TEST_F(PromptFixture, TypedNumberAppliesAtNextTick)
{
    editor->QueueTextEntry("12.5x", IGraphicsOffscreen::EntryEnd::Enter);
    editor->DispatchMouseDown(20, 20, kRight);
    EXPECT_EQ(editor->TextEntry().Text(), "12.5"); // 'x' is swallowed
    EXPECT_EQ(editor->TextEntry().State(), TextEntryState::Commit);
    EXPECT_TRUE(plug.changes.empty());
    EXPECT_EQ(editor->Tick(), FrameTickResult::EntryCommitted);
    EXPECT_NEAR(plug.Param(TestPlug::kGain)->Value(), 12.5, 1e-9);
    EXPECT_FALSE(editor->TextEntry().IsOpen());
}

TEST_F(PromptFixture, EscapeClosesWithoutChange)
{
    editor->QueueTextEntry("7", IGraphicsOffscreen::EntryEnd::Escape);
    editor->DispatchMouseDown(70, 20, kRight);
    EXPECT_EQ(editor->Tick(), FrameTickResult::EntryCancelled);
    EXPECT_FALSE(editor->TextEntry().IsOpen());
    EXPECT_DOUBLE_EQ(plug.Param(TestPlug::kAmount)->Value(), 100.0);
}

TEST_F(PromptFixture, SecondEntryWhileOpenIsIgnored)
{
    editor->DispatchMouseDown(20, 20, kRight);
    editor->DispatchMouseDown(70, 20, kRight);
    EXPECT_EQ(editor->TextEntry().Control(), left);
}

TEST_F(PromptFixture, OpenEntryRepaintsAroundItThenSkipsATick)
{
    CleanAll();
    editor->DispatchMouseDown(20, 20, kRight);
    ASSERT_TRUE(editor->TextEntry().IsOpen());
    right->MarkDirty(false);
    EXPECT_EQ(editor->Tick(), FrameTickResult::Painted);
    EXPECT_EQ(editor->TextEntry().State(), TextEntryState::Repainted);
    EXPECT_EQ(editor->Tick(), FrameTickResult::EntryRepaintSkipped);
    EXPECT_EQ(editor->TextEntry().State(), TextEntryState::None);
}

TEST_F(PromptFixture, ClosingWindowEndsEntry)
{
    editor->OpenEditorWindow(nullptr);
    editor->DispatchMouseDown(20, 20, kRight);
    editor->CloseEditorWindow();
    EXPECT_FALSE(editor->TextEntry().IsOpen());
    editor->DispatchMouseDown(70, 20, kRight);
    EXPECT_EQ(editor->TextEntry().Control(), right);
}

TEST_F(PromptFixture, PromptWithoutControlParameterOrAnchorIsIgnored)
{
    const Rect anchor(0, 0, 5, 5);
    editor->PromptForParameter(nullptr, plug.Param(TestPlug::kGain), &anchor);
    editor->PromptForParameter(left, nullptr, &anchor);
    editor->PromptForParameter(left, plug.Param(TestPlug::kGain), nullptr);
    EXPECT_FALSE(editor->TextEntry().IsOpen());
    EXPECT_EQ(editor->MenuCount(), 0);
}

TEST(PlatformFactory, DefaultsToOffscreenAndAcceptsAnother)
{
    TestPlug plug;
    std::unique_ptr<IGraphics> editor(CreatePlatformGraphics(&plug, 800, 600, 30));
    EXPECT_NE(dynamic_cast<IGraphicsOffscreen*>(editor.get()), nullptr);
    EXPECT_EQ(editor->Width(), 800);

    static int created = 0;
    auto previous = SetPlatformGraphicsFactory(
        [](IPlugBase* p, int w, int h, int rate) -> IGraphics*
        {
            ++created;
            return new IGraphicsOffscreen(p, w, h, rate);
        });
    std::unique_ptr<IGraphics> other(CreatePlatformGraphics(&plug, 10, 10, 30));
    EXPECT_EQ(created, 1);
    SetPlatformGraphicsFactory(previous);
}

} // namespace
