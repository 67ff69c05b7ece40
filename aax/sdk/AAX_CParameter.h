// A host-visible parameter: identifier, name, a value of type T stored as it is shown to the
// host, a taper delegate mapping it to the normalised range and a display delegate giving its
// text. The host reaches parameters only through the AAX_IParameter interface.
#pragma once

#include "aax/sdk/AAX.h"
#include "aax/sdk/AAX_Delegates.h"
#include "aax/sdk/AAX_HostInterfaces.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <string>

class AAX_IParameter
{
public:
    virtual ~AAX_IParameter() = default;

    virtual const char* Identifier() const = 0;
    virtual const char* Name() const = 0;
    virtual bool Automatable() const = 0;
    virtual int32_t NumberOfSteps() const = 0;
    virtual void SetNumberOfSteps(int32_t steps) = 0;
    virtual AAX_EParameterType Type() const = 0;
    virtual void SetType(AAX_EParameterType type) = 0;

    virtual double GetNormalizedValue() const = 0;
    virtual double GetNormalizedDefaultValue() const = 0;
    // A change the plug-in asks for: posted to the host when automation is connected (the host
    // answers through HostUpdatesParameter), stored directly otherwise.
    virtual void SetNormalizedValue(double normalized) = 0;
    // Stores a value the host has decided on. Safe to call while the audio thread reads.
    virtual void UpdateNormalizedValue(double normalized) = 0;
    // Text of the current value, or of a given normalised value, into a host buffer.
    virtual bool GetValueString(char* out, int32_t maxLength) const = 0;
    virtual bool GetNormalizedValueString(double normalized, char* out,
                                          int32_t maxLength) const = 0;
    // The normalised value of a real value, or of a text the display delegate reads.
    virtual bool GetNormalizedValueFromDouble(double real, double* normalized) const = 0;
    virtual bool GetNormalizedValueFromString(const char* text, double* normalized) const = 0;

    virtual void Touch() = 0;
    virtual void Release() = 0;
    virtual void SetAutomationDelegate(AAX_IAutomationDelegate* automation) = 0;
};

template <typename T> class AAX_CParameter final : public AAX_IParameter
{
public:
    AAX_CParameter(std::string identifier, std::string name, T defaultValue,
                   const AAX_ITaperDelegate<T>& taper, const AAX_IDisplayDelegate<T>& display,
                   bool automatable)
        : identifier_(std::move(identifier)), name_(std::move(name)), taper_(taper.Clone()),
          display_(display.Clone()), defaultValue_(taper_->ConstrainRealValue(defaultValue)),
          value_(defaultValue_), automatable_(automatable)
    {
    }

    const char* Identifier() const override { return identifier_.c_str(); }
    const char* Name() const override { return name_.c_str(); }
    bool Automatable() const override { return automatable_; }
    int32_t NumberOfSteps() const override { return steps_; }
    void SetNumberOfSteps(int32_t steps) override { steps_ = steps; }
    AAX_EParameterType Type() const override { return type_; }
    void SetType(AAX_EParameterType type) override { type_ = type; }

    T GetValue() const { return value_.load(std::memory_order_relaxed); }

    double GetNormalizedValue() const override { return taper_->RealToNormalized(GetValue()); }
    double GetNormalizedDefaultValue() const override
    {
        return taper_->RealToNormalized(defaultValue_);
    }
    void SetNormalizedValue(double normalized) override
    {
        if (automation_ != nullptr)
        {
            automation_->PostSetValueRequest(Identifier(), normalized);
            return;
        }
        UpdateNormalizedValue(normalized);
    }
    void UpdateNormalizedValue(double normalized) override
    {
        value_.store(taper_->NormalizedToReal(normalized), std::memory_order_relaxed);
    }
    bool GetValueString(char* out, int32_t maxLength) const override
    {
        return AAX_CopyText(display_->ValueToString(GetValue()), out, maxLength);
    }
    bool GetNormalizedValueString(double normalized, char* out, int32_t maxLength) const override
    {
        return AAX_CopyText(display_->ValueToString(taper_->NormalizedToReal(normalized)), out,
                            maxLength);
    }
    bool GetNormalizedValueFromDouble(double real, double* normalized) const override
    {
        if (normalized == nullptr || !std::isfinite(real))
        {
            return false;
        }
        // Clamped before the conversion so that no real value overflows an integer type.
        const double lowest = static_cast<double>(taper_->GetMinimumValue());
        const double highest = static_cast<double>(taper_->GetMaximumValue());
        *normalized = taper_->RealToNormalized(static_cast<T>(std::clamp(real, lowest, highest)));
        return true;
    }
    bool GetNormalizedValueFromString(const char* text, double* normalized) const override
    {
        T value{};
        if (text == nullptr || normalized == nullptr || !display_->StringToValue(text, &value))
        {
            return false;
        }
        *normalized = taper_->RealToNormalized(value);
        return true;
    }

    void Touch() override
    {
        if (automation_ != nullptr)
        {
            automation_->PostTouchRequest(Identifier());
        }
    }
    void Release() override
    {
        if (automation_ != nullptr)
        {
            automation_->PostReleaseRequest(Identifier());
        }
    }
    void SetAutomationDelegate(AAX_IAutomationDelegate* automation) override
    {
        automation_ = automation;
    }

private:
    std::string identifier_;
    std::string name_;
    std::unique_ptr<AAX_ITaperDelegate<T>> taper_;
    std::unique_ptr<AAX_IDisplayDelegate<T>> display_;
    T defaultValue_;
    std::atomic<T> value_; // written by the host's threads, read by the audio thread
    bool automatable_;
    int32_t steps_ = 2;
    AAX_EParameterType type_ = AAX_EParameterType::Discrete;
    AAX_IAutomationDelegate* automation_ = nullptr;
};
