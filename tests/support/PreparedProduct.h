#pragma once

// The product as a host prepares it before the first block: made, told the sample rate and the
// largest block, processing reset. Tests and fuzz targets start from this.

#include "plugin/VantorKestrune.h"

#include <memory>

inline std::unique_ptr<VantorKestrune> PreparedProduct(double sampleRateHz, int blockFrames)
{
    std::unique_ptr<VantorKestrune> plug(CreatePlugin());
    plug->SetHostSampleRate(sampleRateHz);
    plug->SetHostBlockSize(blockFrames);
    plug->ResetProcessing();
    return plug;
}
