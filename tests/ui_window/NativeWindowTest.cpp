// The native window base: class registration and superclasses, binding an object to its window and
// letting it go, the modal loop (close codes, a refused close, a window destroyed without closing, a
// quit), centring and client sizing, and the loop's pre-translation through the managers of a window and
// the windows above it.
#include "WindowTestSupport.h"

#include "UIWindow.h"

#include <cstdlib>
#include <functional>

using namespace SkinUI;
using namespace WindowTest;

namespace {

constexpr UINT kRunAction = WM_APP + 20;

// A plain window whose messages can run test code.
class CPlainWindow : public CWindowWnd {
public:
    explicit CPlainWindow(const wchar_t* className = L"PlainTestWnd", const wchar_t* baseClass = nullptr)
        : m_className(className), m_baseClass(baseClass) {}
    ~CPlainWindow() override {
        if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
    }
    std::function<void()> action;
    int destroyedCalls = 0;
    HWND destroyedHandle = nullptr;
    int closes = 0;
    int wheels = 0;
    bool refuseClose = false;

protected:
    const wchar_t* GetWndClassName() const override { return m_className; }
    const wchar_t* GetBaseWndClassName() const override { return m_baseClass; }
    LRESULT HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kRunAction && action) {
            action();
            return 0;
        }
        if (message == WM_MOUSEWHEEL) ++wheels;
        if (message == WM_CLOSE) {
            ++closes;
            if (refuseClose) {
                refuseClose = false;
                return 0;
            }
        }
        return CWindowWnd::HandleWndMessage(message, wParam, lParam);
    }
    void OnWindowDestroyed(HWND hwnd) override {
        ++destroyedCalls;
        destroyedHandle = hwnd;
    }

private:
    const wchar_t* m_className;
    const wchar_t* m_baseClass;
};

HWND CreatePopup(CPlainWindow& window, HWND owner, int x, int y, int cx, int cy) {
    return window.CreateNativeWindow(owner, L"plain", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, x, y, cx, cy);
}

}  // namespace

TEST(NativeWindow, BindsTheObjectFromCreationToTheLastMessage) {
    CPlainWindow window;
    HWND hwnd = CreatePopup(window, nullptr, 10, 10, 100, 80);
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(hwnd, window.GetHandle());
    EXPECT_EQ(hwnd, static_cast<HWND>(window));
    CPlainWindow again;  // the class exists already: registering it again is fine
    ASSERT_NE(nullptr, CreatePopup(again, nullptr, 10, 10, 50, 50));
    DestroyWindow(hwnd);
    EXPECT_EQ(nullptr, window.GetHandle());
    EXPECT_EQ(1, window.destroyedCalls);
    EXPECT_EQ(hwnd, window.destroyedHandle);
    window.PostClose(3);  // no window: nothing is posted
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_NOREMOVE));
    EXPECT_FALSE(window.SetShown(true));
}

TEST(NativeWindow, SuperclassOfASystemClassAndOfAMissingOne) {
    CPlainWindow edit(L"SkinTestEdit", L"EDIT");
    HWND hwnd = edit.CreateNativeWindow(nullptr, L"typed", WS_POPUP, 0, 0, 0, 120, 24);
    ASSERT_NE(nullptr, hwnd);
    wchar_t text[16] = {};
    GetWindowTextW(hwnd, text, 16);
    EXPECT_STREQ(L"typed", text) << "the edit class does the work";
    SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"changed"));
    GetWindowTextW(hwnd, text, 16);
    EXPECT_STREQ(L"changed", text);
    EXPECT_NE(nullptr, GetPropW(hwnd, L"WndX"));
    DestroyWindow(hwnd);
    EXPECT_EQ(1, edit.destroyedCalls);

    CPlainWindow orphan(L"SkinTestOrphan", L"NoSuchBaseClass");
    EXPECT_EQ(nullptr, orphan.CreateNativeWindow(nullptr, L"", WS_POPUP, 0, 0, 0, 10, 10));
}

TEST(NativeWindow, AttachingToAWindowItDidNotCreate) {
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"s", WS_POPUP, 0, 0, 30, 30, nullptr, nullptr, nullptr, nullptr);
    CPlainWindow window;
    ASSERT_EQ(hwnd, window.AttachToExisting(hwnd));
    int ran = 0;
    window.action = [&] { ++ran; };
    SendMessageW(hwnd, kRunAction, 0, 0);
    EXPECT_EQ(1, ran);
    window.DetachFromExisting();
    SendMessageW(hwnd, kRunAction, 0, 0);
    EXPECT_EQ(1, ran) << "the static control has its own procedure back";
    DestroyWindow(hwnd);
    EXPECT_EQ(0, window.destroyedCalls);
}

class ModalTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, CreatePopup(owner, nullptr, 100, 100, 300, 200));
        ASSERT_NE(nullptr, CreatePopup(dialog, owner.GetHandle(), 150, 150, 120, 80));
    }
    CPlainWindow owner;
    CPlainWindow dialog{L"PlainTestDialog"};
};

TEST_F(ModalTest, ReturnsTheCloseCodeAndEnablesTheOwner) {
    bool ownerDisabledInside = false;
    dialog.action = [&] { ownerDisabledInside = !IsWindowEnabled(owner.GetHandle()); };
    dialog.PostWindowMessage(kRunAction);
    dialog.PostClose(7);
    EXPECT_EQ(7u, dialog.RunModal());
    EXPECT_TRUE(ownerDisabledInside);
    EXPECT_TRUE(IsWindowEnabled(owner.GetHandle()));
    EXPECT_EQ(owner.GetHandle(), GetFocus());
    EXPECT_FALSE(IsWindow(dialog.GetHandle()));
}

TEST_F(ModalTest, ARefusedCloseKeepsTheOwnerDisabled) {
    dialog.refuseClose = true;
    bool ownerDisabledAfterRefusal = false;
    dialog.action = [&] {
        ownerDisabledAfterRefusal = !IsWindowEnabled(owner.GetHandle());
        dialog.PostClose(9);
    };
    dialog.PostClose(5);  // refused
    dialog.PostWindowMessage(kRunAction);
    EXPECT_EQ(9u, dialog.RunModal());
    EXPECT_EQ(2, dialog.closes);
    EXPECT_TRUE(ownerDisabledAfterRefusal);
    EXPECT_TRUE(IsWindowEnabled(owner.GetHandle()));
}

TEST_F(ModalTest, AWindowDestroyedWithoutClosingReturnsZero) {
    dialog.action = [&] { DestroyWindow(dialog.GetHandle()); };
    dialog.PostWindowMessage(kRunAction);
    EXPECT_EQ(0u, dialog.RunModal());
    EXPECT_TRUE(IsWindowEnabled(owner.GetHandle()));
}

TEST_F(ModalTest, AQuitEndsTheModalLoopAndIsPostedAgain) {
    PostQuitMessage(3);
    EXPECT_EQ(0u, dialog.RunModal());
    EXPECT_TRUE(IsWindow(dialog.GetHandle())) << "a quit does not close the window";
    EXPECT_TRUE(IsWindowEnabled(owner.GetHandle()));
    MSG msg = {};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(3u, msg.wParam);

    // The outer loop ends on it as well.
    PostQuitMessage(4);
    CPaintManagerUI::RunMessageLoop();
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST_F(ModalTest, WheelMessagesForTheOwnerAreDropped) {
    int ownerActions = 0;
    owner.action = [&] { ++ownerActions; };
    PostMessageW(owner.GetHandle(), WM_MOUSEWHEEL, 0, 0);
    PostMessageW(owner.GetHandle(), kRunAction, 0, 0);  // other messages reach the owner
    PostMessageW(dialog.GetHandle(), WM_MOUSEWHEEL, 0, 0);
    dialog.PostClose(1);
    dialog.RunModal();
    EXPECT_EQ(0, owner.wheels);
    EXPECT_EQ(1, ownerActions);
    EXPECT_EQ(1, dialog.wheels);
}

TEST(NativeWindow, CentringKeepsTheWindowInsideTheWorkArea) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    CPlainWindow owner;
    ASSERT_NE(nullptr, CreatePopup(owner, nullptr, 100, 100, 400, 300));
    GetMonitorInfoW(MonitorFromWindow(owner.GetHandle(), MONITOR_DEFAULTTONEAREST), &monitor);

    CPlainWindow child(L"PlainTestDialog");
    ASSERT_NE(nullptr, CreatePopup(child, owner.GetHandle(), 0, 0, 100, 50));
    child.CenterOnOwner();
    RECT rect = {};
    GetWindowRect(child.GetHandle(), &rect);
    EXPECT_EQ(100 + 200 - 50, rect.left);
    EXPECT_EQ(100 + 150 - 25, rect.top);

    CPlainWindow huge(L"PlainTestHuge");
    ASSERT_NE(nullptr, CreatePopup(huge, nullptr, 0, 0, 2000, 2000));
    SetWindowPos(huge.GetHandle(), nullptr, 0, 0, 4000, 4000, SWP_NOMOVE | SWP_NOZORDER);
    huge.CenterOnOwner();
    GetWindowRect(huge.GetHandle(), &rect);
    EXPECT_EQ(monitor.rcWork.left, rect.left);
    EXPECT_EQ(monitor.rcWork.top, rect.top);
}

TEST(NativeWindow, ResizeClientAreaAddsTheFrame) {
    CPlainWindow window;
    HWND hwnd = window.CreateNativeWindow(nullptr, L"framed", WS_OVERLAPPEDWINDOW, 0, 0, 0, 200, 200);
    ASSERT_NE(nullptr, hwnd);
    ASSERT_TRUE(window.ResizeClientArea(150, -1));
    RECT client = {};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(150, client.right);
    const LONG height = client.bottom;
    ASSERT_TRUE(window.ResizeClientArea(-1, 90));
    GetClientRect(hwnd, &client);
    EXPECT_EQ(150, client.right);
    EXPECT_EQ(90, client.bottom);
    EXPECT_NE(height, client.bottom);
}

namespace {

class CountingTranslator : public ITranslateAccelerator {
public:
    explicit CountingTranslator(UINT consumes) : m_consumes(consumes) {}
    LRESULT TranslateAccelerator(MSG* msg) override {
        ++seen;
        return msg->message == m_consumes ? 0 : 1;
    }
    int seen = 0;

private:
    UINT m_consumes;
};

class CountingFilter : public IMessageFilterUI {
public:
    LRESULT MessageHandler(UINT message, WPARAM, LPARAM, bool& handled) override {
        ++seen;
        handled = message == WM_APP + 7;
        return 0;
    }
    int seen = 0;
};

}  // namespace

TEST(MessageLoop, AChildsMessageReachesEveryManagedWindowAboveIt) {
    CTestWindow outer(L"<Window size=\"300,200\"><Container/></Window>");
    ASSERT_NE(nullptr, outer.Create());
    // A managed child window inside, and a native edit inside that.
    HWND middle = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, outer.GetHandle(),
                                  nullptr, nullptr, nullptr);
    CPaintManagerUI middleManager;
    middleManager.AttachWindow(middle, L"middle");
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, middle, nullptr, nullptr, nullptr);

    CountingTranslator outerKeys(WM_KEYUP);
    CountingFilter outerFilter;
    CountingTranslator middleKeys(WM_CHAR);
    CountingFilter middleFilter;
    outer.pm().AddKeyTranslator(&outerKeys);
    outer.pm().AddLoopMessageFilter(&outerFilter);
    middleManager.AddKeyTranslator(&middleKeys);
    middleManager.AddLoopMessageFilter(&middleFilter);

    MSG msg = {edit, WM_KEYDOWN, 'A', 0, 0, {}};
    EXPECT_FALSE(CPaintManagerUI::PreTranslateMessage(&msg)) << "a child's message is still dispatched";
    EXPECT_EQ(1, outerKeys.seen);
    EXPECT_EQ(1, middleKeys.seen);
    EXPECT_EQ(1, outerFilter.seen);
    EXPECT_EQ(1, middleFilter.seen);

    msg.message = WM_CHAR;  // the middle window's translator takes it
    EXPECT_TRUE(CPaintManagerUI::PreTranslateMessage(&msg));

    // The window's own message: its loop filter may consume it.
    MSG own = {outer.GetHandle(), WM_APP + 7, 0, 0, 0, {}};
    EXPECT_TRUE(CPaintManagerUI::PreTranslateMessage(&own));
    own.message = WM_APP + 8;
    EXPECT_FALSE(CPaintManagerUI::PreTranslateMessage(&own));
    MSG unmanaged = {nullptr, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_FALSE(CPaintManagerUI::PreTranslateMessage(&unmanaged));
    outer.pm().RemoveKeyTranslator(&outerKeys);
    outer.pm().RemoveLoopMessageFilter(&outerFilter);
    DestroyWindow(middle);
}

TEST(MessageLoop, HelpersNameMessagesAndConvertText) {
    EXPECT_STREQ(L"WM_PAINT", MessageIdToName(WM_PAINT));
    EXPECT_STREQ(L"WM_GETTEXTLENGTH", MessageIdToName(WM_GETTEXTLENGTH));
    EXPECT_STREQ(L"0x8001", MessageIdToName(0x8001));
    char* narrow = WideToCodePage(L"pass-w0rd", CP_ACP);
    ASSERT_NE(nullptr, narrow);
    EXPECT_STREQ("pass-w0rd", narrow);
    free(narrow);
    EXPECT_EQ(nullptr, WideToCodePage(nullptr, CP_ACP));
    EXPECT_EQ(MK_SHIFT, [] {
        SetKeyDown(VK_SHIFT, true);
        const UINT state = CPaintManagerUI::MapKeyState() & MK_SHIFT;
        SetKeyDown(VK_SHIFT, false);
        return state;
    }());
}
