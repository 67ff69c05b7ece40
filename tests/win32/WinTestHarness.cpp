#include "tests/win32/WinTestHarness.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace wintest
{
namespace
{

int passed = 0;
int failed = 0;
unsigned dispatching = 0;

// Wine does not always hand a program's standard output on to the file it was redirected to, so
// the lines also go to the file KESTRUNE_TEST_RESULTS names, when it names one.
std::FILE* ResultFile()
{
    static std::FILE* file = []() -> std::FILE*
    {
        const char* path = std::getenv("KESTRUNE_TEST_RESULTS");
        return path != nullptr && *path != '\0' ? std::fopen(path, "w") : nullptr;
    }();
    return file;
}

void Say(const std::string& line)
{
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
    if (std::FILE* file = ResultFile())
    {
        std::fputs(line.c_str(), file);
        std::fflush(file);
    }
}

std::string ClosingLine(int passedCount, int failedCount)
{
    return std::to_string(passedCount) + " passed, " + std::to_string(failedCount) + " failed\n";
}

std::string XdotoolPath()
{
    const char* configured = std::getenv("KESTRUNE_XDOTOOL");
    return configured && *configured ? configured : "/usr/bin/xdotool";
}

void PumpOnce()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
        const unsigned outer = dispatching;
        dispatching = message.message;
        TranslateMessage(&message);
        DispatchMessageA(&message);
        dispatching = outer;
    }
}

void PumpWhile(const std::function<bool()>& keepGoing, int timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (keepGoing() && GetTickCount64() < end)
    {
        PumpOnce();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

DWORD WINAPI Watchdog(LPVOID secondsParameter)
{
    Sleep(static_cast<DWORD>(reinterpret_cast<INT_PTR>(secondsParameter)) * 1000);
    Say("FAIL: the run did not finish in time\n" + ClosingLine(passed, failed + 1));
    ExitProcess(1);
}

} // namespace

void Check(bool ok, const std::string& what)
{
    if (ok)
    {
        ++passed;
        return;
    }
    ++failed;
    Say("FAIL: " + what + "\n");
}

int PassedCount()
{
    return passed;
}

int FailedCount()
{
    return failed;
}

int Finish()
{
    Say(ClosingLine(passed, failed));
    return failed == 0 ? 0 : 1;
}

void Xdo(const std::string& args, const std::function<bool()>& arrived, int settleMs)
{
    std::string commandLine = XdotoolPath() + " " + args;
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    {
        Check(false, "xdotool could not be started: " + commandLine);
        return;
    }
    PumpWhile([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; }, 20000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (arrived)
    {
        PumpUntil(arrived, 5000);
        Pump(50);
    }
    else
    {
        Pump(settleMs);
    }
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    PumpWhile([&] { return !done(); }, timeoutMs);
    return done();
}

void Pump(int ms)
{
    PumpWhile([] { return true; }, ms);
}

unsigned CurrentMessage()
{
    return dispatching;
}

void StartWatchdog(int seconds)
{
    ResultFile(); // created now: an empty file tells a run that started from one that did not
    HANDLE thread = CreateThread(
        nullptr, 0, Watchdog, reinterpret_cast<LPVOID>(static_cast<INT_PTR>(seconds)), 0, nullptr);
    if (thread)
    {
        CloseHandle(thread);
    }
}

} // namespace wintest
