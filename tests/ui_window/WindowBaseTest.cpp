// The skin window base: hit testing of the sizing borders and the caption, the system buttons kept in
// step with the window state, closing (button, Alt+F4, a refused close), the default keys, minimum and
// maximum sizes, the window region, a layout that cannot be built, notifications at once and queued
// reaching the window's map, and handlers that destroy their own window.
#include "WindowTestSupport.h"

#include <cstring>

using namespace SkinUI;
using namespace WindowTest;

namespace {

const wchar_t kCaptionLayout[] = LR"(<Window size="300,200" sizebox="4,4,4,4" caption="0,0,0,30" roundcorner="6,6"
        mininfo="200,150" maxinfo="600,500">
  <VerticalLayout name="root">
    <HorizontalLayout height="30">
      <Control name="title" width="100"/>
      <Probe name="capbtn" width="50"/>
      <Control/>
      <Probe name="maxbtn" width="20" clickonup="true"/>
      <Probe name="restorebtn" width="20" visible="false" clickonup="true"/>
      <Probe name="closebtn" width="20" clickonup="true"/>
    </HorizontalLayout>
    <Probe name="body"/>
  </VerticalLayout>
</Window>)";

class WindowBaseTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(nullptr, window.Create(nullptr, 100, 100)); }
    LRESULT HitTest(int screenX, int screenY) {
        return SendMessageW(window.GetHandle(), WM_NCHITTEST, 0, MAKELPARAM(screenX, screenY));
    }
    void Click(const wchar_t* name) {
        const RECT pos = window.Control(name)->GetPos();
        const LPARAM point = At((pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2);
        SendMessageW(window.GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageW(window.GetHandle(), WM_LBUTTONUP, 0, point);
    }
    CTestWindow window{kCaptionLayout};
};

}  // namespace

TEST_F(WindowBaseTest, SizingBordersAndTheCaptionOverPassiveControls) {
    EXPECT_EQ(HTTOPLEFT, HitTest(102, 102));
    EXPECT_EQ(HTTOPRIGHT, HitTest(398, 102));
    EXPECT_EQ(HTTOP, HitTest(250, 102));
    EXPECT_EQ(HTLEFT, HitTest(101, 250));
    EXPECT_EQ(HTRIGHT, HitTest(396, 250));
    EXPECT_EQ(HTBOTTOMRIGHT, HitTest(399, 299));
    EXPECT_EQ(HTBOTTOM, HitTest(250, 297));
    EXPECT_EQ(HTCAPTION, HitTest(150, 115)) << "over the title control";
    EXPECT_EQ(HTCLIENT, HitTest(225, 115)) << "an active control in the caption takes the mouse";
    EXPECT_EQ(HTCAPTION, HitTest(280, 115)) << "over the plain filler";
    EXPECT_EQ(HTCLIENT, HitTest(250, 200)) << "below the caption";
}

TEST_F(WindowBaseTest, MaximisingSwapsTheButtonsAndSkipsTheBorders) {
    HWND hwnd = window.GetHandle();
    CControlUI* maxButton = window.Control(L"maxbtn");
    CControlUI* restoreButton = window.Control(L"restorebtn");
    Click(L"maxbtn");
    Pump();
    ASSERT_TRUE(IsZoomed(hwnd));
    EXPECT_FALSE(maxButton->IsVisible());
    EXPECT_TRUE(restoreButton->IsVisible());
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    EXPECT_EQ(HTCAPTION, HitTest(rect.left + 2, rect.top + 2)) << "no sizing border when maximised";
    UpdateWindow(hwnd);
    Pump();
    Click(L"restorebtn");
    Pump();
    EXPECT_FALSE(IsZoomed(hwnd));
    EXPECT_TRUE(maxButton->IsVisible());
    EXPECT_FALSE(restoreButton->IsVisible());
    GetWindowRect(hwnd, &rect);
    EXPECT_EQ(300, rect.right - rect.left);
}

TEST_F(WindowBaseTest, TheCloseButtonClosesWithCodeOneAndAltF4AsksOnClose) {
    window.refuseClose = true;
    SendMessageW(window.GetHandle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(1, window.closeRequests);
    EXPECT_TRUE(IsWindow(window.GetHandle()));

    window.refuseClose = false;
    Click(L"closebtn");
    ASSERT_EQ(1u, window.NotesOf(L"click").size());
    EXPECT_EQ(L"closebtn", window.NotesOf(L"click")[0].sender);
    MSG msg = {};
    ASSERT_TRUE(PeekMessageW(&msg, window.GetHandle(), WM_CLOSE, WM_CLOSE, PM_NOREMOVE));
    EXPECT_EQ(1u, msg.wParam);
    Pump();
    EXPECT_EQ(2, window.closeRequests);
    EXPECT_TRUE(window.destroyed);
}

TEST_F(WindowBaseTest, ReturnAndEscapeReachTheDefaultKeyAndAreStillDispatched) {
    MSG escape = {window.GetHandle(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    EXPECT_FALSE(CPaintManagerUI::PreTranslateMessage(&escape));
    MSG enter = {window.GetHandle(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_FALSE(CPaintManagerUI::PreTranslateMessage(&enter));
    MSG other = {window.GetHandle(), WM_KEYDOWN, 'A', 0, 0, {}};
    CPaintManagerUI::PreTranslateMessage(&other);
    EXPECT_EQ(2, window.defaultKeys);
}

TEST_F(WindowBaseTest, SizeLimitsRegionAndStyle) {
    HWND hwnd = window.GetHandle();
    MINMAXINFO info = {};
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(200, info.ptMinTrackSize.x);
    EXPECT_EQ(150, info.ptMinTrackSize.y);
    EXPECT_EQ(600, info.ptMaxTrackSize.x);
    EXPECT_EQ(500, info.ptMaxTrackSize.y);
    window.pm().GetDpiScaler()->SetScale(144);
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(300, info.ptMinTrackSize.x) << "the minimum follows the DPI";
    window.pm().GetDpiScaler()->SetScale(96);

    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(COMPLEXREGION, GetWindowRgn(hwnd, region)) << "rounded corners";
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_TRUE(PtInRegion(region, 150, 100));
    DeleteObject(region);
    EXPECT_FALSE(GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION);
    EXPECT_TRUE(GetWindowLongW(hwnd, GWL_STYLE) & WS_CLIPCHILDREN);
    EXPECT_EQ(1, window.initCount);
}

TEST(WindowBase, ACaptionOverTheWholeHeightStaysSoAtAnyScale) {
    CTestWindow window(LR"(<Window size="200,100" caption="0,0,0,-1"><VerticalLayout/></Window>)");
    ASSERT_NE(nullptr, window.Create(nullptr, 50, 50));
    window.pm().ApplyDpi(192);
    UpdateWindow(window.GetHandle());
    RECT rect = {};
    GetWindowRect(window.GetHandle(), &rect);
    ASSERT_EQ(400, rect.right - rect.left);
    EXPECT_EQ(HTCAPTION, SendMessageW(window.GetHandle(), WM_NCHITTEST, 0, MAKELPARAM(rect.left + 10, rect.bottom - 5)));
}

TEST(WindowBase, ALayoutThatCannotBeBuiltGoesThroughTheFailureHandler) {
    const int before = WindowEnvironment::LayoutFailures();
    CTestWindow broken(L"<Window><VerticalLayout");
    EXPECT_EQ(nullptr, broken.Create());
    EXPECT_EQ(before + 1, WindowEnvironment::LayoutFailures());
    EXPECT_EQ(L"<Window><VerticalLayout", WindowEnvironment::LastFailedLayout());
    CTestWindow empty(L"<Window size=\"10,10\"></Window>");
    EXPECT_EQ(nullptr, empty.Create()) << "a layout without controls builds no window";
    EXPECT_EQ(before + 2, WindowEnvironment::LayoutFailures());
}

TEST_F(WindowBaseTest, NotificationsAtOnceAndQueuedReachTheMap) {
    CControlUI* body = window.Control(L"body");
    window.pm().RaiseNotify(body, L"immediate", 3, 4, false);
    ASSERT_EQ(1u, window.NotesOf(L"immediate").size());
    EXPECT_EQ(L"body", window.NotesOf(L"immediate")[0].sender);
    EXPECT_EQ(3u, window.NotesOf(L"immediate")[0].wParam);

    for (WPARAM i = 1; i <= 3; ++i) window.pm().RaiseNotify(body, L"queued", i, -static_cast<LPARAM>(i), true);
    EXPECT_TRUE(window.NotesOf(L"queued").empty());
    int posted = 0;
    MSG msg = {};
    while (PeekMessageW(&msg, window.GetHandle(), WM_APP + 1, WM_APP + 1, PM_REMOVE)) ++posted;
    EXPECT_EQ(1, posted) << "one delivery message for the three";
    PostMessageW(window.GetHandle(), WM_APP + 1, 0, 0);
    Pump();
    const auto queued = window.NotesOf(L"queued");
    ASSERT_EQ(3u, queued.size());
    for (WPARAM i = 1; i <= 3; ++i) {
        EXPECT_EQ(i, queued[i - 1].wParam);
        EXPECT_EQ(-static_cast<LPARAM>(i), queued[i - 1].lParam);
    }
}

namespace {

int g_clicks = 0;
int g_deliveries = 0;

// A window that deletes itself when its window goes, as the application's windows do.
class CSelfDeletingWindow : public CTestWindow {
public:
    using CTestWindow::CTestWindow;
    static bool alive;

protected:
    void OnWindowDestroyed(HWND hwnd) override {
        CTestWindow::OnWindowDestroyed(hwnd);
        alive = false;
        delete this;
    }
};
bool CSelfDeletingWindow::alive = false;

CSelfDeletingWindow* NewSelfDeletingWindow() {
    auto* window = new CSelfDeletingWindow(LR"(<Window size="120,60"><HorizontalLayout>
        <Probe name="go" clickonup="true"/></HorizontalLayout></Window>)");
    CSelfDeletingWindow::alive = true;
    EXPECT_NE(nullptr, window->Create());
    return window;
}

}  // namespace

TEST(Lifetime, AClickHandlerThatDestroysItsWindow) {
    CSelfDeletingWindow* window = NewSelfDeletingWindow();
    HWND hwnd = window->GetHandle();
    g_clicks = 0;
    window->onNote = [hwnd](TNotifyMessage& msg) {
        if (msg.sType != L"click") return;
        ++g_clicks;
        DestroyWindow(hwnd);
    };
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(60, 30));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, At(60, 30));
    EXPECT_EQ(1, g_clicks);
    EXPECT_FALSE(CSelfDeletingWindow::alive);
    EXPECT_FALSE(IsWindow(hwnd));
    Pump();
}

TEST(Lifetime, AQueuedNotificationWhoseHandlerDestroysTheWindowEndsTheDelivery) {
    CSelfDeletingWindow* window = NewSelfDeletingWindow();
    HWND hwnd = window->GetHandle();
    g_deliveries = 0;
    window->onNote = [hwnd](TNotifyMessage& msg) {
        if (msg.sType != L"immediate") return;
        if (++g_deliveries == 1) DestroyWindow(hwnd);
    };
    CControlUI* go = window->Control(L"go");
    for (int i = 0; i < 3; ++i) window->pm().RaiseNotify(go, L"immediate", i, 0, true);
    Pump();
    EXPECT_EQ(1, g_deliveries) << "the rest were dropped with the window";
    EXPECT_FALSE(CSelfDeletingWindow::alive);
}

TEST(Lifetime, AFilterThatDestroysTheWindowEndsTheWalk) {
    class Destroyer : public IMessageFilterUI {
    public:
        LRESULT MessageHandler(UINT message, WPARAM, LPARAM, bool&) override {
            if (message == WM_APP + 9) DestroyWindow(target);
            return 0;
        }
        HWND target = nullptr;
    };
    class Counter : public IMessageFilterUI {
    public:
        LRESULT MessageHandler(UINT message, WPARAM, LPARAM, bool&) override {
            seen += message == WM_APP + 9;
            return 0;
        }
        int seen = 0;
    };
    Destroyer destroyer;
    Counter counter;
    CSelfDeletingWindow* window = NewSelfDeletingWindow();
    destroyer.target = window->GetHandle();
    window->pm().AddWindowMessageFilter(&destroyer);
    window->pm().AddWindowMessageFilter(&counter);
    SendMessageW(destroyer.target, WM_APP + 9, 0, 0);
    EXPECT_FALSE(CSelfDeletingWindow::alive);
    EXPECT_EQ(0, counter.seen) << "the filters of a destroyed window are not asked";
}

namespace {

// The memory of the last window deleted, filled with a pattern and kept, so that a write into the
// window after its deletion shows.
struct TQuarantine {
    unsigned char* block = nullptr;
    size_t size = 0;
};
TQuarantine g_quarantine;

class CQuarantinedWindow : public CSelfDeletingWindow {
public:
    using CSelfDeletingWindow::CSelfDeletingWindow;
    static void operator delete(void* block, size_t size) {
        memset(block, 0xDD, size);
        g_quarantine = {static_cast<unsigned char*>(block), size};
    }
};

// Focuses "first", lets a "killfocus" handler destroy the window and runs move; true when nothing was
// written into the deleted window.
bool WindowUntouchedAfterAFocusHandlerDestroysIt(const std::function<void(HWND)>& move) {
    auto* window = new CQuarantinedWindow(LR"(<Window size="120,60"><HorizontalLayout>
        <Probe name="first" tabstop="true"/><Probe name="second" tabstop="true"/></HorizontalLayout></Window>)");
    CSelfDeletingWindow::alive = true;
    EXPECT_NE(nullptr, window->Create());
    HWND hwnd = window->GetHandle();
    window->Control(L"first")->SetFocus();
    window->onNote = [hwnd](TNotifyMessage& msg) {
        if (msg.sType == L"killfocus") DestroyWindow(hwnd);
    };
    g_quarantine = {};
    move(hwnd);
    EXPECT_FALSE(CSelfDeletingWindow::alive);
    bool untouched = g_quarantine.block != nullptr;
    for (size_t i = 0; i < g_quarantine.size; ++i) untouched = untouched && g_quarantine.block[i] == 0xDD;
    ::operator delete(g_quarantine.block);
    g_quarantine = {};
    Pump();
    return untouched;
}

}  // namespace

TEST(Lifetime, AFocusHandlerThatDestroysTheWindowOnAClick) {
    EXPECT_TRUE(WindowUntouchedAfterAFocusHandlerDestroysIt(
        [](HWND hwnd) { SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(90, 30)); }));
}

TEST(Lifetime, AFocusHandlerThatDestroysTheWindowOnTab) {
    EXPECT_TRUE(WindowUntouchedAfterAFocusHandlerDestroysIt([](HWND hwnd) {
        MSG tab = {hwnd, WM_KEYDOWN, VK_TAB, 0, 0, {}};
        EXPECT_TRUE(CPaintManagerUI::PreTranslateMessage(&tab));
    }));
}

namespace {

// A native edit that answers the messages its parent reflects back to it.
class CReflectingEdit : public CWindowWnd {
public:
    ~CReflectingEdit() override {
        if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
    }
    int commands = 0;
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));

protected:
    const wchar_t* GetWndClassName() const override { return L"ReflectingTestEdit"; }
    const wchar_t* GetBaseWndClassName() const override { return L"EDIT"; }
    LRESULT HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == 0x2000 + WM_COMMAND) ++commands;
        if (message == 0x2000 + WM_CTLCOLOREDIT) return reinterpret_cast<LRESULT>(brush);
        if (message == 0x2000 + WM_CTLCOLORSTATIC) return 0;  // "use the default colours"
        return CWindowWnd::HandleWndMessage(message, wParam, lParam);
    }
};

}  // namespace

TEST_F(WindowBaseTest, MessagesOfANativeChildAreReflectedBackToIt) {
    CReflectingEdit edit;
    HWND child = edit.CreateNativeWindow(window.GetHandle(), L"", WS_CHILD | WS_VISIBLE, 0, 10, 40, 100, 20);
    ASSERT_NE(nullptr, child);
    HDC dc = GetDC(child);
    EXPECT_EQ(reinterpret_cast<LRESULT>(edit.brush),
              SendMessageW(window.GetHandle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child)))
        << "the child's brush is the answer";
    const LRESULT fallback =
        SendMessageW(window.GetHandle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child));
    EXPECT_NE(0, fallback) << "without a brush from the child the system's default answers";
    ReleaseDC(child, dc);
    SendMessageW(window.GetHandle(), WM_COMMAND, MAKEWPARAM(1, EN_CHANGE), reinterpret_cast<LPARAM>(child));
    EXPECT_EQ(1, edit.commands);
}
