#include "engine/AudioProcessor.h"

#include "dsp/Dsp.h"

#include <algorithm>
#include <cmath>

namespace
{

using ResamplingFilter = Dsp::FilterDesign<Dsp::Legendre::Design::LowPass<8>, 2, Dsp::DirectFormII>;

constexpr int kResamplingOrder = 8;

} // namespace

AudioProcessor::AudioProcessor()
    : upsampler_(std::make_unique<ResamplingFilter>()),
      downsampler_(std::make_unique<ResamplingFilter>())
{
    Reallocate();
}

AudioProcessor::~AudioProcessor() = default;

void AudioProcessor::SetOversampling(int factor)
{
    oversampling_ = std::max(factor, 1);
    Reallocate();
    Configure();
}

void AudioProcessor::SetInputGain(double gainDb)
{
    if (std::isfinite(gainDb))
    {
        inputGain_ = std::exp(gainDb * kDbToLinear);
    }
}

void AudioProcessor::SetOutputGain(double gainDb)
{
    if (std::isfinite(gainDb))
    {
        outputGain_ = std::exp(gainDb * kDbToLinear);
    }
}

void AudioProcessor::SetMix(double wetProportion)
{
    if (std::isfinite(wetProportion))
    {
        mix_ = wetProportion;
    }
}

void AudioProcessor::SetSampleRate(int sampleRateHz)
{
    sampleRateHz_ = sampleRateHz;
}

void AudioProcessor::SetBlockSize(int frames)
{
    blockSize_ = frames;
}

int AudioProcessor::PieceFrames() const noexcept
{
    return std::max(1, std::min(bufferFrames_, wetFrameLimit_) / oversampling_);
}

void AudioProcessor::ClearResamplerHistory() noexcept
{
    upsampler_->ResetState();
    downsampler_->ResetState();
}

void AudioProcessor::Reallocate()
{
    // The resampling filters are only run with a factor above 1; before the engine knows its
    // rate there is nothing meaningful to design them for.
    if (sampleRateHz_ > 0)
    {
        const double internalRateHz = static_cast<double>(sampleRateHz_) * oversampling_;
        Dsp::FilterParams params{};
        params[0] = internalRateHz;
        params[1] = kResamplingOrder;
        params[2] = sampleRateHz_ * 0.5;
        upsampler_->SetParams(params);
        downsampler_->SetParams(params);
    }
    // A block size below one frame still gets room for one frame so every piece has a place.
    const int frames = std::max(blockSize_, 1) * oversampling_;
    const auto room = static_cast<size_t>(std::max(frames, kReservedFrames * oversampling_));
    // The engine lock is held while the buffers are reallocated. Within their room they only
    // move their ends, which needs neither the allocator nor the lock: that is the case on the
    // audio thread, when an adapter resets processing for a new host block size.
    std::unique_lock<std::mutex> hold(engineLock_, std::defer_lock);
    if (dry_[0].capacity() < room || wet_[0].capacity() < room || dry_[1].capacity() < room ||
        wet_[1].capacity() < room)
    {
        hold.lock();
    }
    for (int c = 0; c < 2; ++c)
    {
        dry_[c].reserve(room);
        wet_[c].reserve(room);
        dry_[c].assign(static_cast<size_t>(frames), 0.0);
        wet_[c].assign(static_cast<size_t>(frames), 0.0);
    }
    bufferFrames_ = frames;
}

void AudioProcessor::Process(double* const* channels, int frames) noexcept
{
    const int total = std::max(frames, 0);
    const int piece = PieceFrames();
    int done = 0;
    pieceIndex_ = 0;
    do
    {
        const int n = std::min(piece, total - done);
        ProcessPiece(channels, done, n);
        done += n;
        ++pieceIndex_;
    } while (done < total);
    pieceIndex_ = 0;
}

void AudioProcessor::LoadWet(double* const* channels, int offset, int frames) noexcept
{
    const int k = oversampling_;
    for (int c = 0; c < 2; ++c)
    {
        double* x = channels[c] + offset;
        double* w = wet_[c].data();
        for (int j = 0; j < frames; ++j)
        {
            const double sample = std::isfinite(x[j]) ? x[j] : 0.0;
            x[j] = sample * inputGain_;
        }
        if (k <= 1)
        {
            std::copy(x, x + frames, w);
            continue;
        }
        for (int j = 0; j < frames; ++j)
        {
            w[j * k] = k * x[j];
            std::fill(w + j * k + 1, w + j * k + k, 0.0);
        }
    }
    if (k > 1)
    {
        double* wet[2] = {wet_[0].data(), wet_[1].data()};
        upsampler_->Process(frames * k, wet);
    }
}

void AudioProcessor::StoreWet(double* const* channels, int offset, int frames) noexcept
{
    const int k = oversampling_;
    double* wet[2] = {wet_[0].data(), wet_[1].data()};
    if (k > 1)
    {
        downsampler_->Process(frames * k, wet);
    }
    for (int c = 0; c < 2; ++c)
    {
        double* x = channels[c] + offset;
        for (int j = 0; j < frames; ++j)
        {
            x[j] = wet[c][j * k];
        }
    }
}

void AudioProcessor::ProcessPiece(double* const* channels, int offset, int frames) noexcept
{
    const int internalFrames = frames * oversampling_;
    LoadWet(channels, offset, frames);
    for (int c = 0; c < 2; ++c)
    {
        std::copy(wet_[c].data(), wet_[c].data() + internalFrames, dry_[c].data());
    }
    double* wet[2] = {wet_[0].data(), wet_[1].data()};
    ProcessWet(wet, internalFrames);
    // With a fully wet signal and unit output gain both steps leave every sample as it is.
    const bool mixes = mix_ != 1.0;
    const bool scales = outputGain_ != 1.0;
    for (int c = 0; c < 2 && (mixes || scales); ++c)
    {
        double* w = wet[c];
        double* d = dry_[c].data();
        for (int j = 0; j < internalFrames; ++j)
        {
            w[j] = (w[j] * mix_ + d[j] * (1.0 - mix_)) * outputGain_;
        }
    }
    StoreWet(channels, offset, frames);
}
