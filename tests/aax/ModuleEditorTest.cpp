// The module's editor in a host's window under a private Xvfb: opened as a child of the window
// the view container gives, drawn on the host's timer wakeups, gone when the view closes.

#include "aax/host/AaxHost.h"
#include "tests/x11/XvfbServer.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <thread>
#include <vector>

namespace
{

bool WaitUntil(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline)
    {
        if (condition())
        {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

class ModuleEditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!XvfbServer::Instance().Start())
        {
            GTEST_SKIP() << "Xvfb is not installed";
        }
        std::string error;
        module = aaxhost::Module::Load(KESTRUNE_AAX_MODULE_PATH, &error);
        ASSERT_NE(module, nullptr) << error;
        const AAX_SComponentRecord* component = module->ComponentForChannels(2);
        ASSERT_NE(component, nullptr);
        instance = std::make_unique<aaxhost::Instance>(*module, *component, 44100.0f);
        ASSERT_EQ(instance->Initialize(), AAX_SUCCESS);
        gui.reset(module->GuiFactory()());
        ASSERT_NE(gui, nullptr);
        ASSERT_EQ(gui->Initialize(instance->Effect()), AAX_SUCCESS);

        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        const int screen = DefaultScreen(display);
        hostWindow = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 800, 600, 0,
                                         BlackPixel(display, screen), BlackPixel(display, screen));
        XMapWindow(display, hostWindow);
        XSync(display, False);
    }

    void TearDown() override
    {
        gui.reset();
        instance.reset();
        module.reset();
        if (display != nullptr)
        {
            XDestroyWindow(display, hostWindow);
            XCloseDisplay(display);
        }
    }

    std::vector<Window> Children() const
    {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        std::vector<Window> found;
        if (XQueryTree(display, hostWindow, &root, &parent, &children, &count) != 0)
        {
            found.assign(children, children + count);
            XFree(children);
        }
        return found;
    }

    // Distinct colours in the editor's window: one while nothing is drawn, many after.
    std::size_t ColoursIn(Window window) const
    {
        std::set<unsigned long> colours;
        if (XImage* image = XGetImage(display, window, 0, 0, 800, 600, AllPlanes, ZPixmap))
        {
            for (int y = 0; y < 600; y += 3)
            {
                for (int x = 0; x < 800; x += 3)
                {
                    colours.insert(XGetPixel(image, x, y));
                }
            }
            XDestroyImage(image);
        }
        return colours.size();
    }

    std::unique_ptr<aaxhost::Module> module;
    std::unique_ptr<aaxhost::Instance> instance;
    std::unique_ptr<AAX_IEffectGUI> gui;
    Display* display = nullptr;
    Window hostWindow = 0;
};

TEST_F(ModuleEditorTest, OpensInsideTheHostWindowAndDrawsOnTimerWakeups)
{
    aaxhost::ViewContainer container(hostWindow);
    ASSERT_EQ(gui->SetViewContainer(&container), AAX_SUCCESS);
    std::vector<Window> children;
    ASSERT_TRUE(WaitUntil(
        [&]
        {
            children = Children();
            return children.size() == 1;
        }));
    const Window editor = children[0];
    XWindowAttributes attributes{};
    ASSERT_NE(XGetWindowAttributes(display, editor, &attributes), 0);
    EXPECT_EQ(attributes.width, 800);
    EXPECT_EQ(attributes.height, 600);
    EXPECT_EQ(attributes.map_state, IsViewable);

    // Nothing is drawn until the host's timer wakes the editor up; then its first frame draws
    // the whole editor: panels, LEDs, faders, text.
    EXPECT_LE(ColoursIn(editor), 2u);
    EXPECT_TRUE(WaitUntil(
        [&]
        {
            gui->TimerWakeup();
            return ColoursIn(editor) > 8;
        }));

    ASSERT_EQ(gui->SetViewContainer(nullptr), AAX_SUCCESS);
    EXPECT_TRUE(WaitUntil([this] { return Children().empty(); }));
    EXPECT_EQ(gui->TimerWakeup(), AAX_SUCCESS); // nothing shown: nothing to do

    // Shown again in the same host window, then deleted while shown.
    ASSERT_EQ(gui->SetViewContainer(&container), AAX_SUCCESS);
    EXPECT_TRUE(WaitUntil([this] { return Children().size() == 1; }));
    gui.reset();
    EXPECT_TRUE(WaitUntil([this] { return Children().empty(); }));
}

TEST_F(ModuleEditorTest, AParentThatIsNoWindowLeavesTheEditorClosed)
{
    // An id the server never handed out: the open fails inside the module, not the host.
    aaxhost::ViewContainer container(hostWindow + 0x100000);
    EXPECT_EQ(gui->SetViewContainer(&container), AAX_SUCCESS);
    EXPECT_EQ(gui->TimerWakeup(), AAX_SUCCESS);
    EXPECT_EQ(gui->SetViewContainer(nullptr), AAX_SUCCESS);
    EXPECT_TRUE(Children().empty());
}

} // namespace
