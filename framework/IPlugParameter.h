#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

// Fixed text capacities of the framework, terminator included.
inline constexpr std::size_t kParamTextCapacity = 32; // parameter names, labels, display texts
inline constexpr std::size_t kPlugNameCapacity = 128; // effect, product and maker names
inline constexpr std::size_t kLongNameCapacity = 256; // preset and host names

// Copies src into a fixed buffer of `capacity` bytes, truncating and always terminating.
// A null src gives "". Used for every fixed text buffer of the framework.
void CopyFixedText(char* dst, std::size_t capacity, const char* src) noexcept;

// Truncates towards zero and saturates at the int range; NaN gives 0. Discrete parameters
// read their values this way (display texts, labels).
int TruncateToInt(double value) noexcept;

enum class ParameterKind : int
{
    None = 0,
    Bool = 1,
    Enum = 3,
    Double = 4,
};

// One automatable parameter: a real value inside [min, max], its mapping to the normalised
// range [0, 1] that hosts and editor controls exchange, and its presentation.
//
// Threads: definitions happen once at construction. Changes happen under the plug-in lock; the
// editor reads the value without taking it, so the value itself is an atomic.
class IPlugParameter
{
public:
    struct DisplayText
    {
        int value;
        char text[kParamTextCapacity];
    };

    IPlugParameter() = default;
    IPlugParameter(const IPlugParameter&) = delete;
    IPlugParameter& operator=(const IPlugParameter&) = delete;

    void DefineDouble(const char* name, double defaultValue, double min, double max, double step,
                      const char* label = "", const char* group = "", double shape = 1.0);
    void DefineBool(const char* name, bool defaultValue, const char* label = "",
                    const char* group = "");
    void DefineEnum(const char* name, int defaultValue, int count, const char* label = "",
                    const char* group = "");
    void AddDisplayText(int value, const char* text);

    ParameterKind Kind() const noexcept { return type_; }
    double Value() const noexcept { return value_.load(std::memory_order_relaxed); }
    double Min() const noexcept { return min_; }
    double Max() const noexcept { return max_; }
    double Step() const noexcept { return step_; }
    double Shape() const noexcept { return shape_; }
    double DefaultValue() const noexcept { return default_; }
    int Precision() const noexcept { return precision_; }
    bool CanAutomate() const noexcept { return canAutomate_; }
    const char* Name() const noexcept { return name_; }
    const char* Group() const noexcept { return group_; }
    // The unit label as defined, whatever the current value.
    const char* UnitLabel() const noexcept { return label_; }
    // The label to show next to the value text: "" when the current value has a display text
    // (the text already says it all), otherwise the unit label.
    const char* Label() const noexcept;

    int DisplayTextCount() const noexcept { return static_cast<int>(displayTexts_.size()); }
    // Text of the first entry with that value; "" when there is none.
    const char* DisplayTextFor(int value) const noexcept;
    // Entry at a position of the list; "" (and `value` untouched) for a position outside it.
    const char* DisplayTextAt(int position, int* value) const noexcept;
    // First entry whose text equals `text` byte for byte.
    bool FindDisplayText(const char* text, int* value) const noexcept;

    double Normalized() const noexcept { return ToNormalized(Value()); }
    double ToNormalized(double real) const noexcept;
    // Normalised to real without any step rounding.
    double FromNormalized(double normalised) const noexcept;

    // Writes the value text into `out` (outSize bytes, always terminated). With `normalised`
    // the value is converted to real first; with `useDisplayTexts` a display text wins.
    void FormatForHost(double value, bool normalised, char* out, bool useDisplayTexts,
                       std::size_t outSize = kParamTextCapacity) const noexcept;

    // Normalised to real with step rounding. A normalised value outside [0, 1] is clamped into
    // it; a non-finite one is ignored and the parameter keeps its value.
    void SetFromNormalized(double normalised) noexcept;
    // Stores the real value clamped into [min, max], without step rounding. A non-finite value
    // is ignored and the parameter keeps its value.
    void SetClamped(double real) noexcept;

private:
    ParameterKind type_ = ParameterKind::None;
    std::atomic<double> value_{0.0};
    double min_ = 0.0;
    double max_ = 1.0;
    double step_ = 1.0;
    double shape_ = 1.0;
    double default_ = 0.0;
    int precision_ = 0;
    char name_[kParamTextCapacity] = {};
    char label_[kParamTextCapacity] = {};
    char group_[kParamTextCapacity] = {};
    bool canAutomate_ = true;
    std::vector<DisplayText> displayTexts_;
};
