#pragma once

// A small plug-in with one parameter of each kind the controls show, and an offscreen editor
// whose frames can be drawn and whose pixels can be read.

#include "graphics/IControl.h"
#include "graphics/IGraphicsOffscreen.h"
#include "graphics/ycairo_surface.h"
#include "tests/support/TestPlugin.h"

#include <cstdint>
#include <memory>

struct Pixel
{
    int red = 0;
    int green = 0;
    int blue = 0;
};

class FixturePlug : public TestPlugin
{
public:
    enum ParamId : int
    {
        kGain = 0,   // -15..15 dB, step 0.1
        kChoice = 1, // enum "1s" style texts
        kToggle = 2, // bool
        kAmount = 3, // 0..100 %, step 1
        kPlain = 4,  // double without a unit
        kParamCount = 5,
    };

    FixturePlug()
        : TestPlugin({.effectName = "Fixture",
                      .makerName = "Vantor",
                      .version = 0x10205,
                      .uniqueId = 1,
                      .makerId = 2},
                     {GainParameter("Gain 0"),
                      EnumParameter("Integration Time", 1, {"0.25s", "1s", "4s"}),
                      BoolParameter("Enable peak display"),
                      {TestParameter::Double, "Eq Amount", 50.0, 0.0, 100.0, 1.0, "%", {}},
                      {TestParameter::Double, "Plain", 0.0, -15.0, 15.0, 0.1, "", {}}})
    {
    }
};

// The plug-in owns the editor once attached; the fixture keeps plain pointers to both.
struct EditorFixture
{
    std::unique_ptr<FixturePlug> plug = std::make_unique<FixturePlug>();
    IGraphicsOffscreen* graphics = nullptr;
    ycairo_surface* surface = nullptr;

    EditorFixture(int width = 800, int height = 600)
    {
        graphics = new IGraphicsOffscreen(plug.get(), width, height, 30);
        auto holder = std::make_unique<ycairo_surface>(plug.get());
        surface = holder.get();
        holder->CreateBackground(graphics, 255, 46, 46, 46);
        plug->SetEditorSurface(std::move(holder));
    }

    template <typename Control> Control* Add(Control* control)
    {
        graphics->AddControl(control);
        return control;
    }

    void Attach() { plug->AttachEditor(graphics); }

    // Draws every control, as after a processed block.
    void Frame()
    {
        graphics->MarkAllControlsDirty();
        graphics->DrawAll();
    }

    Pixel At(int x, int y) const
    {
        LICE_IBitmap* bitmap = graphics->BackingBitmap();
        const uint32_t p = bitmap->Bits()[y * bitmap->RowSpan() + x];
        return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                static_cast<int>(p & 0xFF)};
    }
};
