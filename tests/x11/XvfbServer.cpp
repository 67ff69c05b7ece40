#include "tests/x11/XvfbServer.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace
{

std::string FindOnPath(const char* program)
{
    const char* path = std::getenv("PATH");
    std::string paths = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= paths.size())
    {
        const std::size_t end = paths.find(':', start);
        const std::string dir = paths.substr(start, end == std::string::npos ? end : end - start);
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
        {
            return candidate;
        }
        if (end == std::string::npos)
        {
            break;
        }
        start = end + 1;
    }
    return {};
}

class XvfbEnvironment : public ::testing::Environment
{
public:
    void TearDown() override { XvfbServer::Instance().Stop(); }
};

[[maybe_unused]] ::testing::Environment* const gXvfbEnvironment =
    ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

} // namespace

XvfbServer& XvfbServer::Instance()
{
    static XvfbServer server;
    return server;
}

bool XvfbServer::Start()
{
    if (attempted)
    {
        return running;
    }
    attempted = true;
    const std::string xvfb = FindOnPath("Xvfb");
    if (xvfb.empty())
    {
        return false;
    }
    int displayPipe[2];
    if (pipe(displayPipe) != 0)
    {
        return false;
    }
    const std::string fd = std::to_string(displayPipe[1]);
    std::vector<std::string> args = {xvfb,           "-displayfd", fd,    "-screen", "0",
                                     "1280x1024x24", "-nolisten",  "tcp", "-noreset"};
    std::vector<char*> argv;
    for (std::string& arg : args)
    {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    // The server must not outlive a test program that crashes: it gets SIGTERM when we die.
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child == 0)
    {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
        {
            _exit(1);
        }
        close(displayPipe[0]);
        const int devNull = open("/dev/null", O_WRONLY);
        if (devNull >= 0)
        {
            dup2(devNull, STDERR_FILENO);
        }
        execv(xvfb.c_str(), argv.data());
        _exit(127);
    }
    close(displayPipe[1]);
    if (child < 0)
    {
        close(displayPipe[0]);
        return false;
    }
    pid = child;
    // The server writes its display number once it accepts connections.
    std::string number;
    pollfd descriptor{displayPipe[0], POLLIN, 0};
    while (poll(&descriptor, 1, 20000) > 0)
    {
        char buffer[16];
        const ssize_t got = read(displayPipe[0], buffer, sizeof buffer);
        if (got <= 0)
        {
            break;
        }
        number.append(buffer, static_cast<std::size_t>(got));
        if (number.find('\n') != std::string::npos)
        {
            break;
        }
    }
    close(displayPipe[0]);
    while (!number.empty() && (number.back() == '\n' || number.back() == '\r'))
    {
        number.pop_back();
    }
    if (number.empty())
    {
        Stop();
        return false;
    }
    displayName = ":" + number;
    setenv("DISPLAY", displayName.c_str(), 1);
    running = true;
    return true;
}

void XvfbServer::Stop()
{
    if (pid > 0)
    {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    running = false;
}
