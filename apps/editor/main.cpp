// kestrune-editor: the plug-in as a program of its own. A JACK client with stereo inputs and
// outputs (when a JACK server runs, PipeWire's included), with the editor in a top-level X11
// window. With --input a file plays through the plug-in to the outputs. Without JACK (--audio
// none) the file plays on a thread of our own at its real-time pace and the output is discarded,
// so the analyser moves and the Auto EQ works while the user watches.
#include "apps/editor/JackAudio.h"
#include "apps/editor/RealtimePlayer.h"
#include "graphics/x11/IGraphicsX11.h"
#include "plugin/VantorKestrune.h"
#include "session/AudioSession.h"
#include "session/EditorPicture.h"
#include "session/SessionOptions.h"

#include <CLI/CLI.hpp>

// After the project headers: Xlib's None and Bool macros would rewrite their names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace
{

constexpr int kDefaultSampleRateHz = 48000;
constexpr int kBlockFrames = 512;

std::atomic<bool> gStopRequested{false};

void RequestStop(int /*signal*/)
{
    gStopRequested.store(true);
}

struct Options
{
    std::string input;
    SessionOptions session;
    std::string saveState;
    std::string screenshot;
    double quitAfterSeconds = 0.0;
    bool loop = false;
    std::string audio = "auto"; // auto, jack or none
    std::string clientName = "VantorKestrune";
    bool connectToSystem = false;
    std::string connectTo;
    bool window = true;
};

// Whether to stop the run loop now: the user's signal, the time limit, the server's end, or,
// without a window, the end of a file played once.
bool TimeToStop(const Options& options, double elapsedSeconds, const JackAudio* jack)
{
    if (gStopRequested.load())
    {
        return true;
    }
    if (options.quitAfterSeconds > 0.0 && elapsedSeconds >= options.quitAfterSeconds)
    {
        return true;
    }
    if (jack != nullptr && jack->ServerGone())
    {
        std::fprintf(stderr, "kestrune-editor: the JACK server went away\n");
        return true;
    }
    return !options.window && jack != nullptr && !options.input.empty() && !options.loop &&
           jack->FileFinished();
}

// The window's own pixels as the X server shows them, written as PNG.
void WriteWindowScreenshot(IGraphicsX11& editor, const std::string& path)
{
    Display* display = editor.XDisplay();
    const auto window = static_cast<Window>(editor.XWindow());
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(editor.Width()),
                              static_cast<unsigned>(editor.Height()), AllPlanes, ZPixmap);
    if (image == nullptr)
    {
        throw ToolError("cannot read the window's pixels back from the X server");
    }
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, editor.Width(), editor.Height());
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < editor.Height(); ++y)
    {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = 0; x < editor.Width(); ++x)
        {
            row[x] = static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xffffffu;
        }
    }
    cairo_surface_mark_dirty(surface);
    XDestroyImage(image);
    try
    {
        kestrune::WritePng(surface, path);
    }
    catch (...)
    {
        cairo_surface_destroy(surface);
        throw;
    }
    cairo_surface_destroy(surface);
}

// Drives the window until the user closes it, a signal arrives or the time is up.
void RunWindow(IGraphicsX11& editor, const Options& options, const JackAudio* jack)
{
    const auto start = std::chrono::steady_clock::now();
    while (editor.NativeWindow() != nullptr)
    {
        editor.Idle();
        if (editor.NativeWindow() == nullptr)
        {
            break;
        }
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (TimeToStop(options, elapsed, jack))
        {
            if (!options.screenshot.empty() && !gStopRequested.load())
            {
                WriteWindowScreenshot(editor, options.screenshot);
            }
            editor.CloseEditorWindow();
            break;
        }
        pollfd descriptor{ConnectionNumber(editor.XDisplay()), POLLIN, 0};
        if (XPending(editor.XDisplay()) == 0)
        {
            poll(&descriptor, 1, editor.MsUntilDue());
        }
    }
}

// Runs without a window until it is time to stop.
void RunHeadless(const Options& options, const JackAudio* jack)
{
    const auto start = std::chrono::steady_clock::now();
    while (!TimeToStop(
        options, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
        jack))
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// The JACK client, or none: with --audio auto when no server runs (said on standard error).
std::unique_ptr<JackAudio> OpenJack(const Options& options)
{
    if (options.audio == "none")
    {
        return nullptr;
    }
    try
    {
        return std::make_unique<JackAudio>(options.clientName);
    }
    catch (const ToolError& error)
    {
        if (options.audio == "jack")
        {
            throw;
        }
        std::fprintf(stderr, "kestrune-editor: %s; running without sound\n", error.what());
        return nullptr;
    }
}

IGraphicsX11& OpenWindow(HostSession& session)
{
    auto* editor = dynamic_cast<IGraphicsX11*>(session.Plugin().Editor());
    if (editor == nullptr)
    {
        throw ToolError("the plug-in has no X11 editor");
    }
    editor->SetWindowTitle("VantorKestrune");
    if (editor->OpenEditorWindow(nullptr) == nullptr)
    {
        throw ToolError("cannot open a window on the X display (is DISPLAY set?)");
    }
    return *editor;
}

int Run(const Options& options)
{
    if (options.window)
    {
        UseX11Graphics(); // before the plug-in exists: it makes its editor with the window system
    }
    AudioData audio;
    if (!options.input.empty())
    {
        audio = ReadAudioFile(options.input);
    }
    std::unique_ptr<JackAudio> jack = OpenJack(options);
    if (jack == nullptr && !options.window && options.quitAfterSeconds <= 0.0)
    {
        throw ToolError("--no-window without JACK needs --quit-after");
    }
    const int sampleRateHz = jack != nullptr          ? jack->SampleRateHz()
                             : audio.sampleRateHz > 0 ? audio.sampleRateHz
                                                      : kDefaultSampleRateHz;
    const int blockFrames = jack != nullptr ? jack->BufferFrames() : kBlockFrames;
    HostSession session(sampleRateHz, blockFrames);
    ApplySessionOptions(session, options.session, sampleRateHz);
    IGraphicsX11* editor = options.window ? &OpenWindow(session) : nullptr;

    std::optional<RealtimePlayer> player;
    if (jack != nullptr)
    {
        jack->Start(session.Plugin(), audio, options.loop);
        if (options.connectToSystem)
        {
            jack->ConnectToSystem();
        }
        if (!options.connectTo.empty())
        {
            jack->ConnectToClient(options.connectTo);
        }
        jack->BeginPlaying();
    }
    else
    {
        player.emplace(session.Plugin(), audio, kBlockFrames, options.loop);
        player->Start();
    }
    if (editor != nullptr)
    {
        RunWindow(*editor, options, jack.get());
    }
    else
    {
        RunHeadless(options, jack.get());
    }
    if (player)
    {
        player->Stop();
    }
    jack.reset();
    if (!options.saveState.empty())
    {
        WriteTextFile(options.saveState, session.StateDocument(), {options.input});
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{
        "VantorKestrune as a program: a JACK client with stereo inputs and outputs and the "
        "editor in a window. With --input a file plays through the plug-in to the "
        "outputs (then the inputs come through)."};
    Options options;
    app.add_option("--input", options.input,
                   "mono or stereo audio file to play (at the JACK server's sample rate)")
        ->check(CLI::ExistingFile);
    app.add_flag("--loop", options.loop, "play the input again and again");
    AddSessionOptions(app, options.session, 0);
    app.add_option("--save-state", options.saveState, "write the state document here on exit");
    app.add_option("--audio", options.audio,
                   "auto: JACK when a server runs (default); jack: JACK or fail; none: no sound, "
                   "the input plays at its own pace")
        ->check(CLI::IsMember({"auto", "jack", "none"}));
    app.add_option("--name", options.clientName, "JACK client name (default VantorKestrune)");
    app.add_flag("--connect", options.connectToSystem,
                 "connect to the system's capture and playback ports");
    app.add_option("--connect-to", options.connectTo,
                   "connect the outputs to the inputs of this JACK client (and its outputs to "
                   "ours)");
    bool noWindow = false;
    app.add_flag("--no-window", noWindow,
                 "run without the editor window (with --input and no --loop: until the file "
                 "has played)");
    app.add_option("--screenshot", options.screenshot,
                   "with --quit-after: write the window's picture (PNG) before closing");
    app.add_option("--quit-after", options.quitAfterSeconds, "close after SECONDS")
        ->check(CLI::PositiveNumber);
    try
    {
        app.parse(argc, argv);
        options.window = !noWindow;
    }
    catch (const CLI::ParseError& error)
    {
        const int status = app.exit(error);
        return status == 0 ? 0 : 2;
    }
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    try
    {
        return Run(options);
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "kestrune-editor: %s\n", error.what());
        return 1;
    }
}
