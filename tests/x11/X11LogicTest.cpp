// The platform-free pieces of the X11 window: double-click and hover detection, modifiers, the
// edit box model and the popup menu layout.
#include <gtest/gtest.h>

#include "graphics/PopupMenu.h"
#include "graphics/TextEntry.h"

// After the project headers and GoogleTest: Xlib's None and Bool macros would rewrite them.
#include "graphics/x11/X11Input.h"
#include "graphics/x11/X11Menu.h"
#include "graphics/x11/X11TextBox.h"

#include <X11/Xlib.h>
#include <cairo.h>

using namespace kestrune::x11;

namespace
{

struct SecondPress
{
    unsigned long afterMs;
    int dx;
    int dy;
    bool isDouble;
};

TEST(DoubleClickDetector, SecondPressCloseInTimeAndPlaceIsADoubleClick)
{
    const SecondPress cases[] = {
        {0, 0, 0, true},    {500, 0, 0, true},  {501, 0, 0, false},
        {100, 4, -4, true}, {100, 5, 0, false}, {100, 0, -5, false},
    };
    for (const SecondPress& c : cases)
    {
        DoubleClickDetector detector;
        EXPECT_FALSE(detector.Press(1000, 10, 10));
        EXPECT_EQ(detector.Press(1000 + c.afterMs, 10 + c.dx, 10 + c.dy), c.isDouble)
            << c.afterMs << " ms, " << c.dx << "," << c.dy;
    }
}

TEST(DoubleClickDetector, ThirdPressStartsOverAndServerTimeMayWrap)
{
    DoubleClickDetector detector;
    EXPECT_FALSE(detector.Press(100, 0, 0));
    EXPECT_TRUE(detector.Press(200, 0, 0));
    EXPECT_FALSE(detector.Press(300, 0, 0)) << "a third press is a new first click";
    EXPECT_TRUE(detector.Press(400, 0, 0));

    DoubleClickDetector wrapping;
    EXPECT_FALSE(wrapping.Press(0xffffffffUL - 50, 0, 0));
    EXPECT_TRUE(wrapping.Press(100, 0, 0) || sizeof(unsigned long) > 4);
}

TEST(ModsFromState, PressAddsAndReleaseRemovesItsButton)
{
    struct Case
    {
        unsigned state;
        unsigned pressed;
        unsigned released;
        MouseMods expected;
    };
    const Case cases[] = {
        {0, kButtonLeft, 0, {true, false, false, false, false}},
        {0, kButtonRight, 0, {false, true, false, false, false}},
        {Button1Mask, 0, kButtonLeft, {false, false, false, false, false}},
        {Button1Mask | Button3Mask, 0, kButtonRight, {true, false, false, false, false}},
        {ShiftMask | ControlMask | Mod1Mask, kButtonMiddle, 0, {false, false, true, true, true}},
    };
    for (const Case& c : cases)
    {
        const MouseMods mods = ModsFromState(c.state, c.pressed, c.released);
        EXPECT_EQ(mods.left, c.expected.left);
        EXPECT_EQ(mods.right, c.expected.right);
        EXPECT_EQ(mods.shift, c.expected.shift);
        EXPECT_EQ(mods.control, c.expected.control);
        EXPECT_EQ(mods.alt, c.expected.alt);
    }
}

TEST(WheelNotches, ButtonsFourAndFiveAreOneNotchEach)
{
    EXPECT_EQ(WheelNotches(kButtonWheelUp), 1);
    EXPECT_EQ(WheelNotches(kButtonWheelDown), -1);
    EXPECT_EQ(WheelNotches(kButtonWheelLeft), 0);
    EXPECT_EQ(WheelNotches(kButtonLeft), 0);
}

TEST(HoverTimer, FiresOnceAfterThePointerRestsAndRestartsWhenItMovesAway)
{
    HoverTimer hover;
    EXPECT_FALSE(hover.Fire(10000));
    hover.Arm(0, 50, 50);
    hover.PointerMoved(300, 53, 47); // within the slop: keeps waiting from 0
    EXPECT_FALSE(hover.Fire(399));
    EXPECT_TRUE(hover.Fire(400));
    EXPECT_FALSE(hover.Fire(2000)) << "fires once per arming";

    hover.Arm(0, 50, 50);
    hover.PointerMoved(300, 60, 50); // moved away: the wait restarts at 300
    EXPECT_FALSE(hover.Fire(699));
    EXPECT_EQ(hover.MsUntilFire(650), 50);
    EXPECT_TRUE(hover.Fire(700));
}

// Parameter kinds by number (Xlib's macros hide the names None and Bool here).
constexpr int kKindNone = 0;
constexpr int kKindBool = 1;
constexpr int kKindEnum = 3;
constexpr int kKindDouble = 4;

TextBoxModel::CharacterFilter FilterFor(int kind)
{
    return [kind](char c) { return EntryAcceptsCharacter(kind, c); };
}

TEST(TextBoxModel, FirstCharacterReplacesTheSelectedInitialText)
{
    TextBoxModel box;
    box.Open("0.0", 7, FilterFor(kKindDouble));
    EXPECT_EQ(box.SelectionStart(), 0);
    EXPECT_EQ(box.SelectionEnd(), 3);
    for (char c : std::string("12.5x"))
    {
        box.Type(c);
    }
    EXPECT_EQ(box.Text(), "12.5");
    EXPECT_EQ(box.Caret(), 4);
}

TEST(TextBoxModel, FilterFollowsTheParameterKind)
{
    struct Case
    {
        int kind;
        std::string typed;
        std::string kept;
    };
    const Case cases[] = {
        {kKindDouble, "-1.5e+x", "-1.5+"},
        {kKindEnum, "2.5a", "25"},
        {kKindBool, "+1.", "+1"},
        {kKindNone, "ab c", "ab c"},
    };
    for (const Case& c : cases)
    {
        TextBoxModel box;
        box.Open("", 31, FilterFor(c.kind));
        for (char ch : c.typed)
        {
            box.Type(ch);
        }
        EXPECT_EQ(box.Text(), c.kept) << c.kind;
    }
}

TEST(TextBoxModel, LengthLimitRefusesCharactersButNotReplacements)
{
    TextBoxModel box;
    box.Open("", 3, {});
    for (char c : std::string("12345"))
    {
        box.Type(c);
    }
    EXPECT_EQ(box.Text(), "123");
    box.MoveCaret(-1, true); // select "3"
    EXPECT_TRUE(box.Type('9')) << "a selected character may be replaced at the limit";
    EXPECT_EQ(box.Text(), "129");
}

TEST(TextBoxModel, EditingInTheMiddle)
{
    TextBoxModel box;
    box.Open("1234", 10, {});
    box.MoveCaretHome(false);
    box.MoveCaret(2, false);
    box.Backspace();
    EXPECT_EQ(box.Text(), "134");
    box.DeleteForward();
    EXPECT_EQ(box.Text(), "14");
    box.Type('7');
    EXPECT_EQ(box.Text(), "174");
    box.MoveCaretEnd(false);
    box.Backspace();
    box.Backspace();
    box.Backspace();
    box.Backspace();
    EXPECT_EQ(box.Text(), "");
    EXPECT_EQ(box.Caret(), 0);
}

class MenuLayoutTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
        cr = cairo_create(surface);
    }
    void TearDown() override
    {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
};

TEST_F(MenuLayoutTest, RowsStackWithSeparatorsAndCarryTheirFlags)
{
    PopupMenu menu(2);
    menu.AddItem("Alpha", kMenuItemChecked);
    menu.AddSeparator();
    menu.AddItem("Beta", kMenuItemDisabled);
    menu.AddItem("Gamma", kMenuItemTitle);
    menu.AddSubmenu("More", std::make_unique<PopupMenu>());
    const MenuLayout layout = LayoutMenu(cr, menu);
    ASSERT_EQ(layout.rows.size(), 5u);
    const int rowTops[] = {1, 21, 28, 48, 68};
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_EQ(layout.rows[static_cast<std::size_t>(i)].top, rowTops[i]) << i;
    }
    EXPECT_EQ(layout.height, 68 + kMenuRowHeightPx + kMenuBorderPx);
    EXPECT_EQ(layout.rows[0].label, "01: Alpha");
    EXPECT_EQ(layout.rows[4].label, "05: More");
    EXPECT_TRUE(layout.rows[0].checked && layout.rows[0].selectable);
    EXPECT_TRUE(layout.rows[1].separator && !layout.rows[1].selectable);
    EXPECT_TRUE(layout.rows[2].grayed && !layout.rows[2].selectable);
    EXPECT_TRUE(!layout.rows[3].grayed && !layout.rows[3].selectable) << "titles are not chosen";
    EXPECT_TRUE(layout.rows[4].hasSubmenu && layout.rows[4].selectable);
    EXPECT_EQ(layout.RowAt(0), -1) << "the border";
    EXPECT_EQ(layout.RowAt(1), 0);
    EXPECT_EQ(layout.RowAt(27), 1);
    EXPECT_EQ(layout.RowAt(layout.height - 1), -1);
    EXPECT_GE(layout.width, kMenuMinWidthPx);
}

TEST_F(MenuLayoutTest, CheckMarkIsDrawnOnlyInTheCheckedRow)
{
    PopupMenu menu;
    menu.AddItem("0.5s");
    menu.AddItem("1s", kMenuItemChecked);
    const MenuLayout layout = LayoutMenu(cr, menu);
    cairo_surface_t* target =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, layout.width, layout.height);
    cairo_t* drawing = cairo_create(target);
    DrawMenu(drawing, layout, -1);
    cairo_surface_flush(target);
    auto darkPixelsInGutter = [&](const MenuRow& row)
    {
        const unsigned char* data = cairo_image_surface_get_data(target);
        const int stride = cairo_image_surface_get_stride(target);
        int dark = 0;
        for (int y = row.top; y < row.top + row.height; ++y)
        {
            for (int x = kMenuBorderPx; x < kMenuCheckGutterPx - 2; ++x)
            {
                dark += data[y * stride + x * 4] < 0x60 ? 1 : 0;
            }
        }
        return dark;
    };
    EXPECT_EQ(darkPixelsInGutter(layout.rows[0]), 0);
    EXPECT_GT(darkPixelsInGutter(layout.rows[1]), 5);
    cairo_destroy(drawing);
    cairo_surface_destroy(target);
}

} // namespace
