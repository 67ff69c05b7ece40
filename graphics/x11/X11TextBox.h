#pragma once

#include "graphics/GraphicsTypes.h"

#include <cairo.h>

#include <functional>
#include <string>

namespace kestrune::x11
{

// The one-line edit box of a text entry, without any window: text, caret and selection, the
// length limit and the character filter. The box opens with its whole text selected, so the
// first typed character replaces it.
class TextBoxModel
{
public:
    // Decides whether a typed character may enter the box; an empty filter accepts everything.
    using CharacterFilter = std::function<bool(char)>;

    void Open(const std::string& initialText, int maxLength, CharacterFilter filter);

    // A typed printable character: swallowed when the filter refuses it or the text is full.
    // Returns true when the text changed.
    bool Type(char character);
    void Backspace();
    void DeleteForward();
    void MoveCaret(int delta, bool extendSelection);
    void MoveCaretHome(bool extendSelection);
    void MoveCaretEnd(bool extendSelection);
    void SelectAll();
    // Places the caret at a character position (a click into the box).
    void PlaceCaret(int position);

    const std::string& Text() const { return text; }
    int Caret() const { return caret; }
    int SelectionStart() const { return caret < anchor ? caret : anchor; }
    int SelectionEnd() const { return caret < anchor ? anchor : caret; }
    bool HasSelection() const { return caret != anchor; }

private:
    void EraseSelection();

    std::string text;
    int caret = 0;
    int anchor = 0; // the other end of the selection; equal to caret when nothing is selected
    int maxLength = 0;
    CharacterFilter filter;
};

// Paints the box into cr (the box's own window, width x height pixels) in the colours, font,
// size, weight, slant and alignment of style. The caret is drawn when showCaret is set.
void DrawTextBox(cairo_t* cr, const TextBoxModel& box, const TextStyle& style, int width,
                 int height, bool showCaret);

// The character position nearest to x pixels inside the box drawn with style.
int TextBoxPositionAt(cairo_t* cr, const TextBoxModel& box, const TextStyle& style, int width,
                      int x);

} // namespace kestrune::x11
