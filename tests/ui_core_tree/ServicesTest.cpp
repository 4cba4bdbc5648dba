// The paint manager's services for the control tree: notifications at once and queued, delayed clean-up
// that leaves nothing dangling, control timers, focus and tab order, and FindControl searches. With and
// without a window.
#include "TreeTestSupport.h"

#include "UIVerticalLayout.h"

using namespace SkinUI;
using namespace TreeTest;

namespace {

constexpr UINT kPendingNotifyMessage = WM_APP + 1;

int CountQueued(HWND window, UINT message) {
    int count = 0;
    MSG msg;
    while (PeekMessageW(&msg, window, message, message, PM_REMOVE)) ++count;
    return count;
}

int gDestroyed = 0;
bool CountDestroy(void* /*control*/) {
    ++gDestroyed;
    return true;
}

std::vector<std::wstring> gOrder;
bool RecordSenderDelegate(void* msg) {
    gOrder.push_back(L"delegate " + std::wstring(static_cast<TNotifyMessage*>(msg)->sType.Data()));
    return true;
}

class OrderListener : public INotifyUI {
public:
    void Notify(TNotifyMessage& msg) override { gOrder.push_back(L"listener " + std::wstring(msg.sType.Data())); }
};

TEST(Notifications, AtOnceTheSenderFirstThenListeners) {
    CPaintManagerUI pm;
    OrderListener listener;
    NotifyRecorder recorder;
    EXPECT_TRUE(pm.AddNotifyListener(&listener));
    EXPECT_FALSE(pm.AddNotifyListener(&listener));
    pm.AddNotifyListener(&recorder);
    BuildRoot(pm, L"<Window><Container><Control name=\"c\"/></Container></Window>");
    CControlUI* control = Named(pm, L"c");
    control->OnNotify += MakeDelegate(&RecordSenderDelegate);
    gOrder.clear();
    pm.RaiseNotify(control, L"click", 7, -2);
    EXPECT_EQ((std::vector<std::wstring>{L"delegate click", L"listener click"}), gOrder);
    ASSERT_EQ(1u, recorder.received.size());
    EXPECT_EQ(7u, recorder.received[0].wParam);
    EXPECT_EQ(-2, recorder.received[0].lParam);
    EXPECT_TRUE(pm.RemoveNotifyListener(&listener));
}

TEST(Notifications, QueuedWithoutAWindowWaitForDelivery) {
    CPaintManagerUI pm;
    NotifyRecorder recorder;
    pm.AddNotifyListener(&recorder);
    BuildRoot(pm, L"<Window><Container><Control name=\"c\"/></Container></Window>");
    for (WPARAM i = 1; i <= 3; ++i) pm.RaiseNotify(Named(pm, L"c"), L"later", i, 0, true);
    EXPECT_TRUE(recorder.received.empty());
    EXPECT_EQ(3, pm.GetPendingNotifyCount());
    EXPECT_EQ(0, CountQueued(nullptr, kPendingNotifyMessage));  // nothing went to the thread queue
    pm.DeliverPendingNotify();
    ASSERT_EQ(3u, recorder.received.size());
    for (WPARAM i = 1; i <= 3; ++i) EXPECT_EQ(i, recorder.received[i - 1].wParam);
    EXPECT_EQ(0, pm.GetPendingNotifyCount());
}

TEST(Notifications, QueuedWithAWindowPostOneMessage) {
    TestWindow window;
    CPaintManagerUI pm;
    pm.AttachWindow(window.hwnd(), L"w");
    NotifyRecorder recorder;
    pm.AddNotifyListener(&recorder);
    BuildRoot(pm, L"<Window><Container><Control name=\"c\"/></Container></Window>");
    for (int i = 0; i < 3; ++i) pm.RaiseNotify(Named(pm, L"c"), L"later", 0, 0, true);
    EXPECT_EQ(1, CountQueued(window.hwnd(), kPendingNotifyMessage));
    pm.DeliverPendingNotify();
    EXPECT_EQ(3u, recorder.OfType(L"later").size());
    pm.RaiseNotify(Named(pm, L"c"), L"later", 0, 0, true);  // delivered: a new message may be posted
    EXPECT_EQ(1, CountQueued(window.hwnd(), kPendingNotifyMessage));
}

TEST(DelayedCleanup, NothingPointsAtARemovedControl) {
    TestWindow window;
    CPaintManagerUI pm;
    pm.AttachWindow(window.hwnd(), L"w");
    NotifyRecorder recorder;
    pm.AddNotifyListener(&recorder);
    CControlUI* root = BuildRoot(pm, L"<Window><VerticalLayout><Test name=\"b\"><Test name=\"unused\"/></Test>"
                                     L"<Container name=\"box\"><Test name=\"inner\"/></Container></VerticalLayout></Window>");
    CControlUI* b = Named(pm, L"b");
    CControlUI* inner = Named(pm, L"inner");
    b->OnDestroy += MakeDelegate(&CountDestroy);
    inner->OnDestroy += MakeDelegate(&CountDestroy);
    gDestroyed = 0;
    EXPECT_TRUE(b->SetTimer(5, 10000));
    EXPECT_TRUE(inner->SetTimer(6, 10000));
    pm.AddPostPaint(inner);
    pm.FocusControl(inner);
    pm.RaiseNotify(b, L"fromb", 0, 0, true);
    pm.RaiseNotify(inner, L"frominner", 0, 0, true);
    EXPECT_EQ(2, pm.GetTimerCount());

    auto* list = static_cast<CContainerUI*>(root);
    EXPECT_TRUE(list->Remove(b));
    EXPECT_TRUE(list->Remove(Named(pm, L"box")));
    EXPECT_EQ(0, gDestroyed);  // still alive until the delivery
    EXPECT_EQ(2, pm.GetDelayedCleanupCount());
    EXPECT_EQ(nullptr, pm.FindControlByName(L"b"));
    EXPECT_EQ(nullptr, pm.FindControlByName(L"inner"));
    EXPECT_EQ(0, pm.GetTimerCount());
    EXPECT_EQ(0, pm.GetPostPaintCount());
    EXPECT_EQ(nullptr, pm.GetFocusedControl());

    pm.DeliverPendingNotify();
    EXPECT_EQ(2, gDestroyed);
    ASSERT_EQ(1u, recorder.OfType(L"fromb").size());
    EXPECT_EQ(nullptr, recorder.OfType(L"fromb")[0].sender);
    EXPECT_EQ(nullptr, recorder.OfType(L"frominner")[0].sender);
    EXPECT_EQ(0, pm.GetDelayedCleanupCount());
}

TEST(Container, RefusedInsertLeavesTheChildUntouched) {
    CPaintManagerUI pm;
    CControlUI* root = BuildRoot(pm, L"<Window><VerticalLayout><Container name=\"shelf\" visible=\"false\"/>"
                                     L"</VerticalLayout></Window>");
    auto* list = static_cast<CContainerUI*>(root);
    auto* child = new CControlUI;
    child->SetName(L"orphan");
    EXPECT_FALSE(list->AddAt(child, 5));
    EXPECT_FALSE(list->AddAt(child, -1));
    EXPECT_EQ(nullptr, pm.FindControlByName(L"orphan"));
    EXPECT_EQ(nullptr, child->GetManager());
    EXPECT_EQ(nullptr, child->GetParent());
    EXPECT_TRUE(list->AddAt(child, 0));
    EXPECT_EQ(child, pm.FindControlByName(L"orphan"));
    EXPECT_FALSE(list->SetItemIndex(child, 3));
    EXPECT_EQ(0, list->GetItemIndex(child));
    EXPECT_TRUE(list->SetItemIndex(child, 1));
    EXPECT_EQ(1, list->GetItemIndex(child));

    // A child added to a hidden container is hidden with it.
    auto* hidden = static_cast<CContainerUI*>(Named(pm, L"shelf"));
    auto* late = new CControlUI;
    hidden->Add(late);
    EXPECT_FALSE(late->IsVisible());
    hidden->SetVisible(true);
    EXPECT_TRUE(late->IsVisible());

    // Without delayed destroy a removed child goes at once; without auto destroy it stays the caller's.
    list->SetDelayedDestroy(false);
    EXPECT_TRUE(list->Remove(child));
    EXPECT_EQ(nullptr, pm.FindControlByName(L"orphan"));
    auto* kept = new CControlUI;
    list->SetAutoDestroy(false);
    list->Add(kept);
    EXPECT_TRUE(list->Remove(kept));
    delete kept;
}

TEST(ControlTimers, NeedAWindowAndRevive) {
    CPaintManagerUI detached;
    BuildRoot(detached, L"<Window><Container><Control name=\"c\"/></Container></Window>");
    EXPECT_FALSE(Named(detached, L"c")->SetTimer(1, 100));  // no thread timer without a window
    EXPECT_EQ(0, detached.GetTimerCount());

    TestWindow window;
    CPaintManagerUI pm;
    pm.AttachWindow(window.hwnd(), L"w");
    CControlUI* root = BuildRoot(pm, L"<Window><Container/></Window>");
    auto* list = static_cast<CContainerUI*>(root);
    std::vector<CControlUI*> controls;
    const int ids = static_cast<int>(CPaintManagerUI::kControlTimerIdCount);
    for (int i = 0; i <= ids; ++i) {
        controls.push_back(new CControlUI);
        list->Add(controls.back());
    }
    CControlUI* first = controls[0];
    EXPECT_TRUE(first->SetTimer(5, 100000));
    EXPECT_FALSE(first->SetTimer(5, 100000));  // already running
    EXPECT_TRUE(first->KillTimer(5));
    EXPECT_FALSE(first->KillTimer(5));
    EXPECT_TRUE(first->SetTimer(5, 100000));  // revived
    EXPECT_EQ(1, pm.GetTimerCount());

    // Once every window timer id of the controls is taken a new timer fails instead of taking over one.
    for (int i = 1; i < ids; ++i) ASSERT_TRUE(controls[i]->SetTimer(1, 100000)) << i;
    EXPECT_FALSE(controls[ids]->SetTimer(1, 100000));
    list->SetDelayedDestroy(false);
    list->Remove(controls[100]);
    EXPECT_TRUE(controls[ids]->SetTimer(1, 100000));
    EXPECT_EQ(ids, pm.GetTimerCount());
    pm.RemoveAllTimers();
    EXPECT_EQ(0, pm.GetTimerCount());
}

TEST(Focus, EventsNotificationsAndHiddenControls) {
    CPaintManagerUI pm;
    NotifyRecorder recorder;
    pm.AddNotifyListener(&recorder);
    BuildRoot(pm, L"<Window><HorizontalLayout><Test name=\"a\"/><Test name=\"b\"/><Test name=\"off\" enabled=\"false\"/>"
                  L"</HorizontalLayout></Window>");
    auto* a = static_cast<CTestUI*>(Named(pm, L"a"));
    auto* b = static_cast<CTestUI*>(Named(pm, L"b"));
    a->SetFocus();
    EXPECT_EQ(a, pm.GetFocusedControl());
    EXPECT_TRUE(a->IsFocused());
    b->SetFocus();
    EXPECT_EQ(b, pm.GetFocusedControl());
    EXPECT_FALSE(a->IsFocused());
    EXPECT_EQ((std::vector<int>{UIEVENT_SETFOCUS, UIEVENT_KILLFOCUS}), a->events);
    ASSERT_EQ(1u, recorder.OfType(L"killfocus").size());
    EXPECT_EQ(a, recorder.OfType(L"killfocus")[0].sender);
    EXPECT_EQ(2u, recorder.OfType(L"setfocus").size());

    Named(pm, L"off")->SetFocus();  // disabled: no focus
    EXPECT_EQ(nullptr, pm.GetFocusedControl());
    b->SetFocus();
    b->SetVisible(false);
    EXPECT_EQ(nullptr, pm.GetFocusedControl());
}

TEST(Focus, TabOrderBackwardsWrapsAndForwardWaitsForLayout) {
    CPaintManagerUI pm;
    BuildRoot(pm, L"<Window><HorizontalLayout><Test name=\"a\"/><Control/><Test name=\"hidden\" visible=\"false\"/>"
                  L"<Container><Test name=\"b\"/></Container><Test name=\"c\"/></HorizontalLayout></Window>");
    CControlUI* a = Named(pm, L"a");
    CControlUI* b = Named(pm, L"b");
    CControlUI* c = Named(pm, L"c");
    EXPECT_TRUE(pm.MoveTabFocus(false));  // nothing focused: the first tab stop
    EXPECT_EQ(a, pm.GetFocusedControl());
    EXPECT_TRUE(pm.MoveTabFocus(false));  // from the first: wraps to the last
    EXPECT_EQ(c, pm.GetFocusedControl());
    EXPECT_TRUE(pm.MoveTabFocus(false));
    EXPECT_EQ(b, pm.GetFocusedControl());

    EXPECT_TRUE(pm.IsUpdateNeeded());  // attached, not laid out by a paint yet
    EXPECT_TRUE(pm.MoveTabFocus(true));
    EXPECT_EQ(b, pm.GetFocusedControl());
    EXPECT_TRUE(pm.IsFocusNeeded());

    pm.SetPendingFocus(c);  // the tab stop before c now, c itself at the next paint
    EXPECT_EQ(b, pm.GetFocusedControl());
    pm.SetPendingFocus(a);
    EXPECT_EQ(nullptr, pm.GetFocusedControl());
}

TEST(FindControl, PointsNamesClassesAndFlags) {
    CPaintManagerUI pm;
    CControlUI* root = BuildRoot(pm, L"<Window><Container name=\"root\">"
                                     L"<Test name=\"under\" float=\"true\" pos=\"0,0,50,50\"/>"
                                     L"<Test name=\"over\" float=\"true\" pos=\"25,25,75,75\"/>"
                                     L"<Container name=\"box\" float=\"true\" pos=\"100,0,200,100\" mousechild=\"false\">"
                                     L"<Control name=\"deep\"/></Container>"
                                     L"<Control name=\"ghost\" float=\"true\" pos=\"0,100,50,150\" mouse=\"false\"/>"
                                     L"<Control name=\"Hidden\" visible=\"false\"/></Container></Window>");
    root->SetPos(RECT{0, 0, 300, 200});
    EXPECT_EQ(Named(pm, L"over"), pm.FindControlAtPoint(30, 30));  // the topmost of overlapping children
    EXPECT_EQ(Named(pm, L"under"), pm.FindControlAtPoint(10, 10));
    EXPECT_EQ(Named(pm, L"box"), pm.FindControlAtPoint(150, 50));  // its children are not hit
    EXPECT_EQ(root, pm.FindControlAtPoint(10, 120));              // not mouse-enabled
    EXPECT_EQ(nullptr, pm.FindControlAtPoint(500, 500));

    EXPECT_EQ(nullptr, pm.FindControlByName(L"HIDDEN"));  // the name map is exact
    EXPECT_EQ(Named(pm, L"Hidden"), pm.FindSubControlByName(nullptr, L"hidden"));
    auto* container = static_cast<CContainerUI*>(root);
    EXPECT_EQ(Named(pm, L"deep"), container->FindSubControl(L"DEEP"));
    EXPECT_TRUE(container->SetSubControlText(L"deep", L"hello"));
    EXPECT_STREQ(L"hello", container->GetSubControlText(L"Deep").Data());
    EXPECT_EQ(-1, container->GetSubControlFixedWidth(L"nobody"));

    EXPECT_EQ(Named(pm, L"over"), pm.FindSubControlByClass(nullptr, L"TestUI", 1));
    EXPECT_EQ(nullptr, pm.FindSubControlByClass(nullptr, L"TestUI", 2));
    EXPECT_EQ(2, pm.FindSubControlsByClass(nullptr, L"TestUI")->Count());
    EXPECT_EQ(7, pm.FindSubControlsByClass(nullptr, L"*")->Count());
    int counted = 0;
    root->FindControl(&CPaintManagerUI::FindControlFromCount, &counted, UIFIND_VISIBLE);
    EXPECT_EQ(6, counted);
}

}  // namespace
