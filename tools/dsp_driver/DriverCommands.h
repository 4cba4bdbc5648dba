#pragma once
// The driver's command catalogue: every setter and getter of the device link by its own name, with its
// arguments taken from a JSON array in the function's order.
#include "DriverArgs.h"
#include "device/DeviceLink.h"

#include <string>

struct DriverCommand {
    const char* name;
    void (*run)(DeviceLink& link, const DriverArgs& args);
};

// Null for an unknown name.
const DriverCommand* FindDriverCommand(const std::string& name);
int DriverCommandCount();

// Runs one line, "Name [arguments]"; returns "" or the reason it was not run.
std::string RunDriverLine(DeviceLink& link, const std::string& line);

// Runs one line on the device and waits up to queueWaitMs for what it queued. Returns what to print
// after the line's own trace, one line each: nothing when it went through, else the error. The
// amplifier restarts after some commands (factory reset, reboot) and may be unplugged: a request it
// did not take is reported, and the device is opened again (waiting up to reopenWaitMs for it to
// enumerate) for the lines that follow.
std::string RunDriverLineOnDevice(DeviceLink& link, const std::string& line, int queueWaitMs, int reopenWaitMs);
