// The list with check boxes and in-place editors: header and row check boxes kept in step, the rich
// edit and the combo opened over a cell by a click and committed back into it, editors closed by paging
// and the wheel, links and cell colours of rows, and the separator drag of its header items.
#include "CompositeTestSupport.h"
#include "UIComboBox.h"
#include "UIListEx.h"
#include "UIListHeader.h"
#include "UIRichEdit.h"

#include <memory>

using namespace SkinUI;
using namespace ControlsTest;
using namespace WindowTest;
using namespace CompositeTest;

namespace {

constexpr uint32_t kBoxOff = 0x808080;
constexpr uint32_t kBoxOn = 0x00A000;

std::wstring Layout(const wchar_t* listAttributes, const wchar_t* firstHeaderAttributes) {
    std::wstring rows;
    for (int i = 0; i < 3; ++i) {
        rows += L"<ListTextExtElement name=\"r" + std::to_wstring(i) +
                L"\" height=\"24\" checkboxwidth=\"14\" checkboxheight=\"14\" "
                L"checkboxnormalimage=\"box.png\" checkboxselectedimage=\"box_on.png\"/>";
    }
    return std::wstring(L"<Window size=\"480,240\"><VerticalLayout>"
                        L"<ListEx name=\"list\" itemselectedbkcolor=\"#FFFFFFFF\" itemhotbkcolor=\"#FFFFFFFF\" "
                        L"itembkcolor=\"#FFFFFFFF\" ") +
           listAttributes +
           L"><ListHeader height=\"24\">"
           L"<ListContainerHeaderItem name=\"h0\" text=\"Name\" width=\"150\" CHECKABLE=\"TRUE\" checkboxwidth=\"14\" "
           L"checkboxheight=\"14\" checkboxnormalimage=\"box.png\" checkboxselectedimage=\"box_on.png\" " +
           firstHeaderAttributes +
           L"/>"
           L"<ListContainerHeaderItem name=\"h1\" text=\"Value\" width=\"150\" editable=\"true\"/>"
           L"<ListContainerHeaderItem name=\"h2\" text=\"Kind\" width=\"150\" comboable=\"true\"/>"
           L"</ListHeader>" +
           rows + L"</ListEx></VerticalLayout></Window>";
}

class CKindFill : public IListComboFillCallback {
public:
    void FillCombo(CComboBoxUI* combo, int row, int column) override {
        calls.push_back({row, column});
        for (const wchar_t* text : {L"tweeter", L"woofer", L"sub"}) {
            auto* item = new CListLabelElementUI;
            item->SetText(text);
            combo->Add(item);
        }
    }
    std::vector<std::pair<int, int>> calls;
};

class ListExTest : public ::testing::Test {
protected:
    void Open(const wchar_t* listAttributes = L"", const wchar_t* firstHeaderAttributes = L"", int dpi = 96) {
        images.WriteSolid(L"box.png", 14, 14, kBoxOff);
        images.WriteSolid(L"box_on.png", 14, 14, kBoxOn);
        window = std::make_unique<CControlWindow>(Layout(listAttributes, firstHeaderAttributes));
        ASSERT_NE(nullptr, window->Open(dpi));
        list = window->Get<CListExUI>(L"list");
        ASSERT_NE(nullptr, list);
        for (int i = 0; i < 3; ++i) {
            CListTextExtElementUI* row = Row(i);
            ASSERT_NE(nullptr, row);
            row->SetColumnText(0, (L"out " + std::to_wstring(i + 1)).c_str());
            row->SetColumnText(1, (L"-" + std::to_wstring(i) + L".5").c_str());
            row->SetColumnText(2, L"woofer");
        }
        window->Pixel(0, 0);
    }
    CListTextExtElementUI* Row(int i) { return window->Get<CListTextExtElementUI>((L"r" + std::to_wstring(i)).c_str()); }
    CListContainerHeaderItemUI* Header(int i) {
        return window->Get<CListContainerHeaderItemUI>((L"h" + std::to_wstring(i)).c_str());
    }
    POINT BoxCentre(const RECT& box) { return POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2}; }
    // The middle of a row's cell.
    POINT Cell(int row, int column) {
        const RECT& header = Header(column)->GetPos();
        const RECT& item = Row(row)->GetPos();
        return POINT{(header.left + header.right) / 2, (item.top + item.bottom) / 2};
    }
    std::vector<bool> RowsChecked() {
        std::vector<bool> checked;
        for (int i = 0; i < 3; ++i) checked.push_back(Row(i)->IsChecked());
        return checked;
    }

    CImageFolder images;
    std::unique_ptr<CControlWindow> window;
    CListExUI* list = nullptr;
};

}  // namespace

TEST(ListExGeometry, CheckBoxSitsSixPixelsInAndVerticallyCentred) {
    struct Case {
        RECT item;
        int width, height;
        RECT expected;
    };
    const Case cases[] = {
        {{0, 40, 300, 64}, 14, 14, {6, 45, 20, 59}},
        {{10, 0, 100, 25}, 16, 16, {16, 4, 32, 20}},
        {{0, 0, 50, 10}, 14, 14, {6, -2, 20, 12}},
        {{0, 0, 50, 20}, 0, 0, {6, 10, 6, 10}},
    };
    for (const Case& c : cases) {
        const RECT box = ListCheckBoxRect(c.item, c.width, c.height);
        EXPECT_TRUE(EqualRect(&box, &c.expected)) << box.left << "," << box.top << "," << box.right << "," << box.bottom;
    }
}

TEST_F(ListExTest, IdentityAndAttributes) {
    Open();
    EXPECT_STREQ(L"XListUI", list->GetClass());
    EXPECT_EQ(static_cast<void*>(static_cast<IListUI*>(list)), list->GetInterface(L"LISTEX"));
    EXPECT_EQ(UIFLAG_TABSTOP, list->GetControlFlags());
    EXPECT_STREQ(L"ListContainerHeaderItem", Header(0)->GetClass());
    EXPECT_STREQ(L"ListTextExElementUI", Row(0)->GetClass());
    EXPECT_EQ(3, list->GetCount());
    EXPECT_EQ(3, list->GetListInfo()->nColumns);
    // Names and "true" in any letter case.
    EXPECT_TRUE(Header(0)->IsCheckable());
    EXPECT_TRUE(list->IsColumnCheckable(0));
    EXPECT_TRUE(list->IsColumnEditable(1));
    EXPECT_TRUE(list->IsColumnComboable(2));
    EXPECT_FALSE(list->IsColumnEditable(0));
    EXPECT_FALSE(list->IsColumnEditable(7));
    EXPECT_EQ(16, Header(1)->GetMinWidth());
    EXPECT_EQ(L"out 2", std::wstring(Row(1)->GetColumnText(0)->Data()));
    EXPECT_EQ(nullptr, Row(1)->GetColumnText(3));
}

TEST_F(ListExTest, HeaderAndRowCheckBoxesFollowEachOther) {
    Open();
    // The list hears its rows and header items without being added as a listener by anyone.
    window->Click(BoxCentre(Header(0)->GetCheckBoxRect()));
    EXPECT_TRUE(Header(0)->IsChecked());
    EXPECT_EQ((std::vector<bool>{true, true, true}), RowsChecked());
    ASSERT_EQ(1u, window->recorder.Of(L"listheaditemchecked").size());
    EXPECT_EQ(0u, window->recorder.Of(L"listheaditemchecked")[0].wParam);
    EXPECT_EQ(1, window->recorder.Of(L"listheaditemchecked")[0].lParam);
    EXPECT_EQ(1u, window->recorder.Of(L"listheaderclick").size());

    window->Click(BoxCentre(Row(1)->GetCheckBoxRect()));
    EXPECT_EQ((std::vector<bool>{true, false, true}), RowsChecked());
    EXPECT_FALSE(Header(0)->IsChecked());
    const auto rowNotes = window->recorder.Of(L"listitemchecked");
    ASSERT_EQ(1u, rowNotes.size());
    EXPECT_EQ(1u, rowNotes[0].wParam);
    EXPECT_EQ(0, rowNotes[0].lParam);

    // The painted boxes show the states.
    const POINT on = BoxCentre(Row(0)->GetCheckBoxRect());
    const POINT off = BoxCentre(Row(1)->GetCheckBoxRect());
    EXPECT_EQ(kBoxOn, window->Pixel(on.x, on.y));
    EXPECT_EQ(kBoxOff, window->Pixel(off.x, off.y));

    // The last unchecked row checked: the header follows.
    window->Click(off);
    EXPECT_TRUE(Header(0)->IsChecked());
    const POINT header = BoxCentre(Header(0)->GetCheckBoxRect());
    EXPECT_EQ(kBoxOn, window->Pixel(header.x, header.y));
}

TEST_F(ListExTest, EditorOpensOverTheCellAndCommitsWhenItLosesTheFocus) {
    Open();
    EXPECT_EQ(nullptr, list->FindSubControl(L"ListEx_Edit"));
    const POINT cell = Cell(0, 1);
    window->Click(cell);
    CRichEditUI* edit = list->GetInPlaceEdit();
    ASSERT_NE(nullptr, edit);
    EXPECT_STREQ(L"ListEx_Edit", edit->GetName().Data());
    EXPECT_TRUE(edit->IsVisible());
    EXPECT_TRUE(edit->IsFloat());
    EXPECT_TRUE(edit->IsFocused());
    EXPECT_EQ(0, list->GetEditRow());
    EXPECT_EQ(1, list->GetEditColumn());
    EXPECT_EQ(L"-0.5", std::wstring(edit->GetText().Data()));
    // Over the cell, one pixel inside the column.
    const RECT& column = Header(1)->GetPos();
    const RECT& row = Row(0)->GetPos();
    EXPECT_EQ(column.left + 1, edit->GetPos().left);
    EXPECT_EQ(column.right - 1, edit->GetPos().right);
    EXPECT_EQ(row.top + 1, edit->GetPos().top);
    EXPECT_EQ(row.bottom - 1, edit->GetPos().bottom);

    // Typed over the selected text.
    edit->SetSelAll();
    for (wchar_t ch : std::wstring(L"-3.25")) window->Send(WM_CHAR, ch, 1);
    Pump();
    EXPECT_EQ(L"-3.25", std::wstring(edit->GetText().Data()));
    EXPECT_EQ(L"-0.5", std::wstring(Row(0)->GetColumnText(1)->Data()));  // not before it closes
    window->Click(Cell(2, 0));  // elsewhere: the edit loses the focus
    EXPECT_EQ(L"-3.25", std::wstring(Row(0)->GetColumnText(1)->Data()));
    EXPECT_FALSE(edit->IsVisible());
    EXPECT_EQ(-1, list->GetEditRow());
    EXPECT_EQ(-1, list->GetEditColumn());

    // A column that is neither editable nor a combo opens nothing.
    window->Click(Cell(1, 0));
    EXPECT_FALSE(edit->IsVisible());
}

TEST_F(ListExTest, EditorCoversTheCellExactlyAtEveryDpiAfterLayout) {
    for (const TDpi& dpi : kDpis) {
        SCOPED_TRACE(dpi.percent);
        Open(L"", L"", dpi.dpi);
        window->Click(Cell(1, 1));
        CRichEditUI* edit = list->GetInPlaceEdit();
        ASSERT_TRUE(edit->IsVisible());
        list->NeedUpdate();
        window->Pixel(0, 0);
        const RECT& column = Header(1)->GetPos();
        const RECT& row = Row(1)->GetPos();
        const RECT expected = {column.left + 1, row.top + 1, column.right - 1, row.bottom - 1};
        EXPECT_TRUE(EqualRect(&expected, &edit->GetPos()));
        window.reset();
    }
}

TEST_F(ListExTest, PagingKeysAndTheWheelCloseAnOpenEditor) {
    Open();
    struct Closer {
        const wchar_t* what;
        std::function<void(CControlWindow&, CListExUI*)> act;
    };
    const Closer closers[] = {
        {L"page down", [](CControlWindow& w, CListExUI* l) { l->SetFocus(); w.Key(VK_NEXT); }},
        {L"home", [](CControlWindow& w, CListExUI* l) { l->SetFocus(); w.Key(VK_HOME); }},
        {L"wheel", [](CControlWindow& w, CListExUI* l) { w.Wheel(POINT{l->GetPos().left + 200, l->GetPos().bottom - 10}, true); }},
        {L"scroll", [](CControlWindow& w, CListExUI* l) { w.pm().RaiseNotify(l, L"scroll"); }},
    };
    for (const Closer& closer : closers) {
        SCOPED_TRACE(closer.what);
        window->Click(Cell(1, 1));
        CRichEditUI* edit = list->GetInPlaceEdit();
        ASSERT_TRUE(edit->IsVisible());
        closer.act(*window, list);
        EXPECT_FALSE(edit->IsVisible());
    }
}

TEST_F(ListExTest, ComboOpensFilledOverTheCellAndCommitsTheChoice) {
    Open();
    CKindFill fill;
    list->SetComboFillCallback(&fill);
    window->Click(Cell(1, 2));
    CComboBoxUI* combo = list->GetInPlaceCombo();
    ASSERT_NE(nullptr, combo);
    EXPECT_STREQ(L"ListEx_Combo", combo->GetName().Data());
    ASSERT_EQ(1u, fill.calls.size());
    EXPECT_EQ(std::make_pair(1, 2), fill.calls[0]);
    EXPECT_EQ(3, combo->GetCount());
    EXPECT_EQ(1, combo->GetCurSel());  // the cell's text
    EXPECT_TRUE(combo->IsVisible());
    EXPECT_TRUE(combo->IsFloat());
    EXPECT_EQ(Header(2)->GetPos().left + 1, combo->GetPos().left);
    EXPECT_EQ(L"woofer", std::wstring(Row(1)->GetColumnText(2)->Data()));  // opening chose nothing

    combo->SelectItem(2);
    EXPECT_EQ(L"sub", std::wstring(Row(1)->GetColumnText(2)->Data()));
    EXPECT_FALSE(combo->IsVisible());
    EXPECT_EQ(-1, list->GetEditRow());
    // The other rows keep their texts.
    EXPECT_EQ(L"woofer", std::wstring(Row(0)->GetColumnText(2)->Data()));
}

TEST_F(ListExTest, HiddenComboTakesNoRoomAmongTheRows) {
    Open();
    const RECT before = Row(2)->GetPos();
    list->GetInPlaceCombo();
    list->GetInPlaceEdit();
    window->Pixel(0, 0);
    EXPECT_TRUE(EqualRect(&before, &Row(2)->GetPos()));
    EXPECT_FALSE(list->GetInPlaceCombo()->IsVisible());
    EXPECT_FALSE(list->GetInPlaceEdit()->IsVisible());
}

TEST_F(ListExTest, CellColoursArePaintedAndColumnsOutsideTheRowAreRefused) {
    Open();
    list->SetCellColour(1, 2, 0xFFFF0000);
    DWORD colour = 0;
    EXPECT_TRUE(list->GetCellColour(1, 2, colour));
    EXPECT_EQ(0xFFFF0000u, colour);
    const RECT& cell = Header(2)->GetPos();
    const RECT& row = Row(1)->GetPos();
    EXPECT_EQ(0xFF0000u, window->Pixel(cell.right - 3, row.top + 2));
    EXPECT_EQ(0xFFFFFFu, window->Pixel(cell.left - 3, row.top + 2));

    for (int column : {-1, 3, 32, 40, 1000}) {
        list->SetCellColour(1, column, 0xFF00FF00);
        EXPECT_FALSE(list->GetCellColour(1, column, colour)) << column;
    }
    EXPECT_FALSE(list->GetCellColour(9, 0, colour));
}

TEST_F(ListExTest, RowLinksAreClickableUpToEight) {
    Open(L"itemshowhtml=\"true\"");
    std::wstring links;
    for (int i = 0; i < 9; ++i) links += L"{a l" + std::to_wstring(i) + L"}" + std::to_wstring(i) + L"{/a} ";
    Row(0)->SetColumnText(0, links.c_str());
    Row(0)->SetColumnText(1, L"{a value}v{/a}");
    window->Pixel(0, 0);
    EXPECT_EQ(8, Row(0)->GetLinkCount());
    EXPECT_EQ(L"l0", std::wstring(Row(0)->GetLinkText(0)->Data()));
    EXPECT_EQ(nullptr, Row(0)->GetLinkText(8));
    EXPECT_EQ(UIFLAG_SETCURSOR | UIFLAG_WANTRETURN, Row(0)->GetControlFlags());
    EXPECT_EQ(UIFLAG_WANTRETURN, Row(1)->GetControlFlags());

    const RECT link = Row(0)->GetLinkRect(3);
    window->Click(POINT{(link.left + link.right) / 2, (link.top + link.bottom) / 2});
    const auto notes = window->recorder.Of(L"link");
    ASSERT_EQ(1u, notes.size());
    EXPECT_EQ(3u, notes[0].wParam);
}

TEST_F(ListExTest, SeparatorDragsMoveTheRightOrLeftEdge) {
    Open(L"", L"sepwidth=\"-4\"");
    CListContainerHeaderItemUI* left = Header(0);
    const RECT thumb = left->GetThumbRect();
    EXPECT_EQ(left->GetPos().left, thumb.left);
    EXPECT_EQ(left->GetPos().left + 4, thumb.right);
    const int y = (left->GetPos().top + left->GetPos().bottom) / 2;
    const int x = left->GetPos().left + 2;
    MouseEvent(left, UIEVENT_BUTTONDOWN, POINT{x, y});
    MouseEvent(left, UIEVENT_MOUSEMOVE, POINT{x - 10, y});
    EXPECT_EQ(160, left->GetFixedWidth());
    // Narrower than the minimum: unchanged.
    MouseEvent(left, UIEVENT_MOUSEMOVE, POINT{x + 400, y});
    EXPECT_EQ(160, left->GetFixedWidth());
    MouseEvent(left, UIEVENT_BUTTONUP, POINT{x + 400, y});

    CListContainerHeaderItemUI* right = Header(1);
    const int rx = right->GetPos().right - 2;
    MouseEvent(right, UIEVENT_BUTTONDOWN, POINT{rx, y});
    MouseEvent(right, UIEVENT_MOUSEMOVE, POINT{rx + 20, y});
    MouseEvent(right, UIEVENT_BUTTONUP, POINT{rx + 20, y});
    EXPECT_EQ(170, right->GetFixedWidth());
    EXPECT_TRUE(window->recorder.Of(L"listheaderclick").empty());
}

TEST_F(ListExTest, ARemovedListNoLongerListens) {
    Open();
    auto* parent = static_cast<CContainerUI*>(list->GetParent());
    ASSERT_TRUE(parent->Remove(list));
    window->pm().DeliverPendingNotify();
    Pump();
    // A notification after the list is gone reaches no freed listener.
    window->pm().RaiseNotify(parent, L"listitemchecked", 0, 1);
    window->pm().RaiseNotify(parent, L"killfocus");
    SUCCEED();
}

TEST(ListExAlone, HeaderItemsGoToTheHeaderWhereverTheyAreAdded) {
    CListExUI list;
    ASSERT_TRUE(list.Add(new CListContainerHeaderItemUI));
    ASSERT_TRUE(list.AddAt(new CListContainerHeaderItemUI, 0));
    auto* row = new CListTextExtElementUI;
    ASSERT_TRUE(list.Add(row));
    EXPECT_EQ(2, list.GetHeader()->GetCount());
    EXPECT_EQ(2, list.GetListInfo()->nColumns);
    EXPECT_EQ(1, list.GetCount());
    // The row takes texts for the columns there are, and only those.
    row->SetColumnText(1, L"-6.0");
    row->SetColumnText(2, L"lost");
    ASSERT_NE(nullptr, row->GetColumnText(1));
    EXPECT_EQ(L"-6.0", std::wstring(row->GetColumnText(1)->Data()));
    EXPECT_EQ(nullptr, row->GetColumnText(2));
    row->SetColumnText(1, nullptr);
    EXPECT_EQ(L"", std::wstring(row->GetColumnText(1)->Data()));
}
