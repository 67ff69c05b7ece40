#include "controls/EditorLayout.h"

#include "controls/ICairoDotMatrix.h"
#include "controls/ICairoDropdown.h"
#include "controls/ICairoFader.h"
#include "controls/ICairoFlatKnob.h"
#include "controls/ICairoLabel.h"
#include "controls/ICairoToggles.h"
#include "graphics/IGraphics.h"
#include "graphics/PlatformGraphics.h"
#include "graphics/ycairo_surface.h"
#include "plugin/Parameters.h"
#include "product/Version.h"
#include "resources/ModuleResources.h"

namespace kestrune
{

namespace
{

constexpr int kBackgroundGrey = 46;
const Color kAccent{255, 205, 255, 67};
const Color kFaderTrack{40, 205, 255, 67};
const Color kFaderOutline{255, 46, 46, 46};
const Color kFooterGrey{255, 127, 127, 127};

constexpr double kOptionLabelSize = 0.5;
constexpr int kShowUnit = 1;
constexpr int kHideUnit = 0;
constexpr int kKnobTextOffset = 0;

constexpr int kAnalyserRows = 12;
constexpr int kAnalyserDbPerLed = 3;

constexpr int kFaderTop = 276;
constexpr int kFaderBottom = 464;
constexpr int kValueBoxTop = 468;
constexpr int kValueBoxBottom = 486;
constexpr int kBandControlWidth = 20;

class LayoutBuilder
{
public:
    LayoutBuilder(IPlugBase* plugIn, IGraphics& editor, ycairo_surface& holder)
        : plug(plugIn), graphics(editor), surface(&holder)
    {
    }

    int Add(IControl* control) { return graphics.AddControl(control); }

    void OptionLabel(const Rect& rect, const char* text)
    {
        Add(new ICairoLabel(plug, surface, rect, kAccent, text, kFontTitilliumLabels,
                            kTitilliumFileName, kOptionLabelSize));
    }
    void FooterMark(const Rect& rect, const char* text, int font)
    {
        const char* fileName = font == kFontSarpanch ? kSarpanchFileName : kTitilliumFileName;
        Add(new ICairoLabel(plug, surface, rect, kFooterGrey, text, font, fileName, 1.0));
    }
    void Dropdown(const Rect& rect, int param, int showUnit)
    {
        Add(new ICairoDropdown(plug, surface, rect, param, kAccent, showUnit));
    }
    void Switch(const Rect& rect, int param)
    {
        Add(new ICairoSwitch(plug, param, surface, rect, kAccent));
    }
    void Contact(const Rect& rect, int param)
    {
        Add(new ICairoContact(plug, param, surface, rect, kAccent));
    }
    void Knob(const Rect& rect, int param)
    {
        Add(new ICairoFlatKnob(plug, param, surface, rect, kAccent, ICairoFlatKnob::kTextInside,
                               kKnobTextOffset));
    }

    IPlugBase* plug;
    IGraphics& graphics;
    ycairo_surface* surface;
};

void AddAnalyserOptions(LayoutBuilder& b)
{
    b.OptionLabel({4, 12, 60, 36}, "dBs / LED");
    b.Dropdown({64, 12, 92, 36}, kParamAnalyzerDbPerLed, kShowUnit);
    b.OptionLabel({104, 12, 152, 36}, "Int. Time");
    b.Dropdown({156, 12, 192, 36}, kParamIntegrationTime, kShowUnit);
    b.OptionLabel({204, 12, 276, 36}, "Display Mode");
    b.Dropdown({280, 12, 316, 36}, kParamDisplayMode, kShowUnit);
    b.OptionLabel({440, 12, 504, 36}, "Reset Peaks");
    b.Contact({508, 12, 532, 36}, kParamResetAnalyzer);
    b.OptionLabel({328, 12, 400, 36}, "Enable Peaks");
    b.Switch({404, 12, 428, 36}, kParamEnablePeakDisplay);
}

void AddEqualiserOptions(LayoutBuilder& b)
{
    b.OptionLabel({24, 496, 76, 520}, "Auto EQ");
    b.Dropdown({80, 496, 140, 520}, kParamAutoEq, kShowUnit);
    b.OptionLabel({152, 496, 232, 520}, "Reset Auto EQ");
    b.Contact({236, 496, 260, 520}, kParamResetAutoEq);
    b.OptionLabel({468, 496, 520, 520}, "Reset EQ");
    b.Contact({524, 496, 548, 520}, kParamResetEq);
    b.OptionLabel({732, 496, 792, 520}, "Bypass EQ");
    b.Switch({704, 496, 728, 520}, kParamBypassEq);
    b.OptionLabel({704, 12, 792, 36}, "Disable Analyzer");
    b.Switch({676, 12, 700, 36}, kParamDisableAnalyzer);
}

void AddFooterControls(LayoutBuilder& b)
{
    b.OptionLabel({336, 548, 368, 572}, "Input");
    b.Knob({372, 528, 432, 588}, kParamInput);
    b.OptionLabel({444, 548, 484, 572}, "Output");
    b.Knob({488, 528, 548, 588}, kParamOutput);
    b.OptionLabel({148, 548, 232, 572}, "AutoEQ Amount");
    b.Knob({236, 528, 296, 588}, kParamEqAmount);
    b.OptionLabel({272, 496, 392, 520}, "AutoEQ Compensation");
    b.Dropdown({396, 496, 456, 520}, kParamAutoEqCompensation, kShowUnit);
    b.OptionLabel({24, 528, 112, 552}, "Lucky Algorithm");
    b.Switch({116, 528, 140, 552}, kParamLuckyAutoEq);
}

void AddFooterMarks(LayoutBuilder& b)
{
    b.FooterMark({568, 532, 728, 572}, "Vantor", kFontSarpanch);
    b.FooterMark({656, 572, 724, 584}, "31-band EQ", kFontTitilliumLabels);
    b.FooterMark({568, 572, 636, 584}, kPluginVersionText, kFontTitilliumLabels);
    b.FooterMark({728, 524, 792, 592}, "K", kFontSarpanch);
}

} // namespace

const std::array<int, kBandCount> kFaderLeftPx = {
    26,  51,  76,  101, 126, 150, 176, 200, 225, 250, 275, 300, 325, 349, 374, 399,
    424, 449, 474, 498, 523, 548, 573, 598, 623, 647, 672, 697, 722, 748, 773};

const std::array<int, kBandCount> kValueBoxLeftPx = {
    26,  51,  76,  101, 126, 150, 176, 200, 225, 250, 275, 300, 325, 349, 374, 399,
    424, 449, 474, 498, 523, 548, 573, 598, 623, 648, 672, 697, 722, 748, 773};

EditorShell CreateEditorShell(IPlugBase* plug, void* moduleHandle)
{
    EditorShell shell;
    shell.graphics = CreatePlatformGraphics(plug, kEditorWidth, kEditorHeight, kEditorFrameRate);
    shell.surface = std::make_unique<ycairo_surface>(plug);
    shell.surface->SetModuleHandle(moduleHandle);
    shell.graphics->SetShowTooltips(true);
    shell.graphics->SetHandleMouseOver(true);
    return shell;
}

EditorControls LayOutEditor(IPlugBase* plug, IGraphics& graphics, ycairo_surface& surface)
{
    surface.CreateBackground(&graphics, 255, kBackgroundGrey, kBackgroundGrey, kBackgroundGrey);
    LayoutBuilder builder(plug, graphics, surface);
    AddAnalyserOptions(builder);
    AddEqualiserOptions(builder);
    AddFooterControls(builder);

    EditorControls controls;
    controls.analyser = new ICairoDotMatrix(plug, &surface, {4, 48, 792, 272}, kAnalyserRows,
                                            kBandCount, kAnalyserDbPerLed);
    controls.analyserControlIndex = builder.Add(controls.analyser);
    for (int band = 0; band < kBandCount; ++band)
    {
        const int x = kFaderLeftPx[static_cast<size_t>(band)];
        auto* fader =
            new ICairoFader(plug, &surface, {x, kFaderTop, x + kBandControlWidth, kFaderBottom},
                            BandGainParam(band), kFaderTrack, kAccent, kFaderOutline);
        controls.faders[static_cast<size_t>(band)] = fader;
        controls.faderControlIndices[static_cast<size_t>(band)] = builder.Add(fader);
    }
    for (int band = 0; band < kBandCount; ++band)
    {
        const int x = kValueBoxLeftPx[static_cast<size_t>(band)];
        builder.Dropdown({x, kValueBoxTop, x + kBandControlWidth, kValueBoxBottom},
                         BandGainParam(band), kHideUnit);
    }
    AddFooterMarks(builder);
    return controls;
}

} // namespace kestrune
