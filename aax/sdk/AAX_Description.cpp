#include "aax/sdk/AAX_Description.h"

#include <algorithm>

namespace
{
// Descriptors handed to AddComponent/AddEffect must be the stock ones made by the same owner.
template <typename Stock, typename Interface> const Stock* AsStock(const Interface* object)
{
    return dynamic_cast<const Stock*>(object);
}
} // namespace

AAX_Result AAX_CPropertyMap::AddProperty(AAX_EProperty id, int32_t value)
{
    const auto found = std::find_if(properties_.begin(), properties_.end(),
                                    [id](const AAX_SProperty& p) { return p.id == id; });
    if (found != properties_.end())
    {
        found->value = value;
        return AAX_SUCCESS;
    }
    properties_.push_back({id, value});
    return AAX_SUCCESS;
}

bool AAX_CPropertyMap::GetProperty(AAX_EProperty id, int32_t* value) const
{
    for (const AAX_SProperty& property : properties_)
    {
        if (property.id == id)
        {
            if (value != nullptr)
            {
                *value = property.value;
            }
            return true;
        }
    }
    return false;
}

AAX_Result AAX_CComponentDescriptor::AddField(AAX_SField field)
{
    if (field.index < 0 || field.index >= AAX_kMaxContextFields)
    {
        return AAX_ERROR_INVALID_FIELD_INDEX;
    }
    const bool taken =
        std::any_of(record_.fields.begin(), record_.fields.end(),
                    [&field](const AAX_SField& existing) { return existing.index == field.index; });
    if (taken)
    {
        return AAX_ERROR_INVALID_FIELD_INDEX;
    }
    record_.fields.push_back(std::move(field));
    return AAX_SUCCESS;
}

AAX_Result AAX_CComponentDescriptor::AddAudioIn(AAX_CFieldIndex field)
{
    return AddField({field, AAX_EFieldKind::AudioIn, 0, 0, {}, 0});
}

AAX_Result AAX_CComponentDescriptor::AddAudioOut(AAX_CFieldIndex field)
{
    return AddField({field, AAX_EFieldKind::AudioOut, 0, 0, {}, 0});
}

AAX_Result AAX_CComponentDescriptor::AddAudioBufferLength(AAX_CFieldIndex field)
{
    return AddField({field, AAX_EFieldKind::BufferLength, 0, 0, {}, 0});
}

AAX_Result AAX_CComponentDescriptor::AddPrivateData(AAX_CFieldIndex field, uint32_t sizeBytes)
{
    return AddField({field, AAX_EFieldKind::PrivateData, sizeBytes, 0, {}, 0});
}

AAX_Result AAX_CComponentDescriptor::AddNode(AAX_CFieldIndex field, uint32_t nodeKind,
                                             const char* name, uint32_t channelMask)
{
    if (name == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    return AddField({field, AAX_EFieldKind::Node, 0, nodeKind, name, channelMask});
}

AAX_IPropertyMap* AAX_CComponentDescriptor::NewPropertyMap()
{
    propertyMaps_.push_back(std::make_unique<AAX_CPropertyMap>());
    return propertyMaps_.back().get();
}

AAX_Result AAX_CComponentDescriptor::AddProcessProc(AAX_CProcessProc proc,
                                                    const AAX_IPropertyMap* properties)
{
    const AAX_CPropertyMap* map = AsStock<AAX_CPropertyMap>(properties);
    if (proc == nullptr || map == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    record_.processProcs.push_back({proc, map->Properties()});
    return AAX_SUCCESS;
}

AAX_IComponentDescriptor* AAX_CEffectDescriptor::NewComponentDescriptor()
{
    components_.push_back(std::make_unique<AAX_CComponentDescriptor>());
    return components_.back().get();
}

AAX_Result AAX_CEffectDescriptor::AddComponent(const AAX_IComponentDescriptor* component)
{
    const AAX_CComponentDescriptor* stock = AsStock<AAX_CComponentDescriptor>(component);
    if (stock == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    record_.components.push_back(stock->Record());
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectDescriptor::AddName(const char* name)
{
    if (name == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    record_.names.emplace_back(name);
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectDescriptor::AddCategory(uint32_t category)
{
    record_.categories.push_back(category);
    return AAX_SUCCESS;
}

AAX_Result AAX_CEffectDescriptor::AddProcPtr(AAX_ProcPtr proc, int32_t procId)
{
    if (proc == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    for (AAX_SProcRecord& existing : record_.procs)
    {
        if (existing.procId == procId)
        {
            existing.proc = proc;
            return AAX_SUCCESS;
        }
    }
    record_.procs.push_back({procId, proc});
    return AAX_SUCCESS;
}

AAX_IEffectDescriptor* AAX_CCollection::NewDescriptor()
{
    descriptors_.push_back(std::make_unique<AAX_CEffectDescriptor>());
    return descriptors_.back().get();
}

AAX_Result AAX_CCollection::AddEffect(const char* effectId, const AAX_IEffectDescriptor* effect)
{
    const AAX_CEffectDescriptor* stock = AsStock<AAX_CEffectDescriptor>(effect);
    if (effectId == nullptr || stock == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    record_.effects.emplace_back(effectId, stock->Record());
    return AAX_SUCCESS;
}

AAX_Result AAX_CCollection::SetManufacturerName(const char* name)
{
    if (name == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    record_.manufacturerNames.emplace_back(name);
    return AAX_SUCCESS;
}

AAX_Result AAX_CCollection::AddPackageName(const char* name)
{
    if (name == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    record_.packageNames.emplace_back(name);
    return AAX_SUCCESS;
}

AAX_Result AAX_CCollection::SetPackageVersion(uint32_t version)
{
    record_.packageVersion = version;
    return AAX_SUCCESS;
}
