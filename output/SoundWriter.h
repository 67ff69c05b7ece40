#pragma once

// Audio written through libsndfile into an OutputFile: straight into a staged file, or, for an
// output that cannot seek (a pipe, a device, standard output), encoded in memory and written
// out whole when closed, since most formats rewrite their header at the end.

#include "output/OutputFile.h"

#include <sndfile.h>

#include <vector>

namespace output
{

class SoundWriter
{
public:
    // `info` gives the rate, channels and format; a FileError when libsndfile refuses them.
    SoundWriter(OutputFile& file, SF_INFO info);
    ~SoundWriter();
    SoundWriter(const SoundWriter&) = delete;
    SoundWriter& operator=(const SoundWriter&) = delete;

    // Encoder quality 0 (smallest) to 1 (best) for lossy formats, compression level 1 - q for
    // FLAC; before the first Write. Ignored by formats without either.
    void SetQuality(double quality);
    // Interleaved frames; a FileError when not all of them could be written.
    void Write(const double* interleaved, sf_count_t frames);
    void Write(const float* interleaved, sf_count_t frames);
    // Completes the file (header, and for a direct output the bytes themselves); a FileError
    // on failure. The OutputFile still has to be committed.
    void Close();

    // Position and contents of the in-memory file (virtual I/O callbacks).
    std::vector<char> memory;
    sf_count_t position = 0;

private:
    void Check(sf_count_t written, sf_count_t frames);

    OutputFile& file_;
    SNDFILE* sound_ = nullptr;
};

} // namespace output
