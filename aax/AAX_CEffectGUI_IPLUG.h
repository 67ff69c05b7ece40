#pragma once

#include "aax/sdk/AAX_CEffectGUI.h"
#include "graphics/IViewContainer.h"

class IGraphics;

// Shows the plug-in's own editor (the one its IPlugBase owns) inside the host's view. The
// editor lives as long as the plug-in; only its window comes and goes with the host's view.
// All calls come on the host's user-interface thread.
class AAX_CEffectGUI_IPLUG final : public AAX_CEffectGUI
{
public:
    AAX_CEffectGUI_IPLUG();
    ~AAX_CEffectGUI_IPLUG() override;

    IGraphics* Editor() const { return editor; }

protected:
    void FindEditor() override;
    void OpenInHostView() override;
    void CloseHostView() override;
    void IdleHostView() override;
    AAX_Result ReportViewSize(AAX_Point* size) const override;

private:
    // Hands the editor's questions to the host's view container: held modifiers and clicks on
    // parameter controls the host may want (automation shortcuts).
    class HostViewBridge final : public IViewContainer
    {
    public:
        explicit HostViewBridge(AAX_CEffectGUI_IPLUG& owner) : owner_(owner) {}
        uint32_t CurrentModifiers() override;
        int HandleParameterMouseDown(const char* parameterId, uint32_t modifiers) override;

    private:
        AAX_CEffectGUI_IPLUG& owner_;
    };

    IGraphics* editor = nullptr; // the plug-in's editor; null until FindEditor finds one
    HostViewBridge bridge_{*this};
    bool windowOpen_ = false;
};
