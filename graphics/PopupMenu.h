#pragma once

#include <memory>
#include <string>
#include <vector>

class PopupMenu;

enum PopupMenuItemFlags : int
{
    kMenuItemDisabled = 1,
    kMenuItemTitle = 2,
    kMenuItemChecked = 4,
    kMenuItemSeparator = 8,
};

struct PopupMenuItem
{
    std::string text;
    std::unique_ptr<PopupMenu> submenu;
    int flags = 0;

    bool IsChecked() const { return (flags & kMenuItemChecked) != 0; }
    bool IsSeparator() const { return (flags & kMenuItemSeparator) != 0; }
};

// The description of a popup menu handed to the platform; after a choice, the menu that holds
// the chosen item carries its 0-based position in chosenItemIndex.
class PopupMenu
{
public:
    explicit PopupMenu(int numberingStyle = 0) : numbering(numberingStyle) {}

    // numbering 0: none; 1, 2, 3: texts prefixed "%1d: ", "%02d: " or "%03d: " with the 1-based
    // position.
    int Numbering() const { return numbering; }
    int ChosenItemIndex() const { return chosenItemIndex; }
    void SetChosenItemIndex(int index) { chosenItemIndex = index; }

    PopupMenuItem& AddItem(const char* text, int flags = 0);
    PopupMenuItem& AddSubmenu(const char* text, std::unique_ptr<PopupMenu> submenu);
    PopupMenuItem& AddSeparator();

    int ItemCount() const { return static_cast<int>(items.size()); }
    const PopupMenuItem& Item(int index) const { return items[static_cast<size_t>(index)]; }
    PopupMenuItem& Item(int index) { return items[static_cast<size_t>(index)]; }

private:
    int numbering = 0;
    int chosenItemIndex = -1;
    std::vector<PopupMenuItem> items;
};

// One entry of a menu tree flattened in native command order: a single running counter starting
// at 0, where a menu of n items takes the next n numbers when it is built and a submenu is built
// when its parent item is appended. Platform windows build their native menus from this list so
// the numbers agree everywhere.
struct MenuCommand
{
    int command = 0;
    PopupMenu* menu = nullptr; // the menu holding the item; valid while that menu lives
    int itemIndex = 0;         // 0-based position within that menu
    int depth = 0;             // 0 for the top menu
    int flags = 0;             // the item's PopupMenuItemFlags
    bool hasSubmenu = false;   // the entries of the submenu follow this one
    std::string label;         // item text with its numbering prefix

    bool IsChecked() const { return (flags & kMenuItemChecked) != 0; }
};

std::vector<MenuCommand> FlattenMenu(PopupMenu& root);

// The item text as shown: with the "%1d: %s", "%02d: %s" or "%03d: %s" prefix of the menu's
// numbering (position counts from 1).
std::string MenuItemLabel(int numbering, int position, const std::string& text);

// Marks the chosen item in the menu whose number range holds the command and returns that menu;
// null for a command outside every range (the menu was dismissed).
PopupMenu* ResolveMenuCommand(PopupMenu& root, int command);
