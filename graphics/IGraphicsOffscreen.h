#pragma once

#include "graphics/FrameTick.h"
#include "graphics/IGraphics.h"
#include "graphics/TextEntry.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

// A platform class without a window, for tests and the command-line tool. Presenting does
// nothing but count; popup menus and text entries take their answers from a script.
class IGraphicsOffscreen : public IGraphics
{
public:
    // Picks a menu command (numbers as FlattenMenu gives them) or -1 to dismiss the menu.
    using MenuChooser = std::function<int(const PopupMenu& menu, const Rect& anchor)>;

    // How a scripted text entry ends: Enter commits, Escape cancels, Open leaves the box open.
    enum class EntryEnd
    {
        Enter,
        Escape,
        Open,
    };

    IGraphicsOffscreen(IPlugBase* plug, int width, int height, int frameRate);
    ~IGraphicsOffscreen() override;

    bool PresentArea(const Rect& area) override;
    PopupMenu* ShowPopupMenu(PopupMenu& menu, const Rect& anchor) override;
    void BeginTextEntry(IControl* control, const TextStyle& style, const Rect& area,
                        const char* initialText, IPlugParameter* parameter) override;
    void CancelTextEntry() override;
    void* OpenEditorWindow(void* parentWindow) override;
    void CloseEditorWindow() override;
    void* NativeWindow() override;
    const char* DrawingApiName() override { return "Offscreen"; }

    // Scripted answers, used in order; without one a menu is dismissed and a text box stays open.
    void QueueMenuCommand(int command) { menuCommands.push_back(command); }
    void SetMenuChooser(MenuChooser chooser) { menuChooser = std::move(chooser); }
    void QueueTextEntry(const std::string& typed, EntryEnd end);

    // One tick of the frame timer: the whole editor first when a closed menu left it to be
    // repainted, then the text entry, then the dirty area.
    FrameTickResult Tick();
    // Redraws everything, as when the window is painted from scratch.
    bool DrawAll();

    TextEntrySession& TextEntry() { return textEntry; }

    // Records for tests and tools.
    bool FullRepaintPending() const { return fullRepaintPending; }
    int PresentCount() const { return presentCount; }
    const Rect& LastPresentedArea() const { return lastPresented; }
    int MenuCount() const { return menuCount; }
    // The entries of the last menu shown (their menu pointers cleared: the menu is gone).
    const std::vector<MenuCommand>& LastMenuCommands() const { return lastMenu; }
    const Rect& LastMenuAnchor() const { return lastMenuAnchor; }
    const std::string& LastEntryInitialText() const { return lastEntryInitialText; }

private:
    struct ScriptedEntry
    {
        std::string typed;
        EntryEnd end = EntryEnd::Enter;
    };

    int NextMenuCommand(const PopupMenu& menu, const Rect& anchor);

    std::deque<int> menuCommands;
    MenuChooser menuChooser;
    std::deque<ScriptedEntry> scriptedEntries;
    TextEntrySession textEntry;
    bool windowOpen = false;
    bool fullRepaintPending = false;
    int presentCount = 0;
    Rect lastPresented;
    int menuCount = 0;
    std::vector<MenuCommand> lastMenu;
    Rect lastMenuAnchor;
    std::string lastEntryInitialText;
};
