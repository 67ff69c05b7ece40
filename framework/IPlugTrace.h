#pragma once

// The framework's trace points format a short text and hand it to one process-wide hook. No
// hook is installed by default, and then nothing is formatted at all; a test or a tool may
// install one. A hook may be called from any thread, including the audio thread, so it must not
// block; the text lives only for the duration of the call.
using TraceHook = void (*)(const char* text);

void SetTraceHook(TraceHook hook) noexcept;
TraceHook CurrentTraceHook() noexcept;

// printf-style; the text is cut at 255 characters. Allocates nothing.
void Trace(const char* format, ...) noexcept __attribute__((format(printf, 1, 2)));
