#pragma once

#include "graphics/PopupMenu.h"
#include "graphics/x11/X11CairoWindow.h"

#include <X11/Xlib.h>
#include <cairo.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestrune::x11
{

// Geometry of our own popup menu window, in pixels.
inline constexpr int kMenuBorderPx = 1;
inline constexpr int kMenuRowHeightPx = 20;
inline constexpr int kMenuSeparatorHeightPx = 7;
inline constexpr int kMenuCheckGutterPx = 20; // left column holding the check mark
inline constexpr int kMenuArrowGutterPx = 18; // right column holding the submenu arrow
inline constexpr int kMenuMinWidthPx = 60;
inline constexpr double kMenuFontSizePx = 12.0;

// One row of a laid-out menu: an item of the menu, in item order.
struct MenuRow
{
    int itemIndex = 0;
    int top = 0; // relative to the menu window
    int height = 0;
    std::string label; // with the numbering prefix
    bool separator = false;
    bool grayed = false;     // disabled items: drawn grey, not selectable
    bool selectable = false; // neither separator, disabled nor title
    bool checked = false;
    bool hasSubmenu = false;
};

struct MenuLayout
{
    int width = 0;
    int height = 0;
    std::vector<MenuRow> rows;

    // Row index at y (relative to the menu window), -1 on the border or outside.
    int RowAt(int y) const;
};

// Lays the menu out with the menu font measured on cr.
MenuLayout LayoutMenu(cairo_t* cr, const PopupMenu& menu);

// Paints a laid-out menu into its window's buffer; highlightedRow -1 for none.
void DrawMenu(cairo_t* cr, const MenuLayout& layout, int highlightedRow);

// Runs a popup menu tree modally on one display: our own override-redirect menu windows, the
// pointer and keyboard grabbed until an item is chosen, the user clicks outside every menu window
// or presses Escape. Events of other windows of the display go to otherEvent (the editor repaints
// on exposure and ignores input meanwhile); idle is called between waits so that the editor's
// frame timer keeps running.
class X11MenuSession
{
public:
    X11MenuSession(Display* display, PopupMenu& root, std::function<void(XEvent&)> otherEvent,
                   std::function<void()> idle, std::function<int()> msUntilIdle);
    ~X11MenuSession();
    X11MenuSession(const X11MenuSession&) = delete;
    X11MenuSession& operator=(const X11MenuSession&) = delete;

    // Opens the top menu with its top-left corner at (screenX, screenY); returns the chosen
    // command number in the order of FlattenMenu, or -1 when the menu was dismissed.
    int Run(int screenX, int screenY);

private:
    struct Level
    {
        PopupMenu* menu = nullptr;
        MenuLayout layout;
        X11CairoWindow window;
        int highlighted = -1;
        int parentRow = -1; // row of the previous level this submenu hangs from
    };

    bool OpenLevel(PopupMenu& menu, int screenX, int screenY, int parentRow);
    void CloseLevelsAbove(std::size_t keep);
    void Redraw(Level& level);
    int LevelAt(int screenX, int screenY) const;
    void Highlight(std::size_t levelIndex, int row);
    void OpenSubmenuOf(std::size_t levelIndex);
    bool HandleEvent(XEvent& event);
    bool HandleKey(XKeyEvent& key);
    void Choose(std::size_t levelIndex, int row);
    int CommandOf(const PopupMenu* menu, int itemIndex) const;

    Display* display;
    PopupMenu& root;
    std::function<void(XEvent&)> otherEvent;
    std::function<void()> idle;
    std::function<int()> msUntilIdle;
    std::vector<MenuCommand> commands;
    std::vector<std::unique_ptr<Level>> levels;
    cairo_surface_t* measureSurface = nullptr;
    cairo_t* measure = nullptr;
    bool done = false;
    bool pressSeen = false; // a button went down while the menu was open
    int result = -1;
};

} // namespace kestrune::x11
