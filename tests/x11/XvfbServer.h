#pragma once

#include <string>

// A private virtual X server for the window tests: started once per test program on a display
// number the server picks itself (-displayfd), so parallel test programs never collide, and
// stopped when the program ends. DISPLAY is set for the editor windows under test.
class XvfbServer
{
public:
    static XvfbServer& Instance();

    // Starts the server on first use; false when Xvfb is not installed or did not come up.
    bool Start();
    void Stop();
    const std::string& DisplayName() const { return displayName; }

private:
    XvfbServer() = default;

    bool attempted = false;
    bool running = false;
    int pid = -1;
    std::string displayName;
};
