#pragma once

#include "aax/sdk/AAX.h"
#include "aax/sdk/AAX_Description.h"

class AAX_IEffectParameters;
class AAX_IEffectGUI;
class IPlugAAX;

// What a plug-in tells the host about itself. Name lists hold line-feed-terminated names; the
// channel string holds space-separated "inputs-outputs" tokens, of which the first two that
// parse are described, each with its own pair of plug-in identifiers.
struct AAXEffectDescription
{
    static constexpr int kMaxConfigurations = 2;

    const char* effectNames = "";
    const char* manufacturerNames = "";
    const char* channelIOs = "";
    AAX_CTypeID manufacturerId = 0;
    AAX_CTypeID productId = 0;
    AAX_CTypeID nativeIds[kMaxConfigurations] = {};
    AAX_CTypeID audioSuiteIds[kMaxConfigurations] = {};
    uint32_t version = 0;
    const char* effectId = "";
};

// Provided by the product glue of the module (aax/module/): the product's description and its
// creation function (called under the product's own creation lock).
const AAXEffectDescription& ProductEffectDescription();
IPlugAAX* CreateProductPlugin();

// The stem format of a channel count; AAX_eStemFormat_None beyond 8 channels or for none.
AAX_EStemFormat StemFormatForChannels(int channels);

// Describes the effect into the collection: one component per channel configuration, then the
// two factories. 0 on success, otherwise the OR of the failing results (AAX codes are negative),
// and then the effect is not added to the collection.
AAX_Result DescribeEffectWith(AAX_ICollection* collection, const AAXEffectDescription& description);

// The component's processing procedure: renders each instance whose context's private data
// already holds its effect-parameters pointer; contexts without one are skipped.
void RenderCallback(AAX_SRenderContext* const* first, AAX_SRenderContext* const* last);

// The factories registered under AAX_eProcPtrID_Create_EffectParameters and
// AAX_eProcPtrID_Create_EffectGUI. Null when creation fails.
AAX_IEffectParameters* CreateEffectParameters();
AAX_IEffectGUI* CreateEffectGUI();
