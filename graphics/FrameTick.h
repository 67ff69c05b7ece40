#pragma once

#include "graphics/GraphicsTypes.h"

#include <functional>

class IGraphics;
class TextEntrySession;

enum class FrameTickResult
{
    Idle,         // nothing to redraw
    Painted,      // the dirty area was repainted
    EntryFocused, // the text box has the focus: the tick is not handled
    EntryCommitted,
    EntryCancelled,
    EntryRepaintSkipped, // the tick after a repaint around the open box draws nothing
};

// Repaints area at once; exclude, when set, is the open text box's rectangle to leave alone.
using PaintNow = std::function<void(const Rect& area, const Rect* exclude)>;

// One tick of the editor's frame timer, the same on every platform: settle an open text entry,
// otherwise collect the dirty area and have it painted.
FrameTickResult RunFrameTick(IGraphics& editor, TextEntrySession& entry, const PaintNow& paint);
