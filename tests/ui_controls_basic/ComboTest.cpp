// Combos built from layout XML: the popup opened by mouse and keys, placed under (or above) the combo at
// every DPI, scrolled to the selection, chosen from with the mouse, the keys and the wheel, and closed;
// the selection kept right through inserts and removals; a combo deleted while open.
#include "ControlsTestSupport.h"

#include "UICombo.h"
#include "UIListElement.h"
#include "UIScrollBar.h"

using namespace SkinUI;
using namespace WindowTest;
using namespace ControlsTest;

namespace {

std::wstring ComboLayout(int items, const wchar_t* comboAttributes = L"") {
    std::wstring xml = L"<Window size=\"300,200\"><VerticalLayout inset=\"10,10,10,10\" childpadding=\"6\">";
    xml += L"<Combo name=\"c\" width=\"120\" height=\"24\" ";
    xml += comboAttributes;
    xml += L">";
    for (int i = 0; i < items; ++i)
        xml += L"<ListLabelElement name=\"i" + std::to_wstring(i) + L"\" height=\"20\" text=\"Item " + std::to_wstring(i) + L"\"/>";
    xml += L"</Combo><Button name=\"other\" width=\"80\" height=\"24\"/><Control/></VerticalLayout></Window>";
    return xml;
}

RECT ScreenRectOf(const CComboUI& combo) {
    RECT rect = combo.GetPos();
    MapWindowPoints(combo.GetManager()->GetWindowHandle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HWND Popup(CComboUI& combo) { return combo.GetDropWindow() ? combo.GetDropWindow()->GetHandle() : nullptr; }

// Lays out and paints the popup.
void PaintPopup(CComboUI& combo) {
    HWND popup = Popup(combo);
    InvalidateRect(popup, nullptr, FALSE);
    UpdateWindow(popup);
    Pump();
    UpdateWindow(popup);
    Pump();
}

}  // namespace

TEST(Combo, ThePopupOpensUnderTheComboSizedByItsItemsAtEveryDpi) {
    for (const TDpi& dpi : kDpis) {
        for (int items : {3, 10}) {
            CControlWindow window(ComboLayout(items));
            ASSERT_NE(nullptr, window.Open(dpi.dpi));
            window.Activate();
            auto* combo = window.Get<CComboUI>(L"c");
            window.Click(window.Centre(L"c"));
            ASSERT_NE(nullptr, Popup(*combo)) << dpi.percent;
            EXPECT_EQ((std::vector<std::wstring>{L"predropdown", L"dropdown"}), window.recorder.Types());
            EXPECT_TRUE(combo->GetButtonState() & UISTATE_PUSHED);
            const RECT owner = ScreenRectOf(*combo);
            RECT popup = {};
            GetWindowRect(Popup(*combo), &popup);
            const int p = dpi.percent;
            const int expected = std::min(items * Scaled(20, p) + 4, Scaled(150, p));
            EXPECT_EQ(owner.left, popup.left);
            EXPECT_EQ(owner.bottom, popup.top);
            EXPECT_EQ(owner.right - owner.left, popup.right - popup.left);
            EXPECT_EQ(expected, popup.bottom - popup.top) << p << " % with " << items << " items";
            // The items live in the popup while it is open.
            PaintPopup(*combo);
            CPaintManagerUI& popupManager = combo->GetDropWindow()->GetPaintManager();
            EXPECT_EQ(&popupManager, window.Control(L"i0")->GetManager());
            EXPECT_EQ(window.pm().GetFontRecord(-1)->metrics.tmHeight, popupManager.GetFontRecord(-1)->metrics.tmHeight)
                << p << " %: the popup's text is scaled as the window's";
            EXPECT_EQ(items > 7, combo->GetDropWindow()->GetLayout()->GetVerticalScrollBar()->IsVisible());
            // Focus elsewhere closes it and the items come home.
            SetFocus(window.GetHandle());
            Pump();
            EXPECT_EQ(nullptr, combo->GetDropWindow());
            EXPECT_EQ(&window.pm(), window.Control(L"i0")->GetManager());
            EXPECT_FALSE(combo->GetButtonState() & UISTATE_PUSHED);
        }
    }
}

TEST(Combo, AClickOnAnItemChoosesItAndCloses) {
    CControlWindow window(ComboLayout(5));
    ASSERT_NE(nullptr, window.Open());
    window.Activate();
    auto* combo = window.Get<CComboUI>(L"c");
    combo->SelectItem(1);
    window.recorder.Clear();
    window.Click(window.Centre(L"c"));
    HWND popup = Popup(*combo);
    ASSERT_NE(nullptr, popup);
    PaintPopup(*combo);
    // The selected item is painted in the selected colour, another in the normal one.
    CPaintManagerUI& popupManager = combo->GetDropWindow()->GetPaintManager();
    const RECT selected = window.Control(L"i1")->GetPos();
    EXPECT_EQ(0xC1E3FFu, OffscreenPixel(popupManager, selected.left + 3, selected.top + 3) & 0xFFFFFF);
    const RECT third = window.Control(L"i3")->GetPos();
    EXPECT_EQ(0xFFFFFFu, OffscreenPixel(popupManager, third.left + 3, third.top + 3) & 0xFFFFFF);

    const POINT at = {(third.left + third.right) / 2, (third.top + third.bottom) / 2};
    SendMessageW(popup, WM_MOUSEMOVE, 0, At(at.x, at.y));
    SendMessageW(popup, WM_LBUTTONDOWN, MK_LBUTTON, At(at.x, at.y));
    SendMessageW(popup, WM_LBUTTONUP, 0, At(at.x, at.y));
    Pump();
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_EQ(nullptr, combo->GetDropWindow());
    EXPECT_EQ(3, combo->GetCurSel());
    EXPECT_EQ(L"Item 3", std::wstring(combo->GetText().Data()));
    const auto chosen = window.recorder.Of(L"itemselect");
    ASSERT_EQ(1u, chosen.size());
    EXPECT_EQ(3u, chosen[0].wParam);
    EXPECT_EQ(1, chosen[0].lParam);
    EXPECT_EQ(L"c", chosen[0].sender);
}

TEST(Combo, KeysInThePopupMoveTheSelectionAndEscapeRestoresIt) {
    CControlWindow window(ComboLayout(5));
    ASSERT_NE(nullptr, window.Open());
    window.Activate();
    auto* combo = window.Get<CComboUI>(L"c");
    combo->SelectItem(1);
    combo->SetFocus();
    window.recorder.Clear();
    window.Key(VK_F4);
    HWND popup = Popup(*combo);
    ASSERT_NE(nullptr, popup);
    SendMessageW(popup, WM_KEYDOWN, VK_DOWN, 1);
    SendMessageW(popup, WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(3, combo->GetCurSel());
    SendMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 1);
    Pump();
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_EQ(1, combo->GetCurSel());
    std::vector<WPARAM> selections;
    for (const TNote& note : window.recorder.Of(L"itemselect")) selections.push_back(note.wParam);
    EXPECT_EQ((std::vector<WPARAM>{2, 3, 1}), selections);

    // Return keeps the choice.
    window.Key(VK_F4);
    popup = Popup(*combo);
    ASSERT_NE(nullptr, popup);
    SendMessageW(popup, WM_KEYDOWN, VK_END, 1);
    SendMessageW(popup, WM_KEYDOWN, VK_RETURN, 1);
    Pump();
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_EQ(4, combo->GetCurSel());

    // Keys on the closed, focused combo.
    combo->SetFocus();
    window.Key(VK_HOME);
    EXPECT_EQ(0, combo->GetCurSel());
    window.Key(VK_DOWN);
    EXPECT_EQ(1, combo->GetCurSel());
    window.Key(VK_END);
    EXPECT_EQ(4, combo->GetCurSel());
    window.Key(VK_UP);
    EXPECT_EQ(3, combo->GetCurSel());
    EXPECT_EQ(nullptr, combo->GetDropWindow());

    // "predropdown" every time, "dropdown" only when it opens.
    window.recorder.Clear();
    combo->Activate();
    combo->Activate();
    EXPECT_EQ((std::vector<std::wstring>{L"predropdown", L"dropdown", L"predropdown"}), window.recorder.Types());
    SetFocus(window.GetHandle());
    Pump();
}

TEST(Combo, TheOpenPopupScrollsToTheSelectionAndTheWheelScrollsOrSelects) {
    CControlWindow window(ComboLayout(20, L"scrollselect=\"false\""));
    ASSERT_NE(nullptr, window.Open());
    window.Activate();
    auto* combo = window.Get<CComboUI>(L"c");
    combo->SelectItem(15);
    window.Click(window.Centre(L"c"));
    ASSERT_NE(nullptr, Popup(*combo));
    PaintPopup(*combo);
    CVerticalLayoutUI* layout = combo->GetDropWindow()->GetLayout();
    const RECT list = layout->GetPos();
    const RECT chosen = window.Control(L"i15")->GetPos();
    EXPECT_GT(layout->GetScrollPos().cy, 0);
    EXPECT_GE(chosen.top, list.top);
    EXPECT_LE(chosen.bottom, list.bottom);

    // Without scroll select the wheel scrolls the list.
    const int before = layout->GetScrollPos().cy;
    SendMessageW(Popup(*combo), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_LT(layout->GetScrollPos().cy, before);
    EXPECT_EQ(15, combo->GetCurSel());
    SetFocus(window.GetHandle());
    Pump();

    // Over the closed combo the wheel does nothing then; with scroll select it selects.
    window.recorder.Clear();
    window.Wheel(window.Centre(L"c"), true);
    EXPECT_EQ(15, combo->GetCurSel());
    combo->SetScrollSelect(true);
    window.Wheel(window.Centre(L"c"), true);
    EXPECT_EQ(16, combo->GetCurSel());
    window.Wheel(window.Centre(L"c"), false);
    EXPECT_EQ(15, combo->GetCurSel());
    EXPECT_EQ(2u, window.recorder.Of(L"itemselect").size());
}

TEST(Combo, TheSelectionFollowsInsertsMovesAndRemovals) {
    CControlWindow window(ComboLayout(5));
    ASSERT_NE(nullptr, window.Open());
    auto* combo = window.Get<CComboUI>(L"c");
    EXPECT_TRUE(combo->GetText().IsEmpty());
    EXPECT_TRUE(combo->SelectItem(7));
    EXPECT_EQ(4, combo->GetCurSel()) << "past the end: the last item";
    combo->SelectItem(2);
    auto* inserted = new CListLabelElementUI;
    inserted->SetText(L"New");
    ASSERT_TRUE(combo->AddAt(inserted, 0));
    EXPECT_EQ(3, combo->GetCurSel());
    EXPECT_EQ(L"Item 2", std::wstring(combo->GetText().Data()));
    for (int i = 0; i < combo->GetCount(); ++i)
        EXPECT_EQ(i, static_cast<IListItemUI*>(combo->GetItemAt(i)->GetInterface(L"ListItem"))->GetIndex());
    ASSERT_TRUE(combo->SetItemIndex(window.Control(L"i2"), 5));
    EXPECT_EQ(5, combo->GetCurSel());
    ASSERT_TRUE(combo->RemoveAt(0));
    EXPECT_EQ(4, combo->GetCurSel());
    // Removing the selected item selects the nearest selectable one before it.
    window.recorder.Clear();
    ASSERT_TRUE(combo->Remove(window.Control(L"i2")));
    EXPECT_EQ(3, combo->GetCurSel());
    ASSERT_EQ(1u, window.recorder.Of(L"itemselect").size());
    // A stale index (items removed behind the combo's back) shows nothing and paints.
    combo->CContainerUI::RemoveAll();
    EXPECT_TRUE(combo->GetText().IsEmpty());
    window.Pixel(0, 0);
    EXPECT_FALSE(combo->SelectItem(0));
}

TEST(Combo, AttributesOfTheComboAndItsItems) {
    for (const TDpi& dpi : kDpis) {
        CControlWindow window(ComboLayout(2, LR"(align="right" textpadding="4,0,20,0" dropboxsize="200,90" dropboxinset="0,5,0,0"
            itemfont="2" itemalign="center" itemvalign="vcenter" itemtextcolor="#FF010203" itemselectedbkcolor="#FF00FF00"
            itemhotbkcolor="FF0000FF" itemtextpadding="5,1,5,1" itemshowhtml="true" showshadow="true" hottextcolor="#FF111111")"));
        ASSERT_NE(nullptr, window.Open(dpi.dpi));
        window.Activate();
        auto* combo = window.Get<CComboUI>(L"c");
        EXPECT_EQ(UINT(DT_RIGHT | DT_VCENTER | DT_SINGLELINE), combo->GetTextStyle()) << "right keeps one line";
        EXPECT_EQ(Scaled(20, dpi.percent), combo->GetTextPadding().right);
        EXPECT_EQ(200, combo->GetDropBoxSize().cx);
        const ListInfo& info = *combo->GetListInfo();
        EXPECT_EQ(2, info.nFont);
        EXPECT_EQ(UINT(DT_CENTER | DT_VCENTER | DT_SINGLELINE), info.uTextStyle);
        EXPECT_EQ(0xFF010203u, info.dwTextColor);
        EXPECT_EQ(0xFF00FF00u, info.dwSelectedBkColor);
        EXPECT_EQ(0xFF0000FFu, info.dwHotBkColor);
        EXPECT_EQ(5, info.rcTextPadding.left);
        EXPECT_TRUE(info.bShowHtml);
        EXPECT_TRUE(combo->IsShowShadow());
        EXPECT_EQ(0xFF111111u, combo->GetHotTextColor());
        // The drop box size and inset are layout sizes: scaled.
        window.Click(window.Centre(L"c"));
        ASSERT_NE(nullptr, Popup(*combo));
        RECT popup = {};
        GetWindowRect(Popup(*combo), &popup);
        EXPECT_EQ(Scaled(200, dpi.percent), popup.right - popup.left);
        EXPECT_EQ(std::min(Scaled(5, dpi.percent) + 2 * Scaled(20, dpi.percent) + 4, Scaled(90, dpi.percent)),
                  popup.bottom - popup.top);
        SetFocus(window.GetHandle());
        Pump();
    }
}

TEST(Combo, TheDropBoxListMayNameTheWindowsStyles) {
    std::wstring xml = ComboLayout(12, L"dropbox=\"box\"");
    xml.insert(xml.find(L"<VerticalLayout"), L"<Style name=\"bar\" value=\"width=&quot;8&quot; showbutton1=&quot;false&quot;\"/>"
                                              L"<Style name=\"box\" value=\"vscrollbarstyle=&quot;bar&quot; bkcolor=&quot;#FF102030&quot;\"/>");
    for (const TDpi& dpi : kDpis) {
        CControlWindow window(xml);
        ASSERT_NE(nullptr, window.Open(dpi.dpi));
        window.Activate();
        auto* combo = window.Get<CComboUI>(L"c");
        window.Click(window.Centre(L"c"));
        ASSERT_NE(nullptr, Popup(*combo));
        PaintPopup(*combo);
        CVerticalLayoutUI* layout = combo->GetDropWindow()->GetLayout();
        EXPECT_EQ(0xFF102030u, layout->GetBkColor());
        EXPECT_EQ(Scaled(8, dpi.percent), layout->GetVerticalScrollBar()->GetFixedWidth()) << dpi.percent;
        EXPECT_FALSE(layout->GetVerticalScrollBar()->GetShowButton1());
        SetFocus(window.GetHandle());
        Pump();
    }
}

TEST(Combo, PlacedAboveWhenTheWorkAreaEndsBelow) {
    const RECT work = {0, 0, 1920, 1040};
    RECT placed = CComboWnd::PlacePopup(RECT{100, 900, 220, 924}, 120, 150, work);
    EXPECT_EQ(750, placed.top);
    EXPECT_EQ(900, placed.bottom);
    placed = CComboWnd::PlacePopup(RECT{100, 500, 220, 524}, 120, 150, work);
    EXPECT_EQ(524, placed.top);

    MONITORINFO monitor = {sizeof monitor};
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    CControlWindow window(ComboLayout(5));
    ASSERT_NE(nullptr, window.Open(96, 40, monitor.rcWork.bottom - 60));
    window.Activate();
    auto* combo = window.Get<CComboUI>(L"c");
    window.Click(window.Centre(L"c"));
    ASSERT_NE(nullptr, Popup(*combo));
    RECT popup = {};
    GetWindowRect(Popup(*combo), &popup);
    EXPECT_EQ(ScreenRectOf(*combo).top, popup.bottom);
    SetFocus(window.GetHandle());
    Pump();
}

TEST(Combo, AComboDeletedWhileOpenTakesItsPopupAlong) {
    CControlWindow window(ComboLayout(5));
    ASSERT_NE(nullptr, window.Open());
    window.Activate();
    auto* combo = window.Get<CComboUI>(L"c");
    window.Click(window.Centre(L"c"));
    HWND popup = Popup(*combo);
    ASSERT_NE(nullptr, popup);
    PaintPopup(*combo);
    auto* parent = static_cast<CContainerUI*>(combo->GetParent()->GetInterface(L"Container"));
    parent->SetDelayedDestroy(false);
    parent->Remove(combo);
    EXPECT_FALSE(IsWindow(popup));
    Pump();
    window.Pixel(0, 0);

    // Its whole window closed while the popup is open.
    CControlWindow closing(ComboLayout(5));
    ASSERT_NE(nullptr, closing.Open());
    closing.Activate();
    closing.Click(closing.Centre(L"c"));
    ASSERT_NE(nullptr, Popup(*closing.Get<CComboUI>(L"c")));
    DestroyWindow(closing.GetHandle());
    Pump();
    EXPECT_TRUE(closing.destroyed);
}

TEST(Combo, AnItemSelectHandlerMayDeleteTheOpenCombo) {
    CControlWindow window(ComboLayout(5));
    ASSERT_NE(nullptr, window.Open());
    window.Activate();
    auto* combo = window.Get<CComboUI>(L"c");
    auto* parent = static_cast<CContainerUI*>(combo->GetParent()->GetInterface(L"Container"));
    parent->SetDelayedDestroy(false);
    window.Click(window.Centre(L"c"));
    HWND popup = Popup(*combo);
    ASSERT_NE(nullptr, popup);
    PaintPopup(*combo);
    window.recorder.after = [&](TNotifyMessage& msg) {
        if (msg.sType == L"itemselect") parent->Remove(msg.pSender);
    };
    SendMessageW(popup, WM_KEYDOWN, VK_DOWN, 1);
    Pump();
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_EQ(nullptr, window.pm().FindControlByName(L"c"));
    EXPECT_EQ(1u, window.recorder.Of(L"itemselect").size());
}
