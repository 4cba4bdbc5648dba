// Window messages routed to the controls of a window built from layout XML: hover, press, capture and
// release; the wheel, the right button and the cursor; keys to the focused control; Tab order and Alt
// shortcuts through the loop's pre-translation; control timers; tooltips; window message filters.
#include "WindowTestSupport.h"

#include "UIContainer.h"

#include <commctrl.h>

using namespace SkinUI;
using namespace WindowTest;

namespace {

const wchar_t kThreeProbes[] = LR"(<Window size="300,200">
  <HorizontalLayout name="root">
    <Probe name="a" width="100" tabstop="true"/>
    <Probe name="b" width="100" tabstop="true" shortcut="x" tooltip="Bee"/>
    <Probe name="c" width="100" tabstop="true" wantcursor="true"/>
  </HorizontalLayout>
</Window>)";

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, window.Create());
        hwnd = window.GetHandle();
        a = window.Probe(L"a");
        b = window.Probe(L"b");
        c = window.Probe(L"c");
        ASSERT_TRUE(a && b && c);
        a->Clear();
        b->Clear();
        c->Clear();
        window.ClearNotes();
    }
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) { return SendMessageW(hwnd, message, wParam, lParam); }
    bool PreTranslate(UINT message, WPARAM wParam, LPARAM lParam = 0) {
        MSG msg = {hwnd, message, wParam, lParam, GetTickCount(), {}};
        return CPaintManagerUI::PreTranslateMessage(&msg);
    }

    CTestWindow window{kThreeProbes};
    HWND hwnd = nullptr;
    CProbeUI* a = nullptr;
    CProbeUI* b = nullptr;
    CProbeUI* c = nullptr;
};

}  // namespace

TEST_F(InputTest, HoverPressCaptureAndRelease) {
    Send(WM_MOUSEMOVE, 0, At(50, 50));
    EXPECT_EQ((std::vector<int>{UIEVENT_MOUSEENTER, UIEVENT_MOUSEMOVE}), a->Types());
    EXPECT_EQ(a, window.pm().GetHoverControl());

    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(50, 50));
    ASSERT_EQ(1, a->Count(UIEVENT_BUTTONDOWN));
    EXPECT_EQ(MK_LBUTTON, a->Last(UIEVENT_BUTTONDOWN)->wKeyState);
    EXPECT_EQ(hwnd, GetCapture());
    EXPECT_EQ(a, window.pm().GetPressedControl());
    EXPECT_EQ(a, window.pm().GetFocusedControl());
    ASSERT_EQ(1u, window.NotesOf(L"setfocus").size());
    EXPECT_EQ(L"a", window.NotesOf(L"setfocus")[0].sender);

    // While the button is held every move goes to the pressed control, even over another one.
    a->Clear();
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(250, 50));
    ASSERT_EQ((std::vector<int>{UIEVENT_MOUSEMOVE}), a->Types());
    EXPECT_EQ(250, a->events[0].ptMouse.x);
    EXPECT_TRUE(c->events.empty());
    EXPECT_EQ(a, window.pm().GetHoverControl());

    Send(WM_LBUTTONUP, 0, At(250, 50));
    EXPECT_EQ(1, a->Count(UIEVENT_BUTTONUP));
    EXPECT_NE(hwnd, GetCapture());
    EXPECT_FALSE(window.pm().HasMouseCapture());
    EXPECT_EQ(nullptr, window.pm().GetPressedControl());

    a->Clear();
    Send(WM_MOUSEMOVE, 0, At(250, 50));
    EXPECT_EQ((std::vector<int>{UIEVENT_MOUSELEAVE}), a->Types());
    EXPECT_EQ((std::vector<int>{UIEVENT_MOUSEENTER, UIEVENT_MOUSEMOVE}), c->Types());
    EXPECT_EQ(250, window.pm().GetMousePos().x);

    // A point outside every control leaves the hover control.
    c->Clear();
    Send(WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
    EXPECT_EQ((std::vector<int>{UIEVENT_MOUSELEAVE}), c->Types());
    EXPECT_EQ(nullptr, window.pm().GetHoverControl());
}

namespace {

CContainerUI* g_removeFrom = nullptr;
CControlUI* g_removeOnLeave = nullptr;

// OnEvent subscriber: the first mouse leave removes (and so deletes) another control.
bool RemoveAnotherOnLeave(void* param) {
    if (static_cast<TUIEvent*>(param)->Type == UIEVENT_MOUSELEAVE && g_removeOnLeave) {
        g_removeFrom->Remove(g_removeOnLeave);
        g_removeOnLeave = nullptr;
    }
    return true;
}

}  // namespace

TEST_F(InputTest, AControlDeletedByAnEarlierMouseLeaveGetsNoLeaveItself) {
    auto* root = static_cast<CContainerUI*>(window.Control(L"root"));
    root->SetDelayedDestroy(false);
    window.pm().AddMouseLeaveNeeded(a);
    window.pm().AddMouseLeaveNeeded(b);
    a->OnEvent += MakeDelegate(&RemoveAnotherOnLeave);
    g_removeFrom = root;
    g_removeOnLeave = b;
    Send(WM_MOUSEMOVE, 0, At(250, 50));
    Send(WM_MOUSEMOVE, 0, At(50, 50));  // c is left: the controls that want every leave hear it first
    EXPECT_EQ(nullptr, g_removeOnLeave);
    EXPECT_EQ(2, root->GetCount());
    EXPECT_EQ(1, a->Count(UIEVENT_MOUSELEAVE));
    EXPECT_EQ(1, c->Count(UIEVENT_MOUSELEAVE));
    EXPECT_EQ(a, window.pm().GetHoverControl());
}

TEST_F(InputTest, DoubleClickCapturesWithoutMovingTheFocus) {
    b->SetFocus();
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, At(10, 10));
    EXPECT_EQ(1, a->Count(UIEVENT_DBLCLICK));
    EXPECT_EQ(b, window.pm().GetFocusedControl());
    EXPECT_EQ(a, window.pm().GetPressedControl());
    Send(WM_LBUTTONUP, 0, At(10, 10));
    EXPECT_EQ(1, a->Count(UIEVENT_BUTTONUP));
}

TEST_F(InputTest, WheelDownAndUpReachTheControlUnderTheMouse) {
    POINT point = {250, 50};
    ClientToScreen(hwnd, &point);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(point.x, point.y));
    ASSERT_EQ(1, c->Count(UIEVENT_SCROLLWHEEL));
    EXPECT_EQ(1u, c->Last(UIEVENT_SCROLLWHEEL)->wParam) << "down";
    EXPECT_EQ(250, window.pm().GetMousePos().x);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(point.x, point.y));
    EXPECT_EQ(0u, c->Last(UIEVENT_SCROLLWHEEL)->wParam) << "up";
    EXPECT_EQ(0, a->Count(UIEVENT_SCROLLWHEEL));
    EXPECT_GE(c->Count(UIEVENT_MOUSEMOVE), 1) << "a move follows the wheel";
}

TEST_F(InputTest, RightClickPressesFocusesAndEndsInTheContextMenu) {
    Send(WM_RBUTTONDOWN, MK_RBUTTON, At(50, 50));
    EXPECT_EQ(1, a->Count(UIEVENT_RBUTTONDOWN));
    EXPECT_EQ(a, window.pm().GetFocusedControl());
    EXPECT_EQ(hwnd, GetCapture());
    EXPECT_EQ(a, window.pm().GetPressedControl());
    // The button up goes to the control under the mouse; the system then asks for the context menu,
    // which the pressed control receives and which ends the press.
    Send(WM_RBUTTONUP, 0, At(50, 50));
    EXPECT_EQ(UIEVENT_CONTEXTMENU, a->Types().back());
    EXPECT_EQ(1, a->Count(UIEVENT_RBUTTONUP));
    EXPECT_NE(hwnd, GetCapture());
    EXPECT_EQ(nullptr, window.pm().GetPressedControl());
    Send(WM_MOUSEMOVE, 0, At(250, 50));
    EXPECT_EQ(1, c->Count(UIEVENT_MOUSEMOVE));
}

TEST_F(InputTest, ContextMenuGoesToThePressedControl) {
    Send(WM_RBUTTONDOWN, MK_RBUTTON, At(150, 20));
    POINT point = {150, 20};
    ClientToScreen(hwnd, &point);
    Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(point.x, point.y));
    ASSERT_EQ(1, b->Count(UIEVENT_CONTEXTMENU));
    EXPECT_EQ(reinterpret_cast<LPARAM>(b), b->Last(UIEVENT_CONTEXTMENU)->lParam);
    EXPECT_EQ(nullptr, window.pm().GetPressedControl());
    // From the keyboard the position is -1 and the last mouse position stays.
    Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), static_cast<LPARAM>(-1));
    EXPECT_EQ(150, window.pm().GetMousePos().x);
    EXPECT_EQ(20, window.pm().GetMousePos().y);
}

TEST_F(InputTest, SetCursorAsksOnlyControlsThatWantIt) {
    POINT overC = {250, 50};
    ClientToScreen(hwnd, &overC);
    SetCursorPos(overC.x, overC.y);
    EXPECT_EQ(TRUE, Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(1, c->Count(UIEVENT_SETCURSOR));

    POINT overA = {50, 50};
    ClientToScreen(hwnd, &overA);
    SetCursorPos(overA.x, overA.y);
    Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(0, a->Count(UIEVENT_SETCURSOR));

    // While a control holds the mouse the cursor is left alone.
    SetCursorPos(overC.x, overC.y);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(50, 50));
    c->Clear();
    EXPECT_EQ(TRUE, Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(0, c->Count(UIEVENT_SETCURSOR));
    Send(WM_LBUTTONUP, 0, At(50, 50));
}

TEST_F(InputTest, KeysGoToTheFocusedControlAndKeyUpToTheOneThatGotTheKeyDown) {
    b->SetFocus();
    Send(WM_KEYDOWN, 'A', 0);
    ASSERT_EQ(1, b->Count(UIEVENT_KEYDOWN));
    EXPECT_EQ('A', b->Last(UIEVENT_KEYDOWN)->chKey);
    Send(WM_CHAR, 'a', 0);
    EXPECT_EQ('a', b->Last(UIEVENT_CHAR)->chKey);
    c->SetFocus();
    Send(WM_KEYUP, 'A', 0);
    EXPECT_EQ(1, b->Count(UIEVENT_KEYUP));
    EXPECT_EQ(0, c->Count(UIEVENT_KEYUP));
    Send(WM_KEYUP, 'A', 0);
    EXPECT_EQ(1, b->Count(UIEVENT_KEYUP)) << "the key-up went once";
}

TEST_F(InputTest, TabMovesThroughTheTabStopsAndWraps) {
    ASSERT_EQ(nullptr, window.pm().GetFocusedControl());
    EXPECT_TRUE(PreTranslate(WM_KEYDOWN, VK_TAB)) << "Tab is not dispatched";
    EXPECT_EQ(a, window.pm().GetFocusedControl());
    PreTranslate(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(b, window.pm().GetFocusedControl());
    PreTranslate(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(c, window.pm().GetFocusedControl());
    PreTranslate(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(a, window.pm().GetFocusedControl()) << "wrapped to the first";

    SetKeyDown(VK_SHIFT, true);
    PreTranslate(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(c, window.pm().GetFocusedControl()) << "Shift+Tab wraps to the last";
    PreTranslate(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(b, window.pm().GetFocusedControl());
    SetKeyDown(VK_SHIFT, false);

    EXPECT_FALSE(PreTranslate(WM_KEYDOWN, 'Q')) << "other keys are dispatched";
    const auto killed = window.NotesOf(L"killfocus");
    ASSERT_FALSE(killed.empty());
    EXPECT_EQ(L"c", killed.back().sender);
}

// A tab move waiting for the paint after a layout (the first focus of a new window among them) is dropped
// when a control is focused before that paint: it would move the focus on from the control just chosen.
TEST_F(InputTest, APendingTabMoveNeverMovesAFocusGivenBeforeItsPaint) {
    // Two paints: the waiting move is carried out at a paint that has no layout to do.
    auto repaint = [&] {
        for (int i = 0; i < 2; ++i) {
            InvalidateRect(hwnd, nullptr, FALSE);
            UpdateWindow(hwnd);
            Pump();
        }
    };
    ASSERT_TRUE(window.pm().IsFocusNeeded()) << "the first paint came before the layout";
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(150, 50));
    Send(WM_LBUTTONUP, 0, At(150, 50));
    ASSERT_EQ(b, window.pm().GetFocusedControl());
    repaint();
    EXPECT_EQ(b, window.pm().GetFocusedControl()) << "the click's focus stays";
    EXPECT_FALSE(window.pm().IsFocusNeeded());

    // A forward move asked while a layout is due, then the program focuses a control itself.
    window.pm().GetRootControl()->NeedUpdate();
    ASSERT_TRUE(window.pm().MoveTabFocus(true));
    ASSERT_TRUE(window.pm().IsFocusNeeded());
    // Counted here: the window being activated again (other windows on the display) may refocus b before.
    const int focusesOfB = b->Count(UIEVENT_SETFOCUS);
    a->SetFocus();
    repaint();
    EXPECT_EQ(a, window.pm().GetFocusedControl());
    EXPECT_EQ(focusesOfB, b->Count(UIEVENT_SETFOCUS)) << "the waiting move did not focus b after a";
}

// The search visits the topmost (last) child first: the control after a label in the search stands
// before it in the layout.
TEST(AltShortcut, ALabelPassesItsShortcutToTheNextControl) {
    CTestWindow window(LR"(<Window size="300,100"><HorizontalLayout>
        <Probe name="name" width="60" tabstop="true"/>
        <LabelProbe name="label" width="60" shortcut="n"/>
        <Probe name="other" width="60" tabstop="true" shortcut="o"/>
      </HorizontalLayout></Window>)");
    ASSERT_NE(nullptr, window.Create());
    MSG msg = {window.GetHandle(), WM_SYSCHAR, 'n', 0, 0, {}};
    EXPECT_TRUE(CPaintManagerUI::PreTranslateMessage(&msg));
    EXPECT_EQ(window.Control(L"name"), window.pm().GetFocusedControl());
    EXPECT_EQ(1, window.Probe(L"name")->activations);
    EXPECT_EQ(0, window.Probe(L"label")->activations);

    msg.wParam = 'O';
    EXPECT_TRUE(CPaintManagerUI::PreTranslateMessage(&msg));
    EXPECT_EQ(window.Control(L"other"), window.pm().GetFocusedControl());
    msg.wParam = 'z';
    EXPECT_FALSE(CPaintManagerUI::PreTranslateMessage(&msg));

    // Alt+key down: the focused control hears of it, without a sender.
    msg.message = WM_SYSKEYDOWN;
    msg.wParam = 'K';
    EXPECT_FALSE(CPaintManagerUI::PreTranslateMessage(&msg));
    const TUIEvent* syskey = window.Probe(L"other")->Last(UIEVENT_SYSKEY);
    ASSERT_NE(nullptr, syskey);
    EXPECT_EQ('K', syskey->chKey);
    EXPECT_EQ(nullptr, syskey->pSender);
}

TEST_F(InputTest, ControlTimersFireIntoDoEventAndRaiseTimer) {
    // Window timer ids start at the first one kept for controls, above the application's own ids; a
    // stopped timer keeps its id for a restart.
    const UINT first = CPaintManagerUI::kFirstControlTimerId;
    ASSERT_TRUE(a->SetTimer(5, 100000));
    EXPECT_FALSE(a->SetTimer(5, 100000)) << "already running";
    ASSERT_TRUE(b->SetTimer(7, 100000));
    Send(WM_TIMER, first, 0);
    ASSERT_EQ(1, a->Count(UIEVENT_TIMER));
    EXPECT_EQ(5u, a->Last(UIEVENT_TIMER)->wParam);
    Send(WM_TIMER, first + 1, 0);
    EXPECT_EQ(7u, b->Last(UIEVENT_TIMER)->wParam);
    const auto timers = window.NotesOf(L"timer");
    ASSERT_EQ(2u, timers.size());
    EXPECT_EQ(L"a", timers[0].sender);
    EXPECT_EQ(5u, timers[0].wParam);

    ASSERT_TRUE(a->KillTimer(5));
    Send(WM_TIMER, first, 0);
    EXPECT_EQ(1, a->Count(UIEVENT_TIMER)) << "a stopped timer is not delivered";
    ASSERT_TRUE(a->SetTimer(5, 100000));
    Send(WM_TIMER, first, 0);
    EXPECT_EQ(2, a->Count(UIEVENT_TIMER)) << "revived with the same window id";
    Send(WM_TIMER, 99, 0);  // no control's timer
    EXPECT_EQ(2, a->Count(UIEVENT_TIMER));
    EXPECT_EQ(1, b->Count(UIEVENT_TIMER));
}

TEST_F(InputTest, HoverShowsTheTooltipOfTheControl) {
    Send(WM_MOUSEMOVE, 0, At(150, 50));
    Send(WM_MOUSEHOVER, 0, At(150, 50));
    EXPECT_EQ(1, b->Count(UIEVENT_MOUSEHOVER));
    HWND tip = window.pm().GetTooltipWindow();
    ASSERT_NE(nullptr, tip);
    EXPECT_EQ(1, SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    wchar_t text[64] = {};
    TOOLINFOW info = {};
    info.cbSize = sizeof info;
    info.hwnd = hwnd;
    info.uId = reinterpret_cast<UINT_PTR>(hwnd);
    info.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(L"Bee", text);
    // A hover over a control without a tooltip makes no new tool.
    Send(WM_MOUSEMOVE, 0, At(20, 50));
    Send(WM_MOUSEHOVER, 0, At(20, 50));
    EXPECT_EQ(1, SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    // Closing the window takes the tooltip window with it.
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(tip));
}

namespace {
class SwallowMoves : public IMessageFilterUI {
public:
    LRESULT MessageHandler(UINT message, WPARAM, LPARAM, bool& handled) override {
        if (message != WM_MOUSEMOVE) return 0;
        handled = true;
        return 42;
    }
};
}  // namespace

TEST_F(InputTest, AWindowFilterThatTakesAMoveStillMovesTheMousePosition) {
    SwallowMoves filter;
    ASSERT_TRUE(window.pm().AddWindowMessageFilter(&filter));
    EXPECT_FALSE(window.pm().AddWindowMessageFilter(&filter));
    EXPECT_EQ(42, Send(WM_MOUSEMOVE, 0, At(120, 30)));
    EXPECT_TRUE(b->events.empty());
    EXPECT_EQ(120, window.pm().GetMousePos().x);
    EXPECT_EQ(30, window.pm().GetMousePos().y);
    ASSERT_TRUE(window.pm().RemoveWindowMessageFilter(&filter));
    Send(WM_MOUSEMOVE, 0, At(120, 30));
    EXPECT_EQ(1, b->Count(UIEVENT_MOUSEMOVE));
}

TEST_F(InputTest, WindowTimerIdsWrapWithoutTakingOneInUse) {
    // Control timers take their window ids from a range of their own: the last timer of the range gets
    // its last id, and application timers below it are never touched.
    const UINT first = CPaintManagerUI::kFirstControlTimerId;
    const UINT count = CPaintManagerUI::kControlTimerIdCount;
    ASSERT_TRUE(SetTimer(hwnd, 1, 100000, nullptr));  // the application's own window timer
    for (UINT id = 1; id <= count; ++id) ASSERT_TRUE(a->SetTimer(id, 100000)) << id;
    EXPECT_FALSE(b->SetTimer(1, 100000)) << "every id is taken";
    Send(WM_TIMER, first + count - 1, 0);
    ASSERT_EQ(1, a->Count(UIEVENT_TIMER));
    EXPECT_EQ(count, a->Last(UIEVENT_TIMER)->wParam);
    Send(WM_TIMER, 1, 0);
    EXPECT_EQ(1, a->Count(UIEVENT_TIMER)) << "not a control's timer";
    window.pm().StopAllControlTimers(a);
    KillTimer(hwnd, 1);

    // A long-lived timer holds its id while the counter goes round: a new timer must not take it over.
    CTestWindow fresh(kThreeProbes);
    ASSERT_NE(nullptr, fresh.Create());
    CProbeUI* keeper = fresh.Probe(L"b");
    CProbeUI* churner = fresh.Probe(L"a");
    ASSERT_TRUE(keeper->SetTimer(9, 100000));  // the first id
    for (UINT round = 1; round < count; ++round) {  // every other id once
        ASSERT_TRUE(churner->SetTimer(1, 100000));
        fresh.pm().StopAllControlTimers(churner);
    }
    ASSERT_TRUE(churner->SetTimer(1, 100000));  // the first is in use: it takes the second
    churner->Clear();
    keeper->Clear();
    SendMessageW(fresh.GetHandle(), WM_TIMER, first, 0);
    EXPECT_EQ(1, keeper->Count(UIEVENT_TIMER));
    EXPECT_EQ(0, churner->Count(UIEVENT_TIMER));
    SendMessageW(fresh.GetHandle(), WM_TIMER, first + 1, 0);
    EXPECT_EQ(1, churner->Count(UIEVENT_TIMER));
}
