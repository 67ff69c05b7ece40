// The editor object the host creates beside each effect-parameters object. AAX_IEffectGUI is the
// interface the host calls on its user-interface thread; AAX_CEffectGUI the base a plug-in's
// editor derives from.
#pragma once

#include "aax/sdk/AAX.h"
#include "aax/sdk/AAX_CEffectParameters.h"
#include "aax/sdk/AAX_HostInterfaces.h"

class AAX_IEffectGUI
{
public:
    virtual ~AAX_IEffectGUI() = default;

    // Connects the editor to the effect-parameters object of the same instance.
    virtual AAX_Result Initialize(AAX_IEffectParameters* effect) = 0;
    virtual AAX_Result Uninitialize() = 0;
    // Shows the editor in the container's window; null hides it.
    virtual AAX_Result SetViewContainer(AAX_IViewContainer* container) = 0;
    virtual AAX_Result GetViewSize(AAX_Point* size) const = 0;
    // Called by the host on its user-interface thread many times a second while the editor is
    // shown: the editor's chance to handle its window's events and draw its frames.
    virtual AAX_Result TimerWakeup() = 0;
};

class AAX_CEffectGUI : public AAX_IEffectGUI
{
public:
    AAX_CEffectGUI();
    AAX_CEffectGUI(const AAX_CEffectGUI&) = delete;
    AAX_CEffectGUI& operator=(const AAX_CEffectGUI&) = delete;
    ~AAX_CEffectGUI() override;

    AAX_Result Initialize(AAX_IEffectParameters* effect) override;
    AAX_Result Uninitialize() override;
    AAX_Result SetViewContainer(AAX_IViewContainer* container) override;
    AAX_Result GetViewSize(AAX_Point* size) const override;
    AAX_Result TimerWakeup() override;

protected:
    // Creates what the editor shows, once the effect-parameters object is known.
    virtual void FindEditor() {}
    // Shows the editor in ViewContainer()'s window.
    virtual void OpenInHostView() {}
    virtual void CloseHostView() {}
    // Runs the shown editor's window; called from TimerWakeup while a view container is set.
    virtual void IdleHostView() {}
    virtual AAX_Result ReportViewSize(AAX_Point* /*size*/) const { return AAX_SUCCESS; }

    AAX_IEffectParameters* EffectParameters() const { return effect_; }
    AAX_IViewContainer* ViewContainer() const { return viewContainer_; }

private:
    AAX_IEffectParameters* effect_ = nullptr;
    AAX_IViewContainer* viewContainer_ = nullptr;
};
