#pragma once

// Pieces shared by the reliability tests: a test signal, the product's editor driven as a user
// drives it (frames at the editor's rate, drags on faders and knobs), and the Auto EQ set up so
// that its write-back and the editor feedback take part in every block.

#include "controls/ICairoFader.h"
#include "controls/ICairoFlatKnob.h"
#include "graphics/IGraphicsOffscreen.h"
#include "plugin/VantorKestrune.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

namespace reliability
{

constexpr double kRateHz = 48000.0;

// Two channels of a chord with some noise, long enough for the largest block of any test.
struct TestSignal
{
    explicit TestSignal(int frames)
        : left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames)),
          outLeft(static_cast<size_t>(frames)), outRight(static_cast<size_t>(frames))
    {
        unsigned noise = 12345u;
        for (int i = 0; i < frames; ++i)
        {
            const double t = i / kRateHz;
            noise = noise * 1664525u + 1013904223u;
            const double n = static_cast<double>(noise >> 8) / static_cast<double>(1u << 24) - 0.5;
            const double tone = 0.3 * std::sin(2.0 * M_PI * 110.0 * t) +
                                0.2 * std::sin(2.0 * M_PI * 1250.0 * t) +
                                0.1 * std::sin(2.0 * M_PI * 9000.0 * t);
            left[static_cast<size_t>(i)] = static_cast<float>(tone + 0.05 * n);
            right[static_cast<size_t>(i)] = static_cast<float>(0.8 * tone - 0.05 * n);
        }
    }
    float* inputs[2] = {};
    float* outputs[2] = {};
    float** In()
    {
        inputs[0] = left.data();
        inputs[1] = right.data();
        return inputs;
    }
    float** Out()
    {
        outputs[0] = outLeft.data();
        outputs[1] = outRight.data();
        return outputs;
    }
    // True when the first `frames` output samples of both channels are finite.
    bool OutputFinite(int frames) const
    {
        for (int i = 0; i < frames; ++i)
        {
            if (!std::isfinite(outLeft[static_cast<size_t>(i)]) ||
                !std::isfinite(outRight[static_cast<size_t>(i)]))
            {
                return false;
            }
        }
        return true;
    }

    std::vector<float> left, right, outLeft, outRight;
};

// Continuous Auto EQ with the custom compensation curve and the peak display: the write-back,
// the fader marks, the compensation editing and the display all run with every block.
inline void UseBusyAutoEq(VantorKestrune& plug)
{
    for (auto [index, real] : {std::pair{kParamAutoEqCompensation, double{kCompensationCustom}},
                               std::pair{kParamAutoEq, double{kAutoEqContinuous}},
                               std::pair{kParamEnablePeakDisplay, 1.0}})
    {
        plug.SetParameterFromHost(index, plug.Param(index)->ToNormalized(real));
    }
}

// The faders and knobs of the product editor, in list order.
inline std::vector<IControl*> DraggableControls(IGraphics& editor)
{
    std::vector<IControl*> controls;
    for (int i = 0; i < editor.ControlCount(); ++i)
    {
        IControl* control = editor.ControlAt(i);
        if (dynamic_cast<ICairoFader*>(control) != nullptr ||
            dynamic_cast<ICairoFlatKnob*>(control) != nullptr)
        {
            controls.push_back(control);
        }
    }
    return controls;
}

// One user gesture and one frame: press the middle of control `round` (cycling through the
// faders and knobs), drag it up or down by a few steps, release, then the frame timer's tick.
inline void EditorGestureAndFrame(IGraphicsOffscreen& editor,
                                  const std::vector<IControl*>& controls, long round)
{
    if (!controls.empty())
    {
        const Rect& r = controls[static_cast<size_t>(round) % controls.size()]->GetTargetRect();
        const int x = (r.left + r.right) / 2;
        const int y = (r.top + r.bottom) / 2;
        const int dy = static_cast<int>(round % 7) * 6 - 18;
        const MouseMods left{true, false, false, false, false};
        editor.DispatchMouseOver(x, y, {});
        editor.DispatchMouseDown(x, y, left);
        editor.DispatchMouseDrag(x, y + dy / 2, left);
        editor.DispatchMouseDrag(x, y + dy, left);
        editor.DispatchMouseUp(x, y + dy, left);
    }
    editor.Tick();
}

// Runs editor frames on a thread of its own at the editor's frame rate (30 per second), each
// with one gesture, until destroyed.
class EditorThread
{
public:
    explicit EditorThread(IGraphicsOffscreen& editor)
        : editor_(editor), controls_(DraggableControls(editor)), thread_([this] { Run(); })
    {
    }
    ~EditorThread()
    {
        stop_ = true;
        thread_.join();
    }
    EditorThread(const EditorThread&) = delete;
    EditorThread& operator=(const EditorThread&) = delete;

    long Frames() const { return frames_.load(); }
    // Waits (up to ten seconds) until the first frame is drawn: the first one lays out and
    // loads everything and can take longer than a test's audio on a busy machine, so the audio
    // starts once the editor is drawing.
    void WaitForFirstFrame() const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (frames_.load() == 0 && std::chrono::steady_clock::now() < deadline)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    int ControlCount() const { return static_cast<int>(controls_.size()); }

private:
    void Run()
    {
        const auto period = std::chrono::microseconds(1000000 / 30);
        auto next = std::chrono::steady_clock::now();
        while (!stop_)
        {
            EditorGestureAndFrame(editor_, controls_, frames_.load());
            ++frames_;
            next += period;
            std::this_thread::sleep_until(next);
        }
    }

    IGraphicsOffscreen& editor_;
    std::vector<IControl*> controls_;
    std::atomic<bool> stop_{false};
    std::atomic<long> frames_{0};
    std::thread thread_;
};

} // namespace reliability
