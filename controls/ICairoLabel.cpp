#include "controls/ICairoLabel.h"

#include "resources/ModuleResources.h"

ICairoLabel::ICairoLabel(IPlugBase* plugIn, ycairo_surface* holderSurface, const Rect& bounds,
                         const Color& textColour, const char* textToShow, int fontResource,
                         const char* fileName, double factor)
    : IControl(plugIn, bounds, -1), ycairo_gui(holderSurface, this), ycairo_text(holderSurface),
      labelText(textToShow ? textToShow : ""), colour(textColour), sizeFactor(factor)
{
    LoadFont(fontResource, kestrune::kResourceTypeRawData, fileName);
}

ICairoLabel::~ICairoLabel() = default;

bool ICairoLabel::Draw(IGraphics&)
{
    BeginDraw();
    if (!cr)
        return true;
    DrawText(cr, labelText.c_str(), drawRect.Height() * sizeFactor, colour.alpha, colour.red,
             colour.green, colour.blue, drawRect, kAlignCentre, kAlignMiddle);
    EndDraw();
    return true;
}
