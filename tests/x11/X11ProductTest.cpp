// The product's editor in a real X11 window under a private Xvfb: the full layout, driven by
// XTest input, with pixels read back from the server.
#include <gtest/gtest.h>

#include <algorithm>

#include "graphics/IGraphicsOffscreen.h"
#include "graphics/PlatformGraphics.h"
#include "plugin/Parameters.h"
#include "plugin/VantorKestrune.h"
#include "tests/x11/X11TestSupport.h"

#include "graphics/x11/X11Menu.h" // after the project headers: it brings in Xlib

#include <memory>

namespace
{

constexpr int kBand = 10;

class X11ProductTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!XvfbServer::Instance().Start())
        {
            GTEST_SKIP() << "Xvfb is not installed";
        }
        client = std::make_unique<XClient>();
        ASSERT_NE(client->Get(), nullptr);
        UseX11Graphics();
        plugin.reset(CreatePlugin());
        editor = dynamic_cast<IGraphicsX11*>(plugin->Editor());
        ASSERT_NE(editor, nullptr);
        thread = std::make_unique<EditorThread>(*editor);
        Open();
    }

    void TearDown() override
    {
        if (thread)
        {
            thread->Run([this] { editor->CloseEditorWindow(); });
            thread->Stop();
        }
        plugin.reset();
        client.reset();
    }

    void Open()
    {
        ASSERT_NE(thread->Run([this] { return editor->OpenEditorWindow(nullptr); }), nullptr);
        // The first tick draws everything: wait until the screen shows the backing bitmap.
        ASSERT_TRUE(WaitUntil([this] { return Screenshot() == BackingPixels(); }));
    }

    // Controls by their bound parameter; the first one found from the top of the list.
    IControl* ControlFor(int paramIndex, const IControl* except = nullptr) const
    {
        for (int i = editor->ControlCount() - 1; i >= 0; --i)
        {
            IControl* control = editor->ControlAt(i);
            if (control->ParamIndex() == paramIndex && control != except)
            {
                return control;
            }
        }
        return nullptr;
    }

    std::vector<std::uint32_t> Screenshot(const Rect& area = Rect(0, 0, 800, 600))
    {
        std::vector<std::uint32_t> pixels;
        XImage* image = XGetImage(client->Get(), static_cast<Window>(editor->XWindow()), area.left,
                                  area.top, static_cast<unsigned>(area.Width()),
                                  static_cast<unsigned>(area.Height()), AllPlanes, ZPixmap);
        if (image == nullptr)
        {
            return pixels;
        }
        for (int y = 0; y < area.Height(); ++y)
        {
            for (int x = 0; x < area.Width(); ++x)
            {
                pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xffffffu);
            }
        }
        XDestroyImage(image);
        return pixels;
    }

    std::vector<std::uint32_t> BackingPixels()
    {
        return thread->Run([this] { return Pixels(*editor->BackingBitmap()); });
    }

    static std::vector<std::uint32_t> Pixels(LICE_IBitmap& bitmap)
    {
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < bitmap.Height(); ++y)
        {
            for (int x = 0; x < bitmap.Width(); ++x)
            {
                pixels.push_back(bitmap.Bits()[y * bitmap.RowSpan() + x] & 0xffffffu);
            }
        }
        return pixels;
    }

    void ToScreen(int x, int y, int& screenX, int& screenY)
    {
        client->Origin(static_cast<Window>(editor->XWindow()), screenX, screenY);
        screenX += x;
        screenY += y;
    }
    void MoveTo(int x, int y)
    {
        int sx = 0;
        int sy = 0;
        ToScreen(x, y, sx, sy);
        client->MoveTo(sx, sy);
    }
    static int CentreX(const Rect& r) { return (r.left + r.right) / 2; }
    static int CentreY(const Rect& r) { return (r.top + r.bottom) / 2; }
    double Value(int paramIndex) const { return plugin->Param(paramIndex)->Value(); }

    // What the host heard from the editor: every change inside a begin/end pair of its
    // parameter, every end after its begin, nothing left open. Read on the editor's thread.
    void ExpectGesturesBalanced()
    {
        using Kind = IPlugHeadless::HostEvent::Kind;
        const auto events = thread->Run([&] { return plugin->HostEvents(); });
        std::vector<int> open;
        for (const auto& event : events)
        {
            const auto found = std::find(open.begin(), open.end(), event.index);
            if (event.kind == Kind::BeginGesture)
            {
                EXPECT_EQ(found, open.end()) << "begin of " << event.index << " while open";
                open.push_back(event.index);
            }
            else if (found == open.end())
            {
                ADD_FAILURE() << (event.kind == Kind::Change ? "change" : "end") << " of "
                              << event.index << " outside its gesture";
            }
            else if (event.kind == Kind::EndGesture)
            {
                open.erase(found);
            }
        }
        EXPECT_TRUE(open.empty()) << open.size() << " gestures left open";
        EXPECT_FALSE(events.empty());
    }

    std::unique_ptr<XClient> client;
    std::unique_ptr<VantorKestrune> plugin;
    IGraphicsX11* editor = nullptr;
    std::unique_ptr<EditorThread> thread;
};

TEST_F(X11ProductTest, WindowShowsTheSamePictureAsTheOffscreenRender)
{
    SetPlatformGraphicsFactory(nullptr);
    std::unique_ptr<VantorKestrune> offscreenPlugin(CreatePlugin());
    UseX11Graphics();
    auto* offscreen = dynamic_cast<IGraphicsOffscreen*>(offscreenPlugin->Editor());
    ASSERT_NE(offscreen, nullptr);
    offscreen->DrawAll();
    const std::vector<std::uint32_t> expected = Pixels(*offscreen->BackingBitmap());
    const std::vector<std::uint32_t> shown = Screenshot();
    ASSERT_EQ(shown.size(), expected.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < shown.size(); ++i)
    {
        differing += shown[i] != expected[i] ? 1 : 0;
    }
    EXPECT_EQ(differing, 0u);
}

TEST_F(X11ProductTest, DraggingABandFaderChangesItsGainAndItsValueBox)
{
    IControl* fader = editor->ControlAt(plugin->FaderControlIndices()[kBand]);
    IControl* valueBox = ControlFor(kBand, fader);
    ASSERT_NE(fader, nullptr);
    ASSERT_NE(valueBox, nullptr);
    const Rect box = valueBox->GetDrawRect();
    const std::vector<std::uint32_t> boxBefore = Screenshot(box);
    const Rect track = fader->GetDrawRect();
    const int x = CentreX(track);
    const int y = CentreY(track);
    MoveTo(x, y);
    client->Button(1, true);
    MoveTo(x, y - 20);
    MoveTo(x, y - 40);
    client->Button(1, false);
    ASSERT_TRUE(WaitUntil([&] { return Value(kBand) > 1.0; })) << Value(kBand);
    EXPECT_DOUBLE_EQ(Value(kBand - 1), 0.0);
    EXPECT_DOUBLE_EQ(Value(kBand + 1), 0.0);
    EXPECT_TRUE(WaitUntil([&] { return Screenshot(box) != boxBefore; }));
    ExpectGesturesBalanced();
}

// A double-click returns a fader to its default inside a gesture of its own.
TEST_F(X11ProductTest, DoubleClickingAFaderResetsItInsideAGesture)
{
    thread->Run([&]
                { plugin->SetParameterFromGUI(kBand, plugin->Param(kBand)->ToNormalized(6.0)); });
    thread->Run([&] { plugin->ClearHostEvents(); });
    IControl* fader = editor->ControlAt(plugin->FaderControlIndices()[kBand]);
    const Rect track = fader->GetDrawRect();
    MoveTo(CentreX(track), track.bottom - 5);
    client->Click(1);
    client->Click(1);
    ASSERT_TRUE(WaitUntil([&] { return Value(kBand) == 0.0; })) << Value(kBand);
    ASSERT_TRUE(
        WaitUntil([&] { return thread->Run([&] { return plugin->HostEvents().size(); }) >= 3; }));
    ExpectGesturesBalanced();
}

TEST_F(X11ProductTest, IntegrationTimeMenuShowsOneSecondCheckedAndChoosesFourSeconds)
{
    IControl* dropdown = ControlFor(kParamIntegrationTime);
    ASSERT_NE(dropdown, nullptr);
    const Rect rect = dropdown->GetDrawRect();
    EXPECT_EQ(Value(kParamIntegrationTime), 1.0);
    MoveTo(CentreX(rect), CentreY(rect));
    client->Click(3);
    ASSERT_TRUE(WaitUntil([&] { return !client->Popups().empty() && client->PointerGrabbed(); }));
    const Window menu = client->Popups().front();
    int menuX = 0;
    int menuY = 0;
    client->Origin(menu, menuX, menuY);
    int anchorX = 0;
    int anchorY = 0;
    ToScreen(rect.left, rect.bottom, anchorX, anchorY);
    EXPECT_EQ(menuX, anchorX);
    EXPECT_EQ(menuY, anchorY);
    using namespace kestrune::x11;
    auto rowTop = [&](int row) { return menuY + kMenuBorderPx + row * kMenuRowHeightPx; };
    auto darkInGutter = [&](int row)
    {
        int dark = 0;
        for (int y = rowTop(row) + 4; y < rowTop(row) + 16; ++y)
        {
            for (int x = menuX + 4; x < menuX + 18; ++x)
            {
                dark += (client->Pixel(x, y) & 0xff) < 0x60 ? 1 : 0;
            }
        }
        return dark;
    };
    // "0.25s", "1s", "4s": the check mark stands in the gutter of "1s" only.
    EXPECT_EQ(darkInGutter(0), 0);
    EXPECT_GT(darkInGutter(1), 5);
    EXPECT_EQ(darkInGutter(2), 0);

    client->MoveTo(menuX + 30, rowTop(2) + kMenuRowHeightPx / 2);
    client->Click(1);
    ASSERT_TRUE(WaitUntil([&] { return Value(kParamIntegrationTime) == 2.0; }));
    char text[32] = {};
    plugin->Param(kParamIntegrationTime)
        ->FormatForHost(Value(kParamIntegrationTime), false, text, true, sizeof text);
    EXPECT_STREQ(text, "4s");
    ExpectGesturesBalanced();
}

TEST_F(X11ProductTest, KnobValueTextTakesTypedDecibelsAndEscapeCancels)
{
    IControl* knob = ControlFor(kParamInput);
    ASSERT_NE(knob, nullptr);
    const Rect rect = knob->GetDrawRect();
    auto openEntry = [&]
    {
        MoveTo(CentreX(rect), CentreY(rect));
        client->Click(1);
        return WaitUntil([&] { return thread->Run([&] { return editor->TextBoxWindow(); }) != 0; });
    };
    auto boxText = [&] { return thread->Run([&] { return editor->TextBox().Text(); }); };
    auto entryClosed = [&] { return thread->Run([&] { return !editor->TextEntry().IsOpen(); }); };

    ASSERT_TRUE(openEntry());
    client->Type("12.5x");
    ASSERT_TRUE(WaitUntil([&] { return boxText() == "12.5"; })) << boxText();
    client->Key(XK_Return);
    ASSERT_TRUE(WaitUntil(entryClosed));
    EXPECT_NEAR(Value(kParamInput), 12.5, 1e-9);

    std::this_thread::sleep_for(std::chrono::milliseconds(600)); // no double-click
    ASSERT_TRUE(openEntry());
    client->Type("3");
    ASSERT_TRUE(WaitUntil([&] { return boxText() == "3"; }));
    client->Key(XK_Escape);
    ASSERT_TRUE(WaitUntil(entryClosed));
    EXPECT_NEAR(Value(kParamInput), 12.5, 1e-9);

    // An emptied entry committed with Return cancels too: the knob keeps its value.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    ASSERT_TRUE(openEntry());
    client->Key(XK_BackSpace);
    ASSERT_TRUE(WaitUntil([&] { return boxText().empty(); })) << boxText();
    client->Key(XK_Return);
    ASSERT_TRUE(WaitUntil(entryClosed));
    EXPECT_NEAR(Value(kParamInput), 12.5, 1e-9);
    ExpectGesturesBalanced();
}

TEST_F(X11ProductTest, HoveringTheAnalyserShowsTheReadout)
{
    IControl* analyser = editor->ControlAt(plugin->AnalyserControlIndex());
    ASSERT_NE(analyser, nullptr);
    const Rect rect = analyser->GetDrawRect();
    const std::vector<std::uint32_t> before = Screenshot(rect);
    // Over the column of band 10 (LED centres at 36.3125 + 24.875 * band).
    const int x = static_cast<int>(36.3125 + 24.875 * kBand);
    MoveTo(x, CentreY(rect));
    EXPECT_TRUE(WaitUntil([&] { return Screenshot(rect) != before; }));
}

TEST_F(X11ProductTest, ClosingAndReopeningKeepsTheControlsValues)
{
    thread->Run(
        [this]
        {
            plugin->SetParameterFromHost(kBand, plugin->Param(kBand)->ToNormalized(6.0));
            plugin->SetParameterFromHost(kParamOutput,
                                         plugin->Param(kParamOutput)->ToNormalized(-4.5));
        });
    // A fresh window paints everything, so the screen then equals the backing bitmap.
    thread->Run([this] { editor->CloseEditorWindow(); });
    Open();
    const std::vector<std::uint32_t> before = Screenshot();
    thread->Run([this] { editor->CloseEditorWindow(); });
    EXPECT_EQ(IGraphicsX11::OpenWindowCount(), 0);
    Open();
    EXPECT_EQ(Screenshot(), before);
    EXPECT_NEAR(Value(kBand), 6.0, 1e-9);
    EXPECT_NEAR(Value(kParamOutput), -4.5, 1e-9);
}

} // namespace
