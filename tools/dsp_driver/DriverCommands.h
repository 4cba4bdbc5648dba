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
