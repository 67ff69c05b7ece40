#include "graphics/IGraphicsOffscreen.h"

#include "graphics/FrameTick.h"
#include "graphics/IControl.h"

IGraphicsOffscreen::IGraphicsOffscreen(IPlugBase* owner, int editorWidth, int editorHeight,
                                       int rate)
    : IGraphics(owner, editorWidth, editorHeight, rate)
{
}

IGraphicsOffscreen::~IGraphicsOffscreen()
{
    // The editing control is about to be deleted; the entry must not outlive it.
    textEntry.Close();
}

bool IGraphicsOffscreen::PresentArea(const Rect& area)
{
    ++presentCount;
    lastPresented = area;
    return true;
}

int IGraphicsOffscreen::NextMenuCommand(const PopupMenu& menu, const Rect& anchor)
{
    if (!menuCommands.empty())
    {
        const int command = menuCommands.front();
        menuCommands.pop_front();
        return command;
    }
    if (menuChooser)
    {
        return menuChooser(menu, anchor);
    }
    return -1;
}

PopupMenu* IGraphicsOffscreen::ShowPopupMenu(PopupMenu& menu, const Rect& anchor)
{
    DropMouseCapture();
    ++menuCount;
    lastMenu = FlattenMenu(menu);
    lastMenuAnchor = anchor;
    const int command = NextMenuCommand(menu, anchor);
    PopupMenu* chosen = command >= 0 ? ResolveMenuCommand(menu, command) : nullptr;
    // The record outlives the menu, which usually lives on the caller's stack.
    for (MenuCommand& entry : lastMenu)
    {
        entry.menu = nullptr;
    }
    // A closed menu leaves the whole window to be repainted, chosen or not.
    fullRepaintPending = true;
    return chosen;
}

void IGraphicsOffscreen::QueueTextEntry(const std::string& typed, EntryEnd end)
{
    scriptedEntries.push_back({typed, end});
}

void IGraphicsOffscreen::BeginTextEntry(IControl* control, const TextStyle& style, const Rect& area,
                                        const char* initialText, IPlugParameter* parameter)
{
    if (!textEntry.Open(control, parameter, style, area, initialText))
    {
        return;
    }
    lastEntryInitialText = initialText ? initialText : "";
    if (scriptedEntries.empty())
    {
        return;
    }
    const ScriptedEntry script = scriptedEntries.front();
    scriptedEntries.pop_front();
    for (char c : script.typed)
    {
        textEntry.TypeCharacter(c);
    }
    if (script.end == EntryEnd::Enter)
    {
        textEntry.HandleEvent(TextEntryEvent::EnterKey);
    }
    else if (script.end == EntryEnd::Escape)
    {
        textEntry.HandleEvent(TextEntryEvent::EscapeKey);
    }
}

void IGraphicsOffscreen::CancelTextEntry()
{
    textEntry.HandleEvent(TextEntryEvent::EscapeKey);
}

void* IGraphicsOffscreen::OpenEditorWindow(void*)
{
    windowOpen = true;
    MarkAllControlsDirty();
    return this;
}

void IGraphicsOffscreen::CloseEditorWindow()
{
    // An entry left open would block every later prompt.
    textEntry.Close();
    windowOpen = false;
}

void* IGraphicsOffscreen::NativeWindow()
{
    return windowOpen ? this : nullptr;
}

FrameTickResult IGraphicsOffscreen::Tick()
{
    if (fullRepaintPending)
    {
        fullRepaintPending = false;
        DrawAll();
    }
    return RunFrameTick(*this, textEntry,
                        [this](const Rect& area, const Rect*) { DrawArea(area); });
}

bool IGraphicsOffscreen::DrawAll()
{
    return DrawArea(Rect(0, 0, width, height));
}
