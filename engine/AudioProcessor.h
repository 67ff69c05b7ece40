#pragma once

// Processing base of the signal engine: run-time configuration (rates, gains, mix), working
// buffers and the block frame (optional oversampling, dry copy, mixing, output gain) around the
// concrete engine's ProcessWet.

#include "product/Decibels.h"

#include <memory>
#include <mutex>
#include <vector>

namespace Dsp
{
class Filter;
}

class AudioProcessor
{
public:
    AudioProcessor(const AudioProcessor&) = delete;
    AudioProcessor& operator=(const AudioProcessor&) = delete;

    // All setters are called under the plug-in lock (never during Process).
    // factor <- max(factor, 1); resizes the buffers, redesigns the resampling filters, then
    // Configure(). This is the operation that brings a new rate or block size into effect.
    virtual void SetOversampling(int factor);
    virtual void SetInputGain(double gainDb);
    virtual void SetOutputGain(double gainDb);
    // Wet proportion; the dry signal gets 1 - mix.
    virtual void SetMix(double wetProportion);
    virtual void SetSampleRate(int sampleRateHz);
    virtual void SetBlockSize(int frames);

    // Processes two channels (0 left, 1 right) of `frames` doubles in place, on the audio thread
    // under the plug-in lock. A block longer than the buffers is processed in consecutive
    // pieces that fit; ProcessWet is always called at least once (with 0 frames for an empty
    // block). Non-finite input samples are treated as silence so they cannot poison the
    // filters' state.
    void Process(double* const* channels, int frames) noexcept;

    int SampleRate() const noexcept { return sampleRateHz_; }
    int OversamplingFactor() const noexcept { return oversampling_; }
    int BlockSize() const noexcept { return blockSize_; }
    double InputGain() const noexcept { return inputGain_; }
    double OutputGain() const noexcept { return outputGain_; }
    double Mix() const noexcept { return mix_; }
    // Frames (at the base rate) that one piece of Process may hold.
    int PieceFrames() const noexcept;

    // The working buffers have room for blocks of this many frames (at the base rate) from
    // construction on, so a block size change within it allocates nothing: the host adapters
    // reset processing on the audio thread when the host's block size changes.
    static constexpr int kReservedFrames = 8192;

protected:
    AudioProcessor();
    ~AudioProcessor();

    // The engine's own processing, in place, at the internal rate.
    virtual void ProcessWet(double* const* wet, int frames) noexcept = 0;
    // (Re)configures every rate-dependent part for SampleRate() * OversamplingFactor().
    virtual void Configure() = 0;

    // Upper bound on frames per ProcessWet call at the internal rate (the concrete engine's own
    // buffers); Process splits longer blocks.
    void LimitWetFrames(int frames) noexcept { wetFrameLimit_ = frames > 0 ? frames : 1; }
    // 0 for the first piece of a Process call, then 1, 2, ... for the following pieces, so the
    // engine can report per-call results over all pieces.
    int PieceIndex() const noexcept { return pieceIndex_; }

    void MarkUnprepared() noexcept { sampleRateHz_ = -1; }
    // Clears the resampling filters' states.
    void ClearResamplerHistory() noexcept;

private:
    void Reallocate();
    void ProcessPiece(double* const* channels, int offset, int frames) noexcept;
    void LoadWet(double* const* channels, int offset, int frames) noexcept;
    void StoreWet(double* const* channels, int offset, int frames) noexcept;

    int sampleRateHz_ = 44100;
    int oversampling_ = 1;
    int blockSize_ = 512;
    double outputGain_ = 1.0;
    double inputGain_ = 1.0;
    double mix_ = 1.0;
    std::unique_ptr<Dsp::Filter> upsampler_;
    std::unique_ptr<Dsp::Filter> downsampler_;
    std::vector<double> dry_[2];
    std::vector<double> wet_[2];
    int bufferFrames_ = 0; // frames each buffer holds at the internal rate
    int wetFrameLimit_ = 1 << 30;
    int pieceIndex_ = 0;
    std::mutex engineLock_; // held while the buffers are resized
};
