#include "dsp/Legendre.h"

#include <algorithm>

namespace Dsp
{
namespace Legendre
{

namespace
{
constexpr int kMaxIterations = 80;
constexpr double kEpsilon = 2.220446049250313e-16;
// Every tenth step is shortened by one of these fractions to break limit cycles.
constexpr double kStepFractions[] = {0.0, 0.5, 0.25, 0.75, 0.13, 0.38, 0.62, 0.88, 1.0};
} // namespace

Complex Laguerre(const Complex* coefficients, int degree, Complex start)
{
    Complex x = start;
    const double m = degree;
    for (int iteration = 1; iteration <= kMaxIterations; ++iteration)
    {
        // Value b, first derivative d and half the second derivative f by Horner's scheme,
        // with a bound on the rounding error of b.
        Complex b = coefficients[degree];
        double error = std::abs(b);
        Complex d(0.0, 0.0);
        Complex f(0.0, 0.0);
        const double absX = std::abs(x);
        for (int j = degree - 1; j >= 0; --j)
        {
            f = x * f + d;
            d = x * d + b;
            b = x * b + coefficients[j];
            error = std::abs(b) + absX * error;
        }
        error *= kEpsilon;
        if (std::abs(b) <= error)
        {
            return x;
        }

        const Complex g = d / b;
        const Complex g2 = g * g;
        const Complex h = g2 - 2.0 * f / b;
        const Complex sq = std::sqrt((m - 1.0) * (m * h - g2));
        Complex gp = g + sq;
        const Complex gm = g - sq;
        const double absGp = std::abs(gp);
        const double absGm = std::abs(gm);
        if (absGp < absGm)
        {
            gp = gm;
        }
        const Complex dx = std::max(absGp, absGm) > 0.0
                               ? m / gp
                               : (1.0 + absX) * Complex(std::cos(static_cast<double>(iteration)),
                                                        std::sin(static_cast<double>(iteration)));
        const Complex x1 = x - dx;
        if (x1 == x)
        {
            return x;
        }
        if (iteration % 10 != 0)
        {
            x = x1;
        }
        else
        {
            x -= kStepFractions[iteration / 10] * dx;
        }
    }
    throw std::logic_error("laguerre failed");
}

} // namespace Legendre
} // namespace Dsp
