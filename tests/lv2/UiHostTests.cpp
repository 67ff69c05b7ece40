// The bundle's editor UI as a host drives it: instantiated with instance access to a running
// plug-in, shown as a window of its own on the X display ($DISPLAY), driven by idle calls, with
// real pointer events from XTest. Editor changes must reach the host's port write function
// inside touch gestures; port events from the host must reach the controls.
//
// Needs a display: run by editor_ui_test.sh, which starts one.

#include "lv2/host/LilvHost.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <dlfcn.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/ui/ui.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace
{

const char* const kStereoUri = "https://vantor.audio/plugins/kestrune#stereo";
constexpr uint32_t kFirstParameterPort = 4; // after in_l, in_r, out_l, out_r
constexpr int kGain5 = 5;

struct Write
{
    uint32_t port;
    float value;
};

struct HostSide
{
    std::vector<Write> writes;
    std::vector<std::pair<uint32_t, bool>> touches;

    static void WriteFunction(LV2UI_Controller controller, uint32_t port, uint32_t size,
                              uint32_t format, const void* buffer)
    {
        auto* self = static_cast<HostSide*>(const_cast<void*>(controller));
        if (format == 0 && size == sizeof(float))
        {
            float value = 0.0f;
            std::memcpy(&value, buffer, sizeof value);
            self->writes.push_back({port, value});
        }
    }
    static void Touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed)
    {
        static_cast<HostSide*>(handle)->touches.push_back({port, grabbed});
    }
};

class UiHostTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Right after the previous test closed its windows the server may turn a new
        // connection away for a moment.
        for (int attempt = 0; attempt < 50 && display_ == nullptr; ++attempt)
        {
            display_ = XOpenDisplay(nullptr);
            if (display_ == nullptr)
            {
                usleep(100000);
            }
        }
        if (display_ == nullptr)
        {
            GTEST_SKIP() << "no X display";
        }
        module_ = dlopen(KESTRUNE_LV2_BUNDLE_DIR "/VantorKestrune.so", RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module_, nullptr) << dlerror();
        auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(module_, "lv2ui_descriptor"));
        ASSERT_NE(entry, nullptr);
        descriptor_ = entry(0);
        ASSERT_NE(descriptor_, nullptr);
        idle_ = static_cast<const LV2UI_Idle_Interface*>(
            descriptor_->extension_data(LV2_UI__idleInterface));
        ASSERT_NE(idle_, nullptr);

        world_ = std::make_unique<lv2host::World>(KESTRUNE_LV2_BUNDLE_DIR);
        plug_ = std::make_unique<lv2host::Instance>(*world_, kStereoUri, 48000.0, 512);
        plug_->Activate();

        touch_ = {&host_, &HostSide::Touch};
        instanceAccess_ = {LV2_INSTANCE_ACCESS_URI, lilv_instance_get_handle(plug_->Raw())};
        idleFeature_ = {LV2_UI__idleInterface, nullptr};
        touchFeature_ = {LV2_UI__touch, &touch_};
        const LV2_Feature* features[] = {&instanceAccess_, &idleFeature_, &touchFeature_, nullptr};
        ui_ = descriptor_->instantiate(descriptor_, kStereoUri, KESTRUNE_LV2_BUNDLE_DIR,
                                       &HostSide::WriteFunction, &host_, &widget_, features);
        ASSERT_NE(ui_, nullptr);
        window_ = static_cast<Window>(reinterpret_cast<std::uintptr_t>(widget_));
        ASSERT_NE(window_, 0u);
        PumpMs(500);
    }

    void TearDown() override
    {
        if (ui_ != nullptr)
        {
            descriptor_->cleanup(ui_);
        }
        plug_.reset();
        world_.reset();
        if (display_ != nullptr)
        {
            XCloseDisplay(display_);
        }
        // The module stays loaded: a host does not unload a binary whose X11 code may still
        // have registered state in the process.
    }

    // Idle calls as the host makes them (every 33 ms), and a block of audio now and then.
    void PumpMs(int ms)
    {
        const float silence[512] = {};
        float out0[512];
        float out1[512];
        const float* inputs[2] = {silence, silence};
        float* outputs[2] = {out0, out1};
        for (int elapsed = 0; elapsed < ms; elapsed += 10)
        {
            ASSERT_EQ(idle_->idle(ui_), 0);
            plug_->Run(inputs, outputs, 480);
            usleep(10000);
        }
    }

    // The editor's point (x, y) on the root window.
    std::pair<int, int> OnScreen(int x, int y)
    {
        int rootX = 0;
        int rootY = 0;
        Window child = 0;
        XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), x, y, &rootX, &rootY,
                              &child);
        return {rootX, rootY};
    }

    void MovePointer(int x, int y)
    {
        const auto [rootX, rootY] = OnScreen(x, y);
        XTestFakeMotionEvent(display_, DefaultScreen(display_), rootX, rootY, 0);
        XFlush(display_);
        PumpMs(100);
    }

    void Button(bool down)
    {
        XTestFakeButtonEvent(display_, 1, down ? True : False, 0);
        XFlush(display_);
        PumpMs(100);
    }

    std::vector<unsigned long> Pixels(int x, int y, int width, int height)
    {
        XImage* image = XGetImage(display_, window_, x, y, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
        std::vector<unsigned long> pixels;
        if (image != nullptr)
        {
            for (int j = 0; j < height; ++j)
            {
                for (int i = 0; i < width; ++i)
                {
                    pixels.push_back(XGetPixel(image, i, j));
                }
            }
            XDestroyImage(image);
        }
        return pixels;
    }

    Display* display_ = nullptr;
    void* module_ = nullptr;
    const LV2UI_Descriptor* descriptor_ = nullptr;
    const LV2UI_Idle_Interface* idle_ = nullptr;
    std::unique_ptr<lv2host::World> world_;
    std::unique_ptr<lv2host::Instance> plug_;
    HostSide host_;
    LV2UI_Touch touch_{};
    LV2_Feature instanceAccess_{};
    LV2_Feature idleFeature_{};
    LV2_Feature touchFeature_{};
    LV2UI_Handle ui_ = nullptr;
    LV2UI_Widget widget_ = nullptr;
    Window window_ = 0;
};

TEST_F(UiHostTest, TheEditorWindowIsTheEditorsSize)
{
    XWindowAttributes attributes;
    ASSERT_NE(XGetWindowAttributes(display_, window_, &attributes), 0);
    EXPECT_EQ(attributes.width, 800);
    EXPECT_EQ(attributes.height, 600);
}

TEST_F(UiHostTest, AFaderDragIsWrittenToTheHostInsideATouchGesture)
{
    // Band 0's fader knob sits at (36, 368) at 0 dB; dragging it up raises the gain.
    MovePointer(36, 368);
    Button(true);
    MovePointer(36, 340);
    MovePointer(36, 310);
    Button(false);

    const uint32_t gain0 = kFirstParameterPort;
    ASSERT_FALSE(host_.writes.empty());
    for (const Write& w : host_.writes)
    {
        EXPECT_EQ(w.port, gain0);
    }
    EXPECT_GT(host_.writes.back().value, 1.0f);
    ASSERT_GE(host_.touches.size(), 2u);
    EXPECT_EQ(host_.touches.front(), std::make_pair(gain0, true));
    EXPECT_EQ(host_.touches.back(), std::make_pair(gain0, false));

    // The host's echo of the write is no change for the plug-in.
    plug_->SetControl("gain_0", host_.writes.back().value);
    PumpMs(100);
    EXPECT_FLOAT_EQ(plug_->Control("applied_gain_0"), host_.writes.back().value);
}

TEST_F(UiHostTest, PortEventsFromTheHostMoveTheControls)
{
    // The column of band 5's fader.
    const std::vector<unsigned long> before = Pixels(148, 280, 24, 190);
    const float value = 12.0f;
    descriptor_->port_event(ui_, kFirstParameterPort + kGain5, sizeof value, 0, &value);
    PumpMs(200);
    EXPECT_NE(Pixels(148, 280, 24, 190), before);
    EXPECT_TRUE(host_.writes.empty()) << "a host change is not written back to the host";
}

} // namespace
