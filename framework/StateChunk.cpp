#include "framework/StateChunk.h"

#include <climits>
#include <exception>

bool StateChunk::Reserve(std::size_t size) noexcept
{
    if (size > static_cast<std::size_t>(INT_MAX))
    {
        return false;
    }
    if (size <= bytes_.capacity())
    {
        return true;
    }
    const std::size_t rounded = (size + kGranularity - 1) / kGranularity * kGranularity;
    try
    {
        bytes_.reserve(rounded);
    }
    catch (const std::exception&)
    {
        return false;
    }
    return true;
}

bool StateChunk::Resize(int size) noexcept
{
    if (size < 0 || !Reserve(static_cast<std::size_t>(size)))
    {
        return false;
    }
    bytes_.resize(static_cast<std::size_t>(size));
    return true;
}

bool StateChunk::PutBytes(const void* data, int size) noexcept
{
    if (size < 0 || (size > 0 && data == nullptr))
    {
        return false;
    }
    const std::size_t oldSize = bytes_.size();
    if (!Reserve(oldSize + static_cast<std::size_t>(size)))
    {
        return false;
    }
    bytes_.resize(oldSize + static_cast<std::size_t>(size));
    if (size > 0)
    {
        std::memcpy(bytes_.data() + oldSize, data, static_cast<std::size_t>(size));
    }
    return true;
}

int StateChunk::GetBytes(void* data, int size, int position) const noexcept
{
    if (position < 0 || size < 0)
    {
        return -1;
    }
    const long long end = static_cast<long long>(position) + size;
    if (end > Size())
    {
        return -1;
    }
    if (size > 0)
    {
        std::memcpy(data, bytes_.data() + position, static_cast<std::size_t>(size));
    }
    return static_cast<int>(end);
}

bool StateChunk::PutStr(const char* text) noexcept
{
    const std::size_t length = text == nullptr ? 0 : std::strlen(text);
    if (length > static_cast<std::size_t>(INT_MAX) - sizeof(std::int32_t))
    {
        return false;
    }
    const auto count = static_cast<std::int32_t>(length);
    if (!Reserve(bytes_.size() + sizeof(count) + length))
    {
        return false;
    }
    return Put(count) && PutBytes(text, count);
}

bool StateChunk::PutStr(const std::string& text) noexcept
{
    if (text.size() > static_cast<std::size_t>(INT_MAX) - sizeof(std::int32_t))
    {
        return false;
    }
    const auto count = static_cast<std::int32_t>(text.size());
    if (!Reserve(bytes_.size() + sizeof(count) + text.size()))
    {
        return false;
    }
    return Put(count) && PutBytes(text.data(), count);
}

int StateChunk::GetStr(std::string& text, int position) const
{
    std::int32_t count = 0;
    const int afterCount = Get(&count, position);
    if (afterCount < 0 || count < 0)
    {
        return -1;
    }
    const long long end = static_cast<long long>(afterCount) + count;
    if (end > Size())
    {
        return -1;
    }
    text.assign(reinterpret_cast<const char*>(bytes_.data()) + afterCount,
                static_cast<std::size_t>(count));
    return static_cast<int>(end);
}
