#include "graphics/FrameTick.h"

#include "graphics/IControl.h"
#include "graphics/IGraphics.h"
#include "graphics/TextEntry.h"

FrameTickResult RunFrameTick(IGraphics& editor, TextEntrySession& entry, const PaintNow& paint)
{
    if (entry.IsOpen())
    {
        switch (entry.State())
        {
        case TextEntryState::Focused:
            return FrameTickResult::EntryFocused;
        case TextEntryState::Commit:
            entry.Commit();
            return FrameTickResult::EntryCommitted;
        case TextEntryState::Cancel:
            entry.Close();
            return FrameTickResult::EntryCancelled;
        case TextEntryState::Repainted:
            entry.HandleEvent(TextEntryEvent::TickAfterRepaint);
            return FrameTickResult::EntryRepaintSkipped;
        case TextEntryState::None:
            break;
        }
    }
    Rect area;
    if (!editor.CollectDirtyArea(area))
    {
        return FrameTickResult::Idle;
    }
    if (entry.IsOpen())
    {
        // The box covers the editing control; repainting under it would flicker.
        const Rect exclude = entry.Control()->GetDrawRect();
        paint(area, &exclude);
        entry.HandleEvent(TextEntryEvent::TickRepainted);
    }
    else
    {
        paint(area, nullptr);
    }
    return FrameTickResult::Painted;
}
