// Taper delegates (normalised <-> real value) and display delegates (real value -> text) that an
// AAX_CParameter is built from, with the stock implementations the plug-ins use.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

// Copies text into a host buffer of maxLength bytes, always terminated. False when nothing fits.
inline bool AAX_CopyText(const std::string& text, char* out, int32_t maxLength)
{
    if (out == nullptr || maxLength <= 0)
    {
        return false;
    }
    const size_t count = std::min(text.size(), static_cast<size_t>(maxLength - 1));
    text.copy(out, count);
    out[count] = '\0';
    return true;
}

template <typename T> class AAX_ITaperDelegate
{
public:
    virtual ~AAX_ITaperDelegate() = default;
    virtual std::unique_ptr<AAX_ITaperDelegate> Clone() const = 0;
    virtual T GetMaximumValue() const = 0;
    virtual T GetMinimumValue() const = 0;
    virtual T ConstrainRealValue(T value) const = 0;
    virtual T NormalizedToReal(double normalized) const = 0;
    virtual double RealToNormalized(T value) const = 0;
};

template <typename T> class AAX_IDisplayDelegate
{
public:
    virtual ~AAX_IDisplayDelegate() = default;
    virtual std::unique_ptr<AAX_IDisplayDelegate> Clone() const = 0;
    virtual std::string ValueToString(T value) const = 0;
    // The value a text stands for; false when the delegate cannot read it.
    virtual bool StringToValue(const std::string& /*text*/, T* /*value*/) const { return false; }
};

// Two states: normalised values from 0.5 up are true.
class AAX_CBinaryTaperDelegate final : public AAX_ITaperDelegate<bool>
{
public:
    std::unique_ptr<AAX_ITaperDelegate<bool>> Clone() const override
    {
        return std::make_unique<AAX_CBinaryTaperDelegate>(*this);
    }
    bool GetMaximumValue() const override { return true; }
    bool GetMinimumValue() const override { return false; }
    bool ConstrainRealValue(bool value) const override { return value; }
    bool NormalizedToReal(double normalized) const override { return normalized >= 0.5; }
    double RealToNormalized(bool value) const override { return value ? 1.0 : 0.0; }
};

// Whole numbers spread evenly over the normalised range; the nearest one is taken.
template <typename T> class AAX_CLinearTaperDelegate final : public AAX_ITaperDelegate<T>
{
public:
    AAX_CLinearTaperDelegate(T minValue, T maxValue)
        : minValue_(std::min(minValue, maxValue)), maxValue_(std::max(minValue, maxValue))
    {
    }
    std::unique_ptr<AAX_ITaperDelegate<T>> Clone() const override
    {
        return std::make_unique<AAX_CLinearTaperDelegate>(*this);
    }
    T GetMaximumValue() const override { return maxValue_; }
    T GetMinimumValue() const override { return minValue_; }
    T ConstrainRealValue(T value) const override { return std::clamp(value, minValue_, maxValue_); }
    T NormalizedToReal(double normalized) const override
    {
        if (!std::isfinite(normalized))
        {
            return minValue_;
        }
        const double span = static_cast<double>(maxValue_) - static_cast<double>(minValue_);
        const double real = std::round(std::clamp(normalized, 0.0, 1.0) * span) + minValue_;
        return ConstrainRealValue(static_cast<T>(real));
    }
    double RealToNormalized(T value) const override
    {
        const double span = static_cast<double>(maxValue_) - static_cast<double>(minValue_);
        if (span <= 0.0)
        {
            return 0.0;
        }
        return (static_cast<double>(ConstrainRealValue(value)) - minValue_) / span;
    }

private:
    T minValue_;
    T maxValue_;
};

class AAX_CBinaryDisplayDelegate final : public AAX_IDisplayDelegate<bool>
{
public:
    AAX_CBinaryDisplayDelegate(std::string falseText, std::string trueText)
        : falseText_(std::move(falseText)), trueText_(std::move(trueText))
    {
    }
    std::unique_ptr<AAX_IDisplayDelegate<bool>> Clone() const override
    {
        return std::make_unique<AAX_CBinaryDisplayDelegate>(*this);
    }
    std::string ValueToString(bool value) const override { return value ? trueText_ : falseText_; }
    bool StringToValue(const std::string& text, bool* value) const override
    {
        if (text != trueText_ && text != falseText_)
        {
            return false;
        }
        *value = text == trueText_;
        return true;
    }

private:
    std::string falseText_;
    std::string trueText_;
};

// A number with a fixed count of decimals.
template <typename T> class AAX_CNumberDisplayDelegate final : public AAX_IDisplayDelegate<T>
{
public:
    explicit AAX_CNumberDisplayDelegate(int decimals = 2) : decimals_(std::clamp(decimals, 0, 12))
    {
    }
    std::unique_ptr<AAX_IDisplayDelegate<T>> Clone() const override
    {
        return std::make_unique<AAX_CNumberDisplayDelegate>(*this);
    }
    std::string ValueToString(T value) const override
    {
        char text[64];
        std::snprintf(text, sizeof text, "%.*f", decimals_, static_cast<double>(value));
        return text;
    }

private:
    int decimals_;
};

// Adds a unit after the text of another display delegate: "1.50 dB". An empty unit adds nothing.
template <typename T> class AAX_CUnitDisplayDelegateDecorator final : public AAX_IDisplayDelegate<T>
{
public:
    AAX_CUnitDisplayDelegateDecorator(const AAX_IDisplayDelegate<T>& inner, std::string unit)
        : inner_(inner.Clone()), unit_(std::move(unit))
    {
    }
    AAX_CUnitDisplayDelegateDecorator(const AAX_CUnitDisplayDelegateDecorator& other)
        : inner_(other.inner_->Clone()), unit_(other.unit_)
    {
    }
    AAX_CUnitDisplayDelegateDecorator& operator=(const AAX_CUnitDisplayDelegateDecorator&) = delete;
    std::unique_ptr<AAX_IDisplayDelegate<T>> Clone() const override
    {
        return std::make_unique<AAX_CUnitDisplayDelegateDecorator>(*this);
    }
    std::string ValueToString(T value) const override
    {
        std::string text = inner_->ValueToString(value);
        if (!unit_.empty())
        {
            text += ' ';
            text += unit_;
        }
        return text;
    }

private:
    std::unique_ptr<AAX_IDisplayDelegate<T>> inner_;
    std::string unit_;
};

// One text per value; values without a text read "String Not Found".
template <typename T> class AAX_CStringDisplayDelegate final : public AAX_IDisplayDelegate<T>
{
public:
    static constexpr const char* kNotFoundText = "String Not Found";

    explicit AAX_CStringDisplayDelegate(std::map<T, std::string> texts) : texts_(std::move(texts))
    {
    }
    std::unique_ptr<AAX_IDisplayDelegate<T>> Clone() const override
    {
        return std::make_unique<AAX_CStringDisplayDelegate>(*this);
    }
    std::string ValueToString(T value) const override
    {
        const auto found = texts_.find(value);
        return found == texts_.end() ? std::string(kNotFoundText) : found->second;
    }
    bool StringToValue(const std::string& text, T* value) const override
    {
        for (const auto& [candidate, candidateText] : texts_)
        {
            if (candidateText == text)
            {
                *value = candidate;
                return true;
            }
        }
        return false;
    }

private:
    std::map<T, std::string> texts_;
};
