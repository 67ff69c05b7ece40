#include "graphics/x11/X11Menu.h"

#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <cmath>

namespace kestrune::x11
{
namespace
{

constexpr long kMenuEventMask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;

void SelectMenuFont(cairo_t* cr)
{
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kMenuFontSizePx);
}

void DrawCheckMark(cairo_t* cr, double left, double top)
{
    cairo_set_line_width(cr, 2.0);
    cairo_move_to(cr, left + 6, top + 10);
    cairo_line_to(cr, left + 9, top + 14);
    cairo_line_to(cr, left + 15, top + 6);
    cairo_stroke(cr);
}

void DrawSubmenuArrow(cairo_t* cr, double right, double top)
{
    cairo_move_to(cr, right - 12, top + 6);
    cairo_line_to(cr, right - 7, top + 10);
    cairo_line_to(cr, right - 12, top + 14);
    cairo_close_path(cr);
    cairo_fill(cr);
}

} // namespace

int MenuLayout::RowAt(int y) const
{
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        if (y >= rows[i].top && y < rows[i].top + rows[i].height)
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

MenuLayout LayoutMenu(cairo_t* cr, const PopupMenu& menu)
{
    MenuLayout layout;
    cairo_save(cr);
    SelectMenuFont(cr);
    double widest = 0.0;
    int top = kMenuBorderPx;
    for (int i = 0; i < menu.ItemCount(); ++i)
    {
        const PopupMenuItem& item = menu.Item(i);
        MenuRow row;
        row.itemIndex = i;
        row.top = top;
        row.separator = item.IsSeparator();
        row.height = row.separator ? kMenuSeparatorHeightPx : kMenuRowHeightPx;
        if (!row.separator)
        {
            row.label = MenuItemLabel(menu.Numbering(), i + 1, item.text);
            row.grayed = (item.flags & kMenuItemDisabled) != 0;
            row.checked = item.IsChecked();
            row.hasSubmenu = item.submenu != nullptr;
            row.selectable = !row.grayed && (item.flags & kMenuItemTitle) == 0;
            cairo_text_extents_t extents{};
            cairo_text_extents(cr, row.label.c_str(), &extents);
            widest = std::max(widest, extents.x_advance);
        }
        top += row.height;
        layout.rows.push_back(std::move(row));
    }
    cairo_restore(cr);
    layout.width =
        std::max(kMenuMinWidthPx, static_cast<int>(std::ceil(widest)) + kMenuCheckGutterPx +
                                      kMenuArrowGutterPx + 2 * kMenuBorderPx);
    layout.height = top + kMenuBorderPx;
    return layout;
}

void DrawMenu(cairo_t* cr, const MenuLayout& layout, int highlightedRow)
{
    cairo_save(cr);
    cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
    cairo_paint(cr);
    cairo_rectangle(cr, kMenuBorderPx, kMenuBorderPx, layout.width - 2 * kMenuBorderPx,
                    layout.height - 2 * kMenuBorderPx);
    cairo_set_source_rgb(cr, 0.95, 0.95, 0.95);
    cairo_fill(cr);
    SelectMenuFont(cr);
    cairo_font_extents_t font{};
    cairo_font_extents(cr, &font);
    for (std::size_t i = 0; i < layout.rows.size(); ++i)
    {
        const MenuRow& row = layout.rows[i];
        if (row.separator)
        {
            cairo_set_source_rgb(cr, 0.75, 0.75, 0.75);
            cairo_rectangle(cr, kMenuBorderPx + 4, row.top + row.height / 2,
                            layout.width - 2 * kMenuBorderPx - 8, 1);
            cairo_fill(cr);
            continue;
        }
        const bool highlighted = static_cast<int>(i) == highlightedRow && row.selectable;
        if (highlighted)
        {
            cairo_set_source_rgb(cr, 0.0, 0.47, 0.84);
            cairo_rectangle(cr, kMenuBorderPx, row.top, layout.width - 2 * kMenuBorderPx,
                            row.height);
            cairo_fill(cr);
        }
        if (highlighted)
        {
            cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
        }
        else if (row.grayed)
        {
            cairo_set_source_rgb(cr, 0.55, 0.55, 0.55);
        }
        else
        {
            cairo_set_source_rgb(cr, 0.0, 0.0, 0.0);
        }
        if (row.checked)
        {
            DrawCheckMark(cr, kMenuBorderPx, row.top);
        }
        if (row.hasSubmenu)
        {
            DrawSubmenuArrow(cr, layout.width - kMenuBorderPx, row.top);
        }
        const double baseline = row.top + (row.height - font.height) * 0.5 + font.ascent;
        cairo_move_to(cr, kMenuBorderPx + kMenuCheckGutterPx, std::round(baseline));
        cairo_show_text(cr, row.label.c_str());
    }
    cairo_restore(cr);
}

X11MenuSession::X11MenuSession(Display* displayIn, PopupMenu& rootIn,
                               std::function<void(XEvent&)> otherEventIn,
                               std::function<void()> idleIn, std::function<int()> msUntilIdleIn)
    : display(displayIn), root(rootIn), otherEvent(std::move(otherEventIn)),
      idle(std::move(idleIn)), msUntilIdle(std::move(msUntilIdleIn)), commands(FlattenMenu(rootIn))
{
    measureSurface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    measure = cairo_create(measureSurface);
}

X11MenuSession::~X11MenuSession()
{
    CloseLevelsAbove(0);
    cairo_destroy(measure);
    cairo_surface_destroy(measureSurface);
}

int X11MenuSession::CommandOf(const PopupMenu* menu, int itemIndex) const
{
    for (const MenuCommand& command : commands)
    {
        if (command.menu == menu && command.itemIndex == itemIndex)
        {
            return command.command;
        }
    }
    return -1;
}

bool X11MenuSession::OpenLevel(PopupMenu& menu, int screenX, int screenY, int parentRow)
{
    auto level = std::make_unique<Level>();
    level->menu = &menu;
    level->layout = LayoutMenu(measure, menu);
    level->parentRow = parentRow;
    const int screen = DefaultScreen(display);
    const int screenWidth = DisplayWidth(display, screen);
    const int screenHeight = DisplayHeight(display, screen);
    // Keep the whole menu on the screen, as native menus do.
    const int x = std::clamp(screenX, 0, std::max(0, screenWidth - level->layout.width));
    const int y = std::clamp(screenY, 0, std::max(0, screenHeight - level->layout.height));
    if (!level->window.Create(display, RootWindow(display, screen), x, y, level->layout.width,
                              level->layout.height, true, kMenuEventMask))
    {
        return false;
    }
    Redraw(*level);
    levels.push_back(std::move(level));
    return true;
}

void X11MenuSession::CloseLevelsAbove(std::size_t keep)
{
    while (levels.size() > keep)
    {
        levels.back()->window.Destroy();
        levels.pop_back();
    }
}

void X11MenuSession::Redraw(Level& level)
{
    DrawMenu(level.window.Cairo(), level.layout, level.highlighted);
    level.window.Show();
}

int X11MenuSession::LevelAt(int screenX, int screenY) const
{
    for (std::size_t i = levels.size(); i-- > 0;)
    {
        const X11CairoWindow& window = levels[i]->window;
        if (screenX >= window.X() && screenX < window.X() + window.Width() &&
            screenY >= window.Y() && screenY < window.Y() + window.Height())
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void X11MenuSession::Highlight(std::size_t levelIndex, int row)
{
    Level& level = *levels[levelIndex];
    if (level.highlighted == row)
    {
        return;
    }
    level.highlighted = row;
    Redraw(level);
}

void X11MenuSession::OpenSubmenuOf(std::size_t levelIndex)
{
    Level& level = *levels[levelIndex];
    const int row = level.highlighted;
    if (levels.size() > levelIndex + 1 && levels[levelIndex + 1]->parentRow == row)
    {
        return; // already open
    }
    CloseLevelsAbove(levelIndex + 1);
    if (row < 0 || !level.layout.rows[static_cast<std::size_t>(row)].hasSubmenu ||
        !level.layout.rows[static_cast<std::size_t>(row)].selectable)
    {
        return;
    }
    const MenuRow& menuRow = level.layout.rows[static_cast<std::size_t>(row)];
    PopupMenu* submenu = level.menu->Item(menuRow.itemIndex).submenu.get();
    OpenLevel(*submenu, level.window.X() + level.layout.width - kMenuBorderPx,
              level.window.Y() + menuRow.top - kMenuBorderPx, row);
}

void X11MenuSession::Choose(std::size_t levelIndex, int row)
{
    const Level& level = *levels[levelIndex];
    if (row < 0)
    {
        return;
    }
    const MenuRow& menuRow = level.layout.rows[static_cast<std::size_t>(row)];
    if (!menuRow.selectable || menuRow.hasSubmenu)
    {
        return;
    }
    result = CommandOf(level.menu, menuRow.itemIndex);
    done = true;
}

bool X11MenuSession::HandleKey(XKeyEvent& key)
{
    const KeySym symbol = XLookupKeysym(&key, 0);
    Level& level = *levels.back();
    const int rowCount = static_cast<int>(level.layout.rows.size());
    auto step = [&](int direction)
    {
        int row = level.highlighted;
        for (int tries = 0; tries < rowCount; ++tries)
        {
            row = (row + direction + rowCount) % rowCount;
            if (row < 0)
            {
                row = 0;
            }
            if (level.layout.rows[static_cast<std::size_t>(row)].selectable)
            {
                Highlight(levels.size() - 1, row);
                return;
            }
        }
    };
    switch (symbol)
    {
    case XK_Escape:
        done = true;
        break;
    case XK_Down:
        step(1);
        break;
    case XK_Up:
        step(level.highlighted < 0 ? 0 : -1);
        break;
    case XK_Right:
        OpenSubmenuOf(levels.size() - 1);
        break;
    case XK_Left:
        if (levels.size() > 1)
        {
            CloseLevelsAbove(levels.size() - 1);
        }
        break;
    case XK_Return:
    case XK_KP_Enter:
        if (level.highlighted >= 0 &&
            level.layout.rows[static_cast<std::size_t>(level.highlighted)].hasSubmenu)
        {
            OpenSubmenuOf(levels.size() - 1);
        }
        else
        {
            Choose(levels.size() - 1, level.highlighted);
        }
        break;
    default:
        break;
    }
    return true;
}

bool X11MenuSession::HandleEvent(XEvent& event)
{
    switch (event.type)
    {
    case MotionNotify:
    {
        const int index = LevelAt(event.xmotion.x_root, event.xmotion.y_root);
        if (index >= 0)
        {
            const Level& level = *levels[static_cast<std::size_t>(index)];
            Highlight(static_cast<std::size_t>(index),
                      level.layout.RowAt(event.xmotion.y_root - level.window.Y()));
            OpenSubmenuOf(static_cast<std::size_t>(index));
        }
        return true;
    }
    case ButtonPress:
        if (LevelAt(event.xbutton.x_root, event.xbutton.y_root) < 0)
        {
            done = true; // a click outside every menu dismisses it
        }
        pressSeen = true;
        return true;
    case ButtonRelease:
    {
        const int index = LevelAt(event.xbutton.x_root, event.xbutton.y_root);
        // The release of the click that opened the menu chooses nothing unless it was dragged
        // onto an item.
        if (index >= 0)
        {
            const Level& level = *levels[static_cast<std::size_t>(index)];
            const int row = level.layout.RowAt(event.xbutton.y_root - level.window.Y());
            if (pressSeen || row == level.highlighted)
            {
                Choose(static_cast<std::size_t>(index), row);
            }
        }
        return true;
    }
    case KeyPress:
        return HandleKey(event.xkey);
    case KeyRelease:
        return true;
    case Expose:
        for (auto& level : levels)
        {
            if (level->window.Handle() == event.xexpose.window)
            {
                level->window.Show();
                return true;
            }
        }
        return false;
    default:
        return false;
    }
}

int X11MenuSession::Run(int screenX, int screenY)
{
    if (root.ItemCount() == 0 || !OpenLevel(root, screenX, screenY, -1))
    {
        return -1;
    }
    const Window grabWindow = levels.front()->window.Handle();
    XGrabPointer(display, grabWindow, False, static_cast<unsigned>(kMenuEventMask), GrabModeAsync,
                 GrabModeAsync, None, None, CurrentTime);
    XGrabKeyboard(display, grabWindow, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    XFlush(display);
    while (!done)
    {
        while (!done && XPending(display) > 0)
        {
            XEvent event;
            XNextEvent(display, &event);
            if (!HandleEvent(event) && otherEvent)
            {
                otherEvent(event);
            }
        }
        if (done)
        {
            break;
        }
        if (idle)
        {
            idle();
        }
        pollfd descriptor{ConnectionNumber(display), POLLIN, 0};
        poll(&descriptor, 1, msUntilIdle ? std::max(1, msUntilIdle()) : 33);
    }
    XUngrabKeyboard(display, CurrentTime);
    XUngrabPointer(display, CurrentTime);
    CloseLevelsAbove(0);
    XFlush(display);
    return result;
}

} // namespace kestrune::x11
