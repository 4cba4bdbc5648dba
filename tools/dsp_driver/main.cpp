// dsp_driver: runs device-link commands without a user interface, against the amplifier or, with
// --emulator, the emulated one. Commands come one a line from the arguments or standard input:
//     Get_Trim [0,0,0,9]
//     Delay_Ctrl [0,0,0,1,[2.5,10.75]]
// Every report written prints as TX, every report read as RX, then each decoded reply.
#include "DriverCommands.h"
#include "ReplyPrinter.h"
#include "TracingBackend.h"
#include "device/DeviceLink.h"
#include "device/HidApiBackend.h"
#ifdef VELMOR_WITH_EMULATOR
#include "AmpEmulator.h"
#endif

#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kQueueWaitMs = 60000;
constexpr int kReopenWaitMs = 10000;

void PrintUsage() {
    std::printf("usage: dsp_driver [--emulator] [command ...]\n"
                "  command: a device-link function name, then its arguments as one JSON array,\n"
                "  e.g. 'Get_Trim [0,0,0,9]'; a trailing sync flag may be left out (sent at once).\n"
                "  Without commands, they are read one a line from standard input.\n");
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Runs one command line; what it queued is waited for, so the output follows the line.
void RunLine(DeviceLink& link, const std::string& rawLine) {
    const std::string line = Trim(rawLine);
    if (line.empty() || line[0] == '#') return;
    std::printf("> %s\n", line.c_str());
    std::printf("%s", RunDriverLineOnDevice(link, line, kQueueWaitMs, kReopenWaitMs).c_str());
    std::fflush(stdout);
}

int Run(int argc, char** argv) {
    bool useEmulator = false;
    std::vector<std::string> lines;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--emulator") == 0) {
            useEmulator = true;
        } else if (std::strcmp(argv[i], "--help") == 0) {
            PrintUsage();
            return 0;
        } else {
            lines.push_back(argv[i]);
        }
    }

    std::unique_ptr<HidBackend> backend;
    if (useEmulator) {
#ifdef VELMOR_WITH_EMULATOR
        backend = std::make_unique<AmpEmulator>();
#else
        std::printf("error: this build has no emulator\n");
        return 2;
#endif
    } else {
        backend = std::make_unique<HidApiBackend>();
    }
    TracingBackend tracing(*backend, stdout);
    ReplyPrinter printer(stdout);
    DeviceLink link(DeviceLinkSeams{&tracing, nullptr, &printer});
    link.SetDeviceProfile(94, 10, 10, 0, 0);
    for (int slot = 0; slot < DeviceLink::kReplyWindows; ++slot) {
        link.mReplyWnd[slot] = reinterpret_cast<HWND>(static_cast<intptr_t>(slot + 1));
    }
    link.OpenHIDDevice();
    if (!link.IsConnected()) {
        std::printf("error: no amplifier found (USB 0483:5750)\n");
        return 1;
    }
    link.EnableCmdQueue();

    if (lines.empty()) {
        for (std::string line; std::getline(std::cin, line);) RunLine(link, line);
    } else {
        for (const std::string& line : lines) RunLine(link, line);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::printf("error: %s\n", e.what());
    } catch (...) {
        std::printf("error: unexpected failure\n");
    }
    return 3;
}
