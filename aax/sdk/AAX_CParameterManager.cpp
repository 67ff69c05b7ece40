#include "aax/sdk/AAX_CParameterManager.h"

#include <string_view>

AAX_Result AAX_CParameterManager::AddParameter(std::unique_ptr<AAX_IParameter> parameter)
{
    if (parameter == nullptr)
    {
        return AAX_ERROR_NULL_OBJECT;
    }
    const std::string identifier = parameter->Identifier();
    if (byIdentifier_.count(identifier) != 0)
    {
        return AAX_ERROR_DUPLICATE_PARAMETER_ID;
    }
    parameter->SetAutomationDelegate(automation_);
    byIdentifier_.emplace(identifier, parameter.get());
    parameters_.push_back(std::move(parameter));
    return AAX_SUCCESS;
}

void AAX_CParameterManager::RemoveAllParameters()
{
    byIdentifier_.clear();
    parameters_.clear();
}

AAX_IParameter* AAX_CParameterManager::GetParameter(int32_t index) const
{
    if (index < 0 || index >= NumParameters())
    {
        return nullptr;
    }
    return parameters_[static_cast<size_t>(index)].get();
}

AAX_IParameter* AAX_CParameterManager::GetParameterByID(const char* identifier) const
{
    if (identifier == nullptr)
    {
        return nullptr;
    }
    const auto found = byIdentifier_.find(std::string_view(identifier));
    return found == byIdentifier_.end() ? nullptr : found->second;
}

void AAX_CParameterManager::SetAutomationDelegate(AAX_IAutomationDelegate* automation)
{
    automation_ = automation;
    for (const auto& parameter : parameters_)
    {
        parameter->SetAutomationDelegate(automation);
    }
}
