#pragma once

// The uniform filter interface and the templates that implement it for a design.
//
// A design supplies:
//   static constexpr int kDesignKind, kParamCount, kMaxSections;
//   static constexpr const char* kDesignName;
//   static ParamInfo ParamInfoAt(int position);          // position already validated
//   void Apply(const FilterParams& params);               // redesign, allocation-free
//   int SectionCount() const; const BiquadCoefficients* Sections() const;
//   std::vector<PoleZeroSection> PoleZeroSections() const;
//   Complex Response(double normalisedFreq) const;
// A single-section design usable with SmoothedFilterDesign also supplies
//   struct SectionCache;  static void DesignSection(const FilterParams&, SectionCache&,
//                                                   BiquadCoefficients&) noexcept;

#include "dsp/Biquad.h"
#include "dsp/Params.h"
#include "dsp/PoleZero.h"
#include "dsp/State.h"

#include <cmath>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <vector>

namespace Dsp
{

// A two-channel IIR filter configured through eight parameter values. Owners create filters
// individually and delete them through this interface. One thread at a time.
class Filter
{
public:
    virtual ~Filter() = default;

    virtual int DesignKind() const = 0;
    virtual const char* DesignName() const = 0;
    virtual int ParamCount() const = 0;
    // Throws std::logic_error("invalid usage of ParamInfo") outside 0 .. ParamCount() - 1.
    virtual ParamInfo GetParamInfo(int position) const = 0;
    virtual std::vector<PoleZeroSection> PoleZeroSections() const = 0;
    // H(e^{i 2 pi f}) with f a frequency divided by the sample rate.
    virtual Complex Response(double normalisedFreq) const = 0;
    virtual int ChannelCount() const = 0;
    // Clears the section states; the denormal offsets keep their values.
    virtual void ResetState() noexcept = 0;
    // Filters channels[0] .. channels[ChannelCount() - 1] in place, sampleCount samples each.
    // Audio thread: allocates nothing, takes no lock.
    virtual void Process(int sampleCount, double* const* channels) noexcept = 0;
    // Same with float samples; the arithmetic is in double.
    virtual void Process(int sampleCount, float* const* channels) noexcept = 0;

    // Copies params into the current parameters and redesigns. Must be called before the first
    // Process. Allocates nothing.
    void SetParams(const FilterParams& params)
    {
        m_params = params;
        ApplyParams(params);
    }

    // Stores value at the highest position whose kind matches and redesigns; a kind the design
    // does not have is ignored.
    void SetParamById(int kind, double value)
    {
        for (int position = ParamCount() - 1; position >= 0; --position)
        {
            if (GetParamInfo(position).kind == kind)
            {
                m_params[position] = value;
                ApplyParams(m_params);
                return;
            }
        }
    }

    const FilterParams& GetParams() const { return m_params; }

protected:
    virtual void ApplyParams(const FilterParams& params) = 0;

    FilterParams m_params{};
};

// Implements the design-facing part of the interface around one Design object.
template <typename Design> class FilterDesignBase : public Filter
{
public:
    int DesignKind() const override { return Design::kDesignKind; }
    const char* DesignName() const override { return Design::kDesignName; }
    int ParamCount() const override { return Design::kParamCount; }

    ParamInfo GetParamInfo(int position) const override
    {
        if (position < 0 || position >= Design::kParamCount)
        {
            throw std::logic_error("invalid usage of ParamInfo");
        }
        return Design::ParamInfoAt(position);
    }

    std::vector<PoleZeroSection> PoleZeroSections() const override
    {
        return m_design.PoleZeroSections();
    }

    Complex Response(double normalisedFreq) const override
    {
        return m_design.Response(normalisedFreq);
    }

    const Design& GetDesign() const { return m_design; }

protected:
    void ApplyParams(const FilterParams& params) override { m_design.Apply(params); }

    Design m_design;
};

// A design with per-channel Direct Form II states, redesigned at once on every change.
template <typename Design, int Channels, typename StateType>
class FilterDesign : public FilterDesignBase<Design>
{
public:
    int ChannelCount() const override { return Channels; }

    void ResetState() noexcept override
    {
        for (auto& channel : m_channels)
        {
            channel.Reset();
        }
    }

    void Process(int sampleCount, double* const* channels) noexcept override
    {
        ProcessFrames(0, sampleCount, channels);
    }

    // False when a state value of any channel is infinite or NaN, which no later input can
    // repair; the owner then clears the state with ResetState.
    bool StateFinite() const noexcept
    {
        double sum = 0.0;
        for (const auto& channel : m_channels)
        {
            sum += channel.Sum();
        }
        return std::isfinite(sum);
    }

    void Process(int sampleCount, float* const* channels) noexcept override
    {
        ProcessFrames(0, sampleCount, channels);
    }

protected:
    using ChannelStateType = ChannelState<StateType, Design::kMaxSections>;

    // Runs frames begin .. end - 1 of every channel (channel 0 first) through the cascade.
    template <typename Sample>
    void ProcessFrames(int begin, int end, Sample* const* channels) noexcept
    {
        const int sectionCount = this->m_design.SectionCount();
        if (sectionCount <= 0 || begin >= end || channels == nullptr)
        {
            return;
        }
        const BiquadCoefficients* sections = this->m_design.Sections();
        if constexpr (Channels == 2)
        {
            if (channels[0] != nullptr && channels[1] != nullptr && channels[0] != channels[1])
            {
                ProcessChannelPair(begin, end, channels, sections, sectionCount);
                return;
            }
        }
        for (int c = 0; c < Channels; ++c)
        {
            Sample* samples = channels[c];
            if (samples == nullptr)
            {
                continue;
            }
            ChannelStateType& state = m_channels[c];
            double offset = state.denormalOffset;
            for (int i = begin; i < end; ++i)
            {
                offset = -offset;
                double y = state.sections[0].Step(samples[i], sections[0], offset);
                for (int s = 1; s < sectionCount; ++s)
                {
                    y = state.sections[s].Step(y, sections[s]);
                }
                samples[i] = static_cast<Sample>(y);
            }
            state.denormalOffset = offset;
        }
    }

    // Both channels in one pass: their recursions are independent, so the processor overlaps
    // them. Gives the same result as one channel after the other.
    template <typename Sample>
    void ProcessChannelPair(int begin, int end, Sample* const* channels,
                            const BiquadCoefficients* sections, int sectionCount) noexcept
    {
        ChannelStateType& state0 = m_channels[0];
        ChannelStateType& state1 = m_channels[1];
        Sample* samples0 = channels[0];
        Sample* samples1 = channels[1];
        double offset0 = state0.denormalOffset;
        double offset1 = state1.denormalOffset;
        for (int i = begin; i < end; ++i)
        {
            offset0 = -offset0;
            offset1 = -offset1;
            double y0 = state0.sections[0].Step(samples0[i], sections[0], offset0);
            double y1 = state1.sections[0].Step(samples1[i], sections[0], offset1);
            for (int s = 1; s < sectionCount; ++s)
            {
                y0 = state0.sections[s].Step(y0, sections[s]);
                y1 = state1.sections[s].Step(y1, sections[s]);
            }
            samples0[i] = static_cast<Sample>(y0);
            samples1[i] = static_cast<Sample>(y1);
        }
        state0.denormalOffset = offset0;
        state1.denormalOffset = offset1;
    }

    std::array<ChannelStateType, Channels> m_channels{};
};

// A single-section design whose parameter changes ramp on a straight line over 128 samples,
// with a complete redesign at every ramp sample. The first SetParams takes effect at once.
template <typename Design, int Channels, typename StateType>
class SmoothedFilterDesign : public FilterDesign<Design, Channels, StateType>
{
    static_assert(Design::kMaxSections == 1, "smoothing needs a single-section design");
    using Base = FilterDesign<Design, Channels, StateType>;

public:
    static constexpr int kTransitionSamples = 128;

    void Process(int sampleCount, double* const* channels) noexcept override
    {
        ProcessSmoothed(sampleCount, channels);
    }

    void Process(int sampleCount, float* const* channels) noexcept override
    {
        ProcessSmoothed(sampleCount, channels);
    }

    // Ramp samples still to go; -1 before the first SetParams.
    int RemainingTransitionSamples() const { return m_remainingSamples; }
    // Parameters the ramp has reached.
    const FilterParams& TransitionParams() const { return m_transitionParams; }

    // Ends a ramp in progress: the current parameters apply from the next sample on. For an
    // owner whose previous parameters were unusable (nothing sound lies between them and the
    // new ones).
    void FinishTransition() noexcept
    {
        if (m_remainingSamples > 0)
        {
            m_remainingSamples = 0;
            m_transitionParams = this->m_params;
        }
    }

protected:
    void ApplyParams(const FilterParams& params) override
    {
        if (m_remainingSamples < 0)
        {
            m_remainingSamples = 0;
            m_transitionParams = params;
        }
        else
        {
            m_remainingSamples = m_transitionLength;
        }
        Base::ApplyParams(params);
    }

private:
    template <typename Sample>
    void ProcessSmoothed(int sampleCount, Sample* const* channels) noexcept
    {
        if (sampleCount <= 0 || channels == nullptr)
        {
            return;
        }
        const int rampSamples = std::min(sampleCount, m_remainingSamples);
        if (rampSamples > 0)
        {
            Ramp(rampSamples, channels);
        }
        this->ProcessFrames(std::max(rampSamples, 0), sampleCount, channels);
    }

    // Moves the transition parameters from where they stand towards the target, one equal step
    // per sample, so that they arrive after the remaining count.
    template <typename Sample> void Ramp(int rampSamples, Sample* const* channels) noexcept
    {
        const int remainingAtStart = m_remainingSamples;
        const FilterParams& target = this->m_params;
        FilterParams step{};
        for (int k = 0; k < Design::kParamCount; ++k)
        {
            step[k] = (target[k] - m_transitionParams[k]) / remainingAtStart;
        }
        for (int i = 0; i < rampSamples; ++i)
        {
            for (int k = 0; k < Design::kParamCount; ++k)
            {
                m_transitionParams[k] += step[k];
            }
            Design::DesignSection(m_transitionParams, m_sectionCache, m_transitionSection);
            for (int c = 0; c < Channels; ++c)
            {
                RampSample(c, channels[c], i);
            }
        }
        m_remainingSamples -= rampSamples;
        if (rampSamples == remainingAtStart)
        {
            m_transitionParams = target;
        }
    }

    template <typename Sample> void RampSample(int channel, Sample* samples, int index) noexcept
    {
        if (samples == nullptr)
        {
            return;
        }
        auto& state = this->m_channels[channel];
        state.denormalOffset = -state.denormalOffset;
        samples[index] = static_cast<Sample>(
            state.sections[0].Step(samples[index], m_transitionSection, state.denormalOffset));
    }

    FilterParams m_transitionParams{};
    BiquadCoefficients m_transitionSection{};
    typename Design::SectionCache m_sectionCache{};
    int m_transitionLength = kTransitionSamples;
    int m_remainingSamples = -1;
};

} // namespace Dsp
