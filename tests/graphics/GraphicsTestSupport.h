#pragma once

#include "graphics/IControl.h"
#include "graphics/IGraphics.h"
#include "graphics/IGraphicsOffscreen.h"
#include "tests/support/TestPlugin.h"

#include <string>
#include <vector>

// A plug-in with four parameters of each kind the editor prompts differently for.
class TestPlug : public TestPlugin
{
public:
    enum : int
    {
        kGain = 0,        // double -15..15 dB, step 0.1
        kIntegration = 1, // enum "0.5s", "1s", "2s", "4s"
        kPeaks = 2,       // bool with "off"/"on"
        kAmount = 3,      // double 0..100, step 1
        kParamCount
    };

    TestPlug()
        : TestPlugin({.effectName = "Test",
                      .productName = "Test",
                      .makerName = "Tester",
                      .version = 0x10000,
                      .uniqueId = 1,
                      .makerId = 2},
                     {GainParameter("Gain"),
                      EnumParameter("Integration", 1, {"0.5s", "1s", "2s", "4s"}),
                      BoolParameter("Peaks"),
                      {TestParameter::Double, "Amount", 100.0, 0.0, 100.0, 1.0, "%", {}}})
    {
    }
};

// A control that records what reaches it and fills its rectangle when drawn.
class ProbeControl : public IControl
{
public:
    ProbeControl(IPlugBase* owner, const Rect& rect, int parameterIndex = -1)
        : IControl(owner, rect, parameterIndex)
    {
    }

    bool Draw(IGraphics&) override
    {
        ++draws;
        lastDrawnValue = GetValue();
        return true;
    }
    void HandleMouseDown(int x, int y, MouseMods mods) override
    {
        Log("down", x, y);
        IControl::HandleMouseDown(x, y, mods);
    }
    void HandleMouseUp(int x, int y, MouseMods) override { Log("up", x, y); }
    void HandleMouseDrag(int x, int y, int dX, int dY, MouseMods) override
    {
        Log("drag", x, y);
        lastDX = dX;
        lastDY = dY;
    }
    void HandleDoubleClick(int x, int y, MouseMods mods) override
    {
        Log("dbl", x, y);
        IControl::HandleDoubleClick(x, y, mods);
    }
    void HandleMouseWheel(int x, int y, MouseMods, int notches) override
    {
        Log("wheel", x, y);
        lastNotches = notches;
    }
    bool HandleKeyDown(int x, int y, int key) override
    {
        Log("key", x, y);
        lastKey = key;
        return handlesKeys;
    }
    void HandleMouseOver(int x, int y, MouseMods) override { Log("over", x, y); }
    void HandleMouseOut() override { Log("out", -1, -1); }
    void IdleTick() override { ++idleTicks; }
    void AcceptEnteredText(const char* text) override { enteredText = text; }

    void Log(const char* what, int x, int y)
    {
        events.push_back(std::string(what) + "@" + std::to_string(x) + "," + std::to_string(y));
    }

    std::vector<std::string> events;
    int draws = 0;
    double lastDrawnValue = -1.0;
    int idleTicks = 0;
    int lastDX = 0;
    int lastDY = 0;
    int lastNotches = 0;
    int lastKey = -1;
    bool handlesKeys = true;
    std::string enteredText;
};

// A knob with nothing to draw, to exercise the knob's drag and wheel rules.
class IKnobControlProbe : public IKnobControl
{
public:
    IKnobControlProbe(IPlugBase* owner, const Rect& rect, int parameterIndex, int dir, double gear)
        : IKnobControl(owner, rect, parameterIndex, dir, gear)
    {
    }
    bool Draw(IGraphics&) override { return true; }
};
