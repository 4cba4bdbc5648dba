// Notification routing: static maps with their chains, handler kinds and match rules, notify pages, and
// notifications that lost their sender.
#include "TreeTestSupport.h"

using namespace SkinUI;
using namespace TreeTest;

namespace {

class BaseWindow : public CNotifyPump {
    SKINUI_DECLARE_NOTIFY_MAP()

public:
    virtual void OnClick(TNotifyMessage& /*msg*/) { calls.push_back(L"base click"); }
    std::vector<std::wstring> calls;
};

SKINUI_BEGIN_NOTIFY_MAP(BaseWindow, CNotifyPump)
SKINUI_NOTIFY_ENTRY(L"click", L"", &BaseWindow::OnClick)
SKINUI_END_NOTIFY_MAP()

class MainWindow : public BaseWindow {
    SKINUI_DECLARE_NOTIFY_MAP()

public:
    void OnAny(TNotifyMessage& msg) { calls.push_back(L"any " + std::wstring(msg.pSender->GetName().Data())); }
    void OnClose(TNotifyMessage& /*msg*/) { calls.push_back(L"close"); }
    void OnSelect(WPARAM wParam, LPARAM lParam) {
        calls.push_back(L"select " + std::to_wstring(wParam) + L"," + std::to_wstring(lParam));
    }
};

SKINUI_BEGIN_NOTIFY_MAP(MainWindow, BaseWindow)
SKINUI_NOTIFY_ENTRY(L"click", L"", &MainWindow::OnAny)
SKINUI_NOTIFY_ENTRY(L"click", L"closebtn", &MainWindow::OnClose)
SKINUI_NOTIFY_ENTRY(L"selectchanged", L"opt1", &MainWindow::OnSelect)
SKINUI_END_NOTIFY_MAP()

class SwappedWindow : public BaseWindow {
    SKINUI_DECLARE_NOTIFY_MAP()

public:
    void OnClose(TNotifyMessage& /*msg*/) { calls.push_back(L"close"); }
    void OnFirst(TNotifyMessage& /*msg*/) { calls.push_back(L"first"); }
    void OnSecond(TNotifyMessage& /*msg*/) { calls.push_back(L"second"); }
};

SKINUI_BEGIN_NOTIFY_MAP(SwappedWindow, BaseWindow)
SKINUI_NOTIFY_ENTRY(L"click", L"closebtn", &SwappedWindow::OnClose)
SKINUI_NOTIFY_ENTRY(L"click", L"", &SwappedWindow::OnFirst)
SKINUI_NOTIFY_ENTRY(L"click", L"", &SwappedWindow::OnSecond)
SKINUI_END_NOTIFY_MAP()

// No "click" entry of its own, but an override of the base's handler.
class PlainWindow : public BaseWindow, public INotifyUI {
    SKINUI_DECLARE_NOTIFY_MAP()

public:
    void OnClick(TNotifyMessage& /*msg*/) override { calls.push_back(L"own click"); }
    void OnValue(TNotifyMessage& msg) { calls.push_back(L"value " + std::wstring(msg.sVirtualWnd.Data())); }
    void Notify(TNotifyMessage& msg) override { DispatchNotify(msg); }
};

SKINUI_BEGIN_NOTIFY_MAP(PlainWindow, BaseWindow)
SKINUI_NOTIFY_ENTRY(L"valuechanged", L"", &PlainWindow::OnValue)
SKINUI_END_NOTIFY_MAP()

class Page : public CNotifyPump {
    SKINUI_DECLARE_NOTIFY_MAP()

public:
    void OnClick(TNotifyMessage& msg) { calls.push_back(L"page " + std::wstring(msg.pSender->GetName().Data())); }
    std::vector<std::wstring> calls;
};

SKINUI_BEGIN_NOTIFY_MAP(Page, CNotifyPump)
SKINUI_NOTIFY_ENTRY(L"click", L"", &Page::OnClick)
SKINUI_END_NOTIFY_MAP()

// The pump as a second base, as in window classes that derive from a native window first.
class NativeBase {
public:
    virtual ~NativeBase() = default;
    int handle = 11;
};

class SecondBaseWindow : public NativeBase, public CNotifyPump {
    SKINUI_DECLARE_NOTIFY_MAP()

public:
    void OnClick(TNotifyMessage& /*msg*/) { seen.push_back(handle + marker); }
    void OnValue(WPARAM wParam, LPARAM /*lParam*/) { seen.push_back(static_cast<int>(wParam) + marker); }
    int marker = 100;
    std::vector<int> seen;
};

SKINUI_BEGIN_NOTIFY_MAP(SecondBaseWindow, CNotifyPump)
SKINUI_NOTIFY_ENTRY(L"click", L"", &SecondBaseWindow::OnClick)
SKINUI_NOTIFY_ENTRY(L"valuechanged", L"", &SecondBaseWindow::OnValue)
SKINUI_END_NOTIFY_MAP()

TNotifyMessage Message(const wchar_t* type, CControlUI* sender, WPARAM wParam = 0, LPARAM lParam = 0) {
    TNotifyMessage msg;
    msg.sType = type;
    msg.pSender = sender;
    msg.wParam = wParam;
    msg.lParam = lParam;
    return msg;
}

class NotifyMaps : public testing::Test {
protected:
    NotifyMaps() {
        closeButton.SetName(L"closebtn");
        other.SetName(L"x");
        option.SetName(L"opt1");
    }
    CControlUI closeButton;
    CControlUI other;
    CControlUI option;
};

TEST_F(NotifyMaps, ExactNameWinsElseTheLastAnyControlEntry) {
    MainWindow window;
    TNotifyMessage close = Message(L"click", &closeButton);
    TNotifyMessage click = Message(L"click", &other);
    TNotifyMessage select = Message(L"selectchanged", &option, 3, -4);
    TNotifyMessage capital = Message(L"Click", &other);
    EXPECT_TRUE(window.DispatchNotify(close));
    EXPECT_TRUE(window.DispatchNotify(click));
    EXPECT_TRUE(window.DispatchNotify(select));
    EXPECT_FALSE(window.DispatchNotify(capital));  // type names keep their case
    EXPECT_EQ((std::vector<std::wstring>{L"close", L"any x", L"select 3,-4"}), window.calls);

    SwappedWindow swapped;
    EXPECT_TRUE(swapped.DispatchNotify(close));
    EXPECT_TRUE(swapped.DispatchNotify(click));
    EXPECT_EQ((std::vector<std::wstring>{L"close", L"second"}), swapped.calls);
}

TEST_F(NotifyMaps, BaseMapAndVirtualHandlers) {
    PlainWindow window;
    TNotifyMessage click = Message(L"click", &other);
    EXPECT_TRUE(window.DispatchNotify(click));
    TNotifyMessage unknown = Message(L"itemselect", &other);
    EXPECT_FALSE(window.DispatchNotify(unknown));
    EXPECT_EQ((std::vector<std::wstring>{L"own click"}), window.calls);
}

TEST_F(NotifyMaps, PagesFirstThenTheWindow) {
    MainWindow window;
    Page page;
    EXPECT_TRUE(window.AddNotifyPage(L"mainpage", &page));
    EXPECT_FALSE(window.AddNotifyPage(L"mainpage", &page));
    TNotifyMessage click = Message(L"click", &other);
    click.sVirtualWnd = L"MainPage";
    EXPECT_TRUE(window.DispatchNotify(click));
    EXPECT_EQ((std::vector<std::wstring>{L"page x"}), page.calls);
    EXPECT_TRUE(window.calls.empty());
    TNotifyMessage select = Message(L"selectchanged", &option, 1, 2);  // the page has no entry
    select.sVirtualWnd = L"mainpage";
    EXPECT_TRUE(window.DispatchNotify(select));
    EXPECT_EQ((std::vector<std::wstring>{L"select 1,2"}), window.calls);
}

TEST_F(NotifyMaps, HandlersOfAClassWhosePumpIsNotItsFirstBase) {
    SecondBaseWindow window;
    CNotifyPump& pump = window;
    TNotifyMessage click = Message(L"click", &other);
    TNotifyMessage value = Message(L"valuechanged", &other, 5);
    EXPECT_TRUE(pump.DispatchNotify(click));
    EXPECT_TRUE(pump.DispatchNotify(value));
    EXPECT_EQ((std::vector<int>{111, 105}), window.seen);
}

TEST_F(NotifyMaps, ANotificationWithoutSenderReachesNoHandler) {
    MainWindow window;
    TNotifyMessage orphan = Message(L"click", nullptr);
    EXPECT_FALSE(window.DispatchNotify(orphan));
    EXPECT_EQ(nullptr, CNotifyPump::FindNotifyMapEntry(window.GetNotifyMap()->pEntries, orphan));
    EXPECT_TRUE(window.calls.empty());
}

TEST(NotifyRouting, FromControlsThroughTheManagerToPagesAndMaps) {
    CPaintManagerUI pm;
    PlainWindow window;
    Page page;
    window.AddNotifyPage(L"settings", &page);
    pm.AddNotifyListener(&window);
    BuildRoot(pm, L"<Window><Container><Container virtualwnd=\"Settings\"><Control name=\"inside\"/></Container>"
                  L"<Control name=\"outside\"/></Container></Window>");
    pm.RaiseNotify(Named(pm, L"inside"), L"click");
    pm.RaiseNotify(Named(pm, L"outside"), L"click");
    pm.RaiseNotify(Named(pm, L"inside"), L"valuechanged");
    EXPECT_EQ((std::vector<std::wstring>{L"page inside"}), page.calls);
    EXPECT_EQ((std::vector<std::wstring>{L"own click", L"value Settings"}), window.calls);
}

}  // namespace
