// Lifetime of window objects, focus moved by focus handlers, hit testing of floating children, window
// icons, the found-controls list and layouts built to hurt (huge and nested includes, running out of
// memory).
#include "WindowTestSupport.h"

#include "ui_core_render/TestSupport.h"
#include "UIContainer.h"
#include "UIDlgBuilder.h"

#include <new>

using namespace SkinUI;
using namespace WindowTest;

// ---------------------------------------------------------------------------------------------------
// Lifetime

namespace {

// A skin window with no clean-up of its own: whatever happens on deletion is the framework's doing.
class CBareWindow : public WindowImplBase {
public:
    CUIString GetLayoutFile() const override { return CUIString(L"<Window size=\"100,60\"><VerticalLayout/></Window>"); }
    const wchar_t* GetWndClassName() const override { return L"SkinBareWnd"; }
};

// Subclasses a window it did not create and counts what it sees.
class CSubclasser : public CWindowWnd {
public:
    int seen = 0;

protected:
    const wchar_t* GetWndClassName() const override { return L"SkinSubclasser"; }
    LRESULT HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        ++seen;
        return CWindowWnd::HandleWndMessage(message, wParam, lParam);
    }
};

}  // namespace

TEST(Lifetime, DeletingAWindowObjectTakesItsWindowAlong) {
    TestSupport::Watchdog watchdog(30, "messages reach a deleted window object");
    auto* window = new CBareWindow;
    HWND hwnd = window->CreateNativeWindow(nullptr, L"bare", WS_POPUP, WS_EX_TOOLWINDOW, 10, 10, 0, 0);
    ASSERT_TRUE(IsWindow(hwnd));
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd);
    Pump();
    delete window;
    EXPECT_FALSE(IsWindow(hwnd)) << "a window left behind would call into the deleted object";
    Pump();

    // A window that was only subclassed lives on with its own procedure.
    HWND label = CreateWindowExW(0, L"STATIC", L"text", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, nullptr, nullptr);
    const LONG_PTR original = GetWindowLongPtrW(label, GWLP_WNDPROC);
    auto* subclasser = new CSubclasser;
    ASSERT_EQ(label, subclasser->AttachToExisting(label));
    SendMessageW(label, WM_NULL, 0, 0);
    EXPECT_EQ(1, subclasser->seen);
    delete subclasser;
    ASSERT_TRUE(IsWindow(label));
    EXPECT_EQ(original, GetWindowLongPtrW(label, GWLP_WNDPROC));
    EXPECT_EQ(0, GetWindowLongPtrW(label, GWLP_USERDATA));
    SetWindowTextW(label, L"still works");
    wchar_t text[32] = {};
    GetWindowTextW(label, text, 32);
    EXPECT_STREQ(L"still works", text);
    DestroyWindow(label);
}

TEST(Lifetime, IconsAreSizedForTheirUseAndNeverLeaked) {
    CTestWindow window(L"<Window size=\"100,60\"><VerticalLayout/></Window>");
    ASSERT_NE(nullptr, window.Create());
    HWND hwnd = window.GetHandle();
    window.SetIcon(101);
    auto big = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
    auto small = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0));
    ASSERT_NE(nullptr, big);
    ASSERT_NE(nullptr, small);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(small, &info));
    BITMAP picture = {};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof picture, &picture);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), picture.bmWidth) << "the small icon at the small size";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    window.SetIcon(101);  // the first pair is replaced and freed
    EXPECT_NE(big, reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0)));
    EXPECT_FALSE(GetIconInfo(big, &info));
    EXPECT_FALSE(GetIconInfo(small, &info));
    auto last = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
    DestroyWindow(hwnd);
    EXPECT_FALSE(GetIconInfo(last, &info)) << "the last pair goes with the window";
}

namespace {

// A listener after the window's own: records what reaches it.
class CLateListener : public INotifyUI {
public:
    void Notify(TNotifyMessage& msg) override {
        if (msg.sType == L"immediate") senders.push_back(msg.pSender);
    }
    std::vector<CControlUI*> senders;
};

}  // namespace

TEST(Lifetime, ListenersAfterOneThatDeletesTheSenderNeverSeeIt) {
    CTestWindow window(LR"(<Window size="200,60"><HorizontalLayout name="row">
      <Probe name="a"/><Probe name="b"/></HorizontalLayout></Window>)");
    ASSERT_NE(nullptr, window.Create());
    auto* row = static_cast<CContainerUI*>(window.Control(L"row"));
    CControlUI* a = window.Control(L"a");
    CControlUI* b = window.Control(L"b");
    CLateListener late;
    ASSERT_TRUE(window.pm().AddNotifyListener(&late));

    // Removed with delayed clean-up the sender still exists until the queue runs: everyone gets it.
    window.onNote = [&](TNotifyMessage& msg) {
        if (msg.sType == L"immediate" && msg.pSender == a) row->Remove(a);
    };
    window.pm().RaiseNotify(a, L"immediate");
    EXPECT_EQ(nullptr, window.pm().FindControlByName(L"a"));
    ASSERT_EQ(1u, late.senders.size());
    EXPECT_EQ(a, late.senders[0]);

    // Deleted at once, it reaches no listener after the one that deleted it.
    row->SetDelayedDestroy(false);
    window.onNote = [&](TNotifyMessage& msg) {
        if (msg.sType == L"immediate" && msg.pSender == b) row->Remove(b);
    };
    TNotifyMessage msg;
    msg.sType = L"immediate";
    msg.pSender = b;
    window.pm().RaiseNotify(msg);
    EXPECT_EQ(1u, late.senders.size()) << "a later listener was handed the freed sender";
    EXPECT_EQ(nullptr, msg.pSender) << "the caller finds the sender gone";
    EXPECT_EQ(nullptr, window.pm().FindControlByName(L"b"));

    window.pm().RemoveNotifyListener(&late);
}

// A control that leaves its manager may be deleted without the manager knowing: it must not stay the
// focus, the hover or the pressed control holding the mouse capture there.
TEST(Lifetime, AControlThatLeavesItsManagerIsNoLongerFocusHoverOrCapture) {
    // A tab page takes the focus while its tab is built; the builder then deletes the whole subtree,
    // because a scroll bar holds no children.
    const wchar_t* const tabLayout = L"<Window><ScrollBar><HorizontalLayout><TabLayout selectedid=\"1,2,3,4\">"
                                     L"<VerticalLayout/><TileLayout></TileLayout></TabLayout></HorizontalLayout>"
                                     L"</ScrollBar></Window>";
    {
        CTestWindow host(LR"(<Window size="100,60"><VerticalLayout/></Window>)");
        ASSERT_NE(nullptr, host.Create());
        CUIBuilder builder;
        CControlUI* root = builder.Create(tabLayout, nullptr, nullptr, &host.pm());
        ASSERT_NE(nullptr, root);
        EXPECT_EQ(nullptr, host.pm().GetFocusedControl()) << "the deleted tab page is still the focus";
        delete root;
    }
    {
        CTestWindow window(tabLayout);  // built and attached as every window is
        ASSERT_NE(nullptr, window.Create());
        EXPECT_EQ(nullptr, window.pm().GetFocusedControl());
        Pump();
    }

    CTestWindow window(LR"(<Window size="200,60"><HorizontalLayout name="row">
      <Probe name="a" tabstop="true"/><Probe name="b"/></HorizontalLayout></Window>)");
    ASSERT_NE(nullptr, window.Create());
    UpdateWindow(window.GetHandle());
    CPaintManagerUI& pm = window.pm();
    auto* row = static_cast<CContainerUI*>(window.Control(L"row"));
    CControlUI* a = window.Control(L"a");
    SendMessageW(window.GetHandle(), WM_MOUSEMOVE, 0, At(20, 20));
    SendMessageW(window.GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
    ASSERT_EQ(a, pm.GetHoverControl());
    ASSERT_EQ(a, pm.GetPressedControl());
    ASSERT_EQ(a, pm.GetFocusedControl());
    ASSERT_TRUE(pm.HasMouseCapture());
    ASSERT_TRUE(pm.AddMouseLeaveNeeded(a));

    row->SetAutoDestroy(false);
    ASSERT_TRUE(row->Remove(a));
    a->SetManager(nullptr, nullptr, false);
    delete a;
    EXPECT_EQ(nullptr, pm.GetFocusedControl());
    EXPECT_EQ(nullptr, pm.GetHoverControl());
    EXPECT_EQ(nullptr, pm.GetPressedControl());
    EXPECT_FALSE(pm.HasMouseCapture()) << "the capture would outlive the control and freeze the hover";
    EXPECT_FALSE(pm.RemoveMouseLeaveNeeded(a));

    // The window goes on: the hover follows the mouse again.
    UpdateWindow(window.GetHandle());
    CProbeUI* b = window.Probe(L"b");
    const RECT bPos = b->GetPos();
    SendMessageW(window.GetHandle(), WM_MOUSEMOVE, 0, At(bPos.left + 5, 20));
    SendMessageW(window.GetHandle(), WM_LBUTTONUP, 0, At(bPos.left + 5, 20));
    EXPECT_EQ(b, pm.GetHoverControl());
}

// ---------------------------------------------------------------------------------------------------
// Focus, hit testing and found controls

TEST(Focus, AKillFocusHandlerThatMovesTheFocusLeavesOneControlFocused) {
    CTestWindow window(LR"(<Window size="300,60"><HorizontalLayout>
      <Probe name="a"/><Probe name="b"/><Probe name="c"/></HorizontalLayout></Window>)");
    ASSERT_NE(nullptr, window.Create());
    CControlUI* a = window.Control(L"a");
    CControlUI* b = window.Control(L"b");
    CControlUI* c = window.Control(L"c");
    bool moved = false;
    window.onNote = [&](TNotifyMessage& msg) {
        if (msg.sType == L"killfocus" && msg.pSender == a && !moved) {
            moved = true;
            c->SetFocus();
        }
    };
    a->SetFocus();
    b->SetFocus();
    EXPECT_TRUE(moved);
    EXPECT_EQ(c, window.pm().GetFocusedControl());
    EXPECT_FALSE(a->IsFocused());
    EXPECT_FALSE(b->IsFocused()) << "the handler's move stands";
    EXPECT_TRUE(c->IsFocused());
    EXPECT_EQ(1u, window.NotesOf(L"killfocus").size()) << "a loses the focus once";
    const auto gained = window.NotesOf(L"setfocus");
    ASSERT_EQ(2u, gained.size());
    EXPECT_EQ(L"c", gained.back().sender);

    // The usual move is unchanged.
    window.onNote = nullptr;
    a->SetFocus();
    EXPECT_EQ(a, window.pm().GetFocusedControl());
    EXPECT_FALSE(c->IsFocused());
}

TEST(HitTest, FloatingChildrenInAContainersInsetCanBeClicked) {
    CTestWindow window(LR"(<Window size="200,100"><VerticalLayout name="frame" inset="20,20,20,20">
      <HorizontalLayout float="true" pos="0,0,200,20"><Probe name="tab"/></HorizontalLayout>
      <Probe name="body"/></VerticalLayout></Window>)");
    ASSERT_NE(nullptr, window.Create());
    CProbeUI* tab = window.Probe(L"tab");
    EXPECT_EQ(tab, window.pm().FindControlAtPoint(100, 10)) << "inside a floating child, in the inset";
    EXPECT_EQ(window.Probe(L"body"), window.pm().FindControlAtPoint(100, 50));
    EXPECT_EQ(window.Control(L"frame"), window.pm().FindControlAtPoint(10, 50)) << "the inset itself";
    SendMessageW(window.GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, At(100, 10));
    SendMessageW(window.GetHandle(), WM_LBUTTONUP, 0, At(100, 10));
    EXPECT_EQ(1, tab->Count(UIEVENT_BUTTONDOWN));
    EXPECT_EQ(1, tab->Count(UIEVENT_BUTTONUP));
}

TEST(FoundControls, TheListHandedOutSurvivesTheNextLayout) {
    CTestWindow window(LR"(<Window size="200,100"><VerticalLayout>
      <HorizontalLayout name="row"><Probe name="a"/><Probe name="b"/></HorizontalLayout><Control/>
      </VerticalLayout></Window>)");
    ASSERT_NE(nullptr, window.Create());
    CUIPtrArray* found = window.pm().FindSubControlsByClass(nullptr, L"ProbeUI");
    ASSERT_EQ(2, found->Count());
    window.Control(L"a")->SetFixedWidth(30);  // the row alone is laid out again
    UpdateWindow(window.GetHandle());
    EXPECT_EQ(30, window.Control(L"a")->GetWidth());
    ASSERT_EQ(2, found->Count());
    EXPECT_EQ(window.Control(L"a"), (*found)[0]);
    EXPECT_EQ(window.Control(L"b"), (*found)[1]);
    EXPECT_EQ(window.Control(L"b"), window.pm().FindSubControlByClass(nullptr, L"ProbeUI", 1));
    EXPECT_EQ(2, found->Count()) << "nor by another kind of search";
}

// ---------------------------------------------------------------------------------------------------
// Hostile layouts

namespace {

// Element "Counted": counts the controls alive. The callback can run out of memory on a chosen control.
class CCountedUI : public CControlUI {
public:
    CCountedUI() { ++live; }
    ~CCountedUI() override { --live; }
    static int live;
};
int CCountedUI::live = 0;

class CCountingCallback : public IDialogBuilderCallback {
public:
    int failAt = 0;  // the control whose allocation fails; 0: none
    int made = 0;
    CControlUI* CreateControl(const wchar_t* name) override {
        if (!EqualsIgnoreCase(name, L"Counted")) return nullptr;
        if (++made == failAt) throw std::bad_alloc();
        return new CCountedUI;
    }
};

// Source text of a layout of n "Counted" elements, escaped for an attribute value.
std::wstring CountedSource(int n) {
    std::wstring text = L"&lt;I&gt;";
    for (int i = 0; i < n; ++i) text += L"&lt;Counted/&gt;";
    return text + L"&lt;/I&gt;";
}

std::wstring IncludeLayout(const std::wstring& count, const std::wstring& source) {
    return L"<Window><VerticalLayout><Counted/><Include count=\"" + count + L"\" source=\"" + source +
           L"\"/></VerticalLayout></Window>";
}

}  // namespace

TEST(HostileLayouts, IncludeCountsAndControlTotalsAreBounded) {
    TestSupport::Watchdog watchdog(60, "a hostile layout hangs the builder");
    const std::wstring folder = TestSupport::UniqueTempPath(L"uiinclude") + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    // Six levels, each including the next ten times: a million controls if nothing stopped it.
    for (int level = 1; level <= 6; ++level) {
        std::wstring text = L"<I><Counted/>";
        if (level < 6) text += L"<Include count=\"10\" source=\"" + folder + L"l" + std::to_wstring(level + 1) + L".xml\"/>";
        text += L"</I>";
        ASSERT_TRUE(TestSupport::WriteFileBytes(folder + L"l" + std::to_wstring(level) + L".xml",
                                                std::string(text.begin(), text.end())));
    }
    struct TCase {
        const char* what;
        std::wstring layout;
        int failAt;
        const wchar_t* error;  // part of the reason given; null: the build succeeds
        int built;             // controls alive after a successful build
    };
    const TCase cases[] = {
        {"a count near the largest integer", IncludeLayout(L"2147483647", CountedSource(1)), 0, L"Include count", 0},
        {"many included controls", IncludeLayout(L"1000", CountedSource(30)), 0, L"controls", 0},
        {"nested includes", IncludeLayout(L"10", folder + L"l1.xml"), 0, L"includes layouts more than", 0},
        {"memory running out", IncludeLayout(L"3", CountedSource(30)), 50, L"out of memory", 0},
        {"a sound layout", IncludeLayout(L"5", CountedSource(30)), 0, nullptr, 151},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.what);
        CPaintManagerUI pm;
        CCountingCallback callback;
        callback.failAt = test.failAt;
        CUIBuilder builder;
        CControlUI* root = builder.Create(test.layout.c_str(), nullptr, &callback, &pm);
        if (!test.error) {
            ASSERT_NE(nullptr, root);
            EXPECT_EQ(test.built, CCountedUI::live);
            delete root;
        } else {
            EXPECT_EQ(nullptr, root);
            EXPECT_NE(nullptr, wcsstr(builder.GetLastErrorMessage(), test.error)) << builder.GetLastErrorMessage();
        }
        EXPECT_EQ(0, CCountedUI::live) << "nothing of a failed build is left";
    }

    // Into a given parent: what the failed build added is taken out again, what was there stays.
    CPaintManagerUI pm;
    CCountingCallback callback;
    CContainerUI holder;
    holder.Add(new CControlUI);
    holder.Add(new CControlUI);
    CUIBuilder builder;
    const std::wstring tooMany = L"<I><Counted/><Include count=\"1000\" source=\"" + CountedSource(30) + L"\"/></I>";
    EXPECT_EQ(nullptr, builder.Create(tooMany.c_str(), nullptr, &callback, &pm, &holder));
    EXPECT_EQ(2, holder.GetCount());
    EXPECT_EQ(0, CCountedUI::live);
    TestSupport::RemoveTree(folder);
}
