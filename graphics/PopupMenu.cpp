#include "graphics/PopupMenu.h"

#include <cstdio>

PopupMenuItem& PopupMenu::AddItem(const char* text, int flags)
{
    PopupMenuItem& item = items.emplace_back();
    item.text = text ? text : "";
    item.flags = flags;
    return item;
}

PopupMenuItem& PopupMenu::AddSubmenu(const char* text, std::unique_ptr<PopupMenu> submenu)
{
    PopupMenuItem& item = AddItem(text);
    item.submenu = std::move(submenu);
    return item;
}

PopupMenuItem& PopupMenu::AddSeparator()
{
    return AddItem("", kMenuItemSeparator);
}

std::string MenuItemLabel(int numbering, int position, const std::string& text)
{
    const char* format = nullptr;
    switch (numbering)
    {
    case 1:
        format = "%1d: %s";
        break;
    case 2:
        format = "%02d: %s";
        break;
    case 3:
        format = "%03d: %s";
        break;
    default:
        return text;
    }
    const int length = std::snprintf(nullptr, 0, format, position, text.c_str());
    std::string label(static_cast<size_t>(length), '\0');
    std::snprintf(label.data(), label.size() + 1, format, position, text.c_str());
    return label;
}

namespace
{

// A menu reserves its whole number range first; each submenu takes its range when its parent
// item is reached, so numbers are handed out depth-first in item order.
void Flatten(PopupMenu& menu, int depth, int& counter, std::vector<MenuCommand>& out)
{
    const int first = counter;
    counter += menu.ItemCount();
    for (int i = 0; i < menu.ItemCount(); ++i)
    {
        PopupMenuItem& item = menu.Item(i);
        MenuCommand entry;
        entry.command = first + i;
        entry.menu = &menu;
        entry.itemIndex = i;
        entry.depth = depth;
        entry.flags = item.flags;
        entry.hasSubmenu = !item.IsSeparator() && item.submenu != nullptr;
        entry.label = item.IsSeparator() ? "" : MenuItemLabel(menu.Numbering(), i + 1, item.text);
        out.push_back(entry);
        if (entry.hasSubmenu)
        {
            Flatten(*item.submenu, depth + 1, counter, out);
        }
    }
}

} // namespace

std::vector<MenuCommand> FlattenMenu(PopupMenu& root)
{
    std::vector<MenuCommand> out;
    int counter = 0;
    Flatten(root, 0, counter, out);
    return out;
}

PopupMenu* ResolveMenuCommand(PopupMenu& root, int command)
{
    for (const MenuCommand& entry : FlattenMenu(root))
    {
        if (entry.command == command)
        {
            entry.menu->SetChosenItemIndex(entry.itemIndex);
            return entry.menu;
        }
    }
    return nullptr;
}
