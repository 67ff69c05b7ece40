// The editor in a real X11 window under a private Xvfb, driven by XTest input, checked by
// reading pixels back from the server.
#include <gtest/gtest.h>

#include "tests/x11/X11TestSupport.h"

#include "graphics/x11/X11Menu.h" // after the project headers: it brings in Xlib

#include <memory>

namespace
{

constexpr int kWidth = 300;
constexpr int kHeight = 200;
constexpr Rect kKnobRect{20, 20, 80, 120};
constexpr Rect kMenuRect{120, 20, 200, 44};
constexpr Rect kProbeRect{220, 20, 280, 80};
constexpr std::uint32_t kBackground = 0x001e28;

class X11WindowTest : public ::testing::Test
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
        plug = std::make_unique<X11TestPlug>();
        editor = new IGraphicsX11(plug.get(), kWidth, kHeight, 30);
        editor->SetHandleMouseOver(true);
        editor->SetShowTooltips(true);
        background = Add(new SwatchControl(plug.get(), Rect(0, 0, kWidth, kHeight), -1, 30, 40));
        knob = Add(new SwatchControl(plug.get(), kKnobRect, X11TestPlug::kGain, 0, 200));
        knob->SetPromptDisabled(false);
        knob->SetTooltip("Gain knob");
        menuBox = Add(new SwatchControl(plug.get(), kMenuRect, X11TestPlug::kIntegration, 200, 0));
        menuBox->SetPromptDisabled(false);
        probe = Add(new SwatchControl(plug.get(), kProbeRect, -1, 100, 100));
        plug->AttachEditor(editor);
        thread = std::make_unique<EditorThread>(*editor);
    }

    void TearDown() override
    {
        if (thread)
        {
            thread->Run([this] { editor->CloseEditorWindow(); });
            thread->Stop();
        }
        plug.reset(); // deletes the editor
        client.reset();
    }

    SwatchControl* Add(SwatchControl* control)
    {
        editor->AddControl(control);
        return control;
    }

    void Open(Window parent = 0)
    {
        void* native = thread->Run(
            [this, parent] { return editor->OpenEditorWindow(reinterpret_cast<void*>(parent)); });
        ASSERT_NE(native, nullptr);
        ASSERT_TRUE(WaitUntil([this] { return ScreenPixel(50, 70) == knob->Colour(); }))
            << std::hex << ScreenPixel(50, 70);
    }

    // Editor coordinates to screen coordinates.
    void ToScreen(int x, int y, int& screenX, int& screenY)
    {
        const auto window = static_cast<Window>(editor->XWindow());
        client->Origin(window, screenX, screenY);
        screenX += x;
        screenY += y;
    }
    std::uint32_t ScreenPixel(int x, int y)
    {
        int sx = 0;
        int sy = 0;
        ToScreen(x, y, sx, sy);
        return client->Pixel(sx, sy);
    }
    void MoveTo(int x, int y)
    {
        int sx = 0;
        int sy = 0;
        ToScreen(x, y, sx, sy);
        client->MoveTo(sx, sy);
    }
    void ClickAt(int x, int y, unsigned button)
    {
        MoveTo(x, y);
        client->Click(button);
    }
    bool KnobSaw(const std::string& what)
    {
        return thread->Run([this, what] { return knob->Saw(what); });
    }
    double Gain() const { return plug->Param(X11TestPlug::kGain)->Value(); }

    std::unique_ptr<XClient> client;
    std::unique_ptr<X11TestPlug> plug;
    IGraphicsX11* editor = nullptr;
    SwatchControl* background = nullptr;
    SwatchControl* knob = nullptr;
    SwatchControl* menuBox = nullptr;
    SwatchControl* probe = nullptr;
    std::unique_ptr<EditorThread> thread;
};

class X11PresentTest : public X11WindowTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(X11PresentTest, WindowShowsTheBackingBitmap)
{
    IGraphicsX11::SetShmAllowed(GetParam());
    Open();
    IGraphicsX11::SetShmAllowed(true);
    EXPECT_EQ(editor->UsesShm(), GetParam());
    EXPECT_EQ(IGraphicsX11::OpenWindowCount(), 1);
    EXPECT_EQ(ScreenPixel(5, 5), kBackground);
    EXPECT_EQ(ScreenPixel(kWidth - 1, kHeight - 1), kBackground);
    EXPECT_EQ(ScreenPixel(kKnobRect.left, kKnobRect.top), SwatchControl::ColourFor(0.5, 0, 200));
    EXPECT_EQ(ScreenPixel(kMenuRect.right - 1, kMenuRect.bottom - 1),
              SwatchControl::ColourFor(1.0 / 3.0, 200, 0));

    // A value change from the parameter side shows at a following tick.
    thread->Run([this] { editor->UpdateControlsForParameter(X11TestPlug::kGain, 1.0, true); });
    EXPECT_TRUE(WaitUntil([this] { return ScreenPixel(50, 70) == 0xff00c8; }));

    thread->Run([this] { editor->CloseEditorWindow(); });
    EXPECT_EQ(IGraphicsX11::OpenWindowCount(), 0);
    EXPECT_EQ(editor->NativeWindow(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(ShmAndPutImage, X11PresentTest, ::testing::Values(true, false));

TEST_F(X11WindowTest, ChildWindowReopensInPlaceWithItsValues)
{
    Window parent = XCreateSimpleWindow(client->Get(), client->Root(), 0, 0, 500, 400, 0, 0, 0);
    XMapWindow(client->Get(), parent);
    XSync(client->Get(), False);
    Open(parent);
    XMoveWindow(client->Get(), static_cast<Window>(editor->XWindow()), 30, 40);
    XSync(client->Get(), False);
    thread->Run([this] { editor->UpdateControlsForParameter(X11TestPlug::kGain, 0.75, true); });

    Open(parent); // replaces the open window
    EXPECT_EQ(IGraphicsX11::OpenWindowCount(), 1);
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(client->Get(), static_cast<Window>(editor->XWindow()), parent, 0, 0, &x,
                          &y, &child);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
    EXPECT_EQ(ScreenPixel(50, 70), SwatchControl::ColourFor(0.75, 0, 200));

    thread->Run([this] { editor->CloseEditorWindow(); });
    Open(parent);
    EXPECT_EQ(ScreenPixel(50, 70), SwatchControl::ColourFor(0.75, 0, 200));
    thread->Run([this] { editor->CloseEditorWindow(); });
    XDestroyWindow(client->Get(), parent);
    XSync(client->Get(), False);
}

TEST_F(X11WindowTest, TwoEditorsInOneProcessHaveTheirOwnWindows)
{
    X11TestPlug secondPlug;
    auto* second = new IGraphicsX11(&secondPlug, 120, 80, 30);
    auto* swatch = new SwatchControl(&secondPlug, Rect(0, 0, 120, 80), X11TestPlug::kGain, 50, 0);
    second->AddControl(swatch);
    secondPlug.AttachEditor(second);
    EditorThread secondThread(*second);

    Open();
    void* secondWindow = secondThread.Run([second] { return second->OpenEditorWindow(nullptr); });
    ASSERT_NE(secondWindow, nullptr);
    EXPECT_NE(secondWindow, editor->NativeWindow());
    EXPECT_EQ(IGraphicsX11::OpenWindowCount(), 2);
    XMoveWindow(client->Get(), static_cast<Window>(second->XWindow()), 600, 600);
    XSync(client->Get(), False);

    thread->Run([this] { editor->CloseEditorWindow(); });
    EXPECT_EQ(IGraphicsX11::OpenWindowCount(), 1);
    secondThread.Run([second]
                     { second->UpdateControlsForParameter(X11TestPlug::kGain, 1.0, true); });
    EXPECT_TRUE(WaitUntil([this] { return client->Pixel(610, 610) == 0xff3200; }))
        << std::hex << client->Pixel(610, 610);
    secondThread.Run([second] { second->CloseEditorWindow(); });
    EXPECT_EQ(IGraphicsX11::OpenWindowCount(), 0);
    secondThread.Stop();
}

TEST_F(X11WindowTest, DragKeepsReachingThePressedControlOutsideTheWindow)
{
    Open();
    MoveTo(50, 100);
    client->Button(1, true);
    MoveTo(50, 85);
    MoveTo(50, 70);
    MoveTo(kWidth + 40, 70); // outside: horizontal moves do not change a vertical knob
    client->Button(1, false);
    // Up 30 pixels over a 100-pixel target at gearing 1: +0.3.
    ASSERT_TRUE(WaitUntil([this] { return KnobSaw("up"); }));
    EXPECT_NEAR(knob->GetValue(), 0.8, 1e-9);
    EXPECT_NEAR(Gain(), 9.0, 1e-9);
    EXPECT_EQ(plug->GestureCount(IPlugHeadless::HostEvent::Kind::BeginGesture), 1);
    EXPECT_EQ(plug->GestureCount(IPlugHeadless::HostEvent::Kind::EndGesture), 1);
    EXPECT_TRUE(WaitUntil([this] { return ScreenPixel(50, 70) == knob->Colour(); }));
}

TEST_F(X11WindowTest, QuickSecondClickIsADoubleClickAndWheelTurnsTheKnob)
{
    Open();
    ClickAt(50, 70, 4); // wheel up: one notch
    ASSERT_TRUE(WaitUntil([this] { return KnobSaw("wheel1"); }));
    EXPECT_NEAR(knob->GetValue(), 0.51, 1e-9);
    client->Click(5);
    ASSERT_TRUE(WaitUntil([this] { return KnobSaw("wheel-1"); }));
    EXPECT_NEAR(knob->GetValue(), 0.5, 1e-9);

    thread->Run([this] { knob->ApplyUserValue(0.9); });
    client->Click(1);
    client->Click(1);
    ASSERT_TRUE(WaitUntil([this] { return KnobSaw("double"); }));
    EXPECT_NEAR(knob->GetValue(), 0.5, 1e-9) << "double-click restores the default";
}

TEST_F(X11WindowTest, HoverShowsTheTooltipAndLeavingTheWindowClearsIt)
{
    Open();
    MoveTo(5, 5);
    MoveTo(50, 70);
    ASSERT_TRUE(WaitUntil([this] { return KnobSaw("over"); }));
    ASSERT_TRUE(
        WaitUntil([this] { return thread->Run([this] { return editor->TooltipWindow(); }) != 0; }));
    EXPECT_EQ(thread->Run([this] { return editor->TooltipText(); }), "Gain knob");

    MoveTo(kWidth + 50, kHeight + 50);
    ASSERT_TRUE(WaitUntil([this] { return KnobSaw("out"); }));
    EXPECT_EQ(thread->Run([this] { return editor->TooltipWindow(); }), 0u);
    EXPECT_EQ(thread->Run([this] { return editor->MouseOverIndex(); }), -1);
}

TEST_F(X11WindowTest, ClickClearsTheTooltip)
{
    Open();
    MoveTo(50, 70);
    ASSERT_TRUE(
        WaitUntil([this] { return thread->Run([this] { return editor->TooltipWindow(); }) != 0; }));
    client->Click(1);
    EXPECT_TRUE(
        WaitUntil([this] { return thread->Run([this] { return editor->TooltipWindow(); }) == 0; }));
}

// The popup menu window hangs from the anchor's lower-left corner; row i of it starts at
// border + i rows.
struct MenuFixture
{
    Window window = 0;
    int x = 0;
    int y = 0;
    int RowCentreY(int row) const
    {
        return y + kestrune::x11::kMenuBorderPx + row * kestrune::x11::kMenuRowHeightPx +
               kestrune::x11::kMenuRowHeightPx / 2;
    }
};

TEST_F(X11WindowTest, PopupMenuShowsTheCheckedTextAndChoosesAnItem)
{
    Open();
    ClickAt(150, 30, 3);
    MenuFixture menu;
    ASSERT_TRUE(WaitUntil([&] { return !client->Popups().empty(); }));
    menu.window = client->Popups().front();
    client->Origin(menu.window, menu.x, menu.y);
    int anchorX = 0;
    int anchorY = 0;
    ToScreen(kMenuRect.left, kMenuRect.bottom, anchorX, anchorY);
    EXPECT_EQ(menu.x, anchorX);
    EXPECT_EQ(menu.y, anchorY);
    int menuWidth = 0;
    int menuHeight = 0;
    client->Geometry(menu.window, menuWidth, menuHeight);
    EXPECT_EQ(menuHeight, 4 * kestrune::x11::kMenuRowHeightPx + 2 * kestrune::x11::kMenuBorderPx);

    // The check mark is drawn in the gutter of "1s" (row 1) only.
    auto darkInGutter = [&](int row)
    {
        int dark = 0;
        const int top = menu.RowCentreY(row) - kestrune::x11::kMenuRowHeightPx / 2;
        for (int y = top + 4; y < top + 16; ++y)
        {
            for (int x = menu.x + 4; x < menu.x + 18; ++x)
            {
                dark += (client->Pixel(x, y) & 0xff) < 0x60 ? 1 : 0;
            }
        }
        return dark;
    };
    EXPECT_GT(darkInGutter(1), 5);
    EXPECT_EQ(darkInGutter(0), 0);
    EXPECT_EQ(darkInGutter(3), 0);

    client->MoveTo(menu.x + 30, menu.RowCentreY(3));
    client->Click(1);
    ASSERT_TRUE(
        WaitUntil([this] { return plug->Param(X11TestPlug::kIntegration)->Value() == 3.0; }));
    EXPECT_TRUE(WaitUntil([&] { return client->Popups().empty(); }));
    // The click that opened the menu ends as a whole click: the host gesture is closed.
    EXPECT_EQ(plug->GestureCount(IPlugHeadless::HostEvent::Kind::BeginGesture),
              plug->GestureCount(IPlugHeadless::HostEvent::Kind::EndGesture));
}

TEST_F(X11WindowTest, PopupMenuDismissedOutsideChangesNothing)
{
    Open();
    ClickAt(150, 30, 3);
    ASSERT_TRUE(WaitUntil([&] { return !client->Popups().empty() && client->PointerGrabbed(); }));
    client->MoveTo(900, 900);
    client->Click(1);
    ASSERT_TRUE(WaitUntil([&] { return client->Popups().empty(); }));
    EXPECT_EQ(plug->Param(X11TestPlug::kIntegration)->Value(), 1.0);
    thread->Run([] {}); // the menu loop has returned
    EXPECT_EQ(plug->GestureCount(IPlugHeadless::HostEvent::Kind::BeginGesture),
              plug->GestureCount(IPlugHeadless::HostEvent::Kind::EndGesture));
}

class X11TextEntryTest : public X11WindowTest
{
protected:
    void OpenEntry()
    {
        ClickAt(50, 70, 3);
        ASSERT_TRUE(WaitUntil(
            [this] { return thread->Run([this] { return editor->TextBoxWindow(); }) != 0; }));
    }
    std::string BoxText()
    {
        return thread->Run([this] { return editor->TextBox().Text(); });
    }
    bool EntryClosed()
    {
        return thread->Run(
            [this] { return !editor->TextEntry().IsOpen() && editor->TextBoxWindow() == 0; });
    }
};

TEST_F(X11TextEntryTest, EnterAppliesTheTypedNumberAndLettersCannotBeTyped)
{
    Open();
    OpenEntry();
    EXPECT_EQ(BoxText(), "0.0") << "the box opens with the value's text";
    client->Type("12.5x");
    ASSERT_TRUE(WaitUntil([this] { return BoxText() == "12.5"; })) << BoxText();
    client->Key(XK_Return);
    ASSERT_TRUE(WaitUntil([this] { return EntryClosed(); }));
    EXPECT_NEAR(Gain(), 12.5, 1e-9);
    EXPECT_TRUE(WaitUntil([this] { return ScreenPixel(50, 70) == knob->Colour(); }));
}

TEST_F(X11TextEntryTest, TextIsLimitedToTheControlsEntryLength)
{
    Open();
    OpenEntry();
    client->Type("1234567890");
    ASSERT_TRUE(WaitUntil([this] { return BoxText().size() == 7; }));
    EXPECT_EQ(BoxText(), "1234567");
    client->Key(XK_Escape);
    EXPECT_TRUE(WaitUntil([this] { return EntryClosed(); }));
}

TEST_F(X11TextEntryTest, EscapeAndWheelCancel)
{
    Open();
    for (const bool byWheel : {false, true})
    {
        OpenEntry();
        client->Type("7");
        ASSERT_TRUE(WaitUntil([this] { return BoxText() == "7"; }));
        if (byWheel)
        {
            MoveTo(250, 150);
            client->Click(4);
        }
        else
        {
            client->Key(XK_Escape);
        }
        ASSERT_TRUE(WaitUntil([this] { return EntryClosed(); })) << byWheel;
        EXPECT_EQ(Gain(), 0.0) << byWheel;
    }
}

TEST_F(X11TextEntryTest, ClickElsewhereCommitsAndReachesNoControl)
{
    Open();
    OpenEntry();
    client->Type("-3");
    ASSERT_TRUE(WaitUntil([this] { return BoxText() == "-3"; }));
    ClickAt(250, 50, 1); // on the probe control
    ASSERT_TRUE(WaitUntil([this] { return EntryClosed(); }));
    EXPECT_NEAR(Gain(), -3.0, 1e-9);
    EXPECT_FALSE(thread->Run([this] { return probe->Saw("down") || probe->Saw("up"); }));
}

TEST_F(X11TextEntryTest, ClosingTheWindowEndsTheEntryWithoutApplyingIt)
{
    Open();
    OpenEntry();
    client->Type("5");
    ASSERT_TRUE(WaitUntil([this] { return BoxText() == "5"; }));
    thread->Run([this] { editor->CloseEditorWindow(); });
    EXPECT_TRUE(EntryClosed());
    EXPECT_EQ(Gain(), 0.0);

    Open();
    OpenEntry(); // a new prompt opens a new box
    client->Type("4");
    client->Key(XK_Return);
    ASSERT_TRUE(WaitUntil([this] { return EntryClosed(); }));
    EXPECT_NEAR(Gain(), 4.0, 1e-9);
}

TEST_F(X11WindowTest, UnhandledKeysGoToTheHostWindow)
{
    Window host = XCreateSimpleWindow(client->Get(), client->Root(), 0, 0, 500, 400, 0, 0, 0);
    XSelectInput(client->Get(), host, KeyPressMask | KeyReleaseMask);
    XMapWindow(client->Get(), host);
    XSync(client->Get(), False);
    Open(host);
    ClickAt(5, 5, 1); // focus to the editor, pointer over the background
    client->Key(XK_a);
    XEvent event{};
    ASSERT_TRUE(WaitUntil(
        [&] { return XCheckTypedWindowEvent(client->Get(), host, KeyPress, &event) != 0; }));
    EXPECT_TRUE(event.xkey.send_event);
    EXPECT_EQ(XLookupKeysym(&event.xkey, 0), static_cast<KeySym>(XK_a));
    thread->Run([this] { editor->CloseEditorWindow(); });
    XDestroyWindow(client->Get(), host);
    XSync(client->Get(), False);
}

} // namespace
