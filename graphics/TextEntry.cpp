#include "graphics/TextEntry.h"

#include "framework/IPlugBase.h"
#include "framework/IPlugParameter.h"
#include "graphics/IControl.h"

#include <cmath>
#include <cstdlib>

TextEntryState NextTextEntryState(TextEntryState state, TextEntryEvent event)
{
    switch (event)
    {
    case TextEntryEvent::GainFocus:
        return TextEntryState::Focused;
    case TextEntryEvent::LoseFocus:
    case TextEntryEvent::EnterKey:
    case TextEntryEvent::CommandNotify:
        return TextEntryState::Commit;
    case TextEntryEvent::EscapeKey:
        return TextEntryState::Cancel;
    case TextEntryEvent::ClickInEditor:
        // While the box has the focus a click in the editor abandons the entry.
        return state == TextEntryState::Focused ? TextEntryState::Cancel : TextEntryState::Commit;
    case TextEntryEvent::WheelOverEditor:
        return (state == TextEntryState::None || state == TextEntryState::Repainted)
                   ? TextEntryState::Cancel
                   : state;
    case TextEntryEvent::TickRepainted:
        return state == TextEntryState::None ? TextEntryState::Repainted : state;
    case TextEntryEvent::TickAfterRepaint:
        return state == TextEntryState::Repainted ? TextEntryState::None : state;
    }
    return state;
}

bool EntryAcceptsCharacter(int parameterKind, char c)
{
    const bool digitOrSign = (c >= '0' && c <= '9') || c == '-' || c == '+';
    switch (static_cast<ParameterKind>(parameterKind))
    {
    case ParameterKind::None:
        return true;
    case ParameterKind::Double:
        return digitOrSign || c == '.';
    default:
        // bool, enum and the unused kind 2
        return digitOrSign;
    }
}

double EnteredTextToNormalized(const IPlugParameter& parameter, const char* text)
{
    double real = 0.0;
    const ParameterKind kind = parameter.Kind();
    if (kind == ParameterKind::Enum || kind == ParameterKind::Bool)
    {
        int found = 0;
        if (parameter.FindDisplayText(text, &found))
        {
            real = found;
        }
    }
    else
    {
        real = std::strtod(text, nullptr);
    }
    return parameter.ToNormalized(real);
}

bool EnteredTextIsValue(const IPlugParameter& parameter, const char* text)
{
    const ParameterKind kind = parameter.Kind();
    if (kind == ParameterKind::Enum || kind == ParameterKind::Bool)
    {
        int found = 0;
        return parameter.FindDisplayText(text, &found);
    }
    char* end = nullptr;
    const double real = std::strtod(text, &end);
    return end != text && std::isfinite(real);
}

bool TextEntrySession::Open(IControl* forControl, IPlugParameter* forParameter,
                            const TextStyle& entryStyle, const Rect& entryArea,
                            const char* initialText)
{
    if (!forControl || IsOpen())
    {
        return false;
    }
    control = forControl;
    parameter = forParameter;
    style = entryStyle;
    area = entryArea;
    maxLength = forControl->TextEntryLength();
    text = initialText ? initialText : "";
    if (maxLength >= 0 && text.size() > static_cast<size_t>(maxLength))
    {
        text.resize(static_cast<size_t>(maxLength));
    }
    selectedAll = true;
    state = TextEntryState::None;
    return true;
}

void TextEntrySession::HandleEvent(TextEntryEvent event)
{
    if (IsOpen())
    {
        state = NextTextEntryState(state, event);
    }
}

bool TextEntrySession::TypeCharacter(char c)
{
    if (!IsOpen())
    {
        return false;
    }
    if (parameter && !EntryAcceptsCharacter(static_cast<int>(parameter->Kind()), c))
    {
        return false;
    }
    if (selectedAll)
    {
        text.clear();
        selectedAll = false;
    }
    if (maxLength >= 0 && text.size() >= static_cast<size_t>(maxLength))
    {
        return false;
    }
    text.push_back(c);
    return true;
}

void TextEntrySession::Backspace()
{
    if (selectedAll)
    {
        text.clear();
        selectedAll = false;
    }
    else if (!text.empty())
    {
        text.pop_back();
    }
}

void TextEntrySession::SetText(const char* newText)
{
    text = newText ? newText : "";
    selectedAll = false;
}

void TextEntrySession::Commit()
{
    if (!IsOpen())
    {
        return;
    }
    const std::string committed = text.substr(0, kMaxCommittedLength);
    IControl* target = control;
    IPlugParameter* edited = parameter;
    // Close first: applying the value may open a new prompt.
    Close();
    if (!edited)
    {
        target->AcceptEnteredText(committed.c_str());
    }
    else if (EnteredTextIsValue(*edited, committed.c_str()))
    {
        // The click that opened the entry has long ended its gesture: the committed value
        // reaches the host inside one of its own.
        IPlugBase* plug = target->Plug();
        const int index = target->ParamIndex();
        if (plug && index >= 0)
            plug->BeginHostGesture(index);
        target->ApplyUserValue(EnteredTextToNormalized(*edited, committed.c_str()));
        if (plug && index >= 0)
            plug->EndHostGesture(index);
    }
    // Otherwise nothing readable was entered: the value stays, as after Escape.
}

void TextEntrySession::Close()
{
    control = nullptr;
    parameter = nullptr;
    text.clear();
    selectedAll = false;
    state = TextEntryState::None;
}
