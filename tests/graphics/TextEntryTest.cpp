#include "graphics/TextEntry.h"
#include "GraphicsTestSupport.h"
#include "graphics/KeyCodes.h"
#include "graphics/PopupMenu.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

using S = TextEntryState;
using E = TextEntryEvent;

struct TransitionCase
{
    S from;
    E event;
    S to;
};

class TransitionTable : public ::testing::TestWithParam<TransitionCase>
{
};

TEST_P(TransitionTable, NextState)
{
    const TransitionCase& c = GetParam();
    EXPECT_EQ(NextTextEntryState(c.from, c.event), c.to);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TransitionTable,
    ::testing::Values(TransitionCase{S::None, E::GainFocus, S::Focused},
                      TransitionCase{S::Repainted, E::GainFocus, S::Focused},
                      TransitionCase{S::Focused, E::LoseFocus, S::Commit},
                      TransitionCase{S::None, E::EnterKey, S::Commit},
                      TransitionCase{S::Focused, E::CommandNotify, S::Commit},
                      TransitionCase{S::Repainted, E::EscapeKey, S::Cancel},
                      TransitionCase{S::None, E::ClickInEditor, S::Commit},
                      TransitionCase{S::Repainted, E::ClickInEditor, S::Commit},
                      TransitionCase{S::Focused, E::ClickInEditor, S::Cancel},
                      TransitionCase{S::None, E::WheelOverEditor, S::Cancel},
                      TransitionCase{S::Repainted, E::WheelOverEditor, S::Cancel},
                      TransitionCase{S::Focused, E::WheelOverEditor, S::Focused},
                      TransitionCase{S::Commit, E::WheelOverEditor, S::Commit},
                      TransitionCase{S::None, E::TickRepainted, S::Repainted},
                      TransitionCase{S::Focused, E::TickRepainted, S::Focused},
                      TransitionCase{S::Repainted, E::TickAfterRepaint, S::None}));

struct FilterCase
{
    ParameterKind kind;
    const char* accepted;
    const char* rejected;
};

class FilterTable : public ::testing::TestWithParam<FilterCase>
{
};

TEST_P(FilterTable, CharactersPerParameterKind)
{
    const FilterCase& c = GetParam();
    for (const char* p = c.accepted; *p; ++p)
    {
        EXPECT_TRUE(EntryAcceptsCharacter(static_cast<int>(c.kind), *p)) << *p;
    }
    for (const char* p = c.rejected; *p; ++p)
    {
        EXPECT_FALSE(EntryAcceptsCharacter(static_cast<int>(c.kind), *p)) << *p;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FilterTable,
                         ::testing::Values(FilterCase{ParameterKind::Double, "0123456789-+.",
                                                      "xe, a"},
                                           FilterCase{ParameterKind::Enum, "0123456789-+", ".xs"},
                                           FilterCase{ParameterKind::Bool, "019-+", ".o"},
                                           FilterCase{ParameterKind::None, "x.1 ", ""}));

TEST(TextEntrySessionTest, FirstKeyReplacesInitialTextAndLengthIsLimited)
{
    TestPlug plug;
    ProbeControl control(&plug, Rect(0, 0, 10, 10), TestPlug::kGain);
    TextEntrySession entry;
    ASSERT_TRUE(entry.Open(&control, plug.Param(TestPlug::kGain), TextStyle{}, Rect(), "0.0"));
    EXPECT_FALSE(entry.Open(&control, nullptr, TextStyle{}, Rect(), "again"));
    for (char c : std::string("-12.34567"))
    {
        entry.TypeCharacter(c);
    }
    EXPECT_EQ(entry.Text(), "-12.345"); // textEntryLength 7
    entry.Backspace();
    EXPECT_EQ(entry.Text(), "-12.34");
}

TEST(TextEntrySessionTest, CommitWithoutParameterHandsTextToControl)
{
    TestPlug plug;
    ProbeControl control(&plug, Rect(0, 0, 10, 10), -1);
    control.SetTextEntryLength(64);
    TextEntrySession entry;
    entry.Open(&control, nullptr, TextStyle{}, Rect(), "");
    const std::string longText(40, 'a');
    for (char c : longText)
    {
        entry.TypeCharacter(c);
    }
    entry.Commit();
    EXPECT_EQ(control.enteredText, std::string(31, 'a'));
    EXPECT_FALSE(entry.IsOpen());
}

struct ConversionCase
{
    int param;
    const char* text;
    double real;
};

class ConversionTable : public ::testing::TestWithParam<ConversionCase>
{
};

TEST_P(ConversionTable, EnteredTextToValue)
{
    TestPlug plug;
    const ConversionCase& c = GetParam();
    const IPlugParameter& parameter = *plug.Param(c.param);
    EXPECT_DOUBLE_EQ(EnteredTextToNormalized(parameter, c.text), parameter.ToNormalized(c.real));
}

INSTANTIATE_TEST_SUITE_P(Cases, ConversionTable,
                         ::testing::Values(ConversionCase{TestPlug::kGain, "12.5", 12.5},
                                           ConversionCase{TestPlug::kGain, "-3", -3.0},
                                           ConversionCase{TestPlug::kGain, "abc", 0.0},
                                           ConversionCase{TestPlug::kGain, "99", 15.0},
                                           ConversionCase{TestPlug::kIntegration, "2s", 2.0},
                                           ConversionCase{TestPlug::kIntegration, "3", 0.0},
                                           ConversionCase{TestPlug::kPeaks, "on", 1.0}));

struct KeyCase
{
    int virtualKey;
    unsigned long keysym;
    int expected;
};

class KeyTable : public ::testing::TestWithParam<KeyCase>
{
};

TEST_P(KeyTable, MapsWindowsAndX11Keys)
{
    const KeyCase& c = GetParam();
    EXPECT_EQ(EditorKeyFromVirtualKey(c.virtualKey), c.expected);
    EXPECT_EQ(EditorKeyFromKeysym(c.keysym), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, KeyTable,
                         ::testing::Values(KeyCase{0x20, 0x20, 0},      // space
                                           KeyCase{0x26, 0xff52, 1},    // up
                                           KeyCase{0x28, 0xff54, 2},    // down
                                           KeyCase{0x25, 0xff51, 3},    // left
                                           KeyCase{0x27, 0xff53, 4},    // right
                                           KeyCase{'0', '0', 5},        // digits
                                           KeyCase{'9', '9', 14},       //
                                           KeyCase{'A', 'a', 15},       // letters
                                           KeyCase{'Z', 'Z', 40},       //
                                           KeyCase{0x0D, 0xff0d, -1},   // Enter
                                           KeyCase{0x70, 0xffbe, -1})); // F1

TEST(WheelTest, NotchesTruncateTowardsZero)
{
    EXPECT_EQ(WheelNotchesFromDelta(120), 1);
    EXPECT_EQ(WheelNotchesFromDelta(-240), -2);
    EXPECT_EQ(WheelNotchesFromDelta(60), 0);
    EXPECT_EQ(WheelNotchesFromDelta(-119), 0);
    EXPECT_EQ(WheelNotchesFromDelta(250), 2);
}

struct LabelCase
{
    int numbering;
    int position;
    const char* expected;
};

class LabelTable : public ::testing::TestWithParam<LabelCase>
{
};

TEST_P(LabelTable, NumberingPrefixes)
{
    const LabelCase& c = GetParam();
    EXPECT_EQ(MenuItemLabel(c.numbering, c.position, "Item"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, LabelTable,
                         ::testing::Values(LabelCase{0, 3, "Item"}, LabelCase{1, 3, "3: Item"},
                                           LabelCase{1, 12, "12: Item"},
                                           LabelCase{2, 3, "03: Item"},
                                           LabelCase{3, 7, "007: Item"}));

// Top menu: A, B (submenu X, Y (submenu P)), separator, C  ->  top 0..3, B's submenu 4..5,
// Y's submenu 6.
std::unique_ptr<PopupMenu> NestedMenu()
{
    auto root = std::make_unique<PopupMenu>(2);
    root->AddItem("A");
    auto sub = std::make_unique<PopupMenu>();
    sub->AddItem("X", kMenuItemChecked);
    auto subSub = std::make_unique<PopupMenu>();
    subSub->AddItem("P");
    sub->AddSubmenu("Y", std::move(subSub));
    root->AddSubmenu("B", std::move(sub));
    root->AddSeparator();
    root->AddItem("C", kMenuItemDisabled);
    return root;
}

TEST(MenuNumberingTest, SubmenusTakeNumbersWhenAppended)
{
    auto root = NestedMenu();
    const std::vector<MenuCommand> flat = FlattenMenu(*root);
    std::vector<std::pair<int, std::string>> seen;
    for (const MenuCommand& entry : flat)
    {
        seen.emplace_back(entry.command, entry.label);
    }
    const std::vector<std::pair<int, std::string>> expected = {
        {0, "01: A"}, {1, "02: B"}, {4, "X"}, {5, "Y"}, {6, "P"}, {2, ""}, {3, "04: C"}};
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(flat[1].hasSubmenu);
    EXPECT_TRUE(flat[2].IsChecked());
    EXPECT_EQ(flat[4].depth, 2);
}

struct ResolveCase
{
    int command;
    const char* menuOwner; // "root", "B", "Y" or "" for none
    int chosen;
};

class ResolveTable : public ::testing::TestWithParam<ResolveCase>
{
};

TEST_P(ResolveTable, CommandFindsItsMenu)
{
    auto root = NestedMenu();
    PopupMenu* b = root->Item(1).submenu.get();
    PopupMenu* y = b->Item(1).submenu.get();
    const ResolveCase& c = GetParam();
    PopupMenu* result = ResolveMenuCommand(*root, c.command);
    const std::string owner = c.menuOwner;
    PopupMenu* expected = owner == "root" ? root.get()
                          : owner == "B"  ? b
                          : owner == "Y"  ? y
                                          : nullptr;
    EXPECT_EQ(result, expected);
    if (result)
    {
        EXPECT_EQ(result->ChosenItemIndex(), c.chosen);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ResolveTable,
                         ::testing::Values(ResolveCase{0, "root", 0}, ResolveCase{3, "root", 3},
                                           ResolveCase{5, "B", 1}, ResolveCase{6, "Y", 0},
                                           ResolveCase{7, "", -1}, ResolveCase{-1, "", -1}));

} // namespace
