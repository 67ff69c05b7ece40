#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

// A growable byte buffer for saved state. Values are appended as their bytes lie in memory
// (little-endian: int32 as 4 bytes, double as 8 bytes IEEE 754) and read back at a position.
// Every read returns the position after the value, or -1 when the value does not lie wholly
// inside the chunk; a failed read leaves its destination unchanged. Positions are ints, so a
// chunk never grows beyond INT_MAX bytes.
class StateChunk
{
public:
    // Storage grows in steps of this many bytes.
    static constexpr std::size_t kGranularity = 4096;

    StateChunk() = default;

    int Size() const noexcept { return static_cast<int>(bytes_.size()); }
    const std::uint8_t* Data() const noexcept { return bytes_.data(); }
    std::uint8_t* Data() noexcept { return bytes_.data(); }
    void Clear() noexcept { bytes_.clear(); }
    // Sets the size; new bytes are zero. False when the storage cannot grow.
    bool Resize(int size) noexcept;

    // Appends raw bytes. False (and nothing appended) when the storage cannot grow.
    bool PutBytes(const void* data, int size) noexcept;
    // Reads `size` raw bytes at `position`.
    int GetBytes(void* data, int size, int position) const noexcept;

    template <typename T> bool Put(const T& value) noexcept
    {
        static_assert(std::is_trivially_copyable_v<T>);
        return PutBytes(&value, static_cast<int>(sizeof(T)));
    }

    template <typename T> int Get(T* value, int position) const noexcept
    {
        static_assert(std::is_trivially_copyable_v<T>);
        return GetBytes(value, static_cast<int>(sizeof(T)), position);
    }

    // Appends an int32 byte count and the bytes of `text`, without terminator (null gives an
    // empty string).
    bool PutStr(const char* text) noexcept;
    bool PutStr(const std::string& text) noexcept;
    // Reads a counted string at `position`. A count of 0 gives "" and the position after the
    // count. A negative count, or a count whose bytes would lie past the end, gives -1 and
    // leaves `text` unchanged.
    int GetStr(std::string& text, int position) const;

private:
    bool Reserve(std::size_t size) noexcept;

    std::vector<std::uint8_t> bytes_;
};
