#include "GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{

using Event = IPlugHeadless::HostEvent;

struct RectCase
{
    Rect a;
    Rect b;
    bool intersects;
    Rect unionAB;
};

class RectTable : public ::testing::TestWithParam<RectCase>
{
};

TEST_P(RectTable, IntersectsAndUnion)
{
    const RectCase& c = GetParam();
    EXPECT_EQ(c.a.Intersects(c.b), c.intersects);
    EXPECT_EQ(c.a.Union(c.b), c.unionAB);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RectTable,
    ::testing::Values(
        // overlapping
        RectCase{{0, 0, 10, 10}, {5, 5, 20, 20}, true, {0, 0, 20, 20}},
        // b starts exactly at a's right edge: counts as intersecting
        RectCase{{0, 0, 10, 10}, {10, 0, 20, 10}, true, {0, 0, 20, 10}},
        // b ends exactly at a's left edge: does not
        RectCase{{10, 0, 20, 10}, {0, 0, 10, 10}, false, {0, 0, 20, 10}},
        // b starts at a's bottom edge: intersecting
        RectCase{{0, 0, 10, 10}, {0, 10, 10, 20}, true, {0, 0, 10, 20}},
        // empty on either side never intersects; union takes the other unchanged
        RectCase{{0, 0, 0, 0}, {5, 5, 9, 9}, false, {5, 5, 9, 9}},
        RectCase{{5, 5, 9, 9}, {0, 0, 0, 0}, false, {5, 5, 9, 9}},
        // zero width away from the origin is not empty: it joins the union
        RectCase{{50, 50, 50, 60}, {0, 0, 10, 10}, false, {0, 0, 50, 60}}));

TEST(RectTest, ContainsExcludesRightAndBottom)
{
    const Rect r(10, 20, 30, 40);
    EXPECT_TRUE(r.Contains(10, 20));
    EXPECT_TRUE(r.Contains(29, 39));
    EXPECT_FALSE(r.Contains(30, 25));
    EXPECT_FALSE(r.Contains(15, 40));
    EXPECT_FALSE(r.Contains(9, 25));
}

TEST(TextStyleTest, DefaultsAndSafeFontName)
{
    TextStyle style;
    EXPECT_STREQ(style.fontName, "Arial");
    EXPECT_EQ(style.size, 12);
    EXPECT_EQ(style.style, kTextStyleNormal);
    EXPECT_EQ(style.alignment, kTextAlignCentre);
    EXPECT_EQ(style.background, Color(255, 255, 255, 255));
    EXPECT_EQ(style.foreground, Color(255, 0, 0, 0));
    style.SetFontName("A font name that is far longer than thirty-one characters");
    EXPECT_EQ(std::string(style.fontName).size(), 31u);
}

class ControlFixture : public ::testing::Test
{
protected:
    ControlFixture() : editor(std::make_unique<IGraphicsOffscreen>(&plug, 800, 600, 30)) {}

    template <typename T, typename... Args> T* Add(Args&&... args)
    {
        auto* control = new T(&plug, std::forward<Args>(args)...);
        editor->AddControl(control);
        return control;
    }

    // Runs one frame over the whole editor and reports whether the control was drawn.
    bool FrameDraws(ProbeControl* control)
    {
        const int before = control->draws;
        Rect area;
        if (editor->CollectDirtyArea(area))
        {
            editor->DrawArea(area);
        }
        return control->draws > before;
    }

    TestPlug plug;
    std::unique_ptr<IGraphicsOffscreen> editor;
};

TEST_F(ControlFixture, NewControlFieldsAndDirty)
{
    auto* control = Add<ProbeControl>(Rect(1, 2, 3, 4), TestPlug::kGain);
    EXPECT_EQ(control->TextEntryLength(), 7);
    EXPECT_EQ(control->GetTargetRect(), Rect(1, 2, 3, 4));
    EXPECT_EQ(control->GetValue(), 0.0);
    EXPECT_EQ(control->GetDefaultValue(), -1.0);
    EXPECT_TRUE(control->IsMarkedDirty());
    EXPECT_TRUE(control->IsPromptDisabled());
    EXPECT_FALSE(control->IsHidden());
    EXPECT_FALSE(control->IsGrayed());
    EXPECT_EQ(control->Tooltip(), "");
}

TEST_F(ControlFixture, MarkDirtyDrawsInTwoFramesOnly)
{
    auto* control = Add<ProbeControl>(Rect(0, 0, 10, 10));
    FrameDraws(control);
    FrameDraws(control);
    ASSERT_FALSE(FrameDraws(control));
    control->MarkDirty(false);
    EXPECT_TRUE(FrameDraws(control));
    EXPECT_TRUE(FrameDraws(control));
    EXPECT_FALSE(FrameDraws(control));
}

TEST_F(ControlFixture, MarkDirtyClampsAndPushesToPlugin)
{
    auto* control = Add<ProbeControl>(Rect(0, 0, 10, 10), TestPlug::kGain);
    control->SetClamp(0.2, 0.8);
    control->SetValue(0.95);
    control->MarkDirty(true);
    EXPECT_DOUBLE_EQ(control->GetValue(), 0.8);
    ASSERT_EQ(plug.HostEvents().size(), 1u);
    EXPECT_EQ(plug.HostEvents()[0].kind, Event::Kind::Change);
    EXPECT_DOUBLE_EQ(plug.HostEvents()[0].normalised, 0.8);
    ASSERT_EQ(plug.changes.size(), 1u);
    EXPECT_EQ(plug.changes[0].second, ParameterChangeSource::Editor);
    control->SetValue(-1.0);
    control->MarkDirty(false);
    EXPECT_DOUBLE_EQ(control->GetValue(), 0.2);
    EXPECT_EQ(plug.HostEvents().size(), 1u);
}

TEST_F(ControlFixture, UnboundControlSendsNothingAndPromptsNothing)
{
    auto* unbound = Add<ProbeControl>(Rect(0, 0, 10, 10), -1);
    auto* other = Add<ProbeControl>(Rect(20, 0, 30, 10), -1);
    unbound->SetPromptDisabled(false);
    other->SetValue(0.3);
    unbound->SetValue(0.6);
    unbound->MarkDirty(true);
    unbound->HandleMouseDown(5, 5, MouseMods{false, true, false, false, false});
    EXPECT_TRUE(plug.HostEvents().empty());
    EXPECT_EQ(other->GetValue(), 0.3);
    EXPECT_EQ(editor->MenuCount(), 0);
    EXPECT_FALSE(editor->TextEntry().IsOpen());
}

TEST_F(ControlFixture, SecondControlOnSameParameterFollows)
{
    auto* fader = Add<ProbeControl>(Rect(0, 0, 10, 100), TestPlug::kGain);
    auto* numberBox = Add<ProbeControl>(Rect(0, 100, 10, 110), TestPlug::kGain);
    fader->SetValue(0.75);
    fader->MarkDirty(true);
    EXPECT_DOUBLE_EQ(numberBox->GetValue(), 0.75);
    EXPECT_TRUE(numberBox->IsMarkedDirty());
}

TEST_F(ControlFixture, FirstParameterValueBecomesDefault)
{
    auto* control = Add<ProbeControl>(Rect(0, 0, 10, 10), TestPlug::kGain);
    control->MarkClean();
    control->MarkClean();
    control->UpdateFromParameter(0.7);
    EXPECT_DOUBLE_EQ(control->GetValue(), 0.7);
    EXPECT_DOUBLE_EQ(control->GetDefaultValue(), 0.7);
    EXPECT_FALSE(control->IsMarkedDirty());

    control->UpdateFromParameter(0.2);
    EXPECT_TRUE(control->IsMarkedDirty());
    EXPECT_DOUBLE_EQ(control->GetDefaultValue(), 0.7);
    plug.ClearHostEvents();
    control->HandleDoubleClick(0, 0, MouseMods{});
    EXPECT_DOUBLE_EQ(control->GetValue(), 0.7);
    ASSERT_EQ(plug.HostEvents().size(), 1u);
    EXPECT_DOUBLE_EQ(plug.HostEvents()[0].normalised, 0.7);
}

TEST_F(ControlFixture, DoubleClickWithoutDefaultChangesNothing)
{
    auto* control = Add<ProbeControl>(Rect(0, 0, 10, 10), TestPlug::kGain);
    control->SetValue(0.4);
    control->HandleDoubleClick(0, 0, MouseMods{});
    EXPECT_EQ(control->GetValue(), 0.4);
    EXPECT_TRUE(plug.HostEvents().empty());
}

TEST_F(ControlFixture, NanFromParameterAlwaysUpdates)
{
    auto* control = Add<ProbeControl>(Rect(0, 0, 10, 10), -1);
    control->UpdateFromParameter(0.5);
    control->MarkClean();
    control->UpdateFromParameter(std::nan(""));
    EXPECT_TRUE(control->IsMarkedDirty());
    EXPECT_GE(control->GetValue(), 0.0);
    EXPECT_LE(control->GetValue(), 1.0);
}

struct KnobCase
{
    int direction;
    Rect target;
    int dX;
    int dY;
    MouseMods mods;
    double start;
    double expected;
};

class KnobDragTable : public ControlFixture, public ::testing::WithParamInterface<KnobCase>
{
};

TEST_P(KnobDragTable, DragChangesValueByGearing)
{
    const KnobCase& c = GetParam();
    auto* knob = Add<IKnobControlProbe>(c.target, TestPlug::kGain, c.direction, 4.0);
    knob->SetValue(c.start);
    knob->HandleMouseDrag(0, 0, c.dX, c.dY, c.mods);
    EXPECT_NEAR(knob->GetValue(), c.expected, 1e-12);
    ASSERT_FALSE(plug.HostEvents().empty());
    EXPECT_NEAR(plug.HostEvents().back().normalised, c.expected, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Cases, KnobDragTable,
                         ::testing::Values(
                             // 10 pixels up over a 60-pixel target with gearing 4: +10/60/4
                             KnobCase{0, {0, 0, 40, 60}, 0, -10, {}, 0.5, 0.5 + 10.0 / 60.0 / 4.0},
                             // Shift and Control gear down by 10
                             KnobCase{0,
                                      {0, 0, 40, 60},
                                      0,
                                      -10,
                                      {true, false, true, false, false},
                                      0.5,
                                      0.5 + 10.0 / 60.0 / 40.0},
                             KnobCase{0,
                                      {0, 0, 40, 60},
                                      0,
                                      -10,
                                      {true, false, false, true, false},
                                      0.5,
                                      0.5 + 10.0 / 60.0 / 40.0},
                             // dragging down lowers; clamped at 0
                             KnobCase{0, {0, 0, 40, 60}, 0, 300, {}, 0.5, 0.0},
                             // horizontal: right raises, dY ignored
                             KnobCase{
                                 1, {0, 0, 80, 10}, 20, 50, {}, 0.1, 0.1 + 20.0 / 80.0 / 4.0}));

TEST_F(ControlFixture, WheelStepsAndClamps)
{
    auto* knob = Add<IKnobControlProbe>(Rect(0, 0, 10, 10), TestPlug::kGain, 0, 4.0);
    knob->SetValue(0.995);
    knob->HandleMouseWheel(0, 0, MouseMods{}, 1);
    EXPECT_EQ(knob->GetValue(), 1.0);
    knob->SetValue(0.5);
    knob->HandleMouseWheel(0, 0, MouseMods{false, false, false, true, false}, -2);
    EXPECT_NEAR(knob->GetValue(), 0.498, 1e-12);
    knob->HandleMouseWheel(0, 0, MouseMods{false, false, true, false, false}, 3);
    EXPECT_NEAR(knob->GetValue(), 0.501, 1e-12);
}

TEST_F(ControlFixture, HitTestUsesTargetRect)
{
    auto* control = Add<ProbeControl>(Rect(10, 10, 20, 20));
    EXPECT_TRUE(control->HitTest(10, 10));
    EXPECT_FALSE(control->HitTest(20, 15));
    EXPECT_FALSE(control->HitTest(15, 20));
    control->SetTargetRect(Rect(0, 0, 0, 0));
    EXPECT_FALSE(control->HitTest(0, 0));
}

TEST_F(ControlFixture, MoveToKeepsSizeAndResetsTarget)
{
    auto* control = Add<ProbeControl>(Rect(10, 10, 30, 25));
    control->SetTargetRect(Rect(0, 0, 1, 1));
    control->MoveTo(100, 200);
    EXPECT_EQ(control->GetDrawRect(), Rect(100, 200, 120, 215));
    EXPECT_EQ(control->GetTargetRect(), Rect(100, 200, 120, 215));
}

TEST_F(ControlFixture, HiddenAndGrayedMarkDirty)
{
    auto* control = Add<ProbeControl>(Rect(0, 0, 10, 10));
    control->MarkClean();
    control->MarkClean();
    control->SetGrayed(true);
    EXPECT_TRUE(control->IsGrayed());
    EXPECT_TRUE(control->IsMarkedDirty());
    control->MarkClean();
    control->MarkClean();
    control->SetHidden(true);
    EXPECT_TRUE(control->IsHidden());
    EXPECT_TRUE(control->IsMarkedDirty());
}

TEST_F(ControlFixture, AuxBindingsFollowTheirParameter)
{
    auto* control = Add<ProbeControl>(Rect(0, 0, 10, 10), TestPlug::kGain);
    EXPECT_EQ(control->AuxIndexOf(TestPlug::kAmount), -1);
    const int aux = control->AddAuxBinding(TestPlug::kAmount);
    EXPECT_EQ(control->AuxIndexOf(TestPlug::kAmount), aux);
    control->MarkClean();
    control->MarkClean();
    editor->UpdateControlsForParameter(TestPlug::kAmount, 0.25, true);
    EXPECT_EQ(control->AuxValue(aux), 0.25);
    EXPECT_TRUE(control->IsMarkedDirty());
    EXPECT_EQ(control->GetValue(), 0.0);
}

// Prompt anchors: display-text parameters anchor at drawRect itself, numbers at the rectangle
// rebuilt through the centre (one pixel smaller for odd sizes).
TEST_F(ControlFixture, PromptAnchors)
{
    auto* number = Add<ProbeControl>(Rect(10, 10, 15, 15), TestPlug::kGain);
    number->SetPromptDisabled(false);
    number->PromptForValueIn(Rect(10, 10, 15, 15));
    ASSERT_TRUE(editor->TextEntry().IsOpen());
    EXPECT_EQ(editor->TextEntry().Area(), Rect(10, 10, 14, 14));
    editor->TextEntry().Close();

    number->PromptForValue();
    EXPECT_EQ(editor->TextEntry().Area(), Rect(10, 10, 14, 14));
    editor->TextEntry().Close();

    auto* dropdown = Add<ProbeControl>(Rect(21, 31, 60, 44), TestPlug::kIntegration);
    dropdown->SetPromptDisabled(false);
    dropdown->PromptForValue();
    EXPECT_EQ(editor->LastMenuAnchor(), Rect(21, 31, 60, 44));
}

TEST_F(ControlFixture, PromptDisabledByDefault)
{
    auto* control = Add<ProbeControl>(Rect(0, 0, 10, 10), TestPlug::kIntegration);
    control->HandleMouseDown(5, 5, MouseMods{false, true, false, false, false});
    EXPECT_EQ(editor->MenuCount(), 0);
    control->SetPromptDisabled(false);
    control->HandleMouseDown(5, 5, MouseMods{true, false, false, false, false});
    EXPECT_EQ(editor->MenuCount(), 0);
    control->HandleMouseDown(5, 5, MouseMods{false, true, false, false, false});
    EXPECT_EQ(editor->MenuCount(), 1);
    EXPECT_TRUE(control->IsRedrawPending());
}

TEST_F(ControlFixture, PromptForParameterOutsideListDoesNothing)
{
    auto* control = Add<ProbeControl>(Rect(0, 0, 10, 10), 99);
    control->SetPromptDisabled(false);
    control->PromptForValue();
    EXPECT_EQ(editor->MenuCount(), 0);
    EXPECT_FALSE(editor->TextEntry().IsOpen());
}

} // namespace
