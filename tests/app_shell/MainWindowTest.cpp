// The main window's start-up order, its busy popup, plug notifications, language change, shut-down, the
// refusal of a second instance and the restart request of a display change.
#include "AmpEmulator.h"
#include "AppTestSupport.h"
#include "MainWnd.h"
#include "SButton.h"
#include "ScreenInfo.h"
#include "Settings.h"
#include "UITextResource.h"

#include <dbt.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

using namespace AppTest;
using namespace SkinUI;

namespace {

constexpr const wchar_t* kMutexName = L"VELMOR4TO8_KTR3.500DSP";

// Counts what reaches the emulated amplifier.
class CountingBackend : public ForwardingHidBackend {
public:
    explicit CountingBackend(HidBackend& inner) : ForwardingHidBackend(inner) {}
    HidHandle* Open(uint16_t vendorId, uint16_t productId, const wchar_t* serial) override {
        ++opens;
        return ForwardingHidBackend::Open(vendorId, productId, serial);
    }
    int Write(HidHandle* dev, const uint8_t* data, size_t length) override {
        ++writes;
        return ForwardingHidBackend::Write(dev, data, length);
    }
    std::atomic<int> opens{0};
    std::atomic<int> writes{0};
};

// Where the main window stood when it was first shown, taken from the messages it gets.
RECT g_firstShown = {};
bool g_shown = false;

LRESULT CALLBACK NoteFirstShow(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    wchar_t title[64] = L"";
    if (code == HC_ACTION && !g_shown && call->message == WM_SHOWWINDOW && call->wParam &&
        GetWindowTextW(call->hwnd, title, 64) && wcscmp(title, CMainWnd::kTitle) == 0) {
        g_shown = true;
        GetWindowRect(call->hwnd, &g_firstShown);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Created as the program creates it (visible, at the corner, then centred).
CMainWnd* CreateMainWindow(HidBackend* hid) {
    auto* window = new CMainWnd(hid);
    g_shown = false;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, NoteFirstShow, nullptr, GetCurrentThreadId());
    const bool created = window->CreateNativeWindow(nullptr, CMainWnd::kTitle, WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0,
                                                    0, CMainWnd::kWidth, CMainWnd::kHeight) != nullptr;
    if (hook) UnhookWindowsHookEx(hook);
    if (!created) {
        delete window;
        return nullptr;
    }
    window->CenterOnOwner();
    return window;
}

// A plug notification as the system sends it for a device interface.
struct PlugEvent {
    DEV_BROADCAST_DEVICEINTERFACE_W header = {};
    wchar_t rest[200] = {};
};

void SendPlug(HWND window, WPARAM event, const wchar_t* path) {
    PlugEvent plug;
    plug.header.dbcc_size = sizeof(plug);
    plug.header.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    wcsncpy(plug.header.dbcc_name, path, 150);
    SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&plug));
}

struct ClassSearch {
    const wchar_t* name;
    int count;
};

BOOL CALLBACK CountIfOfClass(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<ClassSearch*>(data);
    wchar_t name[64];
    if (GetClassNameW(hwnd, name, 64) && wcscmp(name, search->name) == 0 && IsWindowVisible(hwnd)) ++search->count;
    return TRUE;
}

int CountWindowsOfClass(const wchar_t* className) {
    ClassSearch search{className, 0};
    EnumThreadWindows(GetCurrentThreadId(), CountIfOfClass, reinterpret_cast<LPARAM>(&search));
    return search.count;
}

HWND FindLoadingPopup() { return FindWindowW(L"LoadingWnd", nullptr); }

// Answers every message box as it opens, from inside whatever modal loop runs, and keeps their texts.
std::vector<std::wstring> gAnsweredBoxes;
void CALLBACK AnswerBoxes(HWND, UINT, UINT_PTR, DWORD) {
    for (CMsgWnd* box : CMsgWnd::OpenBoxes()) {
        CControlUI* text = box->GetPaintManager()->FindControlByName(L"MessageText");
        gAnsweredBoxes.push_back(text ? text->GetText().Data() : L"");
    }
    CMsgWnd::CloseAll();
}

bool Connected(CMainWnd* window) {
    return window->Controller().ConnectButton()->GetText().Data() == Text(L"${btn_connected}") &&
           !window->Controller().IsReadRunning() && FindLoadingPopup() == nullptr;
}

}  // namespace

TEST(MainWindow, StartsUpInOrderAndShutsDownCleanly) {
    SettingsFileGuard settings;
    ASSERT_TRUE(WriteSettingText(L"lan", L"2"));
    FreshTextResource();
    AmpEmulator emulator;
    CountingBackend hid(emulator);
    ClearQuit();

    CMainWnd* window = CreateMainWindow(&hid);
    ASSERT_NE(window, nullptr);
    CPaintManagerUI* pm = window->GetPaintManager();
    const HWND handle = window->GetHandle();

    // The channel sub-layout sits in its container, with the application's own controls in it.
    CControlUI* strip = pm->FindControlByName(L"channel_strip");
    EXPECT_NE(strip, nullptr);
    if (strip) {
        EXPECT_EQ(strip->GetParent(), pm->FindControlByName(L"channel_settings"));
    }
    CControlUI* level = pm->FindControlByName(L"level");
    CControlUI* mute = pm->FindControlByName(L"ch_mute_0");
    EXPECT_STREQ(level ? level->GetClass() : L"", L"CircleProgress");
    EXPECT_STREQ(mute ? mute->GetClass() : L"", L"SButtonUI");
    // Neither maximisable nor resizable.
    EXPECT_EQ(GetWindowLongW(handle, GWL_STYLE) & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    // Three languages, the stored one chosen.
    auto* texts = CTextResource::GetInstance();
    EXPECT_EQ(texts->GetPackCount(), 3);
    EXPECT_STREQ(texts->GetLanguage().Data(), L"ru");
    EXPECT_EQ(Text(L"${confirm}"), L"\x041E\x041A");
    EXPECT_EQ(texts->GetTextQuery(), static_cast<IQueryControlText*>(window));
    // Skin-change receiver, automatic DPI, controller bound, instance mutex, first connection.
    EXPECT_EQ(GlobalSkinChangeObserver().ReceiverCount(), 1u);
    EXPECT_EQ(pm->GetDpiScaler()->GetDPI(), GetAutoDpi());
    RECT client;
    GetClientRect(handle, &client);
    EXPECT_EQ(client.right, pm->GetDpiScaler()->Scale(CMainWnd::kWidth));
    // Placed before it is first shown: it never appears at the corner and jumps to the centre.
    RECT placed;
    GetWindowRect(handle, &placed);
    ASSERT_TRUE(g_shown);
    EXPECT_EQ(g_firstShown.left, placed.left);
    EXPECT_EQ(g_firstShown.top, placed.top);
    EXPECT_GT(placed.left, 0);
    EXPECT_EQ(window->Controller().hMainWnd, handle);
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, kMutexName);
    EXPECT_NE(mutex, nullptr);
    if (mutex) CloseHandle(mutex);
    EXPECT_FALSE(window->IsSecondInstance());
    EXPECT_TRUE(window->Controller().Device().IsConnected());
    EXPECT_EQ(hid.opens.load(), 1);
    EXPECT_NE(window->DeviceNotification(), nullptr);  // registered for HID plug events
    CSButtonUI* connect = window->Controller().ConnectButton();
    ASSERT_NE(connect, nullptr);
    EXPECT_EQ(connect->GetText().Data(), Text(L"${btn_connecting}"));
    EXPECT_EQ(Text(L"${btn_connecting}"), L"connecting-ru");
    EXPECT_EQ(connect->GetTextColor(), 0xFFFF0000u);
    EXPECT_EQ(pm->GetFocusedControl(), connect);
    // The first connection reads the amplifier behind the busy popup, then shows it connected.
    EXPECT_TRUE(PumpUntil([&] { return Connected(window); }));

    // A skin change paints the root.
    SkinChangedParam change;
    change.bColor = true;
    change.bkcolor = 0xFF123456;
    GlobalSkinChangeObserver().Broadcast(change);
    EXPECT_EQ(pm->FindControlByName(L"root")->GetBkColor(), 0xFF123456u);

    // The busy popup: shown by its message (which returns only when it closes), replaced by a second
    // show, closed by the hide.
    HWND first = nullptr, second = nullptr;
    int popupsWhileReplaced = 0;
    RunLater(60, [&] {
        first = FindLoadingPopup();
        PostMessageW(handle, WM_SHOW_LOADING, 0, 0);
        RunLater(120, [&] {
            second = FindLoadingPopup();
            popupsWhileReplaced = CountWindowsOfClass(L"LoadingWnd");
            PostMessageW(handle, WM_HIDE_LOADING, 0, 0);
        });
    });
    SendMessageW(handle, WM_SHOW_LOADING, 0, 0);
    EXPECT_NE(first, nullptr);
    EXPECT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(popupsWhileReplaced, 1);
    EXPECT_TRUE(PumpUntil([] { return FindLoadingPopup() == nullptr; }));
    SendMessageW(handle, WM_HIDE_LOADING, 0, 0);  // none shown: nothing happens

    // Plug events: another device changes nothing; the amplifier's removal answers an open box with 0
    // and disconnects; its arrival connects again.
    bool boxOpenAfterForeign = false;
    bool connectedAfterRemoval = true;
    RunLater(60, [&] {
        SendPlug(handle, DBT_DEVICEREMOVECOMPLETE, L"\\\\?\\HID#VID_046D&PID_C52B#7&1&0000#{4d1e55b2}");
        boxOpenAfterForeign = !CMsgWnd::OpenBoxes().empty();
        SendPlug(handle, DBT_DEVICEREMOVECOMPLETE, L"\\\\?\\hid#vid_0483&pid_5750#7&2&0000#{4d1e55b2}");
        connectedAfterRemoval = window->Controller().Device().IsConnected();
    });
    const wchar_t* captions[] = {L"${confirm}", L"cancel"};
    EXPECT_EQ(ShowMsgWndButtons(handle, L"${tips}", L"waiting", captions, 2), 0);
    EXPECT_TRUE(boxOpenAfterForeign);
    EXPECT_FALSE(connectedAfterRemoval);
    EXPECT_EQ(connect->GetText().Data(), Text(L"${btn_disconnected}"));
    SendPlug(handle, DBT_DEVICEARRIVAL, L"\\\\?\\HID#VID_0483&PID_5750#7&2&0000#{4d1e55b2}");
    EXPECT_TRUE(window->Controller().Device().IsConnected());
    SendPlug(handle, DBT_DEVICEARRIVAL, L"\\\\?\\HID#VID_0483&PID_5750#7&3&0000#{4d1e55b2}");
    EXPECT_TRUE(window->Controller().Device().IsConnected());  // a repeated arrival keeps the connection
    EXPECT_EQ(hid.opens.load(), 2);
    // The arrival reads the amplifier again. The plug-out box, due once the removal's notification had
    // returned, would stand over a connected window now: it never comes.
    gAnsweredBoxes.clear();
    const UINT_PTR answering = SetTimer(nullptr, 0, 20, AnswerBoxes);
    EXPECT_TRUE(PumpUntil([&] { return Connected(window); }));
    PumpUntil([] { return false; }, 300);
    KillTimer(nullptr, answering);
    EXPECT_EQ(gAnsweredBoxes, std::vector<std::wstring>{});

    // Changing the language stores it.
    window->ChangeLanguage(L"en", L"0");
    EXPECT_STREQ(texts->GetLanguage().Data(), L"en");
    EXPECT_EQ(GetConfigLanguage(), 0);

    // Shut-down: the amplifier is told the PC leaves, the loop is asked to end, the mutex is released,
    // and the window object leaves the skin-change observer.
    // A box still open at that moment is answered "no".
    const int writesBeforeClose = hid.writes.load();
    RunLater(60, [&] { PostMessageW(handle, WM_CLOSE, 0, 0); });
    EXPECT_EQ(ShowMsgWndButtons(handle, L"${tips}", L"open while closing", captions, 2), 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(handle); }));
    EXPECT_TRUE(PumpUntil([] { return QuitSeen(); }, 2000));  // the loop is asked to end
    EXPECT_FALSE(window->Controller().Device().IsConnected());
    EXPECT_GT(hid.writes.load(), writesBeforeClose);
    EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, kMutexName), nullptr);
    delete window;
    EXPECT_EQ(GlobalSkinChangeObserver().ReceiverCount(), 0u);
    ClearQuit();
}

TEST(MainWindow, SecondInstanceShowsItsMessageAndLeavesTheAmplifierAlone) {
    SettingsFileGuard settings;
    FreshTextResource();
    HANDLE running = CreateMutexW(nullptr, TRUE, kMutexName);  // the first instance
    ASSERT_NE(running, nullptr);
    AmpEmulator emulator;
    CountingBackend hid(emulator);

    std::wstring shown;
    int boxes = 0;
    RunLater(100, [&] {
        boxes = static_cast<int>(CMsgWnd::OpenBoxes().size());
        if (CMsgWnd* box = NewestBox()) shown = BoxControl(box, L"MessageText")->GetText().Data();
        ClickInNewestBox(L"confirm_btn");
    });
    CMainWnd* window = CreateMainWindow(&hid);
    ASSERT_NE(window, nullptr);
    const HWND handle = window->GetHandle();
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(handle); }));  // it closes itself
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(shown, Text(L"${mutex_tips}"));
    EXPECT_EQ(shown, L"Program already running");
    EXPECT_TRUE(window->IsSecondInstance());
    EXPECT_EQ(hid.opens.load(), 0);
    EXPECT_EQ(hid.writes.load(), 0);
    EXPECT_EQ(window->DeviceNotification(), nullptr);
    delete window;
    CloseHandle(running);
    ClearQuit();
}

TEST(MainWindow, DisplayChangeAsksForOneFreshInstanceAfterClosing) {
    SettingsFileGuard settings;
    FreshTextResource();
    AmpEmulator emulator;
    CMainWnd* window = CreateMainWindow(&emulator);
    ASSERT_NE(window, nullptr);
    const HWND handle = window->GetHandle();
    EXPECT_FALSE(window->RestartRequested());
    SendMessageW(handle, WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
    SendMessageW(handle, WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
    EXPECT_TRUE(window->RestartRequested());
    // It closes itself; the successor is started only after this instance has let go of its mutex.
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(handle); }));
    EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, kMutexName), nullptr);
    delete window;
    ClearQuit();
}

TEST(MainWindow, CustomElementsAndTextQuery) {
    CMainWnd window;
    std::unique_ptr<CControlUI> circle(window.CreateControl(L"circleprogress"));
    std::unique_ptr<CControlUI> sbutton(window.CreateControl(L"SBUTTON"));
    ASSERT_NE(circle, nullptr);
    ASSERT_NE(sbutton, nullptr);
    EXPECT_STREQ(circle->GetClass(), L"CircleProgress");
    EXPECT_NE(sbutton->GetInterface(L"SButton"), nullptr);
    EXPECT_EQ(window.CreateControl(L"Unknown"), nullptr);
    EXPECT_EQ(window.QueryControlText(L"${tips}", 0), nullptr);
    EXPECT_TRUE(CMainWnd::IsAmplifierPath(L"\\\\?\\HID#VID_0483&PID_5750&MI_00#8&1"));
    EXPECT_TRUE(CMainWnd::IsAmplifierPath(L"\\\\?\\hid#vid_0483&pid_5750#8&1"));
    EXPECT_FALSE(CMainWnd::IsAmplifierPath(L"\\\\?\\HID#VID_5750&PID_0483#8&1"));
    EXPECT_FALSE(CMainWnd::IsAmplifierPath(L"\\\\?\\USB#VID_0483&PID_5750#8&1"));
}
