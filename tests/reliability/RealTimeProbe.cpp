// The counting forwarders behind RealTimeProbe.h. Everything here runs inside the allocator
// and the mutex functions of the whole program, so it allocates nothing, takes no lock and
// touches only this thread's own variables (plain thread_local values of the executable, which
// live in its static TLS block and need no allocation to reach).

#include "tests/reliability/RealTimeProbe.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>
#include <execinfo.h>
#include <new>
#include <pthread.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KESTRUNE_PROBE_SANITIZER 1
#else
#define KESTRUNE_PROBE_SANITIZER 0
#endif

namespace
{

constexpr int kStackDepth = 24;

thread_local bool tArmed = false;
thread_local bool tInside = false; // set while the probe itself runs, against recursion
thread_local const void* tIgnoredMutex = nullptr;
thread_local long tAllocations = 0;
thread_local long tFrees = 0;
thread_local long tLocks = 0;
thread_local void* tFirstStack[kStackDepth] = {};
thread_local int tFirstDepth = 0;

void RecordFirstEvent() noexcept
{
    if (tFirstDepth == 0)
    {
        tFirstDepth = backtrace(tFirstStack, kStackDepth);
    }
}

void NoteAllocation() noexcept
{
    if (tArmed && !tInside)
    {
        tInside = true;
        ++tAllocations;
        RecordFirstEvent();
        tInside = false;
    }
}

void NoteFree(const volatile void* memory) noexcept
{
    if (memory != nullptr && tArmed && !tInside)
    {
        tInside = true;
        ++tFrees;
        RecordFirstEvent();
        tInside = false;
    }
}

void NoteLock(const void* mutex) noexcept
{
    if (tArmed && !tInside && mutex != tIgnoredMutex)
    {
        tInside = true;
        ++tLocks;
        RecordFirstEvent();
        tInside = false;
    }
}

using MutexFunction = int (*)(pthread_mutex_t*);

// The next definition of a mutex function after this program's own: the C library's, or a
// sanitizer's interceptor in front of it. Resolved on first use; dlsym of an existing symbol
// does not allocate.
MutexFunction NextMutexFunction(std::atomic<MutexFunction>& cache, const char* name) noexcept
{
    MutexFunction function = cache.load(std::memory_order_acquire);
    if (function == nullptr)
    {
        function = reinterpret_cast<MutexFunction>(dlsym(RTLD_NEXT, name));
        cache.store(function, std::memory_order_release);
    }
    return function;
}

std::atomic<MutexFunction> gNextLock{nullptr};
std::atomic<MutexFunction> gNextTryLock{nullptr};

#if KESTRUNE_PROBE_SANITIZER
void SanitizerMallocHook(const volatile void* /*memory*/, std::size_t /*size*/)
{
    NoteAllocation();
}

void SanitizerFreeHook(const volatile void* memory)
{
    NoteFree(memory);
}
#endif

} // namespace

#if KESTRUNE_PROBE_SANITIZER
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*,
                                                                            std::size_t),
                                                         void (*freeHook)(const volatile void*));
#else
extern "C"
{
    void* __libc_malloc(std::size_t size);
    void* __libc_calloc(std::size_t count, std::size_t size);
    void* __libc_realloc(void* memory, std::size_t size);
    void __libc_free(void* memory);
    void* __libc_memalign(std::size_t alignment, std::size_t size);
    void* __libc_valloc(std::size_t size);
    void* __libc_pvalloc(std::size_t size);
}
#endif

namespace
{

// Resolves what the counters need before any thread is armed: the mutex functions, and the
// unwinder behind backtrace, whose first use loads a library.
[[maybe_unused]] const bool gPrepared = []
{
    NextMutexFunction(gNextLock, "pthread_mutex_lock");
    NextMutexFunction(gNextTryLock, "pthread_mutex_trylock");
    void* stack[2];
    backtrace(stack, 2);
#if KESTRUNE_PROBE_SANITIZER
    __sanitizer_install_malloc_and_free_hooks(&SanitizerMallocHook, &SanitizerFreeHook);
#endif
    return true;
}();

} // namespace

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex) noexcept
{
    NoteLock(mutex);
    return NextMutexFunction(gNextLock, "pthread_mutex_lock")(mutex);
}

extern "C" int pthread_mutex_trylock(pthread_mutex_t* mutex) noexcept
{
    NoteLock(mutex);
    return NextMutexFunction(gNextTryLock, "pthread_mutex_trylock")(mutex);
}

#if !KESTRUNE_PROBE_SANITIZER

// The C allocator, counted. operator new and delete of the C++ library call these too; they are
// replaced below as well so that a build whose library does not would still be counted.
extern "C" void* malloc(std::size_t size) noexcept
{
    NoteAllocation();
    return __libc_malloc(size);
}

extern "C" void* calloc(std::size_t count, std::size_t size) noexcept
{
    NoteAllocation();
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* memory, std::size_t size) noexcept
{
    NoteAllocation();
    return __libc_realloc(memory, size);
}

extern "C" void free(void* memory) noexcept
{
    NoteFree(memory);
    __libc_free(memory);
}

extern "C" void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept
{
    NoteAllocation();
    return __libc_memalign(alignment, size);
}

extern "C" void* memalign(std::size_t alignment, std::size_t size) noexcept
{
    NoteAllocation();
    return __libc_memalign(alignment, size);
}

extern "C" void* valloc(std::size_t size) noexcept
{
    NoteAllocation();
    return __libc_valloc(size);
}

extern "C" void* pvalloc(std::size_t size) noexcept
{
    NoteAllocation();
    return __libc_pvalloc(size);
}

extern "C" int posix_memalign(void** out, std::size_t alignment, std::size_t size) noexcept
{
    NoteAllocation();
    if (alignment == 0 || (alignment & (alignment - 1)) != 0 || alignment % sizeof(void*) != 0)
    {
        return EINVAL;
    }
    void* memory = __libc_memalign(alignment, size);
    if (memory == nullptr)
    {
        return ENOMEM;
    }
    *out = memory;
    return 0;
}

// The replaced operators pair malloc with free; GCC cannot see that where it inlines a delete.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace
{
void* NewOrThrow(std::size_t size)
{
    if (void* memory = std::malloc(size == 0 ? 1 : size))
    {
        return memory;
    }
    throw std::bad_alloc();
}

void* AlignedNewOrThrow(std::size_t size, std::align_val_t alignment)
{
    void* memory = nullptr;
    if (posix_memalign(&memory, std::max(static_cast<std::size_t>(alignment), sizeof(void*)),
                       size == 0 ? 1 : size) == 0)
    {
        return memory;
    }
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size)
{
    return NewOrThrow(size);
}
void* operator new[](std::size_t size)
{
    return NewOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new(std::size_t size, std::align_val_t alignment)
{
    return AlignedNewOrThrow(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return AlignedNewOrThrow(size, alignment);
}
void operator delete(void* memory) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept
{
    std::free(memory);
}

#endif // !KESTRUNE_PROBE_SANITIZER

namespace rtprobe
{

void Arm(const void* ignoredMutex) noexcept
{
    tIgnoredMutex = ignoredMutex;
    tAllocations = 0;
    tFrees = 0;
    tLocks = 0;
    tFirstDepth = 0;
    tArmed = true;
}

Counts Disarm() noexcept
{
    tArmed = false;
    Counts counts;
    counts.allocations = tAllocations;
    counts.frees = tFrees;
    counts.locks = tLocks;
    return counts;
}

bool CountsLocks() noexcept
{
    return gNextLock.load() != nullptr && gNextTryLock.load() != nullptr;
}

void PrintFirstEvent() noexcept
{
    if (tFirstDepth > 0)
    {
        backtrace_symbols_fd(tFirstStack, tFirstDepth, STDERR_FILENO);
    }
}

} // namespace rtprobe
