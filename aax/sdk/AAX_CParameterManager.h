// Owns an effect's parameters in registration order and finds them by identifier.
#pragma once

#include "aax/sdk/AAX_CParameter.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class AAX_CParameterManager
{
public:
    // Takes ownership. A null parameter or an identifier already registered is refused.
    AAX_Result AddParameter(std::unique_ptr<AAX_IParameter> parameter);
    void RemoveAllParameters();

    int32_t NumParameters() const { return static_cast<int32_t>(parameters_.size()); }
    AAX_IParameter* GetParameter(int32_t index) const;
    AAX_IParameter* GetParameterByID(const char* identifier) const;

    // Connects (or, with null, disconnects) every parameter, present and future, to the host's
    // automation.
    void SetAutomationDelegate(AAX_IAutomationDelegate* automation);

private:
    std::vector<std::unique_ptr<AAX_IParameter>> parameters_;
    std::map<std::string, AAX_IParameter*, std::less<>> byIdentifier_;
    AAX_IAutomationDelegate* automation_ = nullptr;
};
