// Interfaces the host implements and hands to the plug-in: the controller (channel formats,
// sample rate, latency), the automation link (parameter requests and gestures), the transport
// (play position and musical time) and the view container (the host's window for the editor).
#pragma once

#include "aax/sdk/AAX.h"

#include <cstdint>

class AAX_IController
{
public:
    virtual ~AAX_IController() = default;
    virtual AAX_Result GetInputStemFormat(AAX_EStemFormat* format) const = 0;
    virtual AAX_Result GetOutputStemFormat(AAX_EStemFormat* format) const = 0;
    virtual AAX_Result GetSampleRate(float* sampleRateHz) const = 0;
    virtual AAX_Result SetSignalLatency(int32_t samples) = 0;
};

// Requests go to the host, which applies them and answers through the effect's
// HostUpdatesParameter.
class AAX_IAutomationDelegate
{
public:
    virtual ~AAX_IAutomationDelegate() = default;
    virtual AAX_Result PostSetValueRequest(const char* identifier, double normalized) = 0;
    virtual AAX_Result PostTouchRequest(const char* identifier) = 0;
    virtual AAX_Result PostReleaseRequest(const char* identifier) = 0;
};

class AAX_ITransport
{
public:
    virtual ~AAX_ITransport() = default;
    virtual AAX_Result GetCurrentNativeSampleLocation(int64_t* samples) const = 0;
    virtual AAX_Result GetCurrentTempo(double* beatsPerMinute) const = 0;
    virtual AAX_Result GetCurrentMeter(int32_t* numerator, int32_t* denominator) const = 0;
    virtual AAX_Result GetCurrentTickPosition(int64_t* ticks) const = 0;
    virtual AAX_Result IsTransportPlaying(bool* playing) const = 0;
    virtual AAX_Result GetCurrentLoopPosition(bool* looping, int64_t* startTicks,
                                              int64_t* endTicks) const = 0;
};

// Ticks per quarter note in the transport's tick positions.
inline constexpr double AAX_kTicksPerQuarterNote = 960000.0;

class AAX_IViewContainer
{
public:
    virtual ~AAX_IViewContainer() = default;
    // The native parent window the editor opens in (an X11 Window id on Linux, an HWND on
    // Windows); 0 when the container has none.
    virtual uintptr_t NativeParentWindow() const = 0;
    // The modifiers the host sees held (AAX_eModifier_* bits).
    virtual AAX_Result GetModifiers(uint32_t* modifiers) const = 0;
    // Offers a click on a parameter's control to the host, which answers AAX_SUCCESS when it
    // consumed the click (for example to open its automation menu).
    virtual AAX_Result HandleParameterMouseDown(const char* identifier, uint32_t modifiers) = 0;
};

inline constexpr uint32_t AAX_eModifier_Shift = 1;
inline constexpr uint32_t AAX_eModifier_Alt = 4;
inline constexpr uint32_t AAX_eModifier_Control = 8;
inline constexpr uint32_t AAX_eModifier_RightButton = 16;
