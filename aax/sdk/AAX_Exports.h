// The component entry points a host looks up in the module, and the one function every plug-in
// module defines for them: its description.
//
// Host's order: ACFStartup, ACFRegisterPlugin (the description; the host deletes the collection
// it receives), ACFGetClassFactory for each factory it wants, ACFCanUnloadNow, ACFShutdown.
// Every entry point returns ACF_E_UNEXPECTED when an exception escapes it.
#pragma once

#include "aax/sdk/AAX.h"
#include "aax/sdk/AAX_Description.h"

#include <cstdint>

// Version of this AAX layer reported by ACFGetSDKVersion: major in the high 32 bits.
inline constexpr uint64_t AAX_kLayerVersion = uint64_t{1} << 32;

// Defined by the plug-in module: describes its effects into the collection; 0 on success.
AAX_Result DescribeEffect(AAX_ICollection* collection);

extern "C"
{
    // Describes the module. On success *outCollection is a collection the host owns.
    AAX_EXPORT AAX_Result AAX_CALLCONV ACFRegisterPlugin(void* host,
                                                         AAX_ICollection** outCollection);
    // Further components of the module by index; this layer has none beyond the plug-in.
    AAX_EXPORT AAX_Result AAX_CALLCONV ACFRegisterComponent(void* host, uint32_t index,
                                                            void** outComponent);
    // The factory registered under procId for the effect with the given identifier.
    AAX_EXPORT AAX_Result AAX_CALLCONV ACFGetClassFactory(void* host, const char* effectId,
                                                          int32_t procId, AAX_ProcPtr* outFactory);
    // ACF_OK when no object of the module is alive any more, ACF_FALSE otherwise.
    AAX_EXPORT AAX_Result AAX_CALLCONV ACFCanUnloadNow(void* host);
    AAX_EXPORT AAX_Result AAX_CALLCONV ACFStartup(void* host);
    AAX_EXPORT AAX_Result AAX_CALLCONV ACFShutdown(void* host);
    AAX_EXPORT AAX_Result AAX_CALLCONV ACFGetSDKVersion(uint64_t* outVersion);
}

// Pointer types for a host that looks the entry points up by name.
using ACFRegisterPluginProc = AAX_Result(AAX_CALLCONV*)(void*, AAX_ICollection**);
using ACFRegisterComponentProc = AAX_Result(AAX_CALLCONV*)(void*, uint32_t, void**);
using ACFGetClassFactoryProc = AAX_Result(AAX_CALLCONV*)(void*, const char*, int32_t, AAX_ProcPtr*);
using ACFCanUnloadNowProc = AAX_Result(AAX_CALLCONV*)(void*);
using ACFStartupProc = AAX_Result(AAX_CALLCONV*)(void*);
using ACFShutdownProc = AAX_Result(AAX_CALLCONV*)(void*);
using ACFGetSDKVersionProc = AAX_Result(AAX_CALLCONV*)(uint64_t*);

// Factory types behind the procedure identifiers AAX_eProcPtrID_Create_EffectParameters and
// AAX_eProcPtrID_Create_EffectGUI. The host deletes what they return.
class AAX_IEffectParameters;
class AAX_IEffectGUI;
using AAX_CreateEffectParametersProc = AAX_IEffectParameters* (*)();
using AAX_CreateEffectGUIProc = AAX_IEffectGUI* (*)();
