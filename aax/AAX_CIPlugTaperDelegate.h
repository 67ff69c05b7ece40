#pragma once

#include "aax/sdk/AAX_Delegates.h"

#include <memory>

// Maps a continuous parameter between the host's normalised range and its real value exactly as
// the plug-in's own parameter does (IPlugParameter): real = n^shape x (max - min) + min. Non-finite
// inputs read as the minimum, so a host can never push NaN into the plug-in through the taper.
class AAX_CIPlugTaperDelegate final : public AAX_ITaperDelegate<double>
{
public:
    AAX_CIPlugTaperDelegate(double minValue, double maxValue, double shape);

    std::unique_ptr<AAX_ITaperDelegate<double>> Clone() const override;
    double GetMaximumValue() const override { return maxValue_; }
    double GetMinimumValue() const override { return minValue_; }
    double ConstrainRealValue(double value) const override;
    double NormalizedToReal(double normalized) const override;
    double RealToNormalized(double value) const override;

private:
    double minValue_;
    double maxValue_;
    double shape_;
};
