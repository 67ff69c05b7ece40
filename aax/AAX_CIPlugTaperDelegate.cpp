#include "aax/AAX_CIPlugTaperDelegate.h"

#include <algorithm>
#include <cmath>

AAX_CIPlugTaperDelegate::AAX_CIPlugTaperDelegate(double minValue, double maxValue, double shape)
    : minValue_(minValue), maxValue_(maxValue), shape_(shape > 0.0 ? shape : 1.0)
{
}

std::unique_ptr<AAX_ITaperDelegate<double>> AAX_CIPlugTaperDelegate::Clone() const
{
    return std::make_unique<AAX_CIPlugTaperDelegate>(*this);
}

double AAX_CIPlugTaperDelegate::ConstrainRealValue(double value) const
{
    if (std::isnan(value))
    {
        return minValue_;
    }
    return std::clamp(value, minValue_, maxValue_);
}

double AAX_CIPlugTaperDelegate::NormalizedToReal(double normalized) const
{
    if (!std::isfinite(normalized))
    {
        return minValue_;
    }
    const double real = std::pow(normalized, shape_) * (maxValue_ - minValue_) + minValue_;
    return ConstrainRealValue(real);
}

double AAX_CIPlugTaperDelegate::RealToNormalized(double value) const
{
    const double range = maxValue_ - minValue_;
    if (!(range > 0.0))
    {
        return 0.0;
    }
    const double normalized =
        std::pow((ConstrainRealValue(value) - minValue_) / range, 1.0 / shape_);
    return std::clamp(normalized, 0.0, 1.0);
}
