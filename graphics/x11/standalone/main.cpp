// kestrune-editor: the editor of one plug-in instance in a top-level X11 window. With --input
// the file plays through the plug-in in real time on an audio thread (output discarded), so the
// analyser moves and the Auto EQ works while the user watches.
#include "cli/AudioSession.h"
#include "cli/EditorPicture.h"
#include "graphics/x11/IGraphicsX11.h"
#include "graphics/x11/standalone/RealtimePlayer.h"
#include "plugin/VantorKestrune.h"

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
#include <string>

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
    std::string state;
    std::string saveState;
    std::string screenshot;
    double quitAfterSeconds = 0.0;
    bool loop = false;
};

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
        kestrune::cli::WritePng(surface, path);
    }
    catch (...)
    {
        cairo_surface_destroy(surface);
        throw;
    }
    cairo_surface_destroy(surface);
}

// Drives the window until the user closes it, a signal arrives or the time is up.
void RunWindow(IGraphicsX11& editor, const Options& options)
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
        if (options.quitAfterSeconds > 0.0 && elapsed >= options.quitAfterSeconds)
        {
            if (!options.screenshot.empty())
            {
                WriteWindowScreenshot(editor, options.screenshot);
            }
            editor.CloseEditorWindow();
            break;
        }
        if (gStopRequested.load())
        {
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

int Run(const Options& options)
{
    UseX11Graphics();
    AudioData audio;
    if (!options.input.empty())
    {
        audio = ReadAudioFile(options.input);
    }
    const int sampleRateHz = audio.sampleRateHz > 0 ? audio.sampleRateHz : kDefaultSampleRateHz;
    HostSession session(sampleRateHz, kBlockFrames);
    if (!options.state.empty())
    {
        session.LoadStateFile(options.state);
    }
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
    RealtimePlayer player(session.Plugin(), audio, kBlockFrames, options.loop);
    player.Start();
    RunWindow(*editor, options);
    player.Stop();
    if (!options.saveState.empty())
    {
        WriteTextFile(options.saveState, session.StateDocument(), {options.input});
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"The VantorKestrune editor in a window of its own; with --input a file plays "
                 "through the plug-in in real time (the output is discarded)."};
    Options options;
    app.add_option("--input", options.input, "mono or stereo audio file to play")
        ->check(CLI::ExistingFile);
    app.add_option("--state", options.state, "state document to start from")
        ->check(CLI::ExistingFile);
    app.add_flag("--loop", options.loop, "play the input again and again");
    app.add_option("--save-state", options.saveState, "write the state document here on exit");
    app.add_option("--screenshot", options.screenshot,
                   "with --quit-after: write the window's picture (PNG) before closing");
    app.add_option("--quit-after", options.quitAfterSeconds, "close the window after SECONDS")
        ->check(CLI::PositiveNumber);
    try
    {
        app.parse(argc, argv);
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
