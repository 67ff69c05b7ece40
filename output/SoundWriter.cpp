#include "output/SoundWriter.h"

#include <algorithm>
#include <cstring>

namespace output
{

namespace
{

SoundWriter& Self(void* user)
{
    return *static_cast<SoundWriter*>(user);
}

sf_count_t Length(void* user)
{
    return static_cast<sf_count_t>(Self(user).memory.size());
}

sf_count_t Seek(sf_count_t offset, int whence, void* user)
{
    SoundWriter& self = Self(user);
    const sf_count_t base = whence == SEEK_SET   ? 0
                            : whence == SEEK_CUR ? self.position
                                                 : static_cast<sf_count_t>(self.memory.size());
    self.position = std::max<sf_count_t>(base + offset, 0);
    return self.position;
}

sf_count_t Read(void* destination, sf_count_t count, void* user)
{
    SoundWriter& self = Self(user);
    const auto size = static_cast<sf_count_t>(self.memory.size());
    const sf_count_t available = std::clamp<sf_count_t>(size - self.position, 0, count);
    std::memcpy(destination, self.memory.data() + self.position,
                static_cast<std::size_t>(available));
    self.position += available;
    return available;
}

sf_count_t WriteBytes(const void* source, sf_count_t count, void* user)
{
    SoundWriter& self = Self(user);
    const auto end = static_cast<std::size_t>(self.position + count);
    if (end > self.memory.size())
    {
        self.memory.resize(end);
    }
    std::memcpy(self.memory.data() + self.position, source, static_cast<std::size_t>(count));
    self.position += count;
    return count;
}

sf_count_t Tell(void* user)
{
    return Self(user).position;
}

SF_VIRTUAL_IO kMemoryFile = {&Length, &Seek, &Read, &WriteBytes, &Tell};

} // namespace

SoundWriter::SoundWriter(OutputFile& file, SF_INFO info) : file_(file)
{
    sound_ = file.Seekable() ? sf_open_fd(file.Descriptor(), SFM_WRITE, &info, SF_FALSE)
                             : sf_open_virtual(&kMemoryFile, SFM_WRITE, &info, this);
    if (sound_ == nullptr)
    {
        throw FileError("cannot write " + file.Path() + ": " + sf_strerror(nullptr));
    }
    // Integer formats clip instead of wrapping around when a sample exceeds full scale.
    sf_command(sound_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

SoundWriter::~SoundWriter()
{
    if (sound_ != nullptr)
    {
        sf_close(sound_);
    }
}

void SoundWriter::SetQuality(double quality)
{
    double clamped = std::clamp(quality, 0.0, 1.0);
    if (sf_command(sound_, SFC_SET_VBR_ENCODING_QUALITY, &clamped, sizeof clamped) != SF_TRUE)
    {
        double level = 1.0 - clamped;
        sf_command(sound_, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
    }
}

void SoundWriter::Check(sf_count_t written, sf_count_t frames)
{
    if (written != frames)
    {
        const std::string why = sf_strerror(sound_);
        throw FileError("cannot write " + file_.Path() + ": " + why);
    }
}

void SoundWriter::Write(const double* interleaved, sf_count_t frames)
{
    Check(sf_writef_double(sound_, interleaved, frames), frames);
}

void SoundWriter::Write(const float* interleaved, sf_count_t frames)
{
    Check(sf_writef_float(sound_, interleaved, frames), frames);
}

void SoundWriter::Close()
{
    const int closed = sf_close(sound_);
    sound_ = nullptr;
    if (closed != 0)
    {
        throw FileError("cannot write " + file_.Path() + ": " + sf_error_number(closed));
    }
    if (!file_.Seekable())
    {
        file_.Write(memory.data(), memory.size());
    }
}

} // namespace output
