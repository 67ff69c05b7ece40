// Without a window system layer the test host cannot show an editor.
#include "apps/aax-host/HostWindow.h"

std::unique_ptr<HostWindow> HostWindow::Open(int, int, const std::string&, std::string* error)
{
    if (error != nullptr)
    {
        *error = "this build of the host has no window system for the editor";
    }
    return nullptr;
}
