// Writes a 32-bit float WAV test signal (tones plus a little noise, mono or stereo), and compares
// two audio files sample for sample (headers may differ: they carry a time stamp).
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace
{
bool ReadAll(const char* path, SF_INFO* info, std::vector<float>* samples)
{
    SNDFILE* file = sf_open(path, SFM_READ, info);
    if (file == nullptr)
    {
        return false;
    }
    samples->resize(static_cast<size_t>(info->frames) * static_cast<size_t>(info->channels));
    const bool read = sf_readf_float(file, samples->data(), info->frames) == info->frames;
    sf_close(file);
    return read;
}

int Compare(const char* first, const char* second)
{
    SF_INFO a{};
    SF_INFO b{};
    std::vector<float> x;
    std::vector<float> y;
    if (!ReadAll(first, &a, &x) || !ReadAll(second, &b, &y))
    {
        std::fprintf(stderr, "cannot read both files\n");
        return 1;
    }
    if (a.channels != b.channels || a.samplerate != b.samplerate || a.frames != b.frames)
    {
        std::fprintf(stderr, "formats differ\n");
        return 1;
    }
    for (size_t i = 0; i < x.size(); ++i)
    {
        if (x[i] != y[i])
        {
            std::fprintf(stderr, "sample %zu differs: %.9g vs %.9g\n", i, static_cast<double>(x[i]),
                         static_cast<double>(y[i]));
            return 1;
        }
    }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "compare")
    {
        return Compare(argv[2], argv[3]);
    }
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: %s OUT.wav CHANNELS FRAMES | compare A B\n", argv[0]);
        return 2;
    }
    const int channels = std::atoi(argv[2]);
    const int frames = std::atoi(argv[3]);
    constexpr int kSampleRateHz = 44100;
    SF_INFO info{};
    info.samplerate = kSampleRateHz;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(argv[1], SFM_WRITE, &info);
    if (file == nullptr || channels < 1 || frames < 1)
    {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-0.02f, 0.02f);
    std::vector<float> samples(static_cast<size_t>(frames) * static_cast<size_t>(channels));
    for (int i = 0; i < frames; ++i)
    {
        for (int c = 0; c < channels; ++c)
        {
            const double t = static_cast<double>(i) / kSampleRateHz;
            samples[static_cast<size_t>(i * channels + c)] =
                static_cast<float>(0.3 * std::sin(2.0 * M_PI * (180.0 + 700.0 * c) * t) +
                                   0.1 * std::sin(2.0 * M_PI * 5200.0 * t)) +
                noise(random);
        }
    }
    const bool written = sf_writef_float(file, samples.data(), frames) == frames;
    return sf_close(file) == 0 && written ? 0 : 1;
}
