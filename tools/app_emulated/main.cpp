// app_emulated: the application with the amplifier emulator behind its HID calls, for machines without
// an amplifier. The same start-up, windows and device link as the product program.
//   app_emulated.exe [--trace FILE] [--dpi N]
//     --trace FILE  writes every report sent ("TX" and its bytes in hex) and received ("RX") to FILE
//     --dpi N       uses N DPI instead of the automatic choice from the screen size
#include "AmpEmulator.h"
#include "AmpPlugNotifier.h"
#include "AppMain.h"
#include "tools/dsp_driver/TracingBackend.h"

#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <memory>

namespace {

struct Arguments {
    const wchar_t* tracePath = nullptr;
    int dpi = 0;
};

Arguments ParseArguments(int count, wchar_t** values) {
    Arguments arguments;
    for (int i = 1; i < count; ++i) {
        if (wcscmp(values[i], L"--trace") == 0 && i + 1 < count)
            arguments.tracePath = values[++i];
        else if (wcscmp(values[i], L"--dpi") == 0 && i + 1 < count)
            arguments.dpi = _wtoi(values[++i]);
    }
    return arguments;
}

// The window the system tells about the amplifier's comings and goings: this process's main window.
BOOL CALLBACK TakeIfMainWindow(HWND window, LPARAM result) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[16] = {};
    if (process != GetCurrentProcessId() || !GetClassNameW(window, name, 16) || wcscmp(name, L"MainWnd") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

HWND MainWindowOfThisProcess() {
    HWND found = nullptr;
    EnumWindows(TakeIfMainWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** values = CommandLineToArgvW(GetCommandLineW(), &count);
    const Arguments arguments = ParseArguments(values ? count : 0, values);

    AmpEmulator emulator;
    // Like the real amplifier: reads wait for their time-out and every report takes its bus interval.
    emulator.SetRealTime(true);
    emulator.SetUsbPacing(true);
    // A restart (factory settings, firmware update) takes the amplifier off the bus for a moment, and
    // the system reports it gone and back.
    emulator.SetRestartDelay(0, 1500);
    NotifyPlugEvents(emulator, MainWindowOfThisProcess);
    FILE* trace = arguments.tracePath ? _wfopen(arguments.tracePath, L"w") : nullptr;
    std::unique_ptr<TracingBackend> tracing;
    if (trace) tracing = std::make_unique<TracingBackend>(emulator, trace);

    AppOptions options;
    options.skinPassword = VELMOR_SKIN_PASSWORD;
    options.hid = tracing ? static_cast<HidBackend*>(tracing.get()) : &emulator;
    options.forcedDpi = arguments.dpi;
    const int exitCode = RunApplication(instance, options);

    if (trace) fclose(trace);
    if (values) LocalFree(values);
    return exitCode;
}
