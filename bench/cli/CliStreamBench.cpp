// kestrune process and analyse over one long file (KESTRUNE_STREAM_SECONDS, 600 s without it;
// 3600 for the README's hour), 24-bit stereo 48 kHz noise and a tone, made in a temporary
// folder that is removed afterwards. Reports the tool's peak memory (max RSS of the child) and
// its speed as a multiple of real time.

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

constexpr int kRateHz = 48000;

double StreamSeconds()
{
    const char* text = std::getenv("KESTRUNE_STREAM_SECONDS");
    const double seconds = text != nullptr ? std::atof(text) : 0.0;
    return seconds > 0.0 ? seconds : 600.0;
}

class LongFile
{
public:
    LongFile() : dir_(fs::temp_directory_path() / ("kestrune-stream-" + std::to_string(getpid())))
    {
        fs::create_directories(dir_);
        SF_INFO info{};
        info.samplerate = kRateHz;
        info.channels = 2;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
        SNDFILE* file = sf_open(Input().c_str(), SFM_WRITE, &info);
        std::vector<float> block(2 * 4800);
        unsigned seed = 1;
        double phase = 0.0;
        const long total = static_cast<long>(StreamSeconds() * kRateHz);
        for (long done = 0; done < total; done += 4800)
        {
            for (int j = 0; j < 4800; ++j)
            {
                seed = seed * 1664525u + 1013904223u;
                const float noise = (static_cast<float>(seed >> 8) / 16777216.0f - 0.5f) * 0.3f;
                phase += 2.0 * M_PI * 440.0 / kRateHz;
                block[2 * j] = noise + static_cast<float>(0.3 * std::sin(phase));
                block[2 * j + 1] = noise - static_cast<float>(0.3 * std::sin(phase));
            }
            sf_writef_float(file, block.data(), 4800);
        }
        sf_close(file);
    }
    ~LongFile() { fs::remove_all(dir_); }

    std::string Input() const { return (dir_ / "long.wav").string(); }
    std::string Output() const { return (dir_ / "out.flac").string(); }
    std::string Printed() const { return (dir_ / "stdout.txt").string(); }

private:
    fs::path dir_;
};

// Runs the tool with `arguments` (standard output into `printed`), waits, and returns its peak
// memory in kB (-1 on failure).
long RunTool(const std::vector<std::string>& arguments, const std::string& printed)
{
    const pid_t child = fork();
    if (child == 0)
    {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(KESTRUNE_TOOL_PATH));
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        if (std::freopen(printed.c_str(), "w", stdout) == nullptr)
            _exit(126);
        execv(KESTRUNE_TOOL_PATH, argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

void Stream(benchmark::State& state, const std::vector<std::string>& arguments)
{
    static const LongFile file;
    std::vector<std::string> full = arguments;
    for (std::string& argument : full)
    {
        if (argument == "IN")
            argument = file.Input();
        else if (argument == "OUT")
            argument = file.Output();
    }
    long peakKb = 0;
    double seconds = 0.0;
    for (auto _ : state)
    {
        const auto start = std::chrono::steady_clock::now();
        peakKb = RunTool(full, file.Printed());
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (peakKb < 0)
            state.SkipWithError("the tool failed");
    }
    state.counters["maxRssMB"] = static_cast<double>(peakKb) / 1024.0;
    state.counters["xRealTime"] = StreamSeconds() / seconds;
}

void BM_Analyse(benchmark::State& state)
{
    Stream(state, {"analyse", "IN"});
}
void BM_ProcessToFlac(benchmark::State& state)
{
    Stream(state, {"process", "IN", "OUT", "--set", "Gain 10=6"});
}
void BM_ProcessAutoEqContinuous(benchmark::State& state)
{
    Stream(state, {"process", "IN", "OUT", "--set", "Auto Eq=Continuous"});
}

BENCHMARK(BM_Analyse)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_ProcessToFlac)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_ProcessAutoEqContinuous)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
