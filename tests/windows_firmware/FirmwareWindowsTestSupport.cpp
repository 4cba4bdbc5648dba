#include "FirmwareWindowsTestSupport.h"

#include "AmpPlugNotifier.h"
#include "AppTestSupport.h"
#include "UIControl.h"
#include "UIProgress.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace SkinUI;

namespace FirmwareTest {

namespace {

HHOOK gProgressHook = nullptr;
std::vector<int> gProgress;

LRESULT CALLBACK RecordProgress(int code, WPARAM removal, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && removal == PM_REMOVE && msg->message == WM_UPDATE_PROGRESS)
        gProgress.push_back(static_cast<int>(msg->wParam));
    return CallNextHookEx(gProgressHook, code, removal, lParam);
}

}  // namespace

AppRig::AppRig(void (*prepare)(AmpState&)) {
    if (prepare) emulator.EditState(prepare);
    run = std::make_unique<ControllerTest::MainWindowRun>(emulator, &clock);
    emulator.SetPlugListener([this](bool present) {
        {
            std::lock_guard<std::mutex> lock(arrivalLock);
            arrivalKept = holdingArrivals && present;
            if (arrivalKept) return;
        }
        SendAmpPlugNotification(run->handle, present);
    });
}

void AppRig::HoldArrivals() {
    std::lock_guard<std::mutex> lock(arrivalLock);
    holdingArrivals = true;
}

bool AppRig::LetArrivalIn() {
    {
        std::lock_guard<std::mutex> lock(arrivalLock);
        if (!arrivalKept || !emulator.WaitUntilSettled(0)) return false;
        arrivalKept = false;
    }
    SendAmpPlugNotification(run->handle, true);
    return true;
}

CUpdateFwWnd* UpdateWindow() { return SceneTest::OpenWindow<CUpdateFwWnd>(L"UpdateFwWnd", L"updatefwwnd"); }
CForceUpdateWnd* ForceWindow() { return SceneTest::OpenWindow<CForceUpdateWnd>(L"ForceUpdateWnd", L"updatefwwnd"); }

bool StatusIs(CWindowWnd* window, const wchar_t* key) {
    const bool open = window && (window == UpdateWindow() || window == ForceWindow());  // a gone one is not touched
    return open && TextIn(window, L"update_tips") == AppTest::Text(key);
}

ProgressRecorder::ProgressRecorder() {
    gProgress.clear();
    gProgressHook = SetWindowsHookExW(WH_GETMESSAGE, RecordProgress, nullptr, GetCurrentThreadId());
}

ProgressRecorder::~ProgressRecorder() {
    if (gProgressHook) UnhookWindowsHookEx(gProgressHook);
    gProgressHook = nullptr;
}

std::vector<int> ProgressRecorder::Values() const { return gProgress; }
void ProgressRecorder::Clear() { gProgress.clear(); }

::testing::AssertionResult ImageReceived(const AmpEmulator& emulator, AmpFirmwareTarget target, const Bytes& wrapper) {
    const AmpUpgradeRecord record = emulator.State().upgrades[static_cast<int>(target)];
    const Bytes image(wrapper.begin() + 6, wrapper.end() - 8);
    if (!record.started || !record.finished)
        return ::testing::AssertionFailure() << "started " << record.started << ", finished " << record.finished;
    if (!std::equal(record.head, record.head + 4, wrapper.begin() + 2))
        return ::testing::AssertionFailure() << "the start command's head differs";
    // MCU chunks carry 32 bytes, so the record may end in the zeros of the first, short one.
    if (record.image.size() < image.size() || !std::equal(image.begin(), image.end(), record.image.begin()))
        return ::testing::AssertionFailure() << "image of " << record.image.size() << " bytes differs from the file's "
                                             << image.size();
    for (size_t i = image.size(); i < record.image.size(); ++i)
        if (record.image[i] != 0) return ::testing::AssertionFailure() << "stray byte after the image at " << i;
    return ::testing::AssertionSuccess();
}

void TryToClose(CWindowWnd* window) {
    const HWND handle = window->GetHandle();
    SceneTest::PostClick(Pm(window), L"closebtn");
    SceneTest::PostClick(Pm(window), L"cancel_btn");
    PostMessageW(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageW(handle, WM_CLOSE, 0, 0);
    PostMessageW(handle, WM_KEYDOWN, VK_ESCAPE, 0);
}

}  // namespace FirmwareTest
