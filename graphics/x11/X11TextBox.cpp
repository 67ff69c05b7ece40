#include "graphics/x11/X11TextBox.h"

#include <algorithm>
#include <cmath>

namespace kestrune::x11
{
namespace
{

constexpr double kPaddingPx = 2.0;

double Component(int value)
{
    return std::clamp(value, 0, 255) / 255.0;
}

void SelectStyleFont(cairo_t* cr, const TextStyle& style)
{
    const cairo_font_slant_t slant =
        style.style == kTextStyleItalic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL;
    const cairo_font_weight_t weight =
        style.style == kTextStyleBold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL;
    cairo_select_font_face(cr, style.fontName, slant, weight);
    cairo_set_font_size(cr, style.size > 0 ? style.size : 12);
}

double Advance(cairo_t* cr, const std::string& text)
{
    cairo_text_extents_t extents{};
    cairo_text_extents(cr, text.c_str(), &extents);
    return extents.x_advance;
}

// Left edge of the text: aligned as the style says while it fits, otherwise scrolled so that
// the caret stays visible (automatic horizontal scrolling).
double TextOrigin(cairo_t* cr, const TextBoxModel& box, const TextStyle& style, int width)
{
    const double textWidth = Advance(cr, box.Text());
    const double room = width - 2 * kPaddingPx;
    if (textWidth <= room)
    {
        switch (style.alignment)
        {
        case kTextAlignLeft:
            return kPaddingPx;
        case kTextAlignRight:
            return width - kPaddingPx - textWidth;
        default:
            return kPaddingPx + (room - textWidth) * 0.5;
        }
    }
    const double caretX = Advance(cr, box.Text().substr(0, static_cast<std::size_t>(box.Caret())));
    return kPaddingPx + std::min(0.0, room - caretX);
}

} // namespace

void TextBoxModel::Open(const std::string& initialText, int maxLengthIn, CharacterFilter filterIn)
{
    text = initialText;
    maxLength = maxLengthIn;
    filter = std::move(filterIn);
    SelectAll();
}

bool TextBoxModel::Type(char character)
{
    if (filter && !filter(character))
    {
        return false;
    }
    const int selected = SelectionEnd() - SelectionStart();
    if (static_cast<int>(text.size()) - selected + 1 > maxLength)
    {
        return false;
    }
    EraseSelection();
    text.insert(static_cast<std::size_t>(caret), 1, character);
    ++caret;
    anchor = caret;
    return true;
}

void TextBoxModel::EraseSelection()
{
    const int start = SelectionStart();
    text.erase(static_cast<std::size_t>(start), static_cast<std::size_t>(SelectionEnd() - start));
    caret = start;
    anchor = start;
}

void TextBoxModel::Backspace()
{
    if (!HasSelection() && caret > 0)
    {
        anchor = caret - 1;
    }
    EraseSelection();
}

void TextBoxModel::DeleteForward()
{
    if (!HasSelection() && caret < static_cast<int>(text.size()))
    {
        anchor = caret + 1;
    }
    EraseSelection();
}

void TextBoxModel::MoveCaret(int delta, bool extendSelection)
{
    if (!extendSelection && HasSelection())
    {
        caret = delta < 0 ? SelectionStart() : SelectionEnd();
    }
    else
    {
        caret = std::clamp(caret + delta, 0, static_cast<int>(text.size()));
    }
    if (!extendSelection)
    {
        anchor = caret;
    }
}

void TextBoxModel::MoveCaretHome(bool extendSelection)
{
    caret = 0;
    if (!extendSelection)
    {
        anchor = caret;
    }
}

void TextBoxModel::MoveCaretEnd(bool extendSelection)
{
    caret = static_cast<int>(text.size());
    if (!extendSelection)
    {
        anchor = caret;
    }
}

void TextBoxModel::SelectAll()
{
    anchor = 0;
    caret = static_cast<int>(text.size());
}

void TextBoxModel::PlaceCaret(int position)
{
    caret = std::clamp(position, 0, static_cast<int>(text.size()));
    anchor = caret;
}

void DrawTextBox(cairo_t* cr, const TextBoxModel& box, const TextStyle& style, int width,
                 int height, bool showCaret)
{
    cairo_save(cr);
    cairo_set_source_rgb(cr, Component(style.background.red), Component(style.background.green),
                         Component(style.background.blue));
    cairo_paint(cr);
    SelectStyleFont(cr, style);
    cairo_font_extents_t font{};
    cairo_font_extents(cr, &font);
    const double origin = TextOrigin(cr, box, style, width);
    const double baseline = (height - font.height) * 0.5 + font.ascent;
    const std::string& text = box.Text();
    auto xAt = [&](int position)
    { return origin + Advance(cr, text.substr(0, static_cast<std::size_t>(position))); };
    if (box.HasSelection())
    {
        const double left = xAt(box.SelectionStart());
        cairo_rectangle(cr, left, baseline - font.ascent, xAt(box.SelectionEnd()) - left,
                        font.height);
        cairo_set_source_rgb(cr, 0.68, 0.84, 1.0);
        cairo_fill(cr);
    }
    cairo_set_source_rgb(cr, Component(style.foreground.red), Component(style.foreground.green),
                         Component(style.foreground.blue));
    cairo_move_to(cr, origin, baseline);
    cairo_show_text(cr, text.c_str());
    if (showCaret)
    {
        const double caretX = std::floor(xAt(box.Caret())) + 0.5;
        cairo_set_line_width(cr, 1.0);
        cairo_move_to(cr, caretX, baseline - font.ascent);
        cairo_line_to(cr, caretX, baseline + font.descent);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

int TextBoxPositionAt(cairo_t* cr, const TextBoxModel& box, const TextStyle& style, int width,
                      int x)
{
    cairo_save(cr);
    SelectStyleFont(cr, style);
    const double origin = TextOrigin(cr, box, style, width);
    const std::string& text = box.Text();
    int best = 0;
    double bestDistance = std::abs(x - origin);
    for (int position = 1; position <= static_cast<int>(text.size()); ++position)
    {
        const double distance =
            std::abs(x - origin - Advance(cr, text.substr(0, static_cast<std::size_t>(position))));
        if (distance < bestDistance)
        {
            best = position;
            bestDistance = distance;
        }
    }
    cairo_restore(cr);
    return best;
}

} // namespace kestrune::x11
