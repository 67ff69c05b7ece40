#include "framework/IPlugParameter.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

void CopyFixedText(char* dst, std::size_t capacity, const char* src) noexcept
{
    if (dst == nullptr || capacity == 0)
    {
        return;
    }
    if (src == nullptr)
    {
        dst[0] = '\0';
        return;
    }
    std::size_t length = 0;
    while (length + 1 < capacity && src[length] != '\0')
    {
        ++length;
    }
    std::memmove(dst, src, length);
    dst[length] = '\0';
}

int TruncateToInt(double value) noexcept
{
    if (std::isnan(value))
    {
        return 0;
    }
    const double truncated = std::trunc(value);
    if (truncated <= static_cast<double>(INT_MIN))
    {
        return INT_MIN;
    }
    if (truncated >= static_cast<double>(INT_MAX))
    {
        return INT_MAX;
    }
    return static_cast<int>(truncated);
}

namespace
{

// Decimals needed to show one step: multiply by ten until whole, at most six times.
int PrecisionForStep(double step)
{
    int precision = 0;
    double s = step;
    while (s != std::floor(s) && precision < 6)
    {
        s *= 10.0;
        ++precision;
    }
    return precision;
}

double ClampUnit(double n)
{
    return std::clamp(n, 0.0, 1.0);
}

// Writes a whole number the way "%d" shows an int, also beyond the int range.
void FormatWholeNumber(double value, char* out, std::size_t outSize)
{
    const double truncated = std::trunc(value);
    if (std::fabs(truncated) < 9.0e18)
    {
        std::snprintf(out, outSize, "%lld", static_cast<long long>(truncated));
    }
    else
    {
        std::snprintf(out, outSize, "%.0f", truncated);
    }
}

// A value that rounds to zero is shown as "0.0", not "-0.0": the sign of a rounded-away
// fraction means nothing to the reader.
void DropSignOfZero(char* text)
{
    if (text[0] != '-')
    {
        return;
    }
    for (const char* c = text + 1; *c != '\0'; ++c)
    {
        if (*c != '0' && *c != '.')
        {
            return;
        }
    }
    std::memmove(text, text + 1, std::strlen(text));
}

} // namespace

void IPlugParameter::DefineDouble(const char* name, double defaultValue, double min, double max,
                                  double step, const char* label, const char* group, double shape)
{
    if (type_ == ParameterKind::None)
    {
        type_ = ParameterKind::Double;
    }
    CopyFixedText(name_, sizeof(name_), name);
    CopyFixedText(label_, sizeof(label_), label);
    CopyFixedText(group_, sizeof(group_), group);
    min_ = min;
    value_.store(defaultValue, std::memory_order_relaxed);
    default_ = defaultValue;
    step_ = step;
    max_ = std::max(max, min + step);
    precision_ = PrecisionForStep(step);
    if (shape != 0.0)
    {
        shape_ = shape;
    }
}

void IPlugParameter::DefineBool(const char* name, bool defaultValue, const char* label,
                                const char* group)
{
    if (type_ == ParameterKind::None)
    {
        type_ = ParameterKind::Bool;
    }
    DefineDouble(name, defaultValue ? 1.0 : 0.0, 0.0, 1.0, 0.1, label, group, 1.0);
    AddDisplayText(0, "off");
    AddDisplayText(1, "on");
}

void IPlugParameter::DefineEnum(const char* name, int defaultValue, int count, const char* label,
                                const char* group)
{
    if (type_ == ParameterKind::None)
    {
        type_ = ParameterKind::Enum;
    }
    DefineDouble(name, defaultValue, 0.0, count - 1, 0.1, label, group, 1.0);
}

void IPlugParameter::AddDisplayText(int value, const char* text)
{
    DisplayText entry{};
    entry.value = value;
    CopyFixedText(entry.text, sizeof(entry.text), text);
    displayTexts_.push_back(entry);
}

const char* IPlugParameter::Label() const noexcept
{
    if (!displayTexts_.empty() && DisplayTextFor(TruncateToInt(Value()))[0] != '\0')
    {
        return "";
    }
    return label_;
}

const char* IPlugParameter::DisplayTextFor(int value) const noexcept
{
    for (const DisplayText& entry : displayTexts_)
    {
        if (entry.value == value)
        {
            return entry.text;
        }
    }
    return "";
}

const char* IPlugParameter::DisplayTextAt(int position, int* value) const noexcept
{
    if (position < 0 || position >= DisplayTextCount())
    {
        return "";
    }
    const DisplayText& entry = displayTexts_[static_cast<std::size_t>(position)];
    if (value != nullptr)
    {
        *value = entry.value;
    }
    return entry.text;
}

bool IPlugParameter::FindDisplayText(const char* text, int* value) const noexcept
{
    if (text == nullptr)
    {
        return false;
    }
    for (const DisplayText& entry : displayTexts_)
    {
        if (std::strcmp(entry.text, text) == 0)
        {
            if (value != nullptr)
            {
                *value = entry.value;
            }
            return true;
        }
    }
    return false;
}

double IPlugParameter::ToNormalized(double real) const noexcept
{
    const double range = max_ - min_;
    if (!(range > 0.0) || std::isnan(real))
    {
        return 0.0;
    }
    const double x = std::clamp(real, min_, max_);
    return ClampUnit(std::pow((x - min_) / range, 1.0 / shape_));
}

double IPlugParameter::FromNormalized(double normalised) const noexcept
{
    return std::pow(ClampUnit(normalised), shape_) * (max_ - min_) + min_;
}

void IPlugParameter::FormatForHost(double value, bool normalised, char* out, bool useDisplayTexts,
                                   std::size_t outSize) const noexcept
{
    if (out == nullptr || outSize == 0)
    {
        return;
    }
    const double v = normalised ? FromNormalized(value) : value;
    if (useDisplayTexts)
    {
        const char* text = DisplayTextFor(TruncateToInt(v));
        if (text[0] != '\0')
        {
            CopyFixedText(out, outSize, text);
            return;
        }
    }
    if (precision_ == 0)
    {
        FormatWholeNumber(v, out, outSize);
    }
    else
    {
        std::snprintf(out, outSize, "%.*f", precision_, v);
        DropSignOfZero(out);
    }
}

void IPlugParameter::SetFromNormalized(double normalised) noexcept
{
    if (!std::isfinite(normalised))
    {
        return;
    }
    double v = FromNormalized(normalised);
    if (type_ != ParameterKind::Double)
    {
        v = std::floor(v / step_ + 0.5) * step_;
    }
    else if (step_ == 1.0)
    {
        v = std::round(v);
    }
    if (!std::isfinite(v))
    {
        return;
    }
    value_.store(std::min(v, max_), std::memory_order_relaxed);
}

void IPlugParameter::SetClamped(double real) noexcept
{
    if (!std::isfinite(real))
    {
        return;
    }
    value_.store(real < min_ ? min_ : std::min(real, max_), std::memory_order_relaxed);
}
