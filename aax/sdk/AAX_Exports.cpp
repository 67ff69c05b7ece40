#include "aax/sdk/AAX_Exports.h"

#include "aax/sdk/AAX_Module.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <new>

namespace
{
// The module's own copy of its description, from which class factories are handed out.
std::mutex registryMutex;
std::unique_ptr<AAX_CCollection> registry;

const AAX_SCollectionRecord* Registry()
{
    if (registry == nullptr)
    {
        auto collection = std::make_unique<AAX_CCollection>();
        if (DescribeEffect(collection.get()) != AAX_SUCCESS)
        {
            return nullptr;
        }
        registry = std::move(collection);
    }
    return registry->Record();
}

template <typename Body> AAX_Result Guarded(Body&& body) noexcept
{
    try
    {
        return body();
    }
    catch (...)
    {
        return ACF_E_UNEXPECTED;
    }
}
} // namespace

extern "C"
{
    AAX_Result AAX_CALLCONV ACFRegisterPlugin(void* /*host*/, AAX_ICollection** outCollection)
    {
        return Guarded(
            [&]
            {
                if (outCollection == nullptr)
                {
                    return AAX_ERROR_NULL_OBJECT;
                }
                *outCollection = nullptr;
                std::unique_ptr<AAX_CCollection> collection(new (std::nothrow) AAX_CCollection);
                if (collection == nullptr)
                {
                    return AAX_ERROR_NULL_OBJECT;
                }
                const AAX_Result result = DescribeEffect(collection.get());
                if (result == AAX_SUCCESS)
                {
                    *outCollection = collection.release();
                }
                return result;
            });
    }

    AAX_Result AAX_CALLCONV ACFRegisterComponent(void* /*host*/, uint32_t /*index*/,
                                                 void** outComponent)
    {
        return Guarded(
            [&]
            {
                if (outComponent != nullptr)
                {
                    *outComponent = nullptr;
                }
                return ACF_E_CLASSNOTAVAILABLE;
            });
    }

    AAX_Result AAX_CALLCONV ACFGetClassFactory(void* /*host*/, const char* effectId, int32_t procId,
                                               AAX_ProcPtr* outFactory)
    {
        return Guarded(
            [&]
            {
                if (effectId == nullptr || outFactory == nullptr)
                {
                    return AAX_ERROR_NULL_OBJECT;
                }
                *outFactory = nullptr;
                std::lock_guard lock(registryMutex);
                const AAX_SCollectionRecord* record = Registry();
                if (record == nullptr)
                {
                    return ACF_E_UNEXPECTED;
                }
                for (const auto& [identifier, effect] : record->effects)
                {
                    if (identifier == effectId)
                    {
                        *outFactory = AAX_FindProc(effect, procId);
                        break;
                    }
                }
                return *outFactory != nullptr ? ACF_OK : ACF_E_CLASSNOTAVAILABLE;
            });
    }

    AAX_Result AAX_CALLCONV ACFCanUnloadNow(void* /*host*/)
    {
        return Guarded([] { return AAX_ModuleObjectCount() == 0 ? ACF_OK : ACF_FALSE; });
    }

    AAX_Result AAX_CALLCONV ACFStartup(void* /*host*/)
    {
        return Guarded([] { return ACF_OK; });
    }

    AAX_Result AAX_CALLCONV ACFShutdown(void* /*host*/)
    {
        return Guarded(
            []
            {
                std::lock_guard lock(registryMutex);
                registry.reset();
                return ACF_OK;
            });
    }

    AAX_Result AAX_CALLCONV ACFGetSDKVersion(uint64_t* outVersion)
    {
        return Guarded(
            [&]
            {
                if (outVersion == nullptr)
                {
                    return AAX_ERROR_NULL_OBJECT;
                }
                *outVersion = AAX_kLayerVersion;
                return ACF_OK;
            });
    }
}
