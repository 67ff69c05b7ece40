#pragma once

// A top-level window of the test host's own, the parent a plug-in editor opens in: what a
// host's view container hands the plug-in as its native parent window.

#include <cstdint>
#include <memory>
#include <string>

class HostWindow
{
public:
    // Null, with the reason in error, when no window can be opened (no window system).
    static std::unique_ptr<HostWindow> Open(int width, int height, const std::string& title,
                                            std::string* error);
    virtual ~HostWindow() = default;

    // The native window id, as a view container reports it.
    virtual uintptr_t NativeId() const = 0;
    // Windows the plug-in opened inside this one.
    virtual int ChildWindowCount() const = 0;
    // Handles the events that have arrived; false once the user has closed the window.
    virtual bool HandleEvents() = 0;
};
