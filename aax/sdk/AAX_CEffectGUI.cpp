#include "aax/sdk/AAX_CEffectGUI.h"

#include "aax/sdk/AAX_Module.h"

AAX_CEffectGUI::AAX_CEffectGUI()
{
    AAX_ModuleObjectCreated();
}

AAX_CEffectGUI::~AAX_CEffectGUI()
{
    AAX_ModuleObjectDestroyed();
}

AAX_Result AAX_CEffectGUI::Initialize(AAX_IEffectParameters* effect)
{
    effect_ = effect;
    FindEditor();
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::Uninitialize()
{
    if (viewContainer_ != nullptr)
    {
        CloseHostView();
        viewContainer_ = nullptr;
    }
    effect_ = nullptr;
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::SetViewContainer(AAX_IViewContainer* container)
{
    if (viewContainer_ != nullptr)
    {
        CloseHostView();
    }
    viewContainer_ = container;
    if (container != nullptr)
    {
        OpenInHostView();
    }
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectGUI::GetViewSize(AAX_Point* size) const
{
    if (size == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    return ReportViewSize(size);
}

AAX_Result AAX_CEffectGUI::TimerWakeup()
{
    if (viewContainer_ != nullptr)
    {
        IdleHostView();
    }
    return AAX_SUCCESS;
}
