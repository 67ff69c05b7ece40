#pragma once

// How long a reliability test runs: seconds from an environment variable, so that a long run is
// the same program with another setting.

#include <cmath>
#include <cstdlib>

namespace reliability
{

// The variable's value when it is a positive finite number of seconds, fallback otherwise.
inline double SecondsFromEnvironment(const char* variable, double fallback)
{
    const char* text = std::getenv(variable);
    if (text == nullptr || *text == '\0')
    {
        return fallback;
    }
    const double seconds = std::strtod(text, nullptr);
    return std::isfinite(seconds) && seconds > 0.0 ? seconds : fallback;
}

} // namespace reliability
