// Describing a plug-in module to the host: a collection holds effects, an effect descriptor holds
// names, factories and processing components, a component descriptor holds the render context
// fields and the processing procedure with its property map.
//
// The interfaces are what a plug-in's description code calls. The stock implementations
// (AAX_CCollection and friends) record every call into plain records the host reads after the
// module has registered.
#pragma once

#include "aax/sdk/AAX.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// ---- records the host reads ------------------------------------------------------------------

struct AAX_SProperty
{
    AAX_EProperty id = 0;
    int32_t value = 0;
};

enum class AAX_EFieldKind : int32_t
{
    AudioIn,
    AudioOut,
    BufferLength,
    PrivateData,
    Node,
};

struct AAX_SField
{
    AAX_CFieldIndex index = 0;
    AAX_EFieldKind kind = AAX_EFieldKind::PrivateData;
    uint32_t size = 0;     // bytes of a private data block
    uint32_t nodeKind = 0; // AAX_eNodeKind_* of a node
    std::string name;      // node name
    uint32_t mask = 0;     // node channel mask
};

struct AAX_SProcessProc
{
    AAX_CProcessProc proc = nullptr;
    std::vector<AAX_SProperty> properties;
};

struct AAX_SComponentRecord
{
    std::vector<AAX_SField> fields;
    std::vector<AAX_SProcessProc> processProcs;
};

struct AAX_SProcRecord
{
    int32_t procId = 0;
    AAX_ProcPtr proc = nullptr;
};

struct AAX_SEffectRecord
{
    std::vector<std::string> names;
    std::vector<uint32_t> categories;
    std::vector<AAX_SComponentRecord> components;
    std::vector<AAX_SProcRecord> procs;
};

struct AAX_SCollectionRecord
{
    std::vector<std::pair<std::string, AAX_SEffectRecord>> effects;
    std::vector<std::string> packageNames;
    std::vector<std::string> manufacturerNames;
    uint32_t packageVersion = 0;
};

// ---- interfaces the description code calls ---------------------------------------------------

class AAX_IPropertyMap
{
public:
    virtual ~AAX_IPropertyMap() = default;
    // Adds or replaces a property.
    virtual AAX_Result AddProperty(AAX_EProperty id, int32_t value) = 0;
    virtual bool GetProperty(AAX_EProperty id, int32_t* value) const = 0;
};

class AAX_IComponentDescriptor
{
public:
    virtual ~AAX_IComponentDescriptor() = default;
    virtual AAX_Result AddAudioIn(AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddAudioOut(AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddAudioBufferLength(AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddPrivateData(AAX_CFieldIndex field, uint32_t sizeBytes) = 0;
    virtual AAX_Result AddNode(AAX_CFieldIndex field, uint32_t nodeKind, const char* name,
                               uint32_t channelMask) = 0;
    // A new, empty property map owned by this descriptor.
    virtual AAX_IPropertyMap* NewPropertyMap() = 0;
    virtual AAX_Result AddProcessProc(AAX_CProcessProc proc,
                                      const AAX_IPropertyMap* properties) = 0;
};

class AAX_IEffectDescriptor
{
public:
    virtual ~AAX_IEffectDescriptor() = default;
    // A new, empty component descriptor owned by this effect descriptor.
    virtual AAX_IComponentDescriptor* NewComponentDescriptor() = 0;
    virtual AAX_Result AddComponent(const AAX_IComponentDescriptor* component) = 0;
    virtual AAX_Result AddName(const char* name) = 0;
    virtual AAX_Result AddCategory(uint32_t category) = 0;
    virtual AAX_Result AddProcPtr(AAX_ProcPtr proc, int32_t procId) = 0;
};

class AAX_ICollection
{
public:
    virtual ~AAX_ICollection() = default;
    // A new, empty effect descriptor owned by this collection; null when none can be made.
    virtual AAX_IEffectDescriptor* NewDescriptor() = 0;
    virtual AAX_Result AddEffect(const char* effectId, const AAX_IEffectDescriptor* effect) = 0;
    virtual AAX_Result SetManufacturerName(const char* name) = 0;
    virtual AAX_Result AddPackageName(const char* name) = 0;
    virtual AAX_Result SetPackageVersion(uint32_t version) = 0;
    // What the host reads once the description is complete; null when the collection cannot
    // present one.
    virtual const AAX_SCollectionRecord* Record() const = 0;
};

// ---- stock implementations -------------------------------------------------------------------

class AAX_CPropertyMap final : public AAX_IPropertyMap
{
public:
    AAX_Result AddProperty(AAX_EProperty id, int32_t value) override;
    bool GetProperty(AAX_EProperty id, int32_t* value) const override;
    const std::vector<AAX_SProperty>& Properties() const { return properties_; }

private:
    std::vector<AAX_SProperty> properties_;
};

class AAX_CComponentDescriptor final : public AAX_IComponentDescriptor
{
public:
    AAX_Result AddAudioIn(AAX_CFieldIndex field) override;
    AAX_Result AddAudioOut(AAX_CFieldIndex field) override;
    AAX_Result AddAudioBufferLength(AAX_CFieldIndex field) override;
    AAX_Result AddPrivateData(AAX_CFieldIndex field, uint32_t sizeBytes) override;
    AAX_Result AddNode(AAX_CFieldIndex field, uint32_t nodeKind, const char* name,
                       uint32_t channelMask) override;
    AAX_IPropertyMap* NewPropertyMap() override;
    AAX_Result AddProcessProc(AAX_CProcessProc proc, const AAX_IPropertyMap* properties) override;
    const AAX_SComponentRecord& Record() const { return record_; }

private:
    AAX_Result AddField(AAX_SField field);

    AAX_SComponentRecord record_;
    std::vector<std::unique_ptr<AAX_CPropertyMap>> propertyMaps_;
};

class AAX_CEffectDescriptor final : public AAX_IEffectDescriptor
{
public:
    AAX_IComponentDescriptor* NewComponentDescriptor() override;
    AAX_Result AddComponent(const AAX_IComponentDescriptor* component) override;
    AAX_Result AddName(const char* name) override;
    AAX_Result AddCategory(uint32_t category) override;
    AAX_Result AddProcPtr(AAX_ProcPtr proc, int32_t procId) override;
    const AAX_SEffectRecord& Record() const { return record_; }

private:
    AAX_SEffectRecord record_;
    std::vector<std::unique_ptr<AAX_CComponentDescriptor>> components_;
};

class AAX_CCollection final : public AAX_ICollection
{
public:
    AAX_IEffectDescriptor* NewDescriptor() override;
    AAX_Result AddEffect(const char* effectId, const AAX_IEffectDescriptor* effect) override;
    AAX_Result SetManufacturerName(const char* name) override;
    AAX_Result AddPackageName(const char* name) override;
    AAX_Result SetPackageVersion(uint32_t version) override;
    const AAX_SCollectionRecord* Record() const override { return &record_; }

private:
    AAX_SCollectionRecord record_;
    std::vector<std::unique_ptr<AAX_CEffectDescriptor>> descriptors_;
};

// The registered factory of an effect's record, or null. Inline: hosts use it too.
inline AAX_ProcPtr AAX_FindProc(const AAX_SEffectRecord& effect, int32_t procId)
{
    for (const AAX_SProcRecord& record : effect.procs)
    {
        if (record.procId == procId)
        {
            return record.proc;
        }
    }
    return nullptr;
}
