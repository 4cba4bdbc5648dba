// Popup menus in real windows: placement, items and separators, sub-menus opened and closed by mouse
// and keys, click records posted to the opener, the check map, focus loss, and menu objects deleted
// while their windows are open.
#include "ListTestSupport.h"

#include "UIListHeader.h"
#include "UIMenu.h"
#include "UIMenuElement.h"

#include <cstring>

using namespace SkinUI;
using namespace WindowTest;
using namespace ListTest;

namespace {

const wchar_t kOpener[] = LR"(<Window size="300,200"><VerticalLayout><Probe name="p"/></VerticalLayout></Window>)";

const wchar_t kMenu[] = LR"(<Window>
  <Menu name="menu" itemtextcolor="#FF000000" itembkcolor="#FFFFFFFF" itemhotbkcolor="#FF203040" itemselectedbkcolor="#FF3060A0">
    <MenuElement name="open" text="Open" userdata="data-open" height="24"/>
    <MenuElement name="sep" linetype="true"/>
    <MenuElement name="check" text="Checked" checkitem="true" ischeck="true" height="24"/>
    <MenuElement name="more" text="More" expland="true" height="24">
      <MenuElement name="sub1" text="Sub one" height="22"/>
      <MenuElement name="sub2" text="Sub two" height="22"/>
    </MenuElement>
  </Menu>
</Window>)";

// The click records posted to the opener, as bytes, each freed as its receiver must.
class CClickCatcher : public IMessageFilterUI {
public:
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM, bool& handled) override {
        if (message != WM_MENU_CLICK) return 0;
        const auto* bytes = reinterpret_cast<const BYTE*>(wParam);
        records.emplace_back(bytes, bytes + 4612);
        CPaintManagerUI::FreeBlock(reinterpret_cast<void*>(wParam));
        handled = true;
        return 0;
    }
    std::vector<std::vector<BYTE>> records;
};

// The record as its receiver reads it: name at byte 0, user data at 512, text at 2560, checked at 4608.
std::vector<BYTE> ExpectedRecord(const std::wstring& name, const std::wstring& data, const std::wstring& text,
                                 int checked) {
    std::vector<BYTE> bytes(4612, 0);
    memcpy(&bytes[0], name.c_str(), name.size() * 2);
    memcpy(&bytes[512], data.c_str(), data.size() * 2);
    memcpy(&bytes[2560], text.c_str(), text.size() * 2);
    bytes[4608] = static_cast<BYTE>(checked);
    return bytes;
}

class MenuFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, opener.Create(nullptr, 40, 40, WS_POPUP));
        opener.pm().AddWindowMessageFilter(&catcher);
        CMenuWnd::DestroyMenu();
    }
    void TearDown() override {
        delete menu;
        menu = nullptr;
        Pump();
        opener.pm().RemoveWindowMessageFilter(&catcher);
        EXPECT_EQ(0, GetMenuObserver().GetReceiverCount());
        CMenuWnd::DestroyMenu();
        GetMenuObserver().SetMenuCheckInfo(nullptr);
    }
    void Open(POINT at = {500, 300}, DWORD alignment = eMenuAlignment_Left | eMenuAlignment_Top,
              const wchar_t* layout = kMenu) {
        menu = new CMenuWnd;
        menu->Init(nullptr, layout, at, &opener.pm(), &checks, alignment);
        ASSERT_NE(nullptr, menu->GetHandle());
        Repaint(menu->GetHandle());
    }
    CMenuElementUI* Element(CMenuWnd* window, const wchar_t* name) {
        CControlUI* control = window->GetPaintManager()->FindControlByName(name);
        EXPECT_NE(nullptr, control) << std::string(name, name + wcslen(name));
        return control ? static_cast<CMenuElementUI*>(control->GetInterface(L"MenuElement")) : nullptr;
    }
    void Hover(CMenuWnd* window, const wchar_t* name) {
        const POINT at = Centre(Element(window, name));
        MouseMove(window->GetHandle(), at.x, at.y);
    }
    void ClickOn(CMenuWnd* window, const wchar_t* name) {
        const POINT at = Centre(Element(window, name));
        Click(window->GetHandle(), at.x, at.y);
    }
    RECT WindowRect(CMenuWnd* window) {
        RECT rect = {};
        GetWindowRect(window->GetHandle(), &rect);
        return rect;
    }

    CTestWindow opener{kOpener};
    CClickCatcher catcher;
    CUIStringMap checks;
    CMenuWnd* menu = nullptr;
};

}  // namespace

// The window is 8 pixels wider than the widest item, every item takes that width, and the alignment
// puts a corner at the point.
TEST_F(MenuFixture, PlacementItemsAndSeparator) {
    Open();
    CMenuUI* list = static_cast<CMenuUI*>(menu->GetMenuUI()->GetInterface(L"Menu"));
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(3, list->GetListType());
    EXPECT_FALSE(list->GetHeader()->IsVisible());
    ASSERT_EQ(4, list->GetCount());
    const int widest = list->GetItemAt(0)->GetFixedWidth();
    EXPECT_GE(widest, 150);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(widest, list->GetItemAt(i)->GetFixedWidth()) << i;
    const RECT rect = WindowRect(menu);
    EXPECT_EQ(500, rect.left);
    EXPECT_EQ(300, rect.top);
    EXPECT_EQ(500 + widest + 8, rect.right);
    EXPECT_EQ(300 + 24 + 6 + 24 + 24, rect.bottom);
    // The separator is 6 high and takes no mouse.
    CMenuElementUI* sep = Element(menu, L"sep");
    EXPECT_TRUE(sep->IsLineType());
    EXPECT_EQ(6, sep->GetHeight());
    EXPECT_FALSE(sep->IsEnabled());
    EXPECT_FALSE(sep->IsMouseEnabled());
    // Sub-items never show in the top menu.
    EXPECT_FALSE(Element(menu, L"sub1")->IsVisible());
    EXPECT_EQ(1, GetMenuObserver().GetReceiverCount());
    EXPECT_EQ(&opener.pm(), GetMenuObserver().GetManager());
    delete menu;
    menu = nullptr;

    Open({500, 300}, eMenuAlignment_Right | eMenuAlignment_Bottom);
    const RECT corner = WindowRect(menu);
    EXPECT_EQ(500, corner.right);
    EXPECT_EQ(300, corner.bottom);
    // Items of estimated widths 120 and 180 both take 180.
    delete menu;
    menu = nullptr;
    const wchar_t narrowAndWide[] = LR"(<Window><Menu><MenuElement name="a" width="120"/><MenuElement name="b" width="180"/></Menu></Window>)";
    Open({100, 100}, eMenuAlignment_Left | eMenuAlignment_Top, narrowAndWide);
    EXPECT_EQ(180, Element(menu, L"a")->GetFixedWidth());
    EXPECT_EQ(180, Element(menu, L"b")->GetFixedWidth());
    EXPECT_EQ(188, WindowRect(menu).right - WindowRect(menu).left);
}

// At every DPI the menu takes its scale from the opener's window.
TEST_F(MenuFixture, SizesFollowTheOpenersDpi) {
    for (int dpi : {96, 120, 144, 192}) {
        opener.pm().ApplyDpi(dpi);
        Open();
        const int percent = dpi * 100 / 96;
        EXPECT_EQ(dpi, menu->GetPaintManager()->GetDpiScaler()->GetDPI());
        const RECT rect = WindowRect(menu);
        EXPECT_EQ(MulDiv(24, percent, 100) * 3 + MulDiv(6, percent, 100), rect.bottom - rect.top) << dpi;
        EXPECT_EQ(MulDiv(24, percent, 100), Element(menu, L"open")->GetHeight()) << dpi;
        delete menu;
        menu = nullptr;
        Pump();
    }
    opener.pm().ApplyDpi(96);
}

// A click on a plain item toggles its record, posts the click record and closes every menu.
TEST_F(MenuFixture, ClickPostsTheRecordAndClosesAll) {
    Open();
    const HWND hwnd = menu->GetHandle();
    ClickOn(menu, L"open");
    Pump();
    ASSERT_EQ(1u, catcher.records.size());
    EXPECT_EQ(ExpectedRecord(L"open", L"data-open", L"Open", 1), catcher.records[0]);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(0, GetMenuObserver().GetReceiverCount());
    EXPECT_EQ(nullptr, GetMenuObserver().GetManager());  // the opener is forgotten with its last menu
    ASSERT_NE(nullptr, CMenuWnd::GetMenuItemInfo(L"open"));
    EXPECT_TRUE(CMenuWnd::GetMenuItemInfo(L"open")->bChecked);

    // The check item: "ischeck" set it; a click flips it and the record carries the new state.
    delete menu;
    menu = nullptr;
    Open();
    EXPECT_TRUE(Element(menu, L"check")->GetChecked());
    ClickOn(menu, L"check");
    Pump();
    ASSERT_EQ(2u, catcher.records.size());
    EXPECT_EQ(ExpectedRecord(L"check", L"", L"Checked", 0), catcher.records[1]);
    // "ischeck" does not override a state the map holds already.
    delete menu;
    menu = nullptr;
    Open();
    EXPECT_FALSE(Element(menu, L"check")->GetChecked());
}

// A click while the menu is already closing sends nothing; a separator takes no click.
TEST_F(MenuFixture, NoRecordWhileClosingOrFromASeparator) {
    Open();
    menu->Close();
    ClickOn(menu, L"open");
    const POINT sep = Centre(Element(menu, L"sep"));
    Click(menu->GetHandle(), sep.x, sep.y);
    Pump();
    EXPECT_TRUE(catcher.records.empty());
}

// Hovering an item with sub-items opens its sub-menu beside the menu; hovering a plain item closes it,
// and the borrowed items come back to their element, hidden.
TEST_F(MenuFixture, SubMenuOpensOnHoverAndClosesOnSibling) {
    Open();
    CMenuElementUI* more = Element(menu, L"more");
    CMenuElementUI* sub1 = Element(menu, L"sub1");
    Hover(menu, L"more");
    CMenuWnd* sub = more->GetSubMenuWnd();
    ASSERT_NE(nullptr, sub);
    ASSERT_TRUE(IsWindow(sub->GetHandle()));
    Repaint(sub->GetHandle());
    EXPECT_EQ(2, GetMenuObserver().GetReceiverCount());
    EXPECT_EQ(sub->GetPaintManager(), sub1->GetManager());
    EXPECT_TRUE(sub1->IsVisible());
    const RECT top = WindowRect(menu);
    const RECT side = WindowRect(sub);
    EXPECT_EQ(top.right, side.left);
    POINT moreTop = {more->GetPos().left, more->GetPos().top};
    ClientToScreen(menu->GetHandle(), &moreTop);
    EXPECT_EQ(moreTop.y, side.top);
    EXPECT_EQ(44, side.bottom - side.top);
    EXPECT_EQ(0, Element(sub, L"sub1")->GetPos().top);

    const HWND subWindow = sub->GetHandle();
    Hover(menu, L"open");
    Pump();
    EXPECT_FALSE(IsWindow(subWindow));
    EXPECT_EQ(nullptr, more->GetSubMenuWnd());
    EXPECT_EQ(1, GetMenuObserver().GetReceiverCount());
    EXPECT_EQ(menu->GetPaintManager(), sub1->GetManager());
    EXPECT_EQ(more, sub1->GetParent());
    EXPECT_FALSE(sub1->IsVisible());
    Repaint(menu->GetHandle());
    // Open again, then choose an item of the sub-menu: the opener gets it and every menu closes.
    Hover(menu, L"more");
    sub = more->GetSubMenuWnd();
    ASSERT_NE(nullptr, sub);
    Repaint(sub->GetHandle());
    const HWND top1 = menu->GetHandle();
    ClickOn(sub, L"sub2");
    Pump();
    ASSERT_EQ(1u, catcher.records.size());
    EXPECT_EQ(ExpectedRecord(L"sub2", L"", L"Sub two", 1), catcher.records[0]);
    EXPECT_FALSE(IsWindow(top1));
    EXPECT_EQ(0, GetMenuObserver().GetReceiverCount());
    EXPECT_EQ(more, Element(menu, L"sub2")->GetParent());
}

// Keys: Home and End move through the items, Right opens a sub-menu, Left and Escape close one window
// at a time.
TEST_F(MenuFixture, KeyboardOpensAndClosesSubMenus) {
    Open();
    const HWND hwnd = menu->GetHandle();
    CMenuUI* list = static_cast<CMenuUI*>(menu->GetMenuUI()->GetInterface(L"Menu"));
    list->SetFocus();
    Key(hwnd, VK_END);
    EXPECT_EQ(3, list->GetCurSel());
    Key(hwnd, VK_UP);
    EXPECT_EQ(2, list->GetCurSel());
    Key(hwnd, VK_UP);
    EXPECT_EQ(0, list->GetCurSel());  // the separator is passed over
    Key(hwnd, VK_END);
    Key(hwnd, VK_RIGHT);
    CMenuWnd* sub = Element(menu, L"more")->GetSubMenuWnd();
    ASSERT_NE(nullptr, sub);
    const HWND subWindow = sub->GetHandle();
    Repaint(subWindow);
    Key(subWindow, VK_LEFT);
    Pump();
    EXPECT_FALSE(IsWindow(subWindow));
    EXPECT_TRUE(IsWindow(hwnd));
    Key(hwnd, VK_RIGHT);
    sub = Element(menu, L"more")->GetSubMenuWnd();
    ASSERT_NE(nullptr, sub);
    const HWND second = sub->GetHandle();
    Key(second, VK_ESCAPE);
    Pump();
    EXPECT_FALSE(IsWindow(second));
    EXPECT_TRUE(IsWindow(hwnd));
    Key(hwnd, VK_ESCAPE);
    Pump();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_TRUE(catcher.records.empty());
}

// Focus going back to the application closes the whole cascade.
TEST_F(MenuFixture, FocusLossClosesEveryMenu) {
    Open();
    Hover(menu, L"more");
    CMenuWnd* sub = Element(menu, L"more")->GetSubMenuWnd();
    ASSERT_NE(nullptr, sub);
    const HWND top = menu->GetHandle();
    const HWND side = sub->GetHandle();
    ASSERT_EQ(side, GetFocus());
    SetActiveWindow(opener.GetHandle());
    SetFocus(opener.GetHandle());
    Pump();
    EXPECT_FALSE(IsWindow(top));
    EXPECT_FALSE(IsWindow(side));
    EXPECT_FALSE(Element(menu, L"sub1")->IsVisible());
}

// Deleting a menu object whose window is open, with its close already queued (a second menu button
// clicked while a menu is open), or with a sub-menu open, never touches freed memory.
TEST_F(MenuFixture, DeletingOpenMenusIsSafe) {
    Open();
    menu->Close();  // what losing the focus to the second button does
    delete menu;
    menu = nullptr;
    Pump();
    EXPECT_EQ(0, GetMenuObserver().GetReceiverCount());

    Open();
    Hover(menu, L"more");
    ASSERT_NE(nullptr, Element(menu, L"more")->GetSubMenuWnd());
    const HWND side = Element(menu, L"more")->GetSubMenuWnd()->GetHandle();
    delete menu;
    menu = nullptr;
    Pump();
    EXPECT_FALSE(IsWindow(side));
    EXPECT_EQ(0, GetMenuObserver().GetReceiverCount());

    // A second menu opened while the first one's close is queued keeps the opener as receiver.
    Open();
    CMenuWnd* first = menu;
    first->Close();
    menu = new CMenuWnd;
    menu->Init(nullptr, kMenu, POINT{200, 200}, &opener.pm(), &checks, eMenuAlignment_Left | eMenuAlignment_Top);
    Pump();
    EXPECT_EQ(&opener.pm(), GetMenuObserver().GetManager());
    delete first;
    Repaint(menu->GetHandle());
    ClickOn(menu, L"open");
    Pump();
    EXPECT_EQ(1u, catcher.records.size());
}

// A cascade destroyed without closing (the top window destroyed directly) still gives the borrowed
// items back.
TEST_F(MenuFixture, DestroyedCascadeGivesItemsBack) {
    Open();
    Hover(menu, L"more");
    CMenuElementUI* more = Element(menu, L"more");
    ASSERT_NE(nullptr, more->GetSubMenuWnd());
    DestroyWindow(menu->GetHandle());
    Pump();
    CMenuElementUI* sub1 = Element(menu, L"sub1");
    EXPECT_EQ(more, sub1->GetParent());
    EXPECT_EQ(menu->GetPaintManager(), sub1->GetManager());
    EXPECT_EQ(nullptr, more->GetSubMenuWnd());
    EXPECT_EQ(0, GetMenuObserver().GetReceiverCount());
}

TEST_F(MenuFixture, CheckMapRecords) {
    GetMenuObserver().SetMenuCheckInfo(nullptr);
    EXPECT_EQ(nullptr, CMenuWnd::SetMenuItemInfo(L"x", true));  // no map yet
    GetMenuObserver().SetMenuCheckInfo(&checks);
    EXPECT_EQ(nullptr, CMenuWnd::SetMenuItemInfo(L"", true));
    EXPECT_EQ(0, checks.Count());
    const std::wstring longName(300, L'n');
    MenuItemInfo* info = CMenuWnd::SetMenuItemInfo(longName.c_str(), true);
    ASSERT_NE(nullptr, info);
    EXPECT_EQ(std::wstring(255, L'n'), std::wstring(info->szName));
    EXPECT_EQ(info, CMenuWnd::GetMenuItemInfo(longName.c_str()));
    EXPECT_EQ(info, CMenuWnd::SetMenuItemInfo(longName.c_str(), false));
    EXPECT_FALSE(info->bChecked);
    EXPECT_EQ(1, checks.Count());
    CMenuWnd::DestroyMenu();
    EXPECT_EQ(0, checks.Count());
    EXPECT_EQ(nullptr, CMenuWnd::GetMenuItemInfo(longName.c_str()));
}

// An application that deletes its window, and the check map with it, before the shared shut-down
// empties the map leaves nothing behind for that shut-down to read.
TEST_F(MenuFixture, CheckMapDeletedByItsOwnerIsForgotten) {
    auto* owned = new CUIStringMap;
    menu = new CMenuWnd;
    menu->Init(nullptr, kMenu, {100, 100}, &opener.pm(), owned);
    ASSERT_EQ(owned, GetMenuObserver().GetMenuCheckInfo());
    MenuItemInfo* info = CMenuWnd::SetMenuItemInfo(L"kept", true);
    ASSERT_NE(nullptr, info);
    delete menu;
    menu = nullptr;
    Pump();
    EXPECT_EQ(info, CMenuWnd::GetMenuItemInfo(L"kept")) << "the map outlives the menu";

    free(info);  // what the owner's own clean-up does before it deletes the map
    delete owned;
    ASSERT_EQ(nullptr, GetMenuObserver().GetMenuCheckInfo()) << "the observer still points at the freed map";
    EXPECT_EQ(nullptr, CMenuWnd::SetMenuItemInfo(L"kept", true));
    EXPECT_EQ(nullptr, CMenuWnd::GetMenuItemInfo(L"kept"));
    CMenuWnd::DestroyMenu();

    // A map given afterwards is used as before.
    GetMenuObserver().SetMenuCheckInfo(&checks);
    EXPECT_NE(nullptr, CMenuWnd::SetMenuItemInfo(L"again", true));
    EXPECT_EQ(1, checks.Count());
}

// Long texts are cut to the record's fields, never written past them.
TEST_F(MenuFixture, LongTextsAreCutToTheRecord) {
    const std::wstring name(300, L'a');
    const std::wstring text(1500, L'b');
    const std::wstring layout = L"<Window><Menu><MenuElement name=\"" + name + L"\" text=\"" + text + L"\" userdata=\"" +
                                text + L"\"/></Menu></Window>";
    Open({100, 100}, eMenuAlignment_Left | eMenuAlignment_Top, layout.c_str());
    const POINT at = Centre(static_cast<CMenuUI*>(menu->GetMenuUI()->GetInterface(L"Menu"))->GetItemAt(0));
    Click(menu->GetHandle(), at.x, at.y);
    Pump();
    ASSERT_EQ(1u, catcher.records.size());
    EXPECT_EQ(ExpectedRecord(name.substr(0, 255), text.substr(0, 1023), text.substr(0, 1023), 1), catcher.records[0]);
}

// Hovering selects the item, which paints in the selected colour; the separator paints one line.
TEST_F(MenuFixture, PaintsHotItemAndSeparator) {
    Open();
    Hover(menu, L"open");
    Repaint(menu->GetHandle());
    CPaintManagerUI& pm = *menu->GetPaintManager();
    const RECT open = Element(menu, L"open")->GetPos();
    EXPECT_EQ(0x3060A0u, OffscreenPixel(pm, open.right - 20, (open.top + open.bottom) / 2) & 0xFFFFFF);
    const RECT check = Element(menu, L"check")->GetPos();
    EXPECT_EQ(0xFFFFFFu, OffscreenPixel(pm, check.right - 20, (check.top + check.bottom) / 2) & 0xFFFFFF);
    const RECT sep = Element(menu, L"sep")->GetPos();
    EXPECT_EQ(0xBCBFC4u, OffscreenPixel(pm, sep.left + 40, sep.top + 3) & 0xFFFFFF);
}

TEST_F(MenuFixture, EveryAttributeOfAMenuItem) {
    struct Case {
        const wchar_t* attributes;
        std::function<bool(CMenuElementUI&)> check;
    };
    const std::vector<Case> cases = {
        {L"checkitem=\"true\"", [](CMenuElementUI& e) { return e.IsCheckItem(); }},
        {L"checkitem=\"TRUE\"", [](CMenuElementUI& e) { return !e.IsCheckItem(); }},  // values matched exactly
        {L"expland=\"true\"", [](CMenuElementUI& e) { return e.IsExpland(); }},
        {L"expland=\"yes\"", [](CMenuElementUI& e) { return !e.IsExpland(); }},
        {L"linetype=\"true\" height=\"30\"", [](CMenuElementUI& e) { return e.IsLineType() && e.GetFixedHeight() == 30; }},
        {L"linetype=\"true\"", [](CMenuElementUI& e) { return e.IsLineType() && e.GetFixedHeight() == 6; }},
        {L"linetype=\"false\"", [](CMenuElementUI& e) { return !e.IsLineType(); }},
        {L"linepadding=\"1,2,3,4\"", [](CMenuElementUI& e) {
             const RECT p = e.GetLinePadding();
             return p.left == 1 && p.top == 2 && p.right == 3 && p.bottom == 4;
         }},
        {L"height=\"40\"", [](CMenuElementUI& e) { return e.GetFixedHeight() == 40; }},
        {L"ischeck=\"true\"", [](CMenuElementUI& e) { return e.GetChecked(); }},
        {L"Icon=\"x.png\"", [](CMenuElementUI& e) { return e.GetCustomAttribute(L"Icon") != nullptr; }},  // names exact
    };
    GetMenuObserver().SetMenuCheckInfo(&checks);
    for (const Case& c : cases) {
        CMenuWnd::DestroyMenu();
        std::wstring layout = L"<Window><Menu><MenuElement name=\"e\" ";
        layout += std::wstring(c.attributes) + L"/></Menu></Window>";
        Open({100, 100}, eMenuAlignment_Left | eMenuAlignment_Top, layout.c_str());
        CMenuElementUI* element = Element(menu, L"e");
        ASSERT_NE(nullptr, element);
        EXPECT_TRUE(c.check(*element)) << std::string(c.attributes, c.attributes + wcslen(c.attributes));
        delete menu;
        menu = nullptr;
        Pump();
    }
}

// A sub-menu that would leave the work area on the right, or whose item asks for the left side, opens to
// the left of its menu; one that would leave it at the bottom moves up.
TEST_F(MenuFixture, SubMenusStayOnTheWorkArea) {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    Open({work.right - 200, 100});
    Hover(menu, L"more");
    CMenuWnd* sub = Element(menu, L"more")->GetSubMenuWnd();
    ASSERT_NE(nullptr, sub);
    EXPECT_EQ(WindowRect(menu).left, WindowRect(sub).right);
    delete menu;
    menu = nullptr;
    Pump();

    Open({300, 100});
    Element(menu, L"more")->SetSubMenuAlignment(eMenuAlignment_Intelligent | eMenuAlignment_Right | eMenuAlignment_Top);
    Hover(menu, L"more");
    sub = Element(menu, L"more")->GetSubMenuWnd();
    ASSERT_NE(nullptr, sub);
    EXPECT_EQ(WindowRect(menu).left, WindowRect(sub).right);
    delete menu;
    menu = nullptr;
    Pump();

    Open({300, work.bottom - 60}, eMenuAlignment_Left | eMenuAlignment_Bottom);
    Hover(menu, L"more");
    sub = Element(menu, L"more")->GetSubMenuWnd();
    ASSERT_NE(nullptr, sub);
    EXPECT_LE(WindowRect(sub).bottom, work.bottom);
    EXPECT_EQ(WindowRect(menu).right, WindowRect(sub).left);
}

namespace {

// A cascade three levels deep whose look comes from the layout's defaults, as the application's menus do.
const wchar_t kCascade[] = LR"(<Window>
  <Default name="Menu" value="bkcolor=&quot;#FF202830&quot; inset=&quot;1,4,1,4&quot; itemtextcolor=&quot;#FFE0E0E0&quot; itemhotbkcolor=&quot;#FF405060&quot; itemselectedbkcolor=&quot;#FF405060&quot; itemtextpadding=&quot;30,0,24,0&quot; itemfont=&quot;1&quot;"/>
  <Default name="ExplandIcon" value="arrow.png"/>
  <Font id="1" name="Tahoma" size="17"/>
  <Menu>
    <MenuElement name="top" text="Top" height="24">
      <MenuElement name="side" text="Side" height="24">
        <MenuElement name="leaf1" text="Leaf one" height="24"/>
        <MenuElement name="leaf2" text="Leaf two" height="24"/>
      </MenuElement>
    </MenuElement>
  </Menu>
</Window>)";

constexpr DWORD kCascadeBk = 0x202830;
constexpr DWORD kCascadeHot = 0x405060;

// The colour at the right end of an item, clear of its text.
DWORD ItemPixel(CMenuWnd* window, CMenuElementUI* item) {
    const RECT pos = item->GetPos();
    return OffscreenPixel(*window->GetPaintManager(), pos.right - 6, (pos.top + pos.bottom) / 2) & 0xFFFFFF;
}

}  // namespace

// Every level of a cascade paints with the look of the first: background, hot item, font, padding and
// arrow; the hot item follows the pointer and goes when the pointer leaves the window.
TEST_F(MenuFixture, ThirdLevelTakesTheFirstLevelsLook) {
    for (int dpi : {96, 144}) {
        opener.pm().ApplyDpi(dpi);
        Open({300, 100}, eMenuAlignment_Left | eMenuAlignment_Top, kCascade);
        Hover(menu, L"top");
        CMenuWnd* second = Element(menu, L"top")->GetSubMenuWnd();
        ASSERT_NE(nullptr, second);
        Repaint(second->GetHandle());
        Hover(second, L"side");
        CMenuWnd* third = Element(second, L"side")->GetSubMenuWnd();
        ASSERT_NE(nullptr, third);
        Repaint(third->GetHandle());

        CPaintManagerUI& pm = *third->GetPaintManager();
        CMenuElementUI* leaf1 = Element(third, L"leaf1");
        CMenuElementUI* leaf2 = Element(third, L"leaf2");
        EXPECT_EQ(kCascadeBk, OffscreenPixel(pm, 10, 1) & 0xFFFFFF) << dpi;  // in the top inset
        EXPECT_EQ(kCascadeBk, ItemPixel(third, leaf1)) << dpi;
        EXPECT_EQ(MulDiv(4, dpi, 96), leaf1->GetPos().top) << dpi;
        auto* list = static_cast<CMenuUI*>(third->GetMenuUI()->GetInterface(L"Menu"));
        EXPECT_EQ(30, list->GetListInfo()->rcTextPadding.left);
        EXPECT_EQ(17, pm.GetFontRecord(list->GetListInfo()->nFont)->size) << dpi;
        EXPECT_NE(nullptr, pm.GetClassDefaultAttributes(L"ExplandIcon"));

        Hover(third, L"leaf1");
        Repaint(third->GetHandle());
        EXPECT_EQ(kCascadeHot, ItemPixel(third, leaf1)) << dpi;
        Hover(third, L"leaf2");
        Repaint(third->GetHandle());
        EXPECT_EQ(kCascadeBk, ItemPixel(third, leaf1)) << dpi;
        EXPECT_EQ(kCascadeHot, ItemPixel(third, leaf2)) << dpi;

        // The pointer rests (the hover message), then leaves the window without another move inside.
        const POINT at = Centre(leaf2);
        SendMessageW(third->GetHandle(), WM_MOUSEHOVER, 0, At(at.x, at.y));
        SetCursorPos(WindowRect(third).right + 200, WindowRect(third).bottom + 200);
        SendMessageW(third->GetHandle(), WM_MOUSELEAVE, 0, 0);
        Repaint(third->GetHandle());
        EXPECT_EQ(kCascadeBk, ItemPixel(third, leaf2)) << dpi;

        delete menu;
        menu = nullptr;
        Pump();
    }
    opener.pm().ApplyDpi(96);
}

// Placement as arithmetic: a menu and each sub-menu lie wholly on the work area, turning to the other
// side of what opened them where the preferred side has no room.
std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

TEST(MenuPlacement, MenusStayOnTheWorkArea) {
    const RECT screen = {0, 0, 1920, 1080};
    const RECT second = {1920, 0, 3840, 1040};  // a monitor on the right with a task bar below
    const DWORD below = eMenuAlignment_Left | eMenuAlignment_Top;
    const DWORD belowLeft = eMenuAlignment_Top | eMenuAlignment_Right;
    struct Case { const char* what; POINT point; RECT anchor; SIZE size; DWORD alignment; RECT work; RECT expected; };
    const Case cases[] = {
        {"room below", {100, 200}, {100, 170, 250, 200}, {200, 300}, below, screen, {100, 200, 300, 500}},
        {"bottom row: above the button", {100, 900}, {100, 870, 250, 900}, {200, 300}, below, screen, {100, 570, 300, 870}},
        {"right edge: ends at the button's right", {1800, 200}, {1800, 170, 1900, 200}, {200, 300}, below, screen,
         {1700, 200, 1900, 500}},
        {"left edge: starts at the button's left", {150, 60}, {50, 30, 150, 60}, {200, 300}, belowLeft, screen,
         {50, 60, 250, 360}},
        {"corner at the point", {500, 300}, {500, 300, 500, 300}, {100, 50}, eMenuAlignment_Right | eMenuAlignment_Bottom,
         screen, {400, 250, 500, 300}},
        {"no room either side: the larger, moved on", {100, 600}, {100, 570, 200, 600}, {200, 700}, below, screen,
         {100, 0, 300, 700}},
        {"second monitor's task bar", {1950, 1000}, {1950, 970, 2050, 1000}, {200, 300}, below, second,
         {1950, 670, 2150, 970}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(c.expected), Text(CMenuWnd::PlaceMenu(c.point, c.anchor, c.size, c.alignment, c.work))) << c.what;

    struct SubCase { const char* what; RECT item; RECT owner; SIZE size; bool toLeft; bool above; RECT expected; };
    const SubCase subCases[] = {
        {"beside its item", {100, 300, 300, 330}, {96, 292, 304, 450}, {202, 100}, false, false, {304, 300, 506, 400}},
        {"third level at 150 % near the bottom", {400, 941, 700, 980}, {396, 900, 704, 1070}, {300, 246}, false, false,
         {704, 734, 1004, 980}},
        {"no room on the right", {1804, 310, 1906, 340}, {1800, 300, 1910, 500}, {202, 100}, false, false,
         {1598, 310, 1800, 410}},
        {"asks for the left", {1004, 310, 1196, 340}, {1000, 300, 1200, 500}, {202, 100}, true, false, {798, 310, 1000, 410}},
        {"no room on the left", {54, 310, 246, 340}, {50, 300, 250, 500}, {202, 100}, true, false, {250, 310, 452, 410}},
        {"taller than the screen", {100, 300, 300, 330}, {96, 292, 304, 450}, {202, 1100}, false, false, {304, 0, 506, 1100}},
        {"above its window", {404, 510, 596, 540}, {400, 500, 600, 700}, {202, 100}, true, true, {198, 400, 400, 500}},
        {"no room above its window", {404, 40, 596, 70}, {400, 30, 600, 230}, {202, 100}, true, true, {198, 40, 400, 140}},
    };
    for (const SubCase& c : subCases)
        EXPECT_EQ(Text(c.expected), Text(CMenuWnd::PlaceSubMenu(c.item, c.owner, c.size, c.toLeft, c.above, screen)))
            << c.what;
}

// A real menu opened from a button at the bottom of the work area opens above the button.
TEST_F(MenuFixture, MenuAtTheBottomOpensAboveItsButton) {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT button = {300, work.bottom - 40, 420, work.bottom - 10};
    menu = new CMenuWnd;
    menu->SetAnchor(button);
    menu->Init(nullptr, kMenu, POINT{button.left, button.bottom}, &opener.pm(), &checks,
               eMenuAlignment_Left | eMenuAlignment_Top);
    ASSERT_NE(nullptr, menu->GetHandle());
    const RECT rect = WindowRect(menu);
    EXPECT_EQ(button.top, rect.bottom);
    EXPECT_EQ(button.left, rect.left);
    EXPECT_EQ(78, rect.bottom - rect.top);
}
