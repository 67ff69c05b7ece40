#pragma once

#include <functional>
#include <string>

// A small harness for the window test program under Wine: checks counted into the closing line
// "N passed, N failed", real X input through xdotool (started as a Unix program, which Wine
// runs directly), and a message pump that keeps the windows alive while input arrives.
namespace wintest
{

void Check(bool ok, const std::string& what);
int PassedCount();
int FailedCount();
// Prints the closing line; returns the program's exit code.
int Finish();

// Runs xdotool with args while pumping messages (input may open a modal menu loop, which pumps
// on its own). Then pumps until arrived() holds (at most 5 s), or settleMs when there is nothing
// to wait for, so that Wine delivers what the X server sent even on a loaded machine.
void Xdo(const std::string& args, const std::function<bool()>& arrived = nullptr,
         int settleMs = 250);

// Pumps messages until done() holds or timeoutMs passed; returns done().
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000);
void Pump(int ms);

// The message the pump is dispatching right now (0 outside a dispatch).
unsigned CurrentMessage();

// Ends the program with a failure line if the whole run takes longer than seconds.
void StartWatchdog(int seconds);

} // namespace wintest
