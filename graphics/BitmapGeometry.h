#pragma once

// The size bookkeeping of a system bitmap, whatever memory backs it: the visible size, and the
// allocation (rows rounded up to four pixels, and its height) that a later resize within it
// keeps, so that shrinking a bitmap and growing it back never reallocates.
class BitmapGeometry
{
public:
    // cairo cannot wrap an image wider or taller than this, so a larger bitmap is useless.
    static constexpr int kMaxSide = 32767;

    enum class Step
    {
        Unchanged,      // the size is the same: nothing to do
        Rejected,       // no such bitmap can exist: the owner fails the resize
        KeepAllocation, // the new size fits the pixels the owner holds
        Reallocate,     // the owner releases its pixels and, unless Empty(), allocates anew
    };

    // Records the new size (unless unchanged or rejected) and says what the owner must do with
    // its pixels; allocated tells whether it holds any.
    Step Plan(int newWidth, int newHeight, bool allocated)
    {
        if (newWidth == width && newHeight == height)
        {
            return Step::Unchanged;
        }
        if (newWidth < 0 || newHeight < 0 || newWidth > kMaxSide || newHeight > kMaxSide)
        {
            return Step::Rejected;
        }
        width = newWidth;
        height = newHeight;
        if (newWidth != 0 && newHeight != 0 && newWidth <= rowSpan && newHeight <= rowsHeld &&
            allocated)
        {
            return Step::KeepAllocation;
        }
        rowSpan = (newWidth + 3) & ~3;
        rowsHeld = newHeight;
        return Step::Reallocate;
    }

    // After a failed allocation: no size and no allocation.
    void Clear() { width = height = rowSpan = rowsHeld = 0; }

    // The allocation Plan asked for holds no pixel.
    bool Empty() const { return rowSpan < 1 || rowsHeld < 1; }

    int Width() const { return width; }
    int Height() const { return height; }
    int RowSpan() const { return rowSpan; }
    int RowsHeld() const { return rowsHeld; }

private:
    int width = 0;
    int height = 0;
    int rowSpan = 0;
    int rowsHeld = 0;
};
