#include "ControllerTestSupport.h"

#include "AmpPlugNotifier.h"
#include "AppTestSupport.h"
#include "MsgWnd.h"
#include "SButton.h"
#include "UITextResource.h"

#include <gtest/gtest.h>

using namespace SkinUI;

namespace ControllerTest {

namespace {

HWND gMainWindow = nullptr;
UINT_PTR gWatchTimer = 0;
HHOOK gCbtHook = nullptr;

bool IsLoadingPopup(HWND window) {
    wchar_t name[32] = {};
    return GetClassNameW(window, name, 32) && wcscmp(name, L"LoadingWnd") == 0;
}

// Timers wait while replies keep the queue busy, so the popup's creation and end are caught as they happen.
LRESULT CALLBACK WatchWindows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && IsLoadingPopup(reinterpret_cast<HWND>(wParam))) ++MainWindowRun::PopupsCreated();
    if (code == HCBT_DESTROYWND && IsLoadingPopup(reinterpret_cast<HWND>(wParam))) ++MainWindowRun::PopupsDestroyed();
    return CallNextHookEx(gCbtHook, code, wParam, lParam);
}

HWND MainWindowNow() { return gMainWindow; }

// Runs inside whatever modal loop is active: remembers and answers every box, notes the busy popup.
void CALLBACK Watch(HWND, UINT, UINT_PTR, DWORD) {
    if (FindWindowW(L"LoadingWnd", nullptr)) MainWindowRun::PopupSeen() = true;
    // A box answered a moment ago may still be closing: each window is answered once.
    for (CMsgWnd* box : CMsgWnd::OpenBoxes()) {
        const HWND window = box->GetHandle();
        if (GetPropW(window, L"answered")) continue;
        SetPropW(window, L"answered", reinterpret_cast<HANDLE>(1));
        CControlUI* text = box->GetPaintManager()->FindControlByName(L"MessageText");
        const std::wstring said = text ? text->GetText().Data() : L"";
        MainWindowRun::BoxesSeen().push_back(said);
        const std::wstring& confirm = MainWindowRun::ConfirmContaining();
        const std::wstring& hold = MainWindowRun::HoldContaining();
        if (!hold.empty() && said.find(hold) != std::wstring::npos) {
            SetPropW(window, AppTest::kHeldByTest, reinterpret_cast<HANDLE>(1));
            continue;
        }
        if (!confirm.empty() && said.find(confirm) != std::wstring::npos) {
            if (CControlUI* button = box->GetPaintManager()->FindControlByName(L"confirm_btn")) button->Activate();
        } else {
            box->PostClose(0);
        }
    }
}

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

}  // namespace

std::wstring& MainWindowRun::ConfirmContaining() {
    static std::wstring text;
    return text;
}

std::wstring& MainWindowRun::HoldContaining() {
    static std::wstring text;
    return text;
}

std::vector<std::wstring>& MainWindowRun::BoxesSeen() {
    static std::vector<std::wstring> seen;
    return seen;
}

bool& MainWindowRun::PopupSeen() {
    static bool seen = false;
    return seen;
}

int& MainWindowRun::PopupsCreated() {
    static int count = 0;
    return count;
}

int& MainWindowRun::PopupsDestroyed() {
    static int count = 0;
    return count;
}

MainWindowRun::MainWindowRun(AmpEmulator& emulator, DeviceClock* clock) : m_emulator(emulator) {
    BoxesSeen().clear();
    ConfirmContaining().clear();
    HoldContaining().clear();
    PopupSeen() = false;
    PopupsCreated() = PopupsDestroyed() = 0;
    gCbtHook = SetWindowsHookExW(WH_CBT, WatchWindows, nullptr, GetCurrentThreadId());
    AppTest::ClearQuit();
    gWatchTimer = SetTimer(nullptr, 0, 10, Watch);
    NotifyPlugEvents(emulator, MainWindowNow);
    window = new CMainWnd(&emulator, clock);
    if (!window->CreateNativeWindow(nullptr, CMainWnd::kTitle, WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0,
                                    CMainWnd::kWidth, CMainWnd::kHeight)) {
        ADD_FAILURE() << "main window not created";
        return;
    }
    handle = window->GetHandle();
    gMainWindow = handle;
}

MainWindowRun::~MainWindowRun() {
    if (handle && IsWindow(handle)) Close();
    m_emulator.SetPlugListener(nullptr);
    gMainWindow = nullptr;
    delete window;
    KillTimer(nullptr, gWatchTimer);
    if (gCbtHook) UnhookWindowsHookEx(gCbtHook);
    gCbtHook = nullptr;
}

std::wstring MainWindowRun::TextOf(const wchar_t* name) {
    CControlUI* control = Find(name);
    return control ? control->GetText().Data() : L"<missing>";
}

bool MainWindowRun::WaitConnected(int timeoutMs) {
    return AppTest::PumpUntil(
        [&] {
            CSButtonUI* button = Controller().ConnectButton();
            return button && button->GetText().Data() == Text(L"${btn_connected}") && !Controller().IsReadRunning() &&
                   !FindWindowW(L"LoadingWnd", nullptr);
        },
        timeoutMs);
}

bool MainWindowRun::WaitDisconnected(int timeoutMs) {
    return AppTest::PumpUntil(
        [&] {
            return !Controller().Device().IsConnected() && !Controller().IsReadRunning() &&
                   !FindWindowW(L"LoadingWnd", nullptr);
        },
        timeoutMs);
}

bool MainWindowRun::WaitForBox(const std::wstring& wanted, int timeoutMs) {
    // Boxes show their texts resolved.
    const std::wstring part = wanted.compare(0, 2, L"${") == 0 ? Text(wanted.c_str()) : wanted;
    return AppTest::PumpUntil(
        [&] {
            for (const std::wstring& text : BoxesSeen())
                if (Contains(text, part)) return true;
            return false;
        },
        timeoutMs);
}

bool MainWindowRun::Close(int timeoutMs) {
    PostMessageW(handle, WM_CLOSE, 0, 0);
    return AppTest::PumpUntil([&] { return !IsWindow(handle); }, timeoutMs);
}

std::vector<AmpRequest> ParsedRequests(const AmpEmulator& emulator) {
    std::vector<AmpRequest> parsed;
    for (const auto& report : emulator.Requests()) {
        AmpRequest request;
        if (ParseAmpRequest(report.data(), report.size(), request)) parsed.push_back(request);
    }
    return parsed;
}

std::wstring Text(const wchar_t* key) { return CTextResource::GetInstance()->GetText(key).Data(); }

}  // namespace ControllerTest
