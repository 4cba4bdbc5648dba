// The list, its header, body and elements in a real window: attributes at every DPI, selection by mouse,
// keys, wheel and code with the notifications each raises, structural edits, header dragging, scrolling,
// sorting and painted item states.
#include "ListTestSupport.h"

#include "UIList.h"
#include "UIListBody.h"
#include "UIListElement.h"
#include "UIListHeader.h"
#include "UIScrollBar.h"

#include <functional>

using namespace SkinUI;
using namespace WindowTest;
using namespace ListTest;

namespace {

// Six rows of 20 pixels under a 24-pixel header of two 100-pixel columns; row 3 is disabled.
const wchar_t kSixRows[] = LR"(<Window size="300,200">
  <VerticalLayout>
    <List name="list" vscrollbar="true" itemselectedbkcolor="#FF102030" itemhotbkcolor="#FF405060"
          itembkcolor="#FFF0F0F0" itemaltbk="true">
      <ListHeader name="header" height="24">
        <ListHeaderItem name="col0" text="Name" width="100"/>
        <ListHeaderItem name="col1" text="Value" width="100"/>
      </ListHeader>
      <ListLabelElement name="r0" text="zero" height="20"/>
      <ListLabelElement name="r1" text="one" height="20"/>
      <ListLabelElement name="r2" text="two" height="20"/>
      <ListLabelElement name="r3" text="three" height="20" enabled="false"/>
      <ListLabelElement name="r4" text="four" height="20"/>
      <ListContainerElement name="r5" height="20"><Control name="cell0"/><Control name="cell1"/></ListContainerElement>
    </List>
  </VerticalLayout>
</Window>)";

class ListFixture : public ::testing::Test {
protected:
    explicit ListFixture(const wchar_t* layout = kSixRows) : window(layout) {}
    void SetUp() override {
        ASSERT_NE(nullptr, window.Create());
        hwnd = window.GetHandle();
        window.pm().AddNotifyListener(&recorder);
        list = static_cast<CListUI*>(window.Control(L"list")->GetInterface(L"List"));
        ASSERT_NE(nullptr, list);
        Repaint(hwnd);
        recorder.Clear();
    }
    void TearDown() override { window.pm().RemoveNotifyListener(&recorder); }
    CControlUI* Row(int index) { return list->GetItemAt(index); }
    IListItemUI* Item(int index) { return static_cast<IListItemUI*>(Row(index)->GetInterface(L"ListItem")); }
    void ClickRow(int index, WPARAM keys = 0) {
        const POINT at = Centre(Row(index));
        Click(hwnd, at.x, at.y, keys);
    }
    std::vector<int> Selected() {
        std::vector<int> indexes;
        for (int i = list->GetNextSelItem(-1); i >= 0; i = list->GetNextSelItem(i)) indexes.push_back(i);
        return indexes;
    }

    CTestWindow window;
    CNoteRecorder recorder;
    HWND hwnd = nullptr;
    CListUI* list = nullptr;
};

}  // namespace

TEST(ListAttributes, EveryAttributeReachesTheItemInfo) {
    struct Case {
        const wchar_t* name;
        const wchar_t* value;
        std::function<bool(const CListUI&, const ListInfo&)> check;
    };
    const std::vector<Case> cases = {
        {L"itemfont", L"3", [](auto&, auto& i) { return i.nFont == 3; }},
        {L"itemalign", L"right", [](auto&, auto& i) { return (i.uTextStyle & (DT_RIGHT | DT_CENTER)) == DT_RIGHT; }},
        {L"itemalign", L"left,center", [](auto&, auto& i) { return (i.uTextStyle & (DT_RIGHT | DT_CENTER)) == DT_CENTER; }},
        {L"itemvalign", L"bottom", [](auto&, auto& i) { return (i.uTextStyle & (DT_BOTTOM | DT_VCENTER)) == DT_BOTTOM; }},
        {L"itemvalign", L"top", [](auto&, auto& i) { return (i.uTextStyle & (DT_BOTTOM | DT_VCENTER)) == 0; }},
        {L"itemendellipsis", L"TRUE", [](auto&, auto& i) { return (i.uTextStyle & DT_END_ELLIPSIS) != 0; }},
        {L"itemtextpadding", L"1,2,3,4", [](auto&, auto& i) {
             return i.rcTextPadding.left == 1 && i.rcTextPadding.top == 2 && i.rcTextPadding.right == 3 &&
                    i.rcTextPadding.bottom == 4;
         }},
        {L"itemtextcolor", L"#FF010203", [](auto&, auto& i) { return i.dwTextColor == 0xFF010203; }},
        {L"ItemBkColor", L"FF040506", [](auto&, auto& i) { return i.dwBkColor == 0xFF040506; }},
        {L"itembkimage", L"bk.png", [](auto&, auto& i) { return i.sBkImage == L"bk.png"; }},
        {L"itemaltbk", L"true", [](auto&, auto& i) { return i.bAlternateBk; }},
        {L"itemselectedtextcolor", L"#FF0A0B0C", [](auto&, auto& i) { return i.dwSelectedTextColor == 0xFF0A0B0C; }},
        {L"itemselectedbkcolor", L"#FF0D0E0F", [](auto&, auto& i) { return i.dwSelectedBkColor == 0xFF0D0E0F; }},
        {L"itemselectedimage", L"sel.png", [](auto&, auto& i) { return i.sSelectedImage == L"sel.png"; }},
        {L"itemhottextcolor", L"#FF111111", [](auto&, auto& i) { return i.dwHotTextColor == 0xFF111111; }},
        {L"itemhotbkcolor", L"#FF222222", [](auto&, auto& i) { return i.dwHotBkColor == 0xFF222222; }},
        {L"itemhotimage", L"hot.png", [](auto&, auto& i) { return i.sHotImage == L"hot.png"; }},
        {L"itemdisabledtextcolor", L"#FF333333", [](auto&, auto& i) { return i.dwDisabledTextColor == 0xFF333333; }},
        {L"itemdisabledbkcolor", L"#FF444444", [](auto&, auto& i) { return i.dwDisabledBkColor == 0xFF444444; }},
        {L"itemdisabledimage", L"dis.png", [](auto&, auto& i) { return i.sDisabledImage == L"dis.png"; }},
        {L"itemlinecolor", L"#FF555555", [](auto&, auto& i) { return i.dwLineColor == 0xFF555555; }},
        {L"itemshowrowline", L"true", [](auto&, auto& i) { return i.bShowRowLine; }},
        {L"itemshowcolumnline", L"true", [](auto&, auto& i) { return i.bShowColumnLine; }},
        {L"itemshowhtml", L"true", [](auto&, auto& i) { return i.bShowHtml; }},
        {L"multiexpanding", L"true", [](auto&, auto& i) { return i.bMultiExpandable; }},
        {L"itemrselected", L"true", [](auto&, auto& i) { return i.bRSelected; }},
        {L"itemrselected", L"True", [](auto&, auto& i) { return !i.bRSelected; }},  // value matched exactly
        {L"ItemRSelected", L"true", [](auto&, auto& i) { return !i.bRSelected; }},  // name matched exactly
        {L"multiselect", L"true", [](auto& l, auto&) { return l.IsMultiSelect(); }},
        {L"MultiSelect", L"true", [](auto& l, auto&) { return !l.IsMultiSelect(); }},
        {L"scrollselect", L"true", [](auto& l, auto&) { return l.IsScrollSelect(); }},
        {L"fixedscrollbar", L"true", [](auto& l, auto&) { return l.IsFixedScrollbar(); }},
        {L"header", L"HiDdEn", [](auto& l, auto&) { return !l.GetHeader()->IsVisible(); }},
        {L"header", L"shown", [](auto& l, auto&) { return l.GetHeader()->IsVisible(); }},
        {L"headerbkimage", L"head.png", [](auto& l, auto&) { return l.GetHeader()->GetBkImage() == L"head.png"; }},
        {L"vscrollbar", L"true", [](auto& l, auto&) { return l.GetVerticalScrollBar() != nullptr; }},
        {L"hscrollbar", L"true", [](auto& l, auto&) { return l.GetHorizontalScrollBar() != nullptr; }},
    };
    for (const Case& c : cases) {
        std::wstring layout = L"<Window size=\"200,100\"><List name=\"list\" ";
        layout += std::wstring(c.name) + L"=\"" + c.value + L"\"/></Window>";
        CTestWindow window(layout);
        ASSERT_NE(nullptr, window.Create());
        auto* list = static_cast<CListUI*>(window.Control(L"list")->GetInterface(L"List"));
        ASSERT_NE(nullptr, list);
        EXPECT_TRUE(c.check(*list, *list->GetListInfo()))
            << std::string(c.name, c.name + wcslen(c.name)) << "=" << std::string(c.value, c.value + wcslen(c.value));
    }
}

TEST(ListAttributes, ClassNamesAndInterfaces) {
    CListUI list;
    EXPECT_STREQ(L"ListUI", list.GetClass());
    EXPECT_EQ(static_cast<IListUI*>(&list), list.GetInterface(L"ilist"));
    EXPECT_EQ(static_cast<IListOwnerUI*>(&list), list.GetInterface(L"IListOwner"));
    EXPECT_EQ(static_cast<CControlUI*>(&list), static_cast<CControlUI*>(static_cast<CListUI*>(list.GetInterface(L"List"))));
    EXPECT_EQ(UINT(UIFLAG_TABSTOP), list.GetControlFlags());
    EXPECT_EQ(0, list.GetListType());
    CListTextElementUI text;
    EXPECT_STREQ(L"ListTextElementUI", text.GetClass());
    EXPECT_NE(nullptr, text.GetInterface(L"ListLabelElement"));
    EXPECT_NE(nullptr, text.GetInterface(L"ListItem"));
    EXPECT_EQ(UINT(UIFLAG_WANTRETURN), text.GetControlFlags());
    CListContainerElementUI container;
    EXPECT_STREQ(L"ListContainerElementUI", container.GetClass());
    EXPECT_NE(nullptr, container.GetInterface(L"IContainer"));
    CListHeaderItemUI item;
    EXPECT_EQ(UINT(UIFLAG_SETCURSOR), item.GetControlFlags());
    item.SetSepWidth(0);
    EXPECT_EQ(0u, item.GetControlFlags());
}

// Column widths, row heights and header height follow the window's DPI; the stored sizes do not change.
TEST(ListAttributes, GeometryAtEveryDpi) {
    for (int dpi : {96, 120, 144, 192}) {
        CTestWindow window(kSixRows);
        ASSERT_NE(nullptr, window.Create());
        window.pm().ApplyDpi(dpi);
        Repaint(window.GetHandle());
        auto* list = static_cast<CListUI*>(window.Control(L"list")->GetInterface(L"List"));
        const int percent = dpi * 100 / 96;
        const ListInfo& info = *list->GetListInfo();
        ASSERT_EQ(2, info.nColumns);
        EXPECT_EQ(MulDiv(100, percent, 100), info.rcColumn[0].right - info.rcColumn[0].left) << dpi;
        EXPECT_EQ(info.rcColumn[0].right, info.rcColumn[1].left) << dpi;
        EXPECT_EQ(MulDiv(24, percent, 100), list->GetHeader()->GetHeight()) << dpi;
        EXPECT_EQ(MulDiv(20, percent, 100), list->GetItemAt(1)->GetHeight()) << dpi;
        EXPECT_EQ(list->GetItemAt(0)->GetPos().bottom, list->GetItemAt(1)->GetPos().top) << dpi;
        EXPECT_EQ(20, list->GetItemAt(1)->GetFixedHeight() * 100 / percent) << dpi;
        // A row without a fixed height is the font plus its padding plus 8.
        list->SetItemTextPadding(RECT{0, 2, 0, 3});
        list->GetItemAt(0)->SetFixedHeight(0);
        Repaint(window.GetHandle());
        const int font = window.pm().GetDefaultFontRecord()->metrics.tmHeight;
        EXPECT_EQ(font + MulDiv(2, percent, 100) + MulDiv(3, percent, 100) + 8, list->GetItemAt(0)->GetHeight()) << dpi;
    }
}

TEST_F(ListFixture, LayoutRoutesChildren) {
    EXPECT_EQ(6, list->GetCount());
    EXPECT_EQ(list->GetHeader(), list->CContainerUI::GetItemAt(0));
    EXPECT_EQ(list->GetList(), list->CContainerUI::GetItemAt(1));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(i, Item(i)->GetIndex());
    // A plain control goes beside the header and the body; AddAt puts it among the items.
    auto* plain = new CControlUI;
    EXPECT_TRUE(list->Add(plain));
    EXPECT_EQ(3, list->CContainerUI::GetCount());
    EXPECT_EQ(6, list->GetCount());
    auto* row = new CListLabelElementUI;
    EXPECT_TRUE(list->AddAt(row, 1));
    EXPECT_EQ(1, list->GetItemIndex(row));
    for (int i = 0; i < 7; ++i) EXPECT_EQ(i, Item(i)->GetIndex());
    // A container row's children stand under the header's columns.
    auto* row5 = static_cast<CContainerUI*>(window.Control(L"r5"));
    Repaint(hwnd);
    EXPECT_EQ(list->GetListInfo()->rcColumn[1].left, row5->GetItemAt(1)->GetPos().left);
    EXPECT_EQ(list->GetListInfo()->rcColumn[1].right, row5->GetItemAt(1)->GetPos().right);
}

// One selection raises one "itemselect" and stores one index, however it is made.
TEST_F(ListFixture, SelectionByCodeAndMouseNotifiesOnce) {
    EXPECT_TRUE(list->SelectItem(2));
    EXPECT_EQ((std::vector<std::wstring>{L"itemselect:list:2"}), recorder.Trace());
    EXPECT_EQ(1, list->GetSelectItemCount());
    EXPECT_EQ(2, list->GetCurSel());
    EXPECT_TRUE(Item(2)->IsSelected());
    EXPECT_TRUE(list->SelectItem(2));  // again: raised again
    EXPECT_EQ(2u, recorder.Of(L"itemselect").size());
    recorder.Clear();
    EXPECT_FALSE(list->SelectItem(-1));
    EXPECT_TRUE(recorder.notes.empty());
    EXPECT_EQ(-1, list->GetCurSel());
    EXPECT_FALSE(Item(2)->IsSelected());
    EXPECT_FALSE(list->SelectItem(3));  // disabled
    EXPECT_FALSE(list->SelectItem(60));

    ClickRow(4);
    EXPECT_EQ((std::vector<std::wstring>{L"itemselect:list:4", L"itemclick:r4:0"}), recorder.Trace());
    EXPECT_EQ((std::vector<int>{4}), Selected());
    recorder.Clear();
    ClickRow(1);
    EXPECT_EQ((std::vector<int>{1}), Selected());
    EXPECT_FALSE(Item(4)->IsSelected());
    ClickRow(1);  // the selected row again: clicked, not selected again
    EXPECT_EQ((std::vector<std::wstring>{L"itemselect:list:1", L"itemclick:r1:0", L"itemclick:r1:0"}), recorder.Trace());
    // A disabled row takes no selection and raises nothing.
    recorder.Clear();
    ClickRow(3);
    EXPECT_TRUE(recorder.notes.empty());
    EXPECT_EQ((std::vector<int>{1}), Selected());
    // A right press selects only with "itemrselected".
    POINT at = Centre(Row(0));
    SendMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, At(at.x, at.y));
    SendMessageW(hwnd, WM_RBUTTONUP, 0, At(at.x, at.y));
    EXPECT_EQ((std::vector<int>{1}), Selected());
    list->SetItemRSelected(true);
    SendMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, At(at.x, at.y));
    SendMessageW(hwnd, WM_RBUTTONUP, 0, At(at.x, at.y));
    EXPECT_EQ((std::vector<int>{0}), Selected());
    // An item that deselects itself leaves the list's selection.
    EXPECT_TRUE(Item(0)->Select(false));
    EXPECT_EQ(-1, list->GetCurSel());
    EXPECT_EQ(0, list->GetSelectItemCount());
}

TEST_F(ListFixture, MultiSelectionWithControlClicksAndSelectAll) {
    list->SetMultiSelect(true);
    ClickRow(0, MK_CONTROL);
    ClickRow(4, MK_CONTROL);
    EXPECT_EQ((std::vector<int>{0, 4}), Selected());
    EXPECT_EQ(2u, recorder.Of(L"itemselect").size());
    ClickRow(0, MK_CONTROL);  // toggles off
    EXPECT_EQ((std::vector<int>{4}), Selected());
    ClickRow(0, MK_CONTROL);
    ClickRow(4);  // a plain click on a selected row keeps only it
    EXPECT_EQ((std::vector<int>{4}), Selected());
    EXPECT_TRUE(Item(4)->IsSelected());
    EXPECT_FALSE(Item(0)->IsSelected());

    // Ctrl+A selects every visible, enabled row once; the disabled row stays out.
    list->SelectItem(4);
    SetKeyDown(VK_CONTROL, true);
    Key(hwnd, 'A');
    Key(hwnd, 'A');
    SetKeyDown(VK_CONTROL, false);
    EXPECT_EQ((std::vector<int>{4, 0, 1, 2, 5}), Selected());
    EXPECT_FALSE(Item(3)->IsSelected());
    list->SetMultiSelect(false);
    EXPECT_EQ(0, list->GetSelectItemCount());
    for (int i = 0; i < 6; ++i) EXPECT_FALSE(Item(i)->IsSelected()) << i;
    // Without multi-select Ctrl+A does nothing and a Ctrl+click selects.
    list->SelectItem(1);
    SetKeyDown(VK_CONTROL, true);
    Key(hwnd, 'A');
    SetKeyDown(VK_CONTROL, false);
    EXPECT_EQ((std::vector<int>{1}), Selected());
    ClickRow(2, MK_CONTROL);
    EXPECT_EQ((std::vector<int>{2}), Selected());
}

// Keys move the selection to the next selectable row; Return, a double click and Enter activate.
TEST_F(ListFixture, KeyboardNavigationAndActivation) {
    Key(hwnd, VK_DOWN);  // nothing selected: nothing happens
    EXPECT_EQ(-1, list->GetCurSel());
    ClickRow(1);
    struct Step {
        UINT key;
        int expected;
    };
    const Step steps[] = {{VK_DOWN, 2}, {VK_DOWN, 4}, {VK_DOWN, 5}, {VK_DOWN, 5}, {VK_UP, 4},
                          {VK_UP, 2},   {VK_HOME, 0}, {VK_UP, 0},   {VK_END, 5}};
    for (const Step& step : steps) {
        Key(hwnd, step.key);
        EXPECT_EQ(step.expected, list->GetCurSel()) << "key " << step.key;
        EXPECT_EQ(1, list->GetSelectItemCount());
    }
    recorder.Clear();
    Key(hwnd, VK_RETURN);
    EXPECT_EQ((std::vector<std::wstring>{L"itemactivate:r5:0"}), recorder.Trace());
    recorder.Clear();
    const POINT at = Centre(Row(2));
    DoubleClick(hwnd, at.x, at.y);
    EXPECT_EQ(1u, recorder.Of(L"itemactivate").size());
    EXPECT_EQ(L"r2", recorder.Of(L"itemactivate")[0].sender);
    EXPECT_EQ(2u, recorder.Of(L"itemclick").size());
}

TEST_F(ListFixture, WheelScrollsOrSelects) {
    const POINT at = Centre(Row(1));
    POINT screen = at;
    ClientToScreen(hwnd, &screen);
    auto wheel = [&](int delta) {
        SendMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(screen.x, screen.y));
    };
    list->SelectItem(1);
    list->SetScrollSelect(true);
    wheel(-WHEEL_DELTA);
    EXPECT_EQ(2, list->GetCurSel());
    wheel(-WHEEL_DELTA);
    EXPECT_EQ(4, list->GetCurSel());  // the disabled row is passed over
    wheel(WHEEL_DELTA);
    EXPECT_EQ(2, list->GetCurSel());
    // With multi-select the wheel scrolls.
    list->SetMultiSelect(true);
    list->SelectItem(2);
    for (int i = 0; i < 6; ++i) list->Add(new CListLabelElementUI);
    Repaint(hwnd);
    ASSERT_GT(list->GetScrollRange().cy, 0);
    wheel(-WHEEL_DELTA);
    EXPECT_GT(list->GetScrollPos().cy, 0);
    EXPECT_EQ(2, list->GetCurSel());
}

// Inserted, removed and moved rows keep every index equal to the row's position and the selection on
// its row.
TEST_F(ListFixture, StructuralEditsKeepIndexesAndSelection) {
    auto checkIndexes = [&] {
        for (int i = 0; i < list->GetCount(); ++i) ASSERT_EQ(i, Item(i)->GetIndex()) << i;
    };
    list->SelectItem(4);
    CControlUI* selected = Row(4);
    EXPECT_TRUE(list->RemoveAt(1));
    checkIndexes();
    EXPECT_EQ(3, list->GetCurSel());
    EXPECT_EQ(selected, Row(list->GetCurSel()));
    EXPECT_TRUE(list->AddAt(new CListLabelElementUI, 0));
    checkIndexes();
    EXPECT_EQ(selected, Row(list->GetCurSel()));
    EXPECT_TRUE(list->SetItemIndex(selected, 1));
    checkIndexes();
    EXPECT_EQ(1, list->GetCurSel());
    EXPECT_TRUE(Item(1)->IsSelected());

    // Multi-selection: every index follows its row; a removed row leaves the selection.
    list->SetMultiSelect(true);
    list->SelectMultiItem(1);
    list->SelectMultiItem(3);
    CControlUI* other = Row(3);
    EXPECT_TRUE(list->Remove(Row(2)));
    checkIndexes();
    EXPECT_EQ((std::vector<int>{1, 2}), Selected());
    EXPECT_EQ(other, Row(2));
    EXPECT_TRUE(list->RemoveAt(1));
    EXPECT_EQ(1, list->GetSelectItemCount());

    // Removing the selected row selects the nearest selectable one at or before it.
    list->SetMultiSelect(false);
    list->SelectItem(1);
    recorder.Clear();
    EXPECT_TRUE(list->RemoveAt(1));
    EXPECT_EQ(0, list->GetCurSel());
    EXPECT_EQ(1u, recorder.Of(L"itemselect").size());
    list->RemoveAll();
    EXPECT_EQ(0, list->GetCount());
    EXPECT_EQ(-1, list->GetCurSel());
}

TEST_F(ListFixture, HeaderRoutingAndRemoval) {
    CListHeaderUI* header = list->GetHeader();
    // A header given while the current one has items becomes child 0 but not the header.
    auto* second = new CListHeaderUI;
    EXPECT_TRUE(list->Add(second));
    EXPECT_EQ(second, list->CContainerUI::GetItemAt(0));
    EXPECT_EQ(header, list->GetHeader());
    EXPECT_TRUE(list->Remove(second));
    // Header items go to the header; only 32 become columns.
    for (int i = 0; i < 40; ++i) list->Add(new CListHeaderItemUI);
    EXPECT_EQ(42, header->GetCount());
    Repaint(hwnd);
    EXPECT_EQ(32, list->GetListInfo()->nColumns);
    // The removed header stays the list's and no layout touches freed memory.
    EXPECT_TRUE(list->Remove(header));
    EXPECT_EQ(header, list->GetHeader());
    Repaint(hwnd);
    list->SetPos(list->GetPos());
    EXPECT_EQ(32, list->GetListInfo()->nColumns);
    window.pm().DeliverPendingNotify();
    EXPECT_TRUE(list->Add(header));
    Repaint(hwnd);
    EXPECT_EQ(header, list->CContainerUI::GetItemAt(0));
}

TEST_F(ListFixture, HiddenHeaderStillGivesColumns) {
    list->SetAttribute(L"header", L"hidden");
    Repaint(hwnd);
    const ListInfo& info = *list->GetListInfo();
    EXPECT_EQ(100, info.rcColumn[0].right - info.rcColumn[0].left);
    EXPECT_EQ(100, info.rcColumn[1].right - info.rcColumn[1].left);
    EXPECT_EQ(list->GetPos().top, Row(0)->GetPos().top);
    EXPECT_FALSE(list->GetHeader()->GetItemAt(0)->IsVisible());
}

// Dragging the separator widens the column by the mouse distance at any DPI; a press beside it clicks.
TEST(ListHeaderDrag, SeparatorDragAndClickAtEveryDpi) {
    for (int dpi : {96, 120, 144, 192}) {
        CTestWindow window(kSixRows);
        ASSERT_NE(nullptr, window.Create());
        CNoteRecorder recorder;
        window.pm().AddNotifyListener(&recorder);
        window.pm().ApplyDpi(dpi);
        const HWND hwnd = window.GetHandle();
        Repaint(hwnd);
        auto* list = static_cast<CListUI*>(window.Control(L"list")->GetInterface(L"List"));
        CControlUI* col0 = window.Control(L"col0");
        const RECT before = col0->GetPos();
        const int y = (before.top + before.bottom) / 2;
        // Press 3 px inside the right edge: within the 4 px separator plus its 4 px grip.
        const int x = before.right - 7;
        SendMessageW(hwnd, WM_MOUSEMOVE, 0, At(x, y));
        SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
        for (int step = 1; step <= 10; ++step) {
            SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, At(x + step, y));
            Repaint(hwnd);
        }
        SendMessageW(hwnd, WM_LBUTTONUP, 0, At(x + 10, y));
        Repaint(hwnd);
        EXPECT_EQ(before.right - before.left + 10, col0->GetWidth()) << dpi;
        EXPECT_EQ(col0->GetPos().right, list->GetListInfo()->rcColumn[1].left) << dpi;
        EXPECT_TRUE(recorder.Of(L"headerclick").empty()) << dpi;
        // Narrower than the minimum: stops at the last width above it.
        const RECT wide = col0->GetPos();
        const int from = wide.right - 2;
        SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(from, y));
        SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, At(from - (wide.right - wide.left), y));
        SendMessageW(hwnd, WM_LBUTTONUP, 0, At(from, y));
        Repaint(hwnd);
        EXPECT_EQ(wide.right - wide.left, col0->GetWidth()) << dpi;
        // A press 1 px left of the grip raises "headerclick" and starts no drag.
        const int outside = col0->GetPos().right - 9;
        SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(outside, y));
        SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, At(outside + 20, y));
        SendMessageW(hwnd, WM_LBUTTONUP, 0, At(outside + 20, y));
        Repaint(hwnd);
        EXPECT_EQ(1u, recorder.Of(L"headerclick").size()) << dpi;
        EXPECT_EQ(wide.right - wide.left, col0->GetWidth()) << dpi;
        window.pm().RemoveNotifyListener(&recorder);
    }
}

TEST(ListHeaderLayout, ScaledHeaderUsesPercentOfWidthLessTheBar) {
    const wchar_t layout[] = LR"(<Window size="400,200"><List name="list" vscrollbar="true">
      <ListHeader scaleheader="true"><ListHeaderItem name="a" scale="25"/><ListHeaderItem name="b" scale="50"/></ListHeader>
    </List></Window>)";
    CTestWindow window(layout);
    ASSERT_NE(nullptr, window.Create());
    Repaint(window.GetHandle());
    const int bar = static_cast<CListUI*>(window.Control(L"list")->GetInterface(L"List"))->GetVerticalScrollBar()->GetFixedWidth();
    EXPECT_EQ((400 - bar) * 25 / 100, window.Control(L"a")->GetWidth());
    EXPECT_EQ((400 - bar) * 50 / 100, window.Control(L"b")->GetWidth());
}

// A header wider than the list makes every row as wide and scrolls with the rows.
TEST(ListBody, WideHeaderScrollsHorizontallyWithTheRows) {
    const wchar_t layout[] = LR"(<Window size="400,200"><List name="list" hscrollbar="true">
      <ListHeader height="20"><ListHeaderItem name="a" width="300"/><ListHeaderItem name="b" width="300"/></ListHeader>
      <ListTextElement name="t0" height="20"/><ListTextElement name="t1" height="20"/>
    </List></Window>)";
    CTestWindow window(layout);
    ASSERT_NE(nullptr, window.Create());
    Repaint(window.GetHandle());
    auto* list = static_cast<CListUI*>(window.Control(L"list")->GetInterface(L"List"));
    CControlUI* row = window.Control(L"t0");
    EXPECT_EQ(600, row->GetWidth());
    ASSERT_TRUE(list->GetHorizontalScrollBar()->IsVisible());
    EXPECT_EQ(200, list->GetScrollRange().cx);
    const int rowLeft = row->GetPos().left;
    const int columnLeft = list->GetListInfo()->rcColumn[1].left;
    list->SetScrollPos(SIZE{50, 0});
    EXPECT_EQ(rowLeft - 50, row->GetPos().left);
    EXPECT_EQ(columnLeft - 50, window.Control(L"b")->GetPos().left);
    EXPECT_EQ(columnLeft - 50, list->GetListInfo()->rcColumn[1].left);
    Repaint(window.GetHandle());
    EXPECT_EQ(rowLeft - 50, row->GetPos().left);
    EXPECT_EQ(columnLeft - 50, window.Control(L"b")->GetPos().left);
}

// Rows of a fixed width are laid out one per row: the scroll range reaches the last of them.
TEST(ListBody, FixedWidthRowsCanAllBeScrolledIntoView) {
    std::wstring layout = LR"(<Window size="400,124"><List name="list" vscrollbar="true" header="hidden">)";
    for (int i = 0; i < 10; ++i) layout += L"<ListLabelElement name=\"r" + std::to_wstring(i) + L"\" width=\"100\" height=\"20\"/>";
    layout += L"</List></Window>";
    CTestWindow window(layout);
    ASSERT_NE(nullptr, window.Create());
    Repaint(window.GetHandle());
    auto* list = static_cast<CListUI*>(window.Control(L"list")->GetInterface(L"List"));
    EXPECT_EQ(200 - list->GetList()->GetHeight(), list->GetScrollRange().cy);
    list->EndDown();
    EXPECT_EQ(list->GetList()->GetPos().bottom, window.Control(L"r9")->GetPos().bottom);
    // Selecting a row out of view scrolls it in.
    list->HomeUp();
    list->SelectItem(8);
    EXPECT_LE(window.Control(L"r8")->GetPos().bottom, list->GetList()->GetPos().bottom);
    EXPECT_GE(window.Control(L"r8")->GetPos().top, list->GetList()->GetPos().top);
}

TEST(ListBody, FixedScrollBarKeepsRowWidths) {
    const wchar_t layout[] = LR"(<Window size="300,100"><List name="list" vscrollbar="true" fixedscrollbar="true" header="hidden">
      <ListLabelElement name="r0" height="20"/></List></Window>)";
    CTestWindow window(layout);
    ASSERT_NE(nullptr, window.Create());
    Repaint(window.GetHandle());
    auto* list = static_cast<CListUI*>(window.Control(L"list")->GetInterface(L"List"));
    EXPECT_FALSE(list->GetVerticalScrollBar()->IsVisible());
    const int narrow = window.Control(L"r0")->GetWidth();
    EXPECT_EQ(300 - list->GetVerticalScrollBar()->GetFixedWidth(), narrow);
    for (int i = 0; i < 10; ++i) list->Add(new CListLabelElementUI);
    Repaint(window.GetHandle());
    EXPECT_TRUE(list->GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(narrow, window.Control(L"r0")->GetWidth());
}

TEST_F(ListFixture, SortRenumbersAndClearsTheSelection) {
    EXPECT_FALSE(list->SortItems(nullptr, 0));
    list->SelectItem(1);
    // Descending by name.
    auto byName = [](CControlUI* a, CControlUI* b, UINT_PTR) { return b->GetName().Compare(a->GetName().Data()); };
    EXPECT_TRUE(list->SortItems(byName, 0));
    EXPECT_STREQ(L"r5", Row(0)->GetName().Data());
    EXPECT_STREQ(L"r0", Row(5)->GetName().Data());
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(i, Item(i)->GetIndex());
        EXPECT_FALSE(Item(i)->IsSelected());
    }
    EXPECT_EQ(-1, list->GetCurSel());
    EXPECT_EQ(0, list->GetSelectItemCount());
}

// Hiding the selected row empties the selection.
TEST_F(ListFixture, HidingTheSelectedRowClearsTheSelection) {
    list->SelectItem(2);
    Row(2)->SetVisible(false);
    EXPECT_EQ(-1, list->GetCurSel());
    EXPECT_FALSE(Item(2)->IsSelected());
}

// Normal, alternate, hot and selected backgrounds as painted.
TEST_F(ListFixture, PaintsRowBackgroundsByState) {
    auto pixelOf = [&](int row) {
        Repaint(hwnd);
        const RECT& r = Row(row)->GetPos();
        return OffscreenPixel(window.pm(), r.right - 3, (r.top + r.bottom) / 2) & 0xFFFFFF;
    };
    EXPECT_EQ(0xF0F0F0u, pixelOf(0));
    EXPECT_NE(0xF0F0F0u, pixelOf(1));  // odd rows get no normal background
    list->SelectItem(2);
    EXPECT_EQ(0x102030u, pixelOf(2));
    const POINT at = Centre(Row(4));
    MouseMove(hwnd, at.x, at.y);
    EXPECT_EQ(0x405060u, pixelOf(4));
    MouseMove(hwnd, at.x, Row(5)->GetPos().bottom + 30);
    EXPECT_EQ(0xF0F0F0u, pixelOf(4));
}

TEST(ListText, ColumnTextsCallbackAndLinks) {
    const wchar_t layout[] = LR"(<Window size="300,100"><List name="list">
      <ListHeader height="20"><ListHeaderItem width="100"/><ListHeaderItem width="100"/></ListHeader>
      <ListTextElement name="t0" height="20"/></List></Window>)";
    CTestWindow window(layout);
    ASSERT_NE(nullptr, window.Create());
    auto* list = static_cast<CListUI*>(window.Control(L"list")->GetInterface(L"List"));
    auto* text = static_cast<CListTextElementUI*>(window.Control(L"t0")->GetInterface(L"ListTextElement"));
    text->SetText(1, L"{a link}go{/a}");
    EXPECT_FALSE(text->HasText(0));
    EXPECT_STREQ(L"{a link}go{/a}", text->GetText(1).Data());
    Repaint(window.GetHandle());
    EXPECT_EQ(0, text->GetLinkCount());  // plain text: no links
    list->SetItemShowHtml(true);
    Repaint(window.GetHandle());
    ASSERT_EQ(1, text->GetLinkCount());
    EXPECT_STREQ(L"link", text->GetLinkContent(0));
    EXPECT_EQ(UINT(UIFLAG_WANTRETURN | UIFLAG_SETCURSOR), text->GetControlFlags());
    CNoteRecorder recorder;
    window.pm().AddNotifyListener(&recorder);
    const RECT link = text->GetLinkRect(0);
    Click(window.GetHandle(), (link.left + link.right) / 2, (link.top + link.bottom) / 2);
    ASSERT_EQ(1u, recorder.Of(L"link").size());
    EXPECT_EQ(0u, recorder.Of(L"link")[0].wParam);
    EXPECT_TRUE(recorder.Of(L"itemclick").empty());

    struct Callback : IListTextCallbackUI {
        const wchar_t* GetItemText(CControlUI*, int index, int column) override {
            asked.push_back(index * 10 + column);
            return L"x";
        }
        std::vector<int> asked;
    } callback;
    list->SetTextCallback(&callback);
    Repaint(window.GetHandle());
    EXPECT_EQ((std::vector<int>{0, 1}), callback.asked);
    list->SetTextCallback(nullptr);
    window.pm().RemoveNotifyListener(&recorder);
}

TEST(ListHeaderAttributes, EveryAttributeOfAHeaderItem) {
    struct Case {
        const wchar_t* name;
        const wchar_t* value;
        std::function<bool(const CListHeaderItemUI&)> check;
    };
    const std::vector<Case> cases = {
        {L"dragable", L"false", [](auto& i) { return !i.IsDragable(); }},
        {L"sepwidth", L"-6", [](auto& i) { return i.GetSepWidth() == -6; }},
        {L"align", L"left", [](auto& i) { return (i.GetTextStyle() & (DT_CENTER | DT_RIGHT)) == 0; }},
        {L"align", L"right", [](auto& i) { return (i.GetTextStyle() & (DT_CENTER | DT_RIGHT)) == DT_RIGHT; }},
        {L"endellipsis", L"true", [](auto& i) { return (i.GetTextStyle() & DT_END_ELLIPSIS) != 0; }},
        {L"font", L"2", [](auto& i) { return i.GetFont() == 2; }},
        {L"textcolor", L"#FF123456", [](auto& i) { return i.GetTextColor() == 0xFF123456; }},
        {L"textpadding", L"5,6,7,8", [](auto& i) {
             const RECT p = i.GetTextPadding();
             return p.left == 5 && p.top == 6 && p.right == 7 && p.bottom == 8;
         }},
        {L"showhtml", L"TRUE", [](auto& i) { return i.IsShowHtml(); }},
        {L"scale", L"40", [](auto& i) { return i.GetScale() == 40; }},
        {L"width", L"77", [](auto& i) { return i.GetFixedWidth() == 77; }},
    };
    for (const Case& c : cases) {
        std::wstring layout = L"<Window size=\"200,100\"><List><ListHeader><ListHeaderItem name=\"h\" ";
        layout += std::wstring(c.name) + L"=\"" + c.value + L"\"/></ListHeader></List></Window>";
        CTestWindow window(layout);
        ASSERT_NE(nullptr, window.Create());
        auto* item = static_cast<CListHeaderItemUI*>(window.Control(L"h")->GetInterface(L"ListHeaderItem"));
        ASSERT_NE(nullptr, item);
        EXPECT_TRUE(c.check(*item)) << std::string(c.name, c.name + wcslen(c.name));
    }
}

// A negative separator width puts the drag zone on the left edge; a header item without a text colour
// takes the window's default when it paints; disabling clears its state.
TEST_F(ListFixture, HeaderItemSeparatorSidesAndDefaults) {
    auto* col1 = static_cast<CListHeaderItemUI*>(window.Control(L"col1")->GetInterface(L"ListHeaderItem"));
    const RECT pos = col1->GetPos();
    RECT sep = col1->GetSeparatorRect();
    EXPECT_EQ(pos.right - 4, sep.left);
    col1->SetSepWidth(-5);
    sep = col1->GetSeparatorRect();
    EXPECT_EQ(pos.left, sep.left);
    EXPECT_EQ(pos.left + 5, sep.right);
    const int y = (pos.top + pos.bottom) / 2;
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(pos.left + 7, y));
    SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, At(pos.left + 17, y));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, At(pos.left + 17, y));
    Repaint(hwnd);
    EXPECT_EQ(pos.right - pos.left - 10, col1->GetWidth());  // the left edge followed the mouse
    EXPECT_TRUE(recorder.Of(L"headerclick").empty());
    EXPECT_EQ(window.pm().GetDefaultTextColor(), col1->GetTextColor());
    MouseMove(hwnd, (pos.left + pos.right) / 2 + 10, y);
    EXPECT_NE(0u, col1->GetButtonState() & UISTATE_HOT);
    col1->SetEnabled(false);
    EXPECT_EQ(0u, col1->GetButtonState());
}

// Expansion, the order of a multi-selection and deselecting the others.
TEST_F(ListFixture, ExpansionAndSelectionQueries) {
    EXPECT_FALSE(list->ExpandItem(1, true));  // these items do not expand
    EXPECT_EQ(-1, list->GetExpandedItem());
    EXPECT_TRUE(list->ExpandItem(1, false));
    EXPECT_FALSE(list->ExpandItem(40, true));

    EXPECT_FALSE(list->UnSelectItem(0, true));  // without multi-select
    list->SetMultiSelect(true);
    list->SelectMultiItem(4);
    list->SelectMultiItem(0);
    list->SelectMultiItem(2);
    EXPECT_FALSE(list->SelectMultiItem(2));  // already selected
    EXPECT_EQ(4, list->GetNextSelItem(-1));
    EXPECT_EQ(0, list->GetNextSelItem(4));
    EXPECT_EQ(2, list->GetNextSelItem(0));
    EXPECT_EQ(-1, list->GetNextSelItem(2));
    EXPECT_EQ(-1, list->GetNextSelItem(5));
    EXPECT_EQ(4, list->GetCurSel());
    EXPECT_TRUE(list->UnSelectItem(0, true));  // every other one goes
    EXPECT_EQ((std::vector<int>{0}), Selected());
    EXPECT_FALSE(Item(4)->IsSelected());
    EXPECT_TRUE(list->UnSelectItem(0, false));
    EXPECT_EQ(0, list->GetSelectItemCount());
    EXPECT_FALSE(Item(0)->IsSelected());
    EXPECT_FALSE(list->UnSelectItem(3, false));  // disabled

    // Settings that belong to the body.
    list->SetChildPadding(3);
    EXPECT_EQ(3, list->GetList()->GetChildPadding());
    list->SetDelayedDestroy(false);
    EXPECT_FALSE(list->GetList()->IsDelayedDestroy());
    EXPECT_EQ(list->GetList()->GetVerticalScrollBar(), list->GetVerticalScrollBar());
}
