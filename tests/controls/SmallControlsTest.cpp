#include "ControlFixture.h"

#include "controls/ICairoDropdown.h"
#include "controls/ICairoFlatKnob.h"
#include "controls/ICairoLabel.h"
#include "controls/ICairoToggles.h"
#include "resources/ModuleResources.h"

#include <gtest/gtest.h>

namespace
{

const Color kAccent{255, 205, 255, 67};
constexpr MouseMods kLeft{true, false, false, false, false};
constexpr MouseMods kAltLeft{true, false, false, false, true};

// Mostly covered by the accent colour, or mostly not (anti-aliased edges).
bool IsMostlyAccent(const Pixel& p)
{
    return p.green > 200;
}
bool IsMostlyBackground(const Pixel& p)
{
    return p.green < 80;
}

bool IsBackground(const Pixel& p)
{
    return p.red == 46 && p.green == 46 && p.blue == 46;
}

bool IsAccent(const Pixel& p)
{
    return p.red == 205 && p.green == 255 && p.blue == 67;
}

// Counts pixels of the rectangle that differ from the background.
int InkIn(const EditorFixture& editor, const Rect& r)
{
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            count += IsBackground(editor.At(x, y)) ? 0 : 1;
    return count;
}

} // namespace

// ---- Flat knob -------------------------------------------------------------------------------

struct KnobFixture : ::testing::Test
{
    EditorFixture editor;
    ICairoFlatKnob* knob = nullptr;

    void AddKnob(int param)
    {
        knob = editor.Add(new ICairoFlatKnob(editor.plug.get(), param, editor.surface,
                                             {372, 528, 432, 588}, kAccent,
                                             ICairoFlatKnob::kTextInside, 0));
    }
};

TEST_F(KnobFixture, GeometryAndTexts)
{
    AddKnob(FixturePlug::kGain);
    EXPECT_EQ(knob->TextRect(), Rect(387, 550, 417, 566));
    EXPECT_FALSE(knob->IsPromptDisabled());
    editor.Attach();
    editor.Frame();
    EXPECT_EQ(knob->ValueText(), "0.0dB");
    // Indicator straight up at 0 dB; the value arc fills the left half; nothing at the right.
    EXPECT_TRUE(IsAccent(editor.At(402, 535)));
    EXPECT_TRUE(IsAccent(editor.At(402 - 23, 558)));
    EXPECT_TRUE(IsBackground(editor.At(402 + 23, 558)));
    // Outer ring, 1 px at radius 29 (its pixel straddles the circle, so only partly covered).
    EXPECT_FALSE(IsBackground(editor.At(402 + 29, 558)));
}

TEST_F(KnobFixture, AmountShowsWholePercent)
{
    AddKnob(FixturePlug::kAmount);
    editor.Attach();
    editor.Frame();
    EXPECT_EQ(knob->ValueText(), "50%");
}

TEST_F(KnobFixture, ClickOnTextOpensEntryWithoutChangingTheValue)
{
    AddKnob(FixturePlug::kGain);
    editor.Attach();
    knob->HandleMouseDown(400, 555, kLeft);
    EXPECT_TRUE(editor.graphics->TextEntry().IsOpen());
    EXPECT_EQ(editor.graphics->LastEntryInitialText(), "0.0");
    EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5);
    EXPECT_TRUE(editor.plug->HostEvents().empty());
}

TEST_F(KnobFixture, AltClickRestoresTheAttachedValue)
{
    AddKnob(FixturePlug::kGain);
    knob->SetValue(0.8);
    knob->HandleMouseDown(375, 530, kAltLeft); // no default before the editor is attached
    EXPECT_DOUBLE_EQ(knob->GetValue(), 0.8);
    editor.Attach();
    knob->SetValue(0.8);
    knob->HandleMouseDown(375, 530, kAltLeft);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5);
    EXPECT_DOUBLE_EQ(editor.plug->Param(FixturePlug::kGain)->Value(), 0.0);
}

TEST_F(KnobFixture, VerticalDragAtGearingFour)
{
    AddKnob(FixturePlug::kGain);
    editor.Attach();
    knob->HandleMouseDrag(375, 520, 0, -10, {});
    EXPECT_NEAR(knob->GetValue(), 0.5 + 10.0 / 60.0 / 4.0, 1e-12);
    knob->HandleMouseDrag(375, 510, 0, -10, {false, false, true, false, false});
    EXPECT_NEAR(knob->GetValue(), 0.5 + 10.0 / 60.0 / 4.0 + 10.0 / 60.0 / 40.0, 1e-12);
}

TEST_F(KnobFixture, GreyedKnobDimsArcsDiscAndText)
{
    AddKnob(FixturePlug::kGain);
    editor.Attach();
    knob->SetGrayed(true);
    editor.Frame();
    EXPECT_EQ(knob->KnobColour().alpha, 128);
    const Pixel indicator = editor.At(402, 535);
    EXPECT_NEAR(indicator.red, 46 + (205 - 46) * 0.6, 1.0);
    // Inner disc at 0.1, away from the text.
    const Pixel disc = editor.At(402, 544);
    EXPECT_NEAR(disc.red, 46 + (205 - 46) * 0.1, 1.0);
    EXPECT_NEAR(disc.green, 46 + (255 - 46) * 0.1, 1.0);
}

// ---- Dropdown --------------------------------------------------------------------------------

TEST(Dropdown, TextsWithAndWithoutUnit)
{
    struct Case
    {
        int param;
        double value;
        int showUnit;
        const char* text;
    };
    const Case cases[] = {
        {FixturePlug::kChoice, 1.0, 1, "1s "}, // an enum's label is empty: value and a space
        {FixturePlug::kChoice, 2.0, 0, "4s"},     {FixturePlug::kGain, -3.5, 0, "-3.5"},
        {FixturePlug::kGain, -3.5, 1, "-3.5 dB"}, {FixturePlug::kPlain, 0.0, 1, "0.0 "},
        {FixturePlug::kAmount, 51.0, 1, "51 %"},
    };
    for (const Case& c : cases)
    {
        EditorFixture editor;
        auto* box = editor.Add(new ICairoDropdown(editor.plug.get(), editor.surface,
                                                  {64, 12, 92, 36}, c.param, kAccent, c.showUnit));
        editor.plug->Param(c.param)->SetClamped(c.value);
        editor.Attach();
        editor.Frame();
        EXPECT_EQ(box->ValueText(), c.text);
    }
}

TEST(Dropdown, EnumClickOpensMenuAnchoredAtTheBox)
{
    EditorFixture editor;
    editor.Add(new ICairoDropdown(editor.plug.get(), editor.surface, {156, 12, 192, 36},
                                  FixturePlug::kChoice, kAccent, 1));
    editor.Attach();
    editor.graphics->QueueMenuCommand(2);
    editor.graphics->DispatchMouseDown(170, 20, kLeft);
    EXPECT_EQ(editor.graphics->MenuCount(), 1);
    EXPECT_EQ(editor.graphics->LastMenuAnchor(), Rect(156, 12, 192, 36));
    ASSERT_EQ(editor.graphics->LastMenuCommands().size(), 3u);
    EXPECT_EQ(editor.graphics->LastMenuCommands()[1].label, "1s");
    EXPECT_DOUBLE_EQ(editor.plug->Param(FixturePlug::kChoice)->Value(), 2.0);
}

TEST(Dropdown, NumberClickOpensTextEntry)
{
    EditorFixture editor;
    editor.Add(new ICairoDropdown(editor.plug.get(), editor.surface, {26, 468, 46, 486},
                                  FixturePlug::kGain, kAccent, 0));
    editor.plug->Param(FixturePlug::kGain)->SetClamped(-3.5);
    editor.Attach();
    editor.graphics->DispatchMouseDown(30, 470, {false, true, false, false, false});
    EXPECT_EQ(editor.graphics->MenuCount(), 0);
    EXPECT_TRUE(editor.graphics->TextEntry().IsOpen());
    EXPECT_EQ(editor.graphics->LastEntryInitialText(), "-3.5");
}

TEST(Dropdown, OutlineAndGreying)
{
    EditorFixture editor;
    auto* box = editor.Add(new ICairoDropdown(editor.plug.get(), editor.surface, {64, 12, 92, 36},
                                              FixturePlug::kChoice, kAccent, 1));
    editor.Attach();
    editor.Frame();
    // Line width trunc(24 / 12) = 2, half of it inside the clip.
    EXPECT_TRUE(IsAccent(editor.At(64, 24)));
    EXPECT_TRUE(IsBackground(editor.At(66, 24)));
    EXPECT_TRUE(IsBackground(editor.At(63, 24)));
    EXPECT_GT(InkIn(editor, {66, 14, 90, 34}), 10); // the text
    box->SetGrayed(true);
    editor.Frame();
    const Pixel outline = editor.At(64, 24);
    EXPECT_NEAR(outline.red, 46 + (205 - 46) * 0.4, 1.0);
}

// ---- Switch and contact ----------------------------------------------------------------------

TEST(Switch, PressToggles)
{
    EditorFixture editor;
    auto* toggle = editor.Add(new ICairoSwitch(editor.plug.get(), FixturePlug::kToggle,
                                               editor.surface, {404, 12, 428, 36}, kAccent));
    editor.Attach();
    struct Step
    {
        double before;
        double after;
    };
    // 0.6 (set from the host) shows as on; one press makes 1.6, which wraps to 0.
    const Step steps[] = {{0.0, 1.0}, {1.0, 0.0}, {0.6, 0.0}};
    for (const Step& s : steps)
    {
        toggle->SetValue(s.before);
        toggle->HandleMouseDown(410, 20, kLeft);
        EXPECT_DOUBLE_EQ(toggle->GetValue(), s.after) << s.before;
    }
    EXPECT_DOUBLE_EQ(editor.plug->Param(FixturePlug::kToggle)->Value(), 0.0);
}

TEST(Switch, DotShownAboveZero)
{
    EditorFixture editor;
    auto* toggle = editor.Add(new ICairoSwitch(editor.plug.get(), FixturePlug::kToggle,
                                               editor.surface, {404, 12, 428, 36}, kAccent));
    editor.Attach();
    editor.Frame();
    EXPECT_TRUE(IsBackground(editor.At(416, 24)));        // centre: no dot at 0
    EXPECT_TRUE(IsMostlyAccent(editor.At(416 + 10, 24))); // ring 9..11 px out
    toggle->SetValue(0.6);
    toggle->SetGrayed(true); // greying is not shown
    editor.Frame();
    EXPECT_TRUE(IsAccent(editor.At(416, 24)));
    EXPECT_TRUE(IsAccent(editor.At(416 + 6, 24)));
    EXPECT_TRUE(IsMostlyBackground(editor.At(416 + 8, 24))); // between dot (8) and ring (9)
}

TEST(Contact, HoldsOneWhilePressed)
{
    EditorFixture editor;
    auto* contact = editor.Add(new ICairoContact(editor.plug.get(), FixturePlug::kToggle,
                                                 editor.surface, {508, 12, 532, 36}, kAccent));
    editor.Attach();
    editor.graphics->DispatchMouseDown(520, 24, kLeft);
    EXPECT_DOUBLE_EQ(contact->GetValue(), 1.0);
    EXPECT_DOUBLE_EQ(editor.plug->Param(FixturePlug::kToggle)->Value(), 1.0);
    // Released outside its rectangle: the release still reaches it.
    editor.graphics->DispatchMouseUp(700, 300, {});
    EXPECT_DOUBLE_EQ(contact->GetValue(), 0.0);
    EXPECT_DOUBLE_EQ(editor.plug->Param(FixturePlug::kToggle)->Value(), 0.0);
}

// ---- Label -----------------------------------------------------------------------------------

TEST(Label, CentredTextInsideItsRectangle)
{
    EditorFixture editor;
    auto* label = editor.Add(new ICairoLabel(editor.plug.get(), editor.surface, {4, 12, 60, 36},
                                             kAccent, "dBs / LED", kestrune::kFontTitilliumLabels,
                                             kestrune::kTitilliumFileName, 0.5));
    editor.Attach();
    editor.Frame();
    EXPECT_TRUE(label->HasOwnFont());
    EXPECT_EQ(label->ParamIndex(), -1);
    EXPECT_EQ(label->LastText(), "dBs / LED");
    EXPECT_GT(InkIn(editor, {4, 12, 60, 36}), 30);
    EXPECT_EQ(InkIn(editor, {0, 0, 4, 48}), 0);
    EXPECT_EQ(InkIn(editor, {60, 0, 100, 48}), 0);
    // Centred: the pen starts half the free width in.
    const double inkWidth = label->TextExtents().width + label->TextExtents().x_bearing;
    EXPECT_DOUBLE_EQ(label->LastPenX(), 4 + (56 - inkWidth) * 0.5);
}
