#include "framework/IPlugTrace.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace
{
std::atomic<TraceHook> gTraceHook{nullptr};
}

void SetTraceHook(TraceHook hook) noexcept
{
    gTraceHook.store(hook, std::memory_order_release);
}

TraceHook CurrentTraceHook() noexcept
{
    return gTraceHook.load(std::memory_order_acquire);
}

void Trace(const char* format, ...) noexcept
{
    const TraceHook hook = CurrentTraceHook();
    if (hook == nullptr || format == nullptr)
    {
        return;
    }
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    hook(text);
}
