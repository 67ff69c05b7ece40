// The product's editor as the plug-in builds it: layout, stored indices, pixels of a frame, and
// the feedback from blocks and parameter changes.

#include "controls/EditFlags.h"
#include "controls/DisplayUpdates.h"
#include "controls/EditorLayout.h"
#include "controls/ICairoDotMatrix.h"
#include "controls/ICairoDropdown.h"
#include "controls/ICairoFader.h"
#include "controls/ICairoFlatKnob.h"
#include "controls/ICairoLabel.h"
#include "controls/ICairoToggles.h"
#include "graphics/IGraphics.h"
#include "plugin/VantorKestrune.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <typeinfo>
#include <vector>

namespace
{

// The control as its concrete class; a wrong class fails the test with an exception.
template <typename T> T& As(IControl* control)
{
    auto* typed = dynamic_cast<T*>(control);
    if (typed == nullptr)
        throw std::runtime_error("unexpected control class");
    return *typed;
}

struct ProductEditor : ::testing::Test
{
    std::unique_ptr<VantorKestrune> plug{CreatePlugin()};
    IGraphics* graphics = dynamic_cast<IGraphics*>(plug->Editor());

    ICairoDotMatrix* Display() const
    {
        return &As<ICairoDotMatrix>(graphics->ControlAt(plug->AnalyserControlIndex()));
    }
    IControl* Control(int index) const { return graphics->ControlAt(index); }

    void Frame()
    {
        graphics->MarkAllControlsDirty();
        graphics->DrawArea(Rect(0, 0, 800, 600));
    }

    uint32_t PixelAt(int x, int y) const
    {
        LICE_IBitmap* bitmap = graphics->BackingBitmap();
        return bitmap->Bits()[y * bitmap->RowSpan() + x] & 0xFFFFFF;
    }

    void Prepare(double rateHz = 48000.0, int blockFrames = 512)
    {
        plug->SetHostSampleRate(rateHz);
        plug->SetHostBlockSize(blockFrames);
        plug->ResetProcessing();
    }

    // One stereo block of a sine at freqHz and the given amplitude.
    void RenderSine(double freqHz, double amplitude, int blockFrames = 512)
    {
        std::vector<float> left(static_cast<size_t>(blockFrames));
        for (int i = 0; i < blockFrames; ++i)
            left[static_cast<size_t>(i)] = static_cast<float>(
                amplitude * std::sin(2.0 * M_PI * freqHz * (phaseFrames + i) / 48000.0));
        phaseFrames += blockFrames;
        std::vector<float> right = left;
        std::vector<float> outL(left.size()), outR(left.size());
        float* in[2] = {left.data(), right.data()};
        float* out[2] = {outL.data(), outR.data()};
        plug->RenderBlock(in, 2, out, 2, blockFrames, false);
    }

    void SetFromHost(int index, double real)
    {
        plug->SetParameterFromHost(index, plug->Param(index)->ToNormalized(real));
    }

    long phaseFrames = 0;
};

} // namespace

TEST_F(ProductEditor, LayoutOrderAndStoredIndices)
{
    ASSERT_NE(graphics, nullptr);
    EXPECT_EQ(graphics->Width(), 800);
    EXPECT_EQ(graphics->Height(), 600);
    EXPECT_EQ(graphics->FrameRate(), 30);
    EXPECT_TRUE(graphics->HandlesMouseOver());
    EXPECT_TRUE(graphics->ShowsTooltips());
    ASSERT_EQ(graphics->ControlCount(), 98);
    EXPECT_EQ(plug->AnalyserControlIndex(), 31);
    for (int b = 0; b < 31; ++b)
        EXPECT_EQ(plug->FaderControlIndices()[static_cast<size_t>(b)], 32 + b);
    EXPECT_EQ(Control(0)->GetDrawRect(), Rect(0, 0, 800, 600));

    // Classes in attach order: L label, D dropdown, C contact, S switch, K knob.
    const char* kinds = "LDLDLDLCLS"
                        "LDLCLCLSLS"
                        "LKLKLKLDLS";
    for (int i = 1; i <= 30; ++i)
    {
        IControl* c = Control(i);
        switch (kinds[i - 1])
        {
        case 'L':
            EXPECT_NE(dynamic_cast<ICairoLabel*>(c), nullptr) << i;
            break;
        case 'D':
            EXPECT_NE(dynamic_cast<ICairoDropdown*>(c), nullptr) << i;
            break;
        case 'C':
            EXPECT_NE(dynamic_cast<ICairoContact*>(c), nullptr) << i;
            break;
        case 'S':
            EXPECT_NE(dynamic_cast<ICairoSwitch*>(c), nullptr) << i;
            break;
        case 'K':
            EXPECT_NE(dynamic_cast<ICairoFlatKnob*>(c), nullptr) << i;
            break;
        }
    }
    EXPECT_NE(Display(), nullptr);
    for (int i = 94; i <= 97; ++i)
        EXPECT_NE(dynamic_cast<ICairoLabel*>(Control(i)), nullptr) << i;
    EXPECT_EQ(As<ICairoLabel>(Control(94)).Text(), "Vantor");
    EXPECT_EQ(As<ICairoLabel>(Control(96)).Text(), "1.2.5");
}

TEST_F(ProductEditor, BoundParametersAndRectangles)
{
    struct Case
    {
        int control;
        int param;
        Rect rect;
    };
    const Case cases[] = {
        {2, kParamAnalyzerDbPerLed, {64, 12, 92, 36}},
        {4, kParamIntegrationTime, {156, 12, 192, 36}},
        {6, kParamDisplayMode, {280, 12, 316, 36}},
        {8, kParamResetAnalyzer, {508, 12, 532, 36}},
        {10, kParamEnablePeakDisplay, {404, 12, 428, 36}},
        {12, kParamAutoEq, {80, 496, 140, 520}},
        {14, kParamResetAutoEq, {236, 496, 260, 520}},
        {16, kParamResetEq, {524, 496, 548, 520}},
        {18, kParamBypassEq, {704, 496, 728, 520}},
        {20, kParamDisableAnalyzer, {676, 12, 700, 36}},
        {22, kParamInput, {372, 528, 432, 588}},
        {24, kParamOutput, {488, 528, 548, 588}},
        {26, kParamEqAmount, {236, 528, 296, 588}},
        {28, kParamAutoEqCompensation, {396, 496, 456, 520}},
        {30, kParamLuckyAutoEq, {116, 528, 140, 552}},
        {31, -1, {4, 48, 792, 272}},
        {32, 0, {26, 276, 46, 464}},
        {57, 25, {647, 276, 667, 464}},
        {62, 30, {773, 276, 793, 464}},
        {63, 0, {26, 468, 46, 486}},
        {88, 25, {648, 468, 668, 486}}, // one pixel right of its fader
        {93, 30, {773, 468, 793, 486}},
        {97, -1, {728, 524, 792, 592}},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Control(c.control)->ParamIndex(), c.param) << c.control;
        EXPECT_EQ(Control(c.control)->GetDrawRect(), c.rect) << c.control;
    }
    for (int b = 0; b < 31; ++b)
    {
        EXPECT_NE(dynamic_cast<ICairoFader*>(Control(32 + b)), nullptr);
        EXPECT_NE(dynamic_cast<ICairoDropdown*>(Control(63 + b)), nullptr);
        EXPECT_EQ(Control(63 + b)->ParamIndex(), b);
    }
}

TEST_F(ProductEditor, ControlsDoNotOverlapAndStayInsideTheWindow)
{
    auto overlap = [](const Rect& a, const Rect& b)
    { return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom; };
    for (int i = 1; i < graphics->ControlCount(); ++i)
    {
        const Rect& r = Control(i)->GetDrawRect();
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= 800 && r.bottom <= 600) << i;
        for (int j = i + 1; j < graphics->ControlCount(); ++j)
            EXPECT_FALSE(overlap(r, Control(j)->GetDrawRect())) << i << " and " << j;
    }
}

TEST_F(ProductEditor, FadersSitUnderTheirLedColumns)
{
    for (int b = 0; b < 31; ++b)
    {
        const Rect& r = Control(32 + b)->GetDrawRect();
        const double centre = (r.left + r.right) * 0.5;
        // Bands 25 and 26 sit 1.19 and 1.06 px left of their columns; all others within 1 px.
        EXPECT_LE(std::fabs(centre - (36.3125 + 24.875 * b)), 1.2) << b;
    }
}

TEST_F(ProductEditor, ControlsShowParameterValuesFromTheStart)
{
    // Analyser options keep the display's own defaults until announced.
    EXPECT_EQ(Display()->DbPerLed(), 3);
    EXPECT_FALSE(Display()->PeakDisplay());
    Frame();
    EXPECT_EQ(As<ICairoDropdown>(Control(2)).ValueText(), "6 ");
    EXPECT_EQ(As<ICairoDropdown>(Control(4)).ValueText(), "1s ");
    EXPECT_EQ(As<ICairoDropdown>(Control(63)).ValueText(), "0.0");
    EXPECT_EQ(As<ICairoFlatKnob>(Control(22)).ValueText(), "0.0dB");
    EXPECT_EQ(As<ICairoFlatKnob>(Control(26)).ValueText(), "50%");
    EXPECT_DOUBLE_EQ(Control(10)->GetValue(), 1.0); // peak display switch shows "on"
}

TEST_F(ProductEditor, FramePixels)
{
    Frame();
    EXPECT_EQ(PixelAt(1, 1), 0x2E2E2Eu);
    EXPECT_EQ(PixelAt(799, 599), 0x2E2E2Eu);
    EXPECT_EQ(PixelAt(400, 44), 0x2E2E2Eu);
    // Silent display: band 0 top LED at 15 % red, bottom LED at 15 % green.
    EXPECT_EQ(PixelAt(36, 56), 0x260000u);
    EXPECT_EQ(PixelAt(36, 242), 0x002600u);
    EXPECT_EQ(PixelAt(36 + 25 * 3 - 1, 107), 0x262600u); // band 3, the yellow row

    SetFromHost(kParamDisableAnalyzer, 1.0);
    EXPECT_TRUE(Display()->IsGrayed());
    Frame();
    // (38, 0, 0) at 0.4 over the background 46: about (43, 28, 28).
    const uint32_t greyed = PixelAt(36, 56);
    EXPECT_NEAR(static_cast<int>((greyed >> 16) & 0xFF), 43, 1);
    EXPECT_NEAR(static_cast<int>((greyed >> 8) & 0xFF), 28, 1);
}

TEST_F(ProductEditor, BlockFeedbackStoresLevelsAndPeaks)
{
    Prepare();
    ICairoDotMatrix* display = Display();
    for (int i = 0; i < 40; ++i)
        RenderSine(1000.0, 0.5);
    const double loudDb = display->Level(17);
    EXPECT_GT(loudDb, -20.0);
    EXPECT_LT(loudDb, 0.0);
    const double peakDb = display->Peak(17);
    EXPECT_GE(peakDb, loudDb);
    EXPECT_NEAR(loudDb, 8.685889638065037 * std::log(plug->Engine().bandLevels[17]), 1e-12);

    for (int i = 0; i < 40; ++i)
        RenderSine(1000.0, 0.05);
    const double quietPeakDb = display->Peak(17);
    EXPECT_GE(quietPeakDb, peakDb);
    for (int i = 0; i < 20; ++i)
        RenderSine(1000.0, 0.05);
    EXPECT_LT(display->Level(17), loudDb - 10.0);
    EXPECT_DOUBLE_EQ(display->Peak(17), quietPeakDb); // quieter blocks leave the peak

    SetFromHost(kParamResetAnalyzer, 1.0);
    EXPECT_EQ(display->Peak(17), -999.0);
    RenderSine(1000.0, 0.05);
    EXPECT_GT(display->Peak(17), -999.0);
    SetFromHost(kParamResetAnalyzer, 0.0); // the release clears them again
    EXPECT_EQ(display->Peak(17), -999.0);
}

TEST_F(ProductEditor, SilenceStoresMinusInfinityOnce)
{
    ICairoDotMatrix* display = Display();
    const double silence[31] = {};
    EXPECT_EQ(kestrune::ShowBandLevels(*display, silence, 31), 31);
    EXPECT_EQ(display->Level(0), -HUGE_VAL);
    EXPECT_EQ(display->Peak(0), -999.0);
    graphics->DrawArea(Rect(0, 0, 800, 600));
    graphics->DrawArea(Rect(0, 0, 800, 600));
    // Further silence changes nothing and asks for no redraw.
    EXPECT_EQ(kestrune::ShowBandLevels(*display, silence, 31), 0);
    EXPECT_FALSE(display->IsMarkedDirty());
    const double nan[31] = {std::nan("")};
    EXPECT_EQ(kestrune::ShowBandLevels(*display, nan, 1), 1);
    EXPECT_EQ(kestrune::ShowBandLevels(*display, nan, 1), 1); // NaN never equals the stored one
}

TEST_F(ProductEditor, DisabledAnalyserKeepsItsLevels)
{
    Prepare();
    SetFromHost(kParamDisableAnalyzer, 1.0);
    RenderSine(1000.0, 0.5);
    EXPECT_EQ(Display()->Level(17), -120.0);
    SetFromHost(kParamDisableAnalyzer, 0.0);
    EXPECT_FALSE(Display()->IsGrayed());
    RenderSine(1000.0, 0.5);
    EXPECT_GT(Display()->Level(17), -120.0);
}

TEST_F(ProductEditor, DisplayOptionsFromParameters)
{
    struct Case
    {
        double value;
        int dbPerLed;
    };
    const Case cases[] = {{0.0, 1}, {1.0, 2}, {1.5, 2}, {2.0, 3}, {3.0, 6}};
    for (const Case& c : cases)
    {
        plug->Param(kParamAnalyzerDbPerLed)->SetClamped(c.value);
        plug->OnParameterChanged(kParamAnalyzerDbPerLed, ParameterChangeSource::Host);
        EXPECT_EQ(Display()->DbPerLed(), c.dbPerLed) << c.value;
    }
    SetFromHost(kParamEnablePeakDisplay, 1.0);
    EXPECT_TRUE(Display()->PeakDisplay());
    SetFromHost(kParamEnablePeakDisplay, 0.0);
    EXPECT_FALSE(Display()->PeakDisplay());
}

TEST_F(ProductEditor, BypassGreysTheBandControls)
{
    SetFromHost(kParamBypassEq, 1.0);
    for (int b = 0; b < 31; ++b)
    {
        EXPECT_TRUE(Control(32 + b)->IsGrayed()) << b;
        EXPECT_TRUE(Control(63 + b)->IsGrayed()) << b;
    }
    EXPECT_FALSE(Display()->IsGrayed());
    SetFromHost(kParamBypassEq, 0.0);
    for (int b = 0; b < 31; ++b)
        EXPECT_FALSE(Control(32 + b)->IsGrayed()) << b;
}

// At 16 kHz bands 26 (8 kHz) to 30 cannot be equalised: their faders and value boxes are greyed
// whatever "Bypass EQ" does, and come back at a rate that carries them.
TEST_F(ProductEditor, BandsTheRateDoesNotCarryAreGreyed)
{
    Prepare(16000.0);
    for (double bypass : {0.0, 1.0, 0.0})
    {
        SetFromHost(kParamBypassEq, bypass);
        for (int b = 0; b < 31; ++b)
        {
            const bool greyed = b >= 26 || bypass == 1.0;
            EXPECT_EQ(Control(32 + b)->IsGrayed(), greyed) << b;
            EXPECT_EQ(Control(63 + b)->IsGrayed(), greyed) << b;
        }
    }
    Prepare(44100.0);
    for (int b = 0; b < 31; ++b)
        EXPECT_FALSE(Control(32 + b)->IsGrayed()) << b;
}

TEST_F(ProductEditor, AutoEqModeGreysTheCompensationSelector)
{
    IControl* compensation = Control(28);
    SetFromHost(kParamAutoEq, 0.0);
    EXPECT_TRUE(compensation->IsGrayed());
    SetFromHost(kParamAutoEq, 2.0);
    EXPECT_FALSE(compensation->IsGrayed());
    SetFromHost(kParamAutoEq, 1.0);
    EXPECT_FALSE(compensation->IsGrayed());
}

TEST_F(ProductEditor, RestoredStaticShowsOffAndGreys)
{
    SetFromHost(kParamAutoEq, 1.0);
    StateChunk chunk;
    ASSERT_TRUE(plug->SerializeState(chunk));
    std::unique_ptr<VantorKestrune> other{CreatePlugin()};
    other->DeserializeState(chunk, 0);
    auto* otherGraphics = dynamic_cast<IGraphics*>(other->Editor());
    EXPECT_EQ(other->Param(kParamAutoEq)->Value(), 0.0);
    EXPECT_DOUBLE_EQ(otherGraphics->ControlAt(12)->GetValue(), 0.0);
    EXPECT_TRUE(otherGraphics->ControlAt(28)->IsGrayed());
    otherGraphics->MarkAllControlsDirty();
    otherGraphics->DrawArea(Rect(0, 0, 800, 600));
    EXPECT_EQ(As<ICairoDropdown>(otherGraphics->ControlAt(12)).ValueText(), "Off ");
}

TEST_F(ProductEditor, EqAmountMovesFadersWhileAutoEqIsOff)
{
    SetFromHost(kParamEqAmount, 50.0);
    SetFromHost(kParamGain0 + 3, 6.0);
    SetFromHost(kParamEqAmount, 100.0);
    EXPECT_DOUBLE_EQ(plug->Param(3)->Value(), 12.0);
    EXPECT_DOUBLE_EQ(Control(32 + 3)->GetValue(), plug->Param(3)->ToNormalized(12.0));
    EXPECT_DOUBLE_EQ(Control(63 + 3)->GetValue(), plug->Param(3)->ToNormalized(12.0));
}

TEST_F(ProductEditor, ResetEqMovesEveryFaderToZero)
{
    SetFromHost(kParamGain0 + 7, -9.0);
    SetFromHost(kParamResetEq, 1.0);
    EXPECT_DOUBLE_EQ(Control(32 + 7)->GetValue(), 0.5);
    EXPECT_DOUBLE_EQ(Control(63 + 7)->GetValue(), 0.5);
}

TEST_F(ProductEditor, AutoEqWriteBackMovesTheFaders)
{
    Prepare();
    SetFromHost(kParamAutoEq, 2.0);
    for (int i = 0; i < 60; ++i)
        RenderSine(1000.0, 0.5);
    bool anyMoved = false;
    for (int b = 0; b < 31; ++b)
    {
        const double expected = plug->Param(b)->Normalized();
        EXPECT_DOUBLE_EQ(Control(32 + b)->GetValue(), expected) << b;
        anyMoved = anyMoved || expected != 0.5;
    }
    EXPECT_TRUE(anyMoved);
}

TEST_F(ProductEditor, CustomCurveEditedWithAFaderBecomesItsMarker)
{
    SetFromHost(kParamAutoEqCompensation, 2.0);
    SetFromHost(kParamAutoEq, 2.0);
    EXPECT_TRUE(CustomCompensationEditing.load());
    auto* fader = dynamic_cast<ICairoFader*>(Control(32 + 5));
    plug->SetParameterFromGUI(5, plug->Param(5)->ToNormalized(4.5));
    EXPECT_DOUBLE_EQ(fader->CompensationMarker(), 4.5);
    // A host change does not touch the curve.
    SetFromHost(5, -2.0);
    EXPECT_DOUBLE_EQ(fader->CompensationMarker(), 4.5);

    // A restored document hands its curve to the faders.
    StateChunk chunk;
    ASSERT_TRUE(plug->SerializeState(chunk));
    std::unique_ptr<VantorKestrune> other{CreatePlugin()};
    other->DeserializeState(chunk, 0);
    auto* otherGraphics = dynamic_cast<IGraphics*>(other->Editor());
    EXPECT_DOUBLE_EQ(As<ICairoFader>(otherGraphics->ControlAt(37)).CompensationMarker(), 4.5);
    SetFromHost(kParamAutoEq, 0.0);
    other->Param(kParamAutoEq)->SetClamped(0.0);
    other->OnParameterChanged(kParamAutoEq, ParameterChangeSource::Host);
    EXPECT_FALSE(CustomCompensationEditing.load());
}

TEST_F(ProductEditor, HoverReachesTheDisplay)
{
    EXPECT_TRUE(graphics->DispatchMouseOver(40, 100, {}));
    EXPECT_EQ(Display()->HoverX(), 40);
    graphics->DispatchMouseOver(400, 560, {}); // onto a knob: the display gets a mouse-out
    EXPECT_EQ(Display()->HoverX(), -1);
}

namespace
{

// Two products side by side: one that renders audio throughout, one that renders nothing
// while its curve is edited.
struct CurveEditing : ::testing::Test
{
    std::unique_ptr<VantorKestrune> withAudio{CreatePlugin()};
    std::unique_ptr<VantorKestrune> silent{CreatePlugin()};

    static IGraphics& GraphicsOf(VantorKestrune& plug)
    {
        return *dynamic_cast<IGraphics*>(plug.Editor());
    }

    static void Prepare(VantorKestrune& plug)
    {
        plug.SetHostSampleRate(48000.0);
        plug.SetHostBlockSize(512);
        plug.ResetProcessing();
        for (const auto& [index, value] :
             {std::pair{kParamAutoEqCompensation, 2.0}, std::pair{kParamAutoEq, 1.0}})
            plug.SetParameterFromHost(index, plug.Param(index)->ToNormalized(value));
    }

    // A steady mix of three tones, the same every block.
    static void Render(VantorKestrune& plug)
    {
        std::vector<float> left(512), right(512);
        for (int i = 0; i < 512; ++i)
        {
            const double t = i / 48000.0;
            left[static_cast<size_t>(i)] = static_cast<float>(
                0.3 * std::sin(2 * M_PI * 375.0 * t) + 0.1 * std::sin(2 * M_PI * 3000.0 * t));
            right[static_cast<size_t>(i)] = left[static_cast<size_t>(i)];
        }
        std::vector<float> outL(512), outR(512);
        float* in[2] = {left.data(), right.data()};
        float* out[2] = {outL.data(), outR.data()};
        plug.RenderBlock(in, 2, out, 2, 512, false);
    }

    static void Frame(IGraphics& graphics)
    {
        Rect area;
        if (graphics.CollectDirtyArea(area))
            graphics.DrawArea(area);
    }

    // Band 13 (400 Hz) measures the 375 Hz tone, so the Auto EQ gives it a gain.
    static constexpr int kBand = 13;

    // Presses the band's fader, drags it 60 pixels up over a few frames and lets go; the
    // product with audio renders a block between the steps.
    void DragBand(VantorKestrune& plug, bool audio)
    {
        IGraphics& graphics = GraphicsOf(plug);
        const Rect& rect = graphics.ControlAt(plug.FaderControlIndices()[kBand])->GetTargetRect();
        const int x = (rect.left + rect.right) / 2;
        int y = (rect.top + rect.bottom) / 2;
        graphics.DispatchMouseDown(x, y, {true, false, false, false, false});
        for (int step = 0; step < 4; ++step)
        {
            graphics.MarkAllControlsDirty();
            Frame(graphics);
            if (audio)
                Render(plug);
            y -= 15;
            graphics.DispatchMouseDrag(x, y, {true, false, false, false, false});
        }
        graphics.DispatchMouseUp(x, y, {});
    }

    static void ExpectGainsShownAsApplied(VantorKestrune& plug)
    {
        IGraphics& graphics = GraphicsOf(plug);
        for (int band = 0; band < kBandCount; ++band)
        {
            const double gain = plug.Param(BandGainParam(band))->Value();
            EXPECT_DOUBLE_EQ(gain, std::clamp(plug.Engine().bandGains[band], -15.0, 15.0))
                << "band " << band;
        }
        // Every control bound to a band gain, the faders and their value boxes.
        for (int i = 0; i < graphics.ControlCount(); ++i)
        {
            const int index = graphics.ControlAt(i)->ParamIndex();
            if (IsBandGainParam(index))
            {
                EXPECT_DOUBLE_EQ(graphics.ControlAt(i)->GetValue(), plug.Param(index)->Normalized())
                    << "control " << i << ", parameter " << index;
            }
        }
    }
};

} // namespace

// Dragging a fader while the Auto EQ runs with the custom curve edits the curve, with or
// without audio: both end with the same curve, the gains in force stay what the Auto EQ made
// them (without audio: what they were), and every parameter and fader shows them once the drag
// ends; no curve value is left behind as a gain.
TEST_F(CurveEditing, GivesTheSameGainsAndCurveWithAndWithoutAudio)
{
    for (VantorKestrune* plug : {withAudio.get(), silent.get()})
    {
        Prepare(*plug);
        for (int block = 0; block < 40; ++block)
            Render(*plug);
    }
    ASSERT_EQ(withAudio->Engine().bandGains, silent->Engine().bandGains);
    const auto gainsBefore = silent->Engine().bandGains;

    DragBand(*withAudio, true);
    DragBand(*silent, false);

    EXPECT_GT(silent->Engine().customCurve[kBand], 3.0);
    EXPECT_EQ(silent->Engine().customCurve, withAudio->Engine().customCurve);
    EXPECT_EQ(silent->Engine().bandGains, gainsBefore) << "no audio: nothing applied the curve";
    ExpectGainsShownAsApplied(*silent);
    EXPECT_FALSE(FaderDragActive.load());

    // Audio goes on: the Auto EQ applies the edited curve, and the faders follow the gains.
    const double silentBandGain = silent->Engine().bandGains[kBand];
    for (int block = 0; block < 4; ++block)
    {
        Render(*withAudio);
        Render(*silent);
    }
    ExpectGainsShownAsApplied(*withAudio);
    ExpectGainsShownAsApplied(*silent);
    EXPECT_NE(silent->Engine().bandGains[kBand], silentBandGain);
    for (VantorKestrune* plug : {withAudio.get(), silent.get()})
        plug->SetParameterFromHost(kParamAutoEq, 0.0);
}
