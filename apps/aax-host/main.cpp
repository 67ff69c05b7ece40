// kestrune-aax-host: plays an AAX host's part against the module. Loads it through its entry
// points, prints the description it registers and, given a file, runs it through an instance in
// the matching channel configuration with host-sized blocks, host parameter updates, a chunk
// round trip and, with --editor, the editor in a view container.

#include "aax/host/AaxHost.h"
#include "apps/aax-host/HostWindow.h"
#include "output/OutputFile.h"
#include "output/SoundWriter.h"
#include "plugin/StateDocumentShape.h"

#include <CLI/CLI.hpp>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace
{

struct Setting
{
    std::string name;
    std::string value;
    double atSeconds = 0.0;
};

struct Options
{
    std::string modulePath;
    std::string input;
    std::string output;
    int blockFrames = 512;
    std::vector<std::string> sets;
    std::vector<std::string> automations;
    std::string stateFile;
    std::string saveStateFile;
    bool editor = false;
    double editorSeconds = 0.0; // 0: until the user closes the window
    bool quiet = false;
};

std::string FourCCText(uint32_t code)
{
    std::string text = "'";
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        text += static_cast<char>((code >> shift) & 0xFFu);
    }
    return text + "'";
}

const char* FieldKindText(AAX_EFieldKind kind)
{
    switch (kind)
    {
    case AAX_EFieldKind::AudioIn:
        return "audio-in";
    case AAX_EFieldKind::AudioOut:
        return "audio-out";
    case AAX_EFieldKind::BufferLength:
        return "buffer-length";
    case AAX_EFieldKind::PrivateData:
        return "private-data";
    case AAX_EFieldKind::Node:
        return "node";
    }
    return "?";
}

std::string PropertyText(const AAX_SProperty& property)
{
    char text[64];
    const auto value = static_cast<uint32_t>(property.value);
    switch (property.id)
    {
    case AAX_eProperty_InputStemFormat:
    case AAX_eProperty_OutputStemFormat:
        std::snprintf(text, sizeof text, "0x%08" PRIX32 " (%d channels)", value,
                      AAX_StemChannelCount(value));
        return text;
    case AAX_eProperty_ManufacturerID:
    case AAX_eProperty_ProductID:
    case AAX_eProperty_PlugInID_Native:
    case AAX_eProperty_PlugInID_AudioSuite:
        std::snprintf(text, sizeof text, "0x%08" PRIX32 " ", value);
        return text + FourCCText(value);
    default:
        return std::to_string(property.value);
    }
}

void PrintDescription(const aaxhost::Module& module)
{
    const AAX_SCollectionRecord& description = module.Description();
    const uint64_t layer = module.SdkVersion();
    std::printf("layer version %u.%u\n", static_cast<unsigned>(layer >> 32),
                static_cast<unsigned>(layer & 0xFFFFFFFFu));
    for (const std::string& name : description.packageNames)
    {
        std::printf("package name \"%s\"\n", name.c_str());
    }
    for (const std::string& name : description.manufacturerNames)
    {
        std::printf("manufacturer \"%s\"\n", name.c_str());
    }
    std::printf("package version 0x%08X\n", description.packageVersion);
    for (const auto& [identifier, effect] : description.effects)
    {
        std::printf("effect \"%s\"\n", identifier.c_str());
        for (const std::string& name : effect.names)
        {
            std::printf("  name \"%s\"\n", name.c_str());
        }
        for (uint32_t category : effect.categories)
        {
            std::printf("  category %u\n", category);
        }
        for (const AAX_SProcRecord& proc : effect.procs)
        {
            std::printf("  factory %d\n", proc.procId);
        }
        int number = 0;
        for (const AAX_SComponentRecord& component : effect.components)
        {
            std::printf("  component %d\n", ++number);
            for (const AAX_SField& field : component.fields)
            {
                std::printf("    field %d %s", field.index, FieldKindText(field.kind));
                if (field.kind == AAX_EFieldKind::PrivateData)
                {
                    std::printf(" %u bytes", field.size);
                }
                if (field.kind == AAX_EFieldKind::Node)
                {
                    std::printf(" \"%s\" kind %u mask 0x%X", field.name.c_str(), field.nodeKind,
                                field.mask);
                }
                std::printf("\n");
            }
            for (const AAX_SProcessProc& proc : component.processProcs)
            {
                std::printf("    process procedure\n");
                for (const AAX_SProperty& property : proc.properties)
                {
                    std::printf("      property %u = %s\n", property.id,
                                PropertyText(property).c_str());
                }
            }
        }
    }
}

bool ParseSetting(const std::string& text, bool timed, Setting* setting, std::string* error)
{
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0)
    {
        *error = "expected NAME=VALUE" + std::string(timed ? "@SECONDS" : "") + ": " + text;
        return false;
    }
    setting->name = text.substr(0, equals);
    setting->value = text.substr(equals + 1);
    if (timed)
    {
        const size_t at = setting->value.rfind('@');
        if (at == std::string::npos)
        {
            *error = "expected NAME=VALUE@SECONDS: " + text;
            return false;
        }
        const std::string time = setting->value.substr(at + 1);
        char* end = nullptr;
        setting->atSeconds = std::strtod(time.c_str(), &end);
        if (time.empty() || *end != '\0' || !std::isfinite(setting->atSeconds) ||
            setting->atSeconds < 0.0)
        {
            *error = "not a time in seconds: " + text;
            return false;
        }
        setting->value = setting->value.substr(0, at);
    }
    return true;
}

// The parameter a setting names and its value, normalised: the value is a display text of the
// parameter or a real value. Changes nothing, so every setting is checked before processing.
AAX_IParameter* ResolveSetting(aaxhost::Instance& instance, const Setting& setting,
                               double* normalized, std::string* error)
{
    AAX_IParameter* parameter = instance.FindParameterByName(setting.name);
    if (parameter == nullptr)
    {
        *error = "unknown parameter: " + setting.name;
        return nullptr;
    }
    if (!parameter->GetNormalizedValueFromString(setting.value.c_str(), normalized))
    {
        char* end = nullptr;
        const double real = std::strtod(setting.value.c_str(), &end);
        if (end == setting.value.c_str() || *end != '\0' || !std::isfinite(real) ||
            !parameter->GetNormalizedValueFromDouble(real, normalized))
        {
            *error = "not a value of " + setting.name + ": " + setting.value;
            return nullptr;
        }
    }
    return parameter;
}

// Host update of a setting.
bool ApplySetting(aaxhost::Instance& instance, const Setting& setting, std::string* error)
{
    double normalized = 0.0;
    AAX_IParameter* parameter = ResolveSetting(instance, setting, &normalized, error);
    if (parameter == nullptr)
    {
        return false;
    }
    const AAX_Result result = instance.SetParameter(parameter->Identifier(), normalized);
    if (result != AAX_SUCCESS)
    {
        *error = "host update of " + setting.name + " failed: " + std::to_string(result);
        return false;
    }
    return true;
}

class SoundFile
{
public:
    SoundFile(const std::string& path, int mode, SF_INFO* info)
        : file_(sf_open(path.c_str(), mode, info))
    {
    }
    ~SoundFile()
    {
        if (file_ != nullptr)
        {
            sf_close(file_);
        }
    }
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;
    SNDFILE* get() const { return file_; }

private:
    SNDFILE* file_;
};

int Fail(const std::string& message);

// Shows the editor in a window of the host's own and wakes it up as a host's timer does, until
// the window is closed or the given time has passed.
int ShowEditor(AAX_IEffectGUI& gui, const AAX_Point& size, double seconds)
{
    std::string error;
    const std::unique_ptr<HostWindow> window = HostWindow::Open(
        static_cast<int>(size.horz), static_cast<int>(size.vert), "VantorKestrune", &error);
    if (window == nullptr)
    {
        return Fail(error);
    }
    aaxhost::ViewContainer container(window->NativeId());
    gui.SetViewContainer(&container);
    std::printf("editor opened in the host view: %d window(s) inside the host's\n",
                window->ChildWindowCount());
    std::fflush(stdout);
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (window->HandleEvents() && (seconds <= 0.0 || Clock::now() < end))
    {
        gui.TimerWakeup();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    gui.SetViewContainer(nullptr);
    std::printf("editor closed: %d window(s) inside the host's\n", window->ChildWindowCount());
    return 0;
}

int RunEditor(const aaxhost::Module& module, aaxhost::Instance& instance, double seconds)
{
    AAX_CreateEffectGUIProc factory = module.GuiFactory();
    std::unique_ptr<AAX_IEffectGUI> gui(factory != nullptr ? factory() : nullptr);
    if (gui == nullptr)
    {
        return Fail("the module made no editor");
    }
    gui->Initialize(instance.Effect());
    AAX_Point size;
    gui->GetViewSize(&size);
    std::printf("editor %g x %g\n", static_cast<double>(size.horz), static_cast<double>(size.vert));
    const int status = ShowEditor(*gui, size, seconds);
    gui->Uninitialize();
    return status;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "kestrune-aax-host: %s\n", message.c_str());
    return 1;
}

// What a host does with a new instance before its first block: every parameter announced,
// then the --state document applied as the chunk and the --set values as host updates. 0, or
// the exit status after a reported failure.
int ApplyStartSettings(const Options& options, aaxhost::Instance& instance)
{
    instance.AnnounceAllParameters();
    if (!options.stateFile.empty())
    {
        const std::string text = output::ReadBoundedFile(options.stateFile, kMaxStateFileBytes);
        if (!LooksLikeStateDocument(text))
        {
            return Fail(options.stateFile + " is not a state document");
        }
        if (instance.ApplyChunk(FrameStateDocument(text)) != AAX_SUCCESS)
        {
            return Fail("cannot apply state " + options.stateFile);
        }
    }
    std::string error;
    for (const std::string& text : options.sets)
    {
        Setting setting;
        if (!ParseSetting(text, false, &setting, &error) ||
            !ApplySetting(instance, setting, &error))
        {
            return Fail(error);
        }
    }
    return 0;
}

// The editor of a stereo instance with the --state and --set values, without processing.
int EditorOnly(const Options& options, const aaxhost::Module& module)
{
    const AAX_SComponentRecord* component = module.ComponentForChannels(2);
    if (component == nullptr)
    {
        return Fail("no stereo component");
    }
    aaxhost::Instance instance(module, *component, 44100.0f);
    if (instance.Effect() == nullptr || instance.Initialize() != AAX_SUCCESS)
    {
        return Fail("the module's instance did not initialise");
    }
    if (const int status = ApplyStartSettings(options, instance); status != 0)
    {
        return status;
    }
    return RunEditor(module, instance, options.editorSeconds);
}

int ProcessFile(const Options& options, const aaxhost::Module& module)
{
    SF_INFO inputInfo{};
    SoundFile input(options.input, SFM_READ, &inputInfo);
    if (input.get() == nullptr)
    {
        return Fail("cannot read " + options.input + ": " + sf_strerror(nullptr));
    }
    const int channels = inputInfo.channels;
    const AAX_SComponentRecord* component = module.ComponentForChannels(channels);
    if (component == nullptr)
    {
        return Fail("no component for " + std::to_string(channels) + " channels");
    }
    aaxhost::Instance instance(module, *component, static_cast<float>(inputInfo.samplerate));
    if (instance.Effect() == nullptr || instance.Initialize() != AAX_SUCCESS)
    {
        return Fail("the module's instance did not initialise");
    }
    if (const int status = ApplyStartSettings(options, instance); status != 0)
    {
        return status;
    }
    std::string error;
    std::vector<Setting> automations;
    for (const std::string& text : options.automations)
    {
        Setting setting;
        double normalized = 0.0;
        if (!ParseSetting(text, true, &setting, &error) ||
            ResolveSetting(instance, setting, &normalized, &error) == nullptr)
        {
            return Fail(error);
        }
        automations.push_back(setting);
    }
    std::stable_sort(automations.begin(), automations.end(),
                     [](const Setting& a, const Setting& b) { return a.atSeconds < b.atSeconds; });

    // Both outputs are checked and opened before the first block; they are committed together
    // at the end, so a failure anywhere leaves neither behind.
    auto [audioFile, stateFile] = output::OpenAudioAndStateOutputs(
        options.output, options.saveStateFile, options.input, options.stateFile);
    output::SoundWriter output(audioFile, inputInfo);
    const int block = options.blockFrames;
    const auto channelCount = static_cast<size_t>(channels);
    std::vector<float> interleaved(static_cast<size_t>(block) * channelCount);
    std::vector<std::vector<float>> in(channelCount,
                                       std::vector<float>(static_cast<size_t>(block)));
    std::vector<std::vector<float>> out(channelCount,
                                        std::vector<float>(static_cast<size_t>(block)));
    std::vector<float*> inPointers;
    std::vector<float*> outPointers;
    for (size_t c = 0; c < channelCount; ++c)
    {
        inPointers.push_back(in[c].data());
        outPointers.push_back(out[c].data());
    }
    size_t nextAutomation = 0;
    int64_t framesDone = 0;
    for (;;)
    {
        const sf_count_t got = sf_readf_float(input.get(), interleaved.data(), block);
        if (got <= 0)
        {
            break;
        }
        const int64_t blockEnd = framesDone + got;
        while (nextAutomation < automations.size() &&
               automations[nextAutomation].atSeconds * inputInfo.samplerate < blockEnd)
        {
            if (!ApplySetting(instance, automations[nextAutomation++], &error))
            {
                return Fail(error);
            }
        }
        for (size_t c = 0; c < channelCount; ++c)
        {
            for (sf_count_t i = 0; i < block; ++i)
            {
                // The host's blocks keep their size: the last one is filled with silence.
                in[c][static_cast<size_t>(i)] =
                    i < got ? interleaved[static_cast<size_t>(i) * channelCount + c] : 0.0f;
            }
        }
        instance.Render(inPointers.data(), outPointers.data(), block);
        for (size_t c = 0; c < channelCount; ++c)
        {
            for (sf_count_t i = 0; i < got; ++i)
            {
                interleaved[static_cast<size_t>(i) * channelCount + c] =
                    out[c][static_cast<size_t>(i)];
            }
        }
        output.Write(interleaved.data(), got);
        framesDone = blockEnd;
    }
    output.Close();
    if (!options.quiet)
    {
        std::printf("rendered %" PRId64 " frames, %d channels, blocks of %d\n", framesDone,
                    channels, block);
    }

    AAX_Result result = AAX_SUCCESS;
    const std::vector<char> chunk = instance.TakeChunk(&result);
    if (result != AAX_SUCCESS)
    {
        return Fail("taking the chunk failed: " + std::to_string(result));
    }
    aaxhost::Instance restored(module, *component, static_cast<float>(inputInfo.samplerate));
    bool equalBefore = true;
    bool equalAfter = false;
    if (restored.Effect() == nullptr || restored.Initialize() != AAX_SUCCESS ||
        restored.CompareChunk(chunk, &equalBefore) != AAX_SUCCESS ||
        restored.ApplyChunk(chunk) != AAX_SUCCESS ||
        restored.CompareChunk(chunk, &equalAfter) != AAX_SUCCESS)
    {
        return Fail("applying the chunk to a second instance failed");
    }
    if (!options.quiet)
    {
        std::printf("chunk %zu bytes; fresh instance equal before %s, after applying %s\n",
                    chunk.size(), equalBefore ? "yes" : "no", equalAfter ? "yes" : "no");
    }
    if (stateFile)
    {
        stateFile->Write(StateDocumentText(chunk));
    }
    audioFile.Commit();
    if (stateFile)
    {
        stateFile->Commit();
    }
    if (options.editor)
    {
        return RunEditor(module, instance, options.editorSeconds);
    }
    return 0;
}

std::string DefaultModulePath(const char* argv0)
{
    std::error_code ignored;
    const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", ignored);
    const std::filesystem::path base = self.empty() ? std::filesystem::path(argv0) : self;
    return (base.parent_path().parent_path() / "aax" / "VantorKestrune.aaxplugin").string();
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    options.modulePath = DefaultModulePath(argv[0]);
    CLI::App app{"Plays an AAX host's part against the VantorKestrune module"};
    app.add_option("--module", options.modulePath, "The module to load")->capture_default_str();
    app.add_option("input", options.input,
                   "Audio file to run through an instance (mono or stereo)");
    app.add_option("output", options.output, "Where the processed audio goes");
    app.add_option("--block", options.blockFrames, "Frames per host block")
        ->capture_default_str()
        ->check(CLI::Range(1, 65536));
    app.add_option("--set", options.sets, "Host update before the first block: \"NAME=VALUE\"");
    app.add_option("--automate", options.automations,
                   "Host update during playback: \"NAME=VALUE@SECONDS\"");
    app.add_option("--state", options.stateFile, "State document applied as the chunk first");
    app.add_option("--save-state", options.saveStateFile, "Write the chunk's state document");
    app.add_flag("--editor", options.editor,
                 "Show the editor in a window of the host's own until it is closed");
    app.add_option("--editor-seconds", options.editorSeconds,
                   "Close the editor window after this many seconds (0: when the user closes it)")
        ->check(CLI::NonNegativeNumber);
    app.add_flag("--quiet", options.quiet, "Print nothing but errors");
    try
    {
        app.parse(argc, argv);
    }
    catch (const CLI::ParseError& e)
    {
        return app.exit(e) == 0 ? 0 : 2;
    }
    if (options.input.empty() != options.output.empty())
    {
        std::fprintf(stderr, "kestrune-aax-host: give both an input and an output file\n");
        return 2;
    }

    std::string error;
    int status = 0;
    {
        const std::unique_ptr<aaxhost::Module> module =
            aaxhost::Module::Load(options.modulePath, &error);
        if (module == nullptr)
        {
            return Fail(error);
        }
        if (!options.quiet)
        {
            PrintDescription(*module);
        }
        if (!options.input.empty())
        {
            try
            {
                status = ProcessFile(options, *module);
            }
            catch (const output::FileError& fileError)
            {
                status = Fail(fileError.what());
            }
        }
        else if (options.editor)
        {
            try
            {
                status = EditorOnly(options, *module);
            }
            catch (const output::FileError& fileError)
            {
                status = Fail(fileError.what());
            }
        }
    }
    std::fflush(stdout);
    return status;
}
