#include "aax/AAX_CEffectGUI_IPLUG.h"

#include "aax/IPlugAAX.h"
#include "graphics/IGraphics.h"

AAX_CEffectGUI_IPLUG::AAX_CEffectGUI_IPLUG() = default;

AAX_CEffectGUI_IPLUG::~AAX_CEffectGUI_IPLUG()
{
    // The editor outlives this object: it must not keep a pointer to the bridge.
    CloseHostView();
}

void AAX_CEffectGUI_IPLUG::FindEditor()
{
    auto* plug = dynamic_cast<IPlugAAX*>(EffectParameters());
    editor = plug != nullptr ? dynamic_cast<IGraphics*>(plug->Editor()) : nullptr;
}

void AAX_CEffectGUI_IPLUG::OpenInHostView()
{
    AAX_IViewContainer* container = ViewContainer();
    const uintptr_t parent = container != nullptr ? container->NativeParentWindow() : 0;
    if (parent == 0 || editor == nullptr)
    {
        return;
    }
    editor->SetViewContainer(&bridge_);
    // A parent that is not a window, or no window system at all, leaves the editor closed.
    windowOpen_ = editor->OpenEditorWindow(reinterpret_cast<void*>(parent)) != nullptr;
    if (!windowOpen_)
    {
        editor->SetViewContainer(nullptr);
    }
}

void AAX_CEffectGUI_IPLUG::IdleHostView()
{
    if (editor != nullptr && windowOpen_)
    {
        editor->PlatformIdle();
    }
}

void AAX_CEffectGUI_IPLUG::CloseHostView()
{
    if (editor == nullptr || !windowOpen_)
    {
        return;
    }
    editor->CloseEditorWindow();
    if (editor->ViewContainer() == &bridge_)
    {
        editor->SetViewContainer(nullptr);
    }
    windowOpen_ = false;
}

AAX_Result AAX_CEffectGUI_IPLUG::ReportViewSize(AAX_Point* size) const
{
    if (editor != nullptr)
    {
        size->vert = static_cast<float>(editor->Height());
        size->horz = static_cast<float>(editor->Width());
    }
    return AAX_SUCCESS;
}

uint32_t AAX_CEffectGUI_IPLUG::HostViewBridge::CurrentModifiers()
{
    uint32_t modifiers = 0;
    if (AAX_IViewContainer* container = owner_.ViewContainer())
    {
        container->GetModifiers(&modifiers);
    }
    return modifiers;
}

int AAX_CEffectGUI_IPLUG::HostViewBridge::HandleParameterMouseDown(const char* parameterId,
                                                                   uint32_t modifiers)
{
    AAX_IViewContainer* container = owner_.ViewContainer();
    if (container == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    return container->HandleParameterMouseDown(parameterId, modifiers);
}
