#pragma once

#include <cstdint>

// Value types shared by the controls, the editor core, the cairo layer and the platform windows.

// A rectangle in editor pixels, y growing downwards; right and bottom are exclusive.
struct Rect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    constexpr Rect() = default;
    constexpr Rect(int32_t l, int32_t t, int32_t r, int32_t b)
        : left(l), top(t), right(r), bottom(b)
    {
    }

    constexpr int32_t Width() const { return right - left; }
    constexpr int32_t Height() const { return bottom - top; }

    // Empty means all four fields are 0; a zero-width rectangle elsewhere is not empty.
    constexpr bool IsEmpty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }

    constexpr bool Contains(int x, int y) const
    {
        return left <= x && x < right && top <= y && y < bottom;
    }

    // Touching at this rectangle's right or bottom edge counts as intersecting; the paint pass
    // relies on this, so keep the asymmetric comparisons.
    constexpr bool Intersects(const Rect& other) const
    {
        if (IsEmpty() || other.IsEmpty())
        {
            return false;
        }
        return right >= other.left && left < other.right && bottom >= other.top &&
               top < other.bottom;
    }

    constexpr Rect Union(const Rect& other) const
    {
        if (IsEmpty())
        {
            return other;
        }
        if (other.IsEmpty())
        {
            return *this;
        }
        return Rect(left < other.left ? left : other.left, top < other.top ? top : other.top,
                    right > other.right ? right : other.right,
                    bottom > other.bottom ? bottom : other.bottom);
    }

    constexpr bool operator==(const Rect&) const = default;
};

// Mouse buttons and modifier keys at the time of an event.
struct MouseMods
{
    bool left = false;
    bool right = false;
    bool shift = false;
    bool control = false;
    bool alt = false;
};

// Colour components 0..255.
struct Color
{
    int alpha = 255;
    int red = 0;
    int green = 0;
    int blue = 0;

    constexpr Color() = default;
    constexpr Color(int a, int r, int g, int b) : alpha(a), red(r), green(g), blue(b) {}
    constexpr bool operator==(const Color&) const = default;
};

enum TextStyleFace : int
{
    kTextStyleNormal = 0,
    kTextStyleBold = 1,
    kTextStyleItalic = 2,
};

enum TextStyleAlign : int
{
    kTextAlignLeft = 0,
    kTextAlignCentre = 1,
    kTextAlignRight = 2,
};

// Attributes of a control's text-entry box.
struct TextStyle
{
    static constexpr int kFontNameCapacity = 32;

    char fontName[kFontNameCapacity] = "Arial";
    int size = 12; // font height in pixels
    int style = kTextStyleNormal;
    int alignment = kTextAlignCentre;
    Color background{255, 255, 255, 255};
    Color foreground{255, 0, 0, 0};

    // Copies at most 31 characters; longer names are cut, never overflow.
    void SetFontName(const char* name);
};
