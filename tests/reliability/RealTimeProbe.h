#pragma once

// Counts what the calling thread does that a real-time thread must not: heap allocations and
// frees, and mutex acquisitions (pthread_mutex_lock and pthread_mutex_trylock). Counting covers
// only the thread that armed the probe, between Arm and Disarm, so the editor and other threads
// may allocate and lock freely meanwhile.
//
// Linking RealTimeProbe.cpp into a test program replaces the allocator entry points and the two
// mutex functions of the whole program with counting forwarders to the C library's own. Under
// AddressSanitizer or ThreadSanitizer the sanitizer owns the allocator, so allocations are
// counted through the sanitizer's public malloc and free hooks instead.

#include <cstddef>

namespace rtprobe
{

struct Counts
{
    long allocations = 0; // malloc, calloc, realloc, the aligned allocations, operator new
    long frees = 0;       // free (of a non-null pointer), operator delete
    long locks = 0;       // mutex acquisitions other than the ignored mutex
};

// Starts counting on this thread. Acquisitions of `ignoredMutex` (a pthread_mutex_t*, e.g.
// the plug-in lock's native handle) are not counted; null counts every mutex.
void Arm(const void* ignoredMutex) noexcept;
// Stops counting on this thread and returns what was counted since Arm.
Counts Disarm() noexcept;

// True when the mutex functions the counters forward to were found.
bool CountsLocks() noexcept;

// Writes the call stack of the first counted event since the last Arm to standard error
// (nothing when there was none).
void PrintFirstEvent() noexcept;

} // namespace rtprobe
