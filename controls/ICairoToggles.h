#pragma once

#include "graphics/IControl.h"
#include "graphics/ycairo_gui.h"

// A round toggle: each press flips its parameter between 0 and 1.
class ICairoSwitch : public IControl, public ycairo_gui
{
public:
    ICairoSwitch(IPlugBase* plug, int paramIndex, ycairo_surface* surface, const Rect& rect,
                 const Color& colour);
    ~ICairoSwitch() override;

    void HandleMouseDown(int x, int y, MouseMods mods) override;
    bool Draw(IGraphics& graphics) override;

private:
    Color colour; // alpha unused: the ring is always opaque
};

// A round momentary button: holds its parameter at 1 while pressed, back to 0 on release.
class ICairoContact : public IControl, public ycairo_gui
{
public:
    ICairoContact(IPlugBase* plug, int paramIndex, ycairo_surface* surface, const Rect& rect,
                  const Color& colour);
    ~ICairoContact() override;

    void HandleMouseDown(int x, int y, MouseMods mods) override;
    void HandleMouseUp(int x, int y, MouseMods mods) override;
    bool Draw(IGraphics& graphics) override;

private:
    Color colour; // alpha unused
};
