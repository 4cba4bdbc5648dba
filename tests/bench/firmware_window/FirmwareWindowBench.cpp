// Firmware upload throughput through the update window, against the emulated amplifier on a paced bus
// (one report per 1 ms interval each way): the user's upload (the update button clicked, the window's
// worker sending, every percentage shown) beside the same upload driven straight through the link, as
// the firmware benchmark does, and beside the bus limit. The window's figure runs from the first
// progress message the window takes to the done message; the link's from the first step to the last.
// Run under Wine in an X session: firmware_window_bench.exe
#include "AppMain.h"
#include "UIControl.h"
#include "UIControls.h"
#include "UITextResource.h"
#include "bench/BenchClock.h"
#include "bench/firmware/FirmwareBench.h"
#include "device/DeviceMessages.h"
#include "windows/UpdateFwWnd.h"

#include <mmsystem.h>
#include <ole2.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

using namespace FirmwareBench;
using namespace SkinUI;

namespace {

struct Target {
    const char* label;
    const wchar_t* fileName;
    uint8_t id;
    size_t imageSize;
    AmpFirmwareTarget received;
    double busLimit;  // bytes per second: one chunk per request and acknowledgement, 2 ms
};

// When the window took its first progress message and its end message.
Clock::time_point gFirstProgress, gEnd;
bool gSawProgress = false, gEnded = false, gFailed = false;
HHOOK gHook = nullptr;

LRESULT CALLBACK Watch(int code, WPARAM removal, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && removal == PM_REMOVE) {
        if (msg->message == WM_UPDATE_PROGRESS && !gSawProgress) {
            gSawProgress = true;
            gFirstProgress = Clock::now();
        } else if (msg->message == WM_UPDATE_STAGE_DONE || msg->message == WM_UPDATE_FAILED ||
                   msg->message == WM_UPDATE_START_FAILED) {
            gEnded = true;
            gFailed = msg->message != WM_UPDATE_STAGE_DONE;
            gEnd = Clock::now();
        }
    }
    return CallNextHookEx(gHook, code, removal, lParam);
}

void Pump(const Clock::time_point until, const bool& done) {
    MSG msg;
    while (!done && Clock::now() < until) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    }
}

// The update button clicked as the mouse does, the file taken from the dialog.
double WindowRate(PacedAmplifier& bus, const Target& t, const std::wstring& path) {
    if (!bus.ReadyForUpload()) return -1;
    CUpdateFwWnd::FileDialogSeam() = [path](HWND, wchar_t* out, DWORD capacity) {
        wcsncpy(out, path.c_str(), capacity - 1);
        out[capacity - 1] = 0;
        return true;
    };
    CUpdateFwWnd window;
    if (!window.CreateNativeWindow(nullptr, L"updatefwwnd", WS_POPUP | WS_CLIPCHILDREN | WS_VISIBLE, WS_EX_TOOLWINDOW))
        return -1;
    window.SetDeviceLink(&bus.link);
    UpdateWindow(window.GetHandle());
    CControlUI* button = window.GetPaintManager()->FindControlByName(L"update_btn");
    if (!button) return -1;
    const RECT r = button->GetPos();
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    gSawProgress = gEnded = gFailed = false;
    PostMessageW(window.GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window.GetHandle(), WM_LBUTTONUP, 0, at);
    Pump(Clock::now() + std::chrono::seconds(60), gEnded);
    if (!gEnded || gFailed || !gSawProgress || !bus.Received(t.received, t.imageSize)) return -1;
    return static_cast<double>(t.imageSize) / std::chrono::duration<double>(gEnd - gFirstProgress).count();
}

}  // namespace

int main() {
    timeBeginPeriod(1);  // 1 ms sleeps, as the bus intervals need
    OleInitialize(nullptr);
    CPaintManagerUI::SetModuleInstance(GetModuleHandleW(nullptr));
    RegisterControlClasses();
    if (!InitSkinResource(VELMOR_SKIN_PASSWORD)) {
        std::printf("skin not opened\n");
        return 1;
    }
    CTextResource::GetInstance()->LoadLanguage(L"lan/lan_en.xml", L"en");
    CTextResource::GetInstance()->SelectLanguage(L"en");
    gHook = SetWindowsHookExW(WH_GETMESSAGE, Watch, nullptr, GetCurrentThreadId());

    PacedAmplifier bus;

    const Target targets[] = {
        {"MCU", L"MCU_UPG.BIN", 1, 16 * 1024, AmpFirmwareTarget::Mcu, 16000.0},
        {"DSP flash", L"FLASH_UPG.BIN", 2, 25000, AmpFirmwareTarget::DspFlash, 25000.0},
    };
    int failures = 0;
    for (const Target& t : targets) {
        const std::wstring path = WriteTemp(t.fileName, Wrapper(t.id, t.imageSize));
        std::vector<double> direct, windowed;
        for (int run = 0; run < 3; ++run) {
            const double viaLink = bus.LinkRate(t.received, t.imageSize, path);
            const double viaWindow = WindowRate(bus, t, path);
            if (viaLink < 0 || viaWindow < 0) {
                std::printf("%s upload failed\n", t.label);
                ++failures;
                break;
            }
            direct.push_back(viaLink);
            windowed.push_back(viaWindow);
        }
        DeleteFileW(path.c_str());
        if (windowed.empty()) continue;
        const double window = BenchMedian(windowed), raw = BenchMedian(direct);
        std::printf("%s upload, %u-byte image: through the window %.0f bytes/s, through the link %.0f bytes/s "
                    "(window/link %.3f), bus limit %.0f bytes/s (window/limit %.3f)\n",
                    t.label, static_cast<unsigned>(t.imageSize), window, raw, window / raw, t.busLimit,
                    window / t.busLimit);
    }
    UnhookWindowsHookEx(gHook);
    CPaintManagerUI::ShutdownShared(true);
    OleUninitialize();
    timeEndPeriod(1);
    return failures == 0 ? 0 : 1;
}
