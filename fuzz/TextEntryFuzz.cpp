// Hostile text in the editor's value prompts: a control that prompts is asked for a value, the
// box receives typed characters (filtered as the box filters them) or a whole text as a native
// box hands it over, one of the events that end an entry follows, and the frame ticks commit
// or cancel it. Enumerations answer with a menu command taken from the input.
//
// Input: control selector, flags, then the text.
//   flags bit 0: whole text (else typed characters); bit 1: focus first;
//   bits 2-4: the ending event.

#include "fuzz/HeadlessPlugin.h"
#include "graphics/FrameTick.h"
#include "graphics/IControl.h"
#include "graphics/IGraphicsOffscreen.h"

#include <string>
#include <vector>

namespace
{

constexpr TextEntryEvent kEndings[] = {
    TextEntryEvent::EnterKey,      TextEntryEvent::LoseFocus,
    TextEntryEvent::CommandNotify, TextEntryEvent::ClickInEditor,
    TextEntryEvent::EscapeKey,     TextEntryEvent::WheelOverEditor,
    TextEntryEvent::TickRepainted, TextEntryEvent::TickAfterRepaint,
};

IGraphicsOffscreen& Editor(VantorKestrune& plugin)
{
    auto* editor = dynamic_cast<IGraphicsOffscreen*>(plugin.Editor());
    if (editor == nullptr)
    {
        std::abort();
    }
    return *editor;
}

// The editor's controls that open a prompt for their parameter.
std::vector<IControl*> PromptingControls(IGraphicsOffscreen& editor)
{
    std::vector<IControl*> found;
    for (int i = 0; i < editor.ControlCount(); ++i)
    {
        IControl* control = editor.ControlAt(i);
        if (control->ParamIndex() >= 0 && !control->IsPromptDisabled())
        {
            found.push_back(control);
        }
    }
    return found;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
    {
        return 0;
    }
    const std::unique_ptr<VantorKestrune> instance = fuzzing::FreshPlugin();
    VantorKestrune& plugin = *instance;
    IGraphicsOffscreen& editor = Editor(plugin);
    const std::vector<IControl*> controls = PromptingControls(editor);
    if (controls.empty())
    {
        std::abort();
    }
    IControl* control = controls[data[0] % controls.size()];
    const std::uint8_t flags = data[1];
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

    // A menu (enumerations) takes its answer from the first text byte: -1 dismisses it.
    const int menuAnswer = text.empty() ? -1 : static_cast<signed char>(text[0]);
    editor.SetMenuChooser([menuAnswer](const PopupMenu&, const Rect&) { return menuAnswer; });
    control->PromptForValue();
    TextEntrySession& entry = editor.TextEntry();
    if (entry.IsOpen())
    {
        if ((flags & 2) != 0)
        {
            entry.HandleEvent(TextEntryEvent::GainFocus);
        }
        if ((flags & 1) != 0)
        {
            entry.SetText(text.c_str());
        }
        else
        {
            for (char c : text)
            {
                entry.TypeCharacter(c);
            }
        }
        entry.HandleEvent(kEndings[(flags >> 2) % std::size(kEndings)]);
    }
    // The frame ticks as the editor runs them; of the dirty area only the edited control is
    // drawn (the analyser display would cost most of the time and has no part in an entry).
    const auto tick = [&editor, &entry, control]
    {
        RunFrameTick(editor, entry,
                     [&editor, control](const Rect&, const Rect*)
                     { editor.DrawArea(control->GetDrawRect()); });
    };
    for (int i = 0; i < 3; ++i)
    {
        tick();
    }
    // Every entry ends: whatever the last event left, the next prompt must be able to open.
    entry.HandleEvent(TextEntryEvent::EscapeKey);
    tick();
    if (entry.IsOpen())
    {
        std::abort();
    }
    fuzzing::CheckParameters(plugin);
    fuzzing::CheckBlockIsFinite(plugin);
    return 0;
}
