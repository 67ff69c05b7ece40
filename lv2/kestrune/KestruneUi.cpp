// The editor as an LV2 UI (ui:X11UI). With instance access the UI shows the editor the plug-in
// instance owns, in the X11 window class, as a child of the host's parent window, driven by the
// host's idle callback. Editor changes go to the host through the port write function, framed
// by touch gestures where the host offers them; port events from the host reach the controls.
//
// Every function here runs on the host's UI thread.

#include "graphics/x11/IGraphicsX11.h"
#include "lv2/kestrune/KestruneInstance.h"
#include "lv2/kestrune/KestruneLv2.h"
#include "lv2/kestrune/KestruneModule.h"

#include <lv2/instance-access/instance-access.h>
#include <lv2/ui/ui.h>

#include <cstdint>
#include <cstring>
#include <exception>
#include <mutex>
#include <string_view>

namespace
{

class KestruneUi final : public Lv2HostLink
{
public:
    KestruneUi(VantorKestrune& plug, IGraphicsX11& editor, LV2UI_Write_Function write,
               LV2UI_Controller controller, const LV2UI_Touch* touch)
        : plug_(plug), editor_(editor), write_(write), controller_(controller), touch_(touch)
    {
    }

    ~KestruneUi() override
    {
        plug_.SetHostLink(nullptr);
        editor_.CloseEditorWindow();
    }
    KestruneUi(const KestruneUi&) = delete;
    KestruneUi& operator=(const KestruneUi&) = delete;

    // Opens the editor window inside `parent` (0: a window of its own); returns its id or 0.
    std::uintptr_t Open(std::uintptr_t parent)
    {
        void* window = editor_.OpenEditorWindow(reinterpret_cast<void*>(parent));
        if (window == nullptr)
        {
            return 0;
        }
        plug_.SetHostLink(this);
        return reinterpret_cast<std::uintptr_t>(window);
    }

    void WriteControlPort(uint32_t port, float value) override
    {
        write_(controller_, port, sizeof value, 0, &value);
    }

    void TouchControlPort(uint32_t port, bool grabbed) override
    {
        if (touch_ != nullptr)
        {
            touch_->touch(touch_->handle, port, grabbed);
        }
    }

    // A host's port value that the plug-in has not taken yet is shown by the controls now;
    // the plug-in applies it at its next block. Echoes of the editor's own changes and values
    // already taken are left alone.
    void PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
    {
        const int index = plug_.PortLayout().ParameterOfPort(port);
        if (format != 0 || size != sizeof(float) || index < 0)
        {
            return;
        }
        float value = 0.0f;
        std::memcpy(&value, buffer, sizeof value);
        if (!(value == value) || value == plug_.KnownPortValue(index))
        {
            return;
        }
        const auto lock = plug_.LockPlugin();
        editor_.UpdateControlsForParameter(index, plug_.Param(index)->ToNormalized(value), true);
    }

    // 0 while the window is open, 1 once it was closed (the host then destroys the UI).
    int Idle()
    {
        editor_.Idle();
        return editor_.NativeWindow() != nullptr ? 0 : 1;
    }

private:
    VantorKestrune& plug_;
    IGraphicsX11& editor_;
    LV2UI_Write_Function write_;
    LV2UI_Controller controller_;
    const LV2UI_Touch* touch_;
};

const void* FindFeature(const LV2_Feature* const* features, const char* uri)
{
    for (const LV2_Feature* const* f = features; f != nullptr && *f != nullptr; ++f)
    {
        if (std::strcmp((*f)->URI, uri) == 0)
        {
            return (*f)->data;
        }
    }
    return nullptr;
}

bool HasFeature(const LV2_Feature* const* features, const char* uri)
{
    for (const LV2_Feature* const* f = features; f != nullptr && *f != nullptr; ++f)
    {
        if (std::strcmp((*f)->URI, uri) == 0)
        {
            return true;
        }
    }
    return false;
}

LV2UI_Handle Instantiate(const LV2UI_Descriptor* /*descriptor*/, const char* pluginUri,
                         const char* /*bundlePath*/, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget,
                         const LV2_Feature* const* features)
{
    const std::string_view uri = pluginUri != nullptr ? pluginUri : "";
    const auto* handle =
        static_cast<const KestruneInstance*>(FindFeature(features, LV2_INSTANCE_ACCESS_URI));
    VantorKestrune* instance = handle != nullptr ? handle->plug.get() : nullptr;
    if ((uri != kKestruneMonoUri && uri != kKestruneStereoUri) || instance == nullptr ||
        write == nullptr || !HasFeature(features, LV2_UI__idleInterface))
    {
        return nullptr;
    }
    auto* editor = dynamic_cast<IGraphicsX11*>(instance->Editor());
    if (editor == nullptr)
    {
        return nullptr;
    }
    try
    {
        const auto parent = reinterpret_cast<std::uintptr_t>(FindFeature(features, LV2_UI__parent));
        const auto* touch = static_cast<const LV2UI_Touch*>(FindFeature(features, LV2_UI__touch));
        auto* ui = new KestruneUi(*instance, *editor, write, controller, touch);
        const std::uintptr_t window = ui->Open(parent);
        if (window == 0)
        {
            delete ui;
            return nullptr;
        }
        if (const auto* resize =
                static_cast<const LV2UI_Resize*>(FindFeature(features, LV2_UI__resize)))
        {
            resize->ui_resize(resize->handle, editor->Width(), editor->Height());
        }
        *widget = reinterpret_cast<LV2UI_Widget>(window);
        return ui;
    }
    catch (const std::exception&)
    {
        return nullptr;
    }
}

void Cleanup(LV2UI_Handle handle)
{
    delete static_cast<KestruneUi*>(handle);
}

void PortEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer)
{
    static_cast<KestruneUi*>(handle)->PortEvent(port, size, format, buffer);
}

int Idle(LV2UI_Handle handle)
{
    return static_cast<KestruneUi*>(handle)->Idle();
}

const void* ExtensionData(const char* uri)
{
    static const LV2UI_Idle_Interface idle = {&Idle};
    return std::string_view(uri) == LV2_UI__idleInterface ? &idle : nullptr;
}

const LV2UI_Descriptor kUi = {kKestruneUiUri, &Instantiate, &Cleanup, &PortEvent, &ExtensionData};

} // namespace

void KestruneModuleStartup()
{
    static std::once_flag once;
    std::call_once(once, [] { UseX11Graphics(); });
}

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    return index == 0 ? &kUi : nullptr;
}
