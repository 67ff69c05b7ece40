// A JACK client of the test's own: records what arrives at its two inputs and compares it,
// sample for sample, with a reference file (float WAV, stereo).
//   kestrune_jack_capture CLIENT_NAME REFERENCE.wav [TIMEOUT_SECONDS]
// Prints "ready" once its ports exist. Recording starts at the first frame that is not silent,
// and the reference is compared from its own first such frame, so the two line up whenever the
// sender started. Exit status 0 when every frame is equal.
#include <jack/jack.h>
#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace
{

struct Capture
{
    jack_port_t* ports[2] = {nullptr, nullptr};
    std::vector<float> frames; // interleaved, sized for the reference
    std::size_t wanted = 0;    // frames
    std::atomic<std::size_t> recorded{0};
    bool started = false;
};

int Process(jack_nframes_t count, void* arg)
{
    auto& capture = *static_cast<Capture*>(arg);
    const auto* left = static_cast<const float*>(jack_port_get_buffer(capture.ports[0], count));
    const auto* right = static_cast<const float*>(jack_port_get_buffer(capture.ports[1], count));
    std::size_t recorded = capture.recorded.load();
    for (jack_nframes_t i = 0; i < count && recorded < capture.wanted; ++i)
    {
        capture.started = capture.started || left[i] != 0.0f || right[i] != 0.0f;
        if (capture.started)
        {
            capture.frames[2 * recorded] = left[i];
            capture.frames[2 * recorded + 1] = right[i];
            ++recorded;
        }
    }
    capture.recorded.store(recorded);
    return 0;
}

// The reference from its first frame that is not silent.
std::vector<float> ReadReference(const char* path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (file == nullptr || info.channels != 2)
    {
        std::fprintf(stderr, "cannot read %s as a stereo file\n", path);
        std::exit(2);
    }
    std::vector<float> samples(static_cast<std::size_t>(info.frames) * 2);
    sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    const auto first =
        std::find_if(samples.begin(), samples.end(), [](float s) { return s != 0.0f; });
    const auto skip = static_cast<std::size_t>(first - samples.begin()) / 2 * 2;
    return {samples.begin() + static_cast<std::ptrdiff_t>(skip), samples.end()};
}

int Compare(const std::vector<float>& reference, const std::vector<float>& captured)
{
    double largest = 0.0;
    std::size_t mismatches = 0;
    std::size_t first = 0;
    for (std::size_t i = 0; i < reference.size(); ++i)
    {
        if (reference[i] != captured[i])
        {
            first = mismatches++ == 0 ? i : first;
            largest = std::max(largest, std::fabs(double(reference[i]) - captured[i]));
        }
    }
    if (mismatches == 0)
    {
        std::printf("equal: %zu frames\n", reference.size() / 2);
        return 0;
    }
    std::printf("%zu samples differ, the first at frame %zu (%.9g, expected %.9g), largest %.3g\n",
                mismatches, first / 2, captured[first], reference[first], largest);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: %s CLIENT_NAME REFERENCE.wav [TIMEOUT_SECONDS]\n", argv[0]);
        return 2;
    }
    const std::vector<float> reference = ReadReference(argv[2]);
    const double timeout = argc > 3 ? std::stod(argv[3]) : 30.0;
    Capture capture;
    capture.wanted = reference.size() / 2;
    capture.frames.assign(reference.size(), 0.0f);

    jack_client_t* client = jack_client_open(argv[1], JackNoStartServer, nullptr);
    if (client == nullptr)
    {
        std::fprintf(stderr, "no JACK server\n");
        return 2;
    }
    capture.ports[0] =
        jack_port_register(client, "in_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    capture.ports[1] =
        jack_port_register(client, "in_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(client, &Process, &capture);
    if (capture.ports[0] == nullptr || capture.ports[1] == nullptr || jack_activate(client) != 0)
    {
        std::fprintf(stderr, "cannot set up the capture client\n");
        return 2;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
    while (capture.recorded.load() < capture.wanted && std::chrono::steady_clock::now() < deadline)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    jack_deactivate(client);
    jack_client_close(client);
    if (capture.recorded.load() < capture.wanted)
    {
        std::printf("recorded %zu of %zu frames before the time ran out\n", capture.recorded.load(),
                    capture.wanted);
        return 1;
    }
    return Compare(reference, capture.frames);
}
