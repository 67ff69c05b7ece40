#pragma once

#include "graphics/GraphicsTypes.h"

#include <string>

class IControl;
class IPlugParameter;

// State of an open text-entry box. The box is never closed by the key or click itself: the next
// frame tick commits or cancels it.
enum class TextEntryState : int
{
    None = 0,
    Focused = 1,
    Repainted = 2,
    Cancel = 3,
    Commit = 4,
};

enum class TextEntryEvent
{
    GainFocus,
    LoseFocus,
    EnterKey,
    EscapeKey,
    CommandNotify,   // the box's own "done" notification
    ClickInEditor,   // left or right button pressed in the editor
    WheelOverEditor, // mouse wheel turned over the editor
    TickRepainted,   // a frame tick repainted around the open box
    TickAfterRepaint,
};

TextEntryState NextTextEntryState(TextEntryState state, TextEntryEvent event);

// Characters a box accepts while it edits a parameter of that kind (backspace always passes):
// bool and enum take 0-9, '-' and '+'; double also '.'; kind none takes everything.
bool EntryAcceptsCharacter(int parameterKind, char c);

// The value an entered text commits, as the parameter's normalised value: enum and bool texts
// are looked up among the display texts (no match gives value 0), other kinds are read as a
// number (no leading number gives 0).
double EnteredTextToNormalized(const IPlugParameter& parameter, const char* text);
// True when the text names a value: a display text for enum and bool parameters, a leading
// finite number for the others. An empty or unreadable entry is a cancel, not a value of 0.
bool EnteredTextIsValue(const IPlugParameter& parameter, const char* text);

// One text-entry box: its state, the control and parameter it edits, and its text. Platform
// windows keep one and feed it their key, focus and mouse events; the editing itself (cursor,
// selection) belongs to the native box, so this model only appends and deletes at the end.
class TextEntrySession
{
public:
    static constexpr int kMaxCommittedLength = 31;

    // False (and nothing changes) without a control or while an entry is open.
    bool Open(IControl* control, IPlugParameter* parameter, const TextStyle& style,
              const Rect& area, const char* initialText);
    bool IsOpen() const { return control != nullptr; }
    TextEntryState State() const { return state; }
    void SetState(TextEntryState newState) { state = newState; }
    void HandleEvent(TextEntryEvent event);

    // A typed character: filtered by the parameter kind and limited to the control's
    // textEntryLength. The first key replaces the initial text, which opens selected.
    bool TypeCharacter(char c);
    void Backspace();
    void SetText(const char* newText);

    // Applies the text (at most 31 characters) to the control, then closes.
    void Commit();
    // Closes without applying anything.
    void Close();

    const std::string& Text() const { return text; }
    IControl* Control() const { return control; }
    IPlugParameter* Parameter() const { return parameter; }
    const Rect& Area() const { return area; }
    const TextStyle& Style() const { return style; }

private:
    TextEntryState state = TextEntryState::None;
    IControl* control = nullptr;
    IPlugParameter* parameter = nullptr;
    TextStyle style;
    Rect area;
    std::string text;
    int maxLength = 0;
    bool selectedAll = false;
};
