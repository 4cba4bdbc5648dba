// Times the application as a user waits for it, each figure beside its floor on this machine:
//   - process start to the first painted main window (the emulated program), beside a process that shows
//     an empty window of the same size;
//   - a full repaint of the main window, beside an empty skin window of the same size and scale.
// Run under Wine in an X session: app_bench.exe [starts] [repaints]
#include "AmpEmulator.h"
#include "AppMain.h"
#include "MainWnd.h"
#include "ScreenInfo.h"
#include "UIControls.h"
#include "UIManager.h"
#include "UIWindowImplBase.h"
#include "bench/BenchClock.h"

#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace SkinUI;

namespace {

std::wstring BesideThisProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L'\\') + 1);
    return folder + name;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Seconds from CreateProcess until the program waits for input with its window shown (its first paint
// done); the program is then closed through its window. Negative when it did not come up.
double TimeStart(const std::wstring& program, const wchar_t* windowClass) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::wstring commandLine = L"\"" + program + L"\"";
    const double start = BenchSeconds();
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    HWND window = nullptr;
    double shown = -1;
    for (int i = 0; i < 20000 && !window; ++i) {
        WaitForInputIdle(process.hProcess, 50);
        window = FindWindowW(windowClass, nullptr);
        if (window && IsWindowVisible(window)) shown = BenchSeconds() - start;
    }
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return shown;
}

class CPlainSkinWindow : public WindowImplBase {
protected:
    const wchar_t* GetWndClassName() const override { return L"BenchPlainSkinWnd"; }
    CUIString GetLayoutFile() const override {
        return CUIString(L"<Window size=\"1230,650\"><VerticalLayout bkcolor=\"#FF1C1F24\"/></Window>");
    }
    void OnInitWindow() override { m_pm.ApplyDpi(GetAutoDpi()); }
};

// Milliseconds per full repaint (invalidate everything, paint now).
double TimeRepaints(HWND window, int repaints) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const double start = BenchSeconds();
    for (int i = 0; i < repaints; ++i) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return (BenchSeconds() - start) * 1000.0 / repaints;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int starts = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const int repaints = argc > 2 ? std::max(1, atoi(argv[2])) : 50;

    std::vector<double> appStarts, emptyStarts;
    for (int i = 0; i < starts; ++i) {
        appStarts.push_back(TimeStart(BesideThisProgram(L"..\\..\\..\\tools\\app_emulated\\app_emulated.exe"), L"MainWnd"));
        emptyStarts.push_back(TimeStart(BesideThisProgram(L"bench_empty_window.exe"), L"BenchEmptyWnd"));
    }
    std::printf("start to first painted window: application %.1f ms, empty window %.1f ms (median of %d)\n",
                Median(appStarts) * 1000.0, Median(emptyStarts) * 1000.0, starts);

    OleInitialize(nullptr);
    CPaintManagerUI::SetModuleInstance(GetModuleHandleW(nullptr));
    RegisterControlClasses();
    if (!InitSkinResource(VELMOR_SKIN_PASSWORD)) {
        std::printf("the embedded skin cannot be read\n");
        return 1;
    }
    AmpEmulator emulator;
    auto* mainWindow = new CMainWnd(&emulator);
    mainWindow->CreateNativeWindow(nullptr, CMainWnd::kTitle, WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0,
                                   CMainWnd::kWidth, CMainWnd::kHeight);
    Pump();
    CPlainSkinWindow plain;
    plain.CreateNativeWindow(nullptr, L"plain", WS_VISIBLE | WS_POPUP, 0, 0, 0, 0, 0);
    Pump();
    RECT mainRect, plainRect;
    GetClientRect(mainWindow->GetHandle(), &mainRect);
    GetClientRect(plain.GetHandle(), &plainRect);
    const double mainMs = TimeRepaints(mainWindow->GetHandle(), repaints);
    const double plainMs = TimeRepaints(plain.GetHandle(), repaints);
    std::printf("full repaint: main window %.2f ms (%ldx%ld), empty skin window %.2f ms (%ldx%ld), %d repaints\n",
                mainMs, mainRect.right, mainRect.bottom, plainMs, plainRect.right, plainRect.bottom, repaints);

    DestroyWindow(plain.GetHandle());
    DestroyWindow(mainWindow->GetHandle());
    Pump();
    delete mainWindow;
    CPaintManagerUI::ShutdownShared(true);
    OleUninitialize();
    return 0;
}
