// Times the application as a user waits for it, each figure beside its floor on this machine:
//   - process start to the first painted main window (the emulated program), beside a process that shows
//     an empty window of the same size;
//   - at 100 % and 150 %: a full repaint of the connected main window (every control painted again),
//     beside an empty skin window of the same size and scale, and the repaint of an uncovered window;
//   - at 100 % and 150 %: one drag step of an equalizer band in the main window (the mouse move, the
//     controller's answer with its new response curves, and the repaint that follows), beside repainting
//     the same area of the empty skin window.
// Run under Wine in an X session: app_bench.exe [starts] [repaints] [drag steps]
#include "AmpEmulator.h"
#include "AppMain.h"
#include "MainWnd.h"
#include "ScreenInfo.h"
#include "UIControls.h"
#include "UIEqualizer.h"
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
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Seconds from CreateProcess until the program waits for input with its window shown (its first paint
// done); the program is then closed through its window. Negative when it did not come up within about
// twenty seconds. A window found before it is visible is waited for, not taken as the end.
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
    while (shown < 0 && BenchSeconds() - start < 20.0) {
        WaitForInputIdle(process.hProcess, 50);
        window = FindWindowW(windowClass, nullptr);
        if (window && IsWindowVisible(window))
            shown = BenchSeconds() - start;
        else
            Sleep(1);
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

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Pumps until done() or the time-out; false on time-out.
template <typename Done>
bool PumpUntil(Done done, double seconds) {
    const double start = BenchSeconds();
    while (!done()) {
        if (BenchSeconds() - start > seconds) return false;
        Pump();
        Sleep(2);
    }
    return true;
}

// Milliseconds per repaint of the whole window: every control painted again (the root invalidated, as
// a change of language or skin does), or only the window uncovered (the system invalidates it).
double TimeFullRepaints(HWND window, CPaintManagerUI& manager, int repaints, bool controls) {
    std::vector<double> ms;
    for (int i = 0; i < repaints + 1; ++i) {
        const double start = BenchSeconds();
        if (controls && manager.GetRootControl())
            manager.GetRootControl()->Invalidate();
        else
            InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
        if (i > 0) ms.push_back((BenchSeconds() - start) * 1000.0);
    }
    return Median(ms);
}

double TimeAreaRepaints(HWND window, const RECT& area, int repaints) {
    std::vector<double> ms;
    for (int i = 0; i < repaints; ++i) {
        const double start = BenchSeconds();
        InvalidateRect(window, &area, FALSE);
        UpdateWindow(window);
        ms.push_back((BenchSeconds() - start) * 1000.0);
    }
    return Median(ms);
}

struct TDragTimes {
    double step = -1;   // move, notification, controller, repaint
    double paint = -1;  // the repaint alone
    RECT area = {};
};

// Drags the middle band of the shown output up and down by small steps, as a hand does.
TDragTimes TimeBandDrag(HWND window, UIEqualizer& curve, int steps) {
    TDragTimes times;
    times.area = curve.GetPos();
    const int band = curve.GetBandCount() / 2;
    const POINT start = curve.GetBandPoint(band);
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(start.x, start.y));
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(start.x, start.y));
    UpdateWindow(window);
    std::vector<double> whole, paint;
    for (int i = 0; i < steps; ++i) {
        const int offset = (i % 60) < 30 ? (i % 30) * 2 : 60 - (i % 30) * 2;
        const double before = BenchSeconds();
        SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(start.x + offset / 2 + 1, start.y - offset - 1));
        const double moved = BenchSeconds();
        UpdateWindow(window);
        const double after = BenchSeconds();
        whole.push_back((after - before) * 1000.0);
        paint.push_back((after - moved) * 1000.0);
        Pump();  // the send queue's replies, as the running program takes them between moves
    }
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(start.x, start.y));
    Pump();
    times.step = Median(whole);
    times.paint = Median(paint);
    return times;
}

void MeasureAtDpi(int dpi, int repaints, int steps) {
    SetAutoDpiOverride(dpi);
    const int percent = dpi * 100 / 96;
    AmpEmulator emulator;
    auto* mainWindow = new CMainWnd(&emulator);
    mainWindow->CreateNativeWindow(nullptr, CMainWnd::kTitle, WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0,
                                   CMainWnd::kWidth, CMainWnd::kHeight);
    HWND mainHandle = mainWindow->GetHandle();
    auto* curve = static_cast<UIEqualizer*>(mainWindow->GetPaintManager()->FindControlByName(L"equalizer"));
    const bool connected = PumpUntil(
        [&] { return curve && curve->GetBandCount() > 0 && !mainWindow->Controller().IsReadRunning(); }, 30.0);
    CPlainSkinWindow plain;
    plain.CreateNativeWindow(nullptr, L"plain", WS_VISIBLE | WS_POPUP, 0, 0, 0, 0, 0);
    Pump();
    RECT mainRect, plainRect;
    GetClientRect(mainHandle, &mainRect);
    GetClientRect(plain.GetHandle(), &plainRect);
    const double full = TimeFullRepaints(mainHandle, *mainWindow->GetPaintManager(), repaints, true);
    const double uncovered = TimeFullRepaints(mainHandle, *mainWindow->GetPaintManager(), repaints, false);
    const double floor = TimeFullRepaints(plain.GetHandle(), *plain.GetPaintManager(), repaints, true);
    std::printf("%3d %%  full repaint of the main window (%ldx%ld): %6.2f ms   floor (empty skin window %ldx%ld) %6.2f ms\n",
                percent, mainRect.right, mainRect.bottom, full, plainRect.right, plainRect.bottom, floor);
    std::printf("%3d %%  uncovered main window repainted:        %6.2f ms   floor %6.2f ms\n", percent, uncovered,
                TimeFullRepaints(plain.GetHandle(), *plain.GetPaintManager(), repaints, false));
    if (connected) {
        const TDragTimes drag = TimeBandDrag(mainHandle, *curve, steps);
        const double areaFloor = TimeAreaRepaints(plain.GetHandle(), drag.area, steps);
        std::printf("%3d %%  band drag step in the main window:      %6.2f ms   (its repaint %.2f ms)   floor (the "
                    "curve's area, %ldx%ld, of the empty window) %6.2f ms\n",
                    percent, drag.step, drag.paint, drag.area.right - drag.area.left, drag.area.bottom - drag.area.top,
                    areaFloor);
    } else {
        std::printf("%3d %%  band drag: the main window did not finish reading the amplifier\n", percent);
    }
    DestroyWindow(plain.GetHandle());
    DestroyWindow(mainHandle);
    Pump();
    delete mainWindow;
    SetAutoDpiOverride(0);
}

}  // namespace

int main(int argc, char** argv) {
    const int starts = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const int repaints = argc > 2 ? std::max(1, atoi(argv[2])) : 50;
    const int steps = argc > 3 ? std::max(10, atoi(argv[3])) : 120;

    std::vector<double> appStarts, emptyStarts;
    int failed = 0;
    for (int i = 0; i < starts; ++i) {
        const double app = TimeStart(BesideThisProgram(L"..\\..\\..\\tools\\app_emulated\\app_emulated.exe"), L"MainWnd");
        const double empty = TimeStart(BesideThisProgram(L"bench_empty_window.exe"), L"BenchEmptyWnd");
        if (app >= 0) appStarts.push_back(app);
        if (empty >= 0) emptyStarts.push_back(empty);
        failed += (app < 0) + (empty < 0);
    }
    if (appStarts.empty() || emptyStarts.empty())
        std::printf("start to first painted window: a program did not show its window\n");
    else
        std::printf("start to first painted window: application %.1f ms, empty window %.1f ms (median of %d%s)\n",
                    Median(appStarts) * 1000.0, Median(emptyStarts) * 1000.0, starts,
                    failed ? ", some starts failed" : "");

    OleInitialize(nullptr);
    CPaintManagerUI::SetModuleInstance(GetModuleHandleW(nullptr));
    RegisterControlClasses();
    if (!InitSkinResource(VELMOR_SKIN_PASSWORD)) {
        std::printf("the embedded skin cannot be read\n");
        return 1;
    }
    for (int dpi : {96, 144}) MeasureAtDpi(dpi, repaints, steps);
    CPaintManagerUI::ShutdownShared(true);
    OleUninitialize();
    return 0;
}
