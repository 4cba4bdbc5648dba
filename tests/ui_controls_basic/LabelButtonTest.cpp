// Labels and buttons built from layout XML: the label's attribute table and sizes at every DPI, the
// button's states and "click" from real mouse and key messages, state strips painted at every DPI, bound
// tabs, and a "click" handler that deletes its button.
#include "ControlsTestSupport.h"

#include "UIButton.h"
#include "UILabel.h"
#include "UITabLayout.h"

using namespace SkinUI;
using namespace WindowTest;
using namespace ControlsTest;

namespace {

struct TStyleCase {
    const wchar_t* attributes;
    UINT style;
};

const TStyleCase kLabelStyles[] = {
    {L"", DT_VCENTER | DT_SINGLELINE},
    {L"align=\"center\"", DT_CENTER | DT_VCENTER | DT_SINGLELINE},
    {L"align=\"center right\"", DT_RIGHT | DT_VCENTER | DT_SINGLELINE},
    {L"align=\"right\" align=\"left\"", DT_VCENTER | DT_SINGLELINE},
    {L"wordbreak=\"true\"", DT_VCENTER | DT_WORDBREAK | DT_EDITCONTROL},
    {L"wordbreak=\"true\" valign=\"top\"", DT_EDITCONTROL | DT_SINGLELINE},
    {L"wordbreak=\"true\" valign=\"vcenter\"", DT_EDITCONTROL | DT_VCENTER | DT_SINGLELINE},
    {L"valign=\"bottom\"", DT_BOTTOM | DT_SINGLELINE},
    {L"endellipsis=\"TRUE\" noprefix=\"true\"", DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX},
    {L"endellipsis=\"yes\"", DT_VCENTER | DT_SINGLELINE},
};

const wchar_t kButtons[] = LR"(<Window size="300,100">
  <HorizontalLayout name="root" bkcolor="#FF808080">
    <Button name="b" width="80" height="30" text="Go"/>
    <Control/>
    <Button name="other" width="80" height="30" text="Other"/>
  </HorizontalLayout>
</Window>)";

}  // namespace

TEST(Label, AttributesSetTheTextStyleInTheirOrder) {
    std::wstring xml = L"<Window size=\"200,400\"><VerticalLayout>";
    for (size_t i = 0; i < std::size(kLabelStyles); ++i)
        xml += L"<Label name=\"l" + std::to_wstring(i) + L"\" height=\"20\" " + kLabelStyles[i].attributes + L"/>";
    xml += L"</VerticalLayout></Window>";
    CControlWindow window(xml);
    ASSERT_NE(nullptr, window.Open());
    for (size_t i = 0; i < std::size(kLabelStyles); ++i) {
        auto* label = window.Get<CLabelUI>((L"l" + std::to_wstring(i)).c_str());
        ASSERT_NE(nullptr, label);
        EXPECT_EQ(kLabelStyles[i].style, label->GetTextStyle()) << "case " << i;
    }
}

TEST(Label, ColoursPaddingAndFontAtEveryDpi) {
    for (const TDpi& dpi : kDpis) {
        CControlWindow window(LR"(<Window size="200,100"><VerticalLayout>
  <Label name="a" height="20" textcolor="#FF112233" disabledtextcolor="FF445566" textpadding="4,2,6,8" font="3"/>
  <Label name="b" height="20" textcolor="FF112233"/>
  <Label name="plain" height="20" text="x"/>
  <Label name="off" height="20" text="x" enabled="false"/>
</VerticalLayout></Window>)");
        ASSERT_NE(nullptr, window.Open(dpi.dpi));
        auto* a = window.Get<CLabelUI>(L"a");
        EXPECT_EQ(0xFF112233u, a->GetTextColor());
        EXPECT_EQ(a->GetTextColor(), window.Get<CLabelUI>(L"b")->GetTextColor());
        EXPECT_EQ(0xFF445566u, a->GetDisabledTextColor());
        EXPECT_EQ(3, a->GetFont());
        const RECT padding = a->GetTextPadding();
        EXPECT_EQ(Scaled(4, dpi.percent), padding.left);
        EXPECT_EQ(Scaled(8, dpi.percent), padding.bottom);
        EXPECT_EQ(Scaled(20, dpi.percent), a->GetHeight());
        // Unset colours take the window's defaults at the first paint and keep them.
        EXPECT_EQ(window.pm().GetDefaultTextColor(), window.Get<CLabelUI>(L"plain")->GetTextColor());
        EXPECT_EQ(window.pm().GetDefaultDisabledTextColor(), window.Get<CLabelUI>(L"off")->GetDisabledTextColor());
    }
}

TEST(Label, AutoCalculatedWidthHoldsTheTextAtEveryDpi) {
    for (const TDpi& dpi : kDpis) {
        CControlWindow window(LR"(<Window size="400,100"><HorizontalLayout>
  <Label name="auto" text="Measured text" autocalcwidth="true" textpadding="3,0,5,0"/>
  <Label name="least" text="OK" autocalcwidth="true" minwidth="100" endellipsis="true"/>
  <Control/>
</HorizontalLayout></Window>)");
        ASSERT_NE(nullptr, window.Open(dpi.dpi));
        auto* label = window.Get<CLabelUI>(L"auto");
        HDC dc = GetDC(window.GetHandle());
        HGDIOBJ old = SelectObject(dc, window.pm().GetDefaultFontRecord()->handle);
        SIZE extent = {};
        GetTextExtentPoint32W(dc, L"Measured text", 13, &extent);
        SelectObject(dc, old);
        ReleaseDC(window.GetHandle(), dc);
        const int needed = extent.cx + Scaled(3, dpi.percent) + Scaled(5, dpi.percent);
        EXPECT_GE(label->GetWidth(), needed) << dpi.percent << " %: the text must never be clipped";
        EXPECT_LE(label->GetWidth(), needed + 2) << dpi.percent << " %";
        EXPECT_EQ(window.pm().GetDefaultFontRecord()->metrics.tmHeight + 4, label->EstimateSize({400, 100}).cy);
        // A longer text lays the parent out again, also where the label shortens a text that does not fit.
        label->SetText(L"Measured text, longer");
        auto* least = window.Get<CLabelUI>(L"least");
        least->SetText(L"Measured text, longer");
        const int before = label->GetWidth();
        window.Pixel(0, 0);
        EXPECT_GT(label->GetWidth(), before);
        EXPECT_GT(least->GetWidth(), Scaled(100, dpi.percent)) << dpi.percent << " %";
    }
}

TEST(Button, MouseAndKeysRaiseClickOnlyForACompletedPress) {
    CControlWindow window(kButtons);
    ASSERT_NE(nullptr, window.Open());
    auto* button = window.Get<CButtonUI>(L"b");
    const POINT inside = window.Centre(L"b");
    const POINT outside = {200, 80};

    window.MoveTo(inside);
    EXPECT_EQ(UINT(UISTATE_HOT), button->GetButtonState() & UISTATE_HOT);
    window.Send(WM_LBUTTONDOWN, MK_LBUTTON, At(inside.x, inside.y));
    EXPECT_TRUE(button->GetButtonState() & UISTATE_PUSHED);
    EXPECT_TRUE(button->GetButtonState() & UISTATE_CAPTURED);
    window.Release(inside);
    Pump();
    ASSERT_EQ(1u, window.recorder.Of(L"click").size());
    EXPECT_EQ(L"b", window.recorder.Of(L"click")[0].sender);
    EXPECT_FALSE(button->GetButtonState() & (UISTATE_PUSHED | UISTATE_CAPTURED));

    // Dragged out and released outside: nothing.
    window.recorder.Clear();
    window.Press(inside);
    window.MoveTo(outside);
    EXPECT_FALSE(button->GetButtonState() & UISTATE_PUSHED);
    window.Release(outside);
    Pump();
    EXPECT_TRUE(window.recorder.Of(L"click").empty());

    // Dragged out and back in before the release: a click.
    window.Press(inside);
    window.MoveTo(outside);
    window.MoveTo(inside);
    EXPECT_TRUE(button->GetButtonState() & UISTATE_PUSHED);
    window.Release(inside);
    Pump();
    EXPECT_EQ(1u, window.recorder.Of(L"click").size());

    // Space and Return on the focused button.
    window.recorder.Clear();
    button->SetFocus();
    window.Key(VK_SPACE);
    window.Key(VK_RETURN);
    EXPECT_EQ(2u, window.recorder.Of(L"click").size());

    // Leaving clears hot; disabling clears every state and ignores presses.
    window.MoveTo(outside);
    EXPECT_FALSE(button->GetButtonState() & UISTATE_HOT);
    button->SetEnabled(false);
    window.recorder.Clear();
    window.Click(inside);
    EXPECT_EQ(0u, button->GetButtonState() & (UISTATE_HOT | UISTATE_PUSHED | UISTATE_CAPTURED));
    EXPECT_TRUE(window.recorder.Of(L"click").empty());
}

// A strip of four 20 x 20 parts (red, green, blue, yellow) and its scaled copies: each state shows its
// own part at 100, 125, 150 and 200 %.
TEST(Button, StateStripPartsAreCutOnceScaledAtEveryDpi) {
    CImageFolder images;
    const std::vector<uint32_t> colours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
    images.WriteStrip(L"strip.png", 20, 20, colours);
    images.WriteStrip(L"strip@125.png", 25, 25, colours);
    images.WriteStrip(L"strip@150.png", 30, 30, colours);
    images.WriteStrip(L"strip@200.png", 40, 40, colours);
    const std::vector<uint32_t> pair = {0x800080, 0x008080};
    images.WriteStrip(L"pair.png", 20, 20, pair);
    images.WriteStrip(L"pair@125.png", 25, 25, pair);
    images.WriteStrip(L"pair@150.png", 30, 30, pair);
    images.WriteStrip(L"pair@200.png", 40, 40, pair);
    for (const TDpi& dpi : kDpis) {
        CControlWindow window(LR"(<Window size="200,100"><HorizontalLayout bkcolor="#FF808080">
  <Button name="four" width="20" height="20" stateimage="strip.png" statecount="4"/>
  <Button name="two" width="20" height="20" stateimage="pair.png" statecount="2"/>
  <Control/>
</HorizontalLayout></Window>)");
        ASSERT_NE(nullptr, window.Open(dpi.dpi));
        const POINT four = window.Centre(L"four");
        const POINT two = window.Centre(L"two");
        const int edge = Scaled(20, dpi.percent) - 2;  // the part's last column but one
        EXPECT_EQ(0xFF0000u, window.Pixel(four.x, four.y)) << dpi.percent << " % normal";
        EXPECT_EQ(0xFF0000u, window.Pixel(edge, edge)) << dpi.percent << " % the part fills the button";
        EXPECT_EQ(L"res='strip.png' restype='' dest='0,0,0,0' source='20,0,40,20'",
                  std::wstring(window.Get<CButtonUI>(L"four")->GetHotImage().Data()));
        window.MoveTo(four);
        EXPECT_EQ(0x00FF00u, window.Pixel(four.x, four.y)) << dpi.percent << " % hot";
        window.Press(four);
        EXPECT_EQ(0x0000FFu, window.Pixel(four.x, four.y)) << dpi.percent << " % pushed";
        window.Release(four);
        window.MoveTo(two);
        window.Press(two);
        EXPECT_EQ(0x008080u, window.Pixel(two.x, two.y)) << dpi.percent << " % pushed is hot with two parts";
        window.Release(two);
        window.MoveTo({150, 80});
        window.Get<CButtonUI>(L"four")->SetEnabled(false);
        EXPECT_EQ(0xFFFF00u, window.Pixel(four.x, four.y)) << dpi.percent << " % disabled";
    }
}

TEST(Button, ExplicitImagesAndTheStripOrder) {
    CImageFolder images;
    images.WriteStrip(L"strip.png", 20, 20, {0xFF0000, 0x00FF00});
    images.WriteSolid(L"grey.png", 20, 20, 0x404040);
    CControlWindow window(LR"(<Window size="200,100"><HorizontalLayout>
  <Button name="early" width="20" height="20" hotimage="grey.png" stateimage="strip.png" statecount="2"/>
  <Button name="late" width="20" height="20" stateimage="strip.png" statecount="2" normalimage="grey.png"/>
  <Control/>
</HorizontalLayout></Window>)");
    ASSERT_NE(nullptr, window.Open());
    // A hot image given before the strip is replaced by the strip's part; a normal image after it stops
    // the cutting.
    window.MoveTo(window.Centre(L"early"));
    EXPECT_EQ(0x00FF00u, window.Pixel(10, 10));
    EXPECT_EQ(0x404040u, window.Pixel(30, 10));
    // In a disabled window a hot button shows its normal picture.
    EnableWindow(window.GetHandle(), FALSE);
    window.Get<CButtonUI>(L"early")->Invalidate();
    EXPECT_EQ(0xFF0000u, window.Pixel(10, 10));
    EnableWindow(window.GetHandle(), TRUE);
}

TEST(Button, StateColoursFontsAndTheSpelledFocusedFont) {
    for (const TDpi& dpi : kDpis) {
        CControlWindow window(LR"(<Window size="200,100"><HorizontalLayout>
  <Button name="b" width="60" height="30" bkcolor="#FF000010" hotbkcolor="#FF000020" pushedbkcolor="#FF000030"
          disabledbkcolor="#FF000040" hottextcolor="#FF010101" pushedtextcolor="FF020202" focusedtextcolor="#FF030303"
          hotfont="1" pushedfont="2" focuedfont="3"/>
  <Button name="c" width="60" height="30" focusedfont="4"/>
</HorizontalLayout></Window>)");
        ASSERT_NE(nullptr, window.Open(dpi.dpi));
        auto* b = window.Get<CButtonUI>(L"b");
        EXPECT_EQ(0xFF010101u, b->GetHotTextColor());
        EXPECT_EQ(0xFF020202u, b->GetPushedTextColor());
        EXPECT_EQ(0xFF030303u, b->GetFocusedTextColor());
        EXPECT_EQ(1, b->GetHotFont());
        EXPECT_EQ(2, b->GetPushedFont());
        EXPECT_EQ(3, b->GetFocusedFont());
        EXPECT_EQ(4, window.Get<CButtonUI>(L"c")->GetFocusedFont());
        EXPECT_EQ(UINT(DT_CENTER | DT_VCENTER | DT_SINGLELINE), b->GetTextStyle());
        EXPECT_EQ(Scaled(60, dpi.percent), b->GetWidth());
        const POINT centre = window.Centre(L"b");
        EXPECT_EQ(0x000010u, window.Pixel(centre.x, 2));
        window.MoveTo(centre);
        EXPECT_EQ(0x000020u, window.Pixel(centre.x, 2));
        window.Press(centre);
        EXPECT_EQ(0x000030u, window.Pixel(centre.x, 2));
        window.Release(centre);
        b->SetEnabled(false);
        EXPECT_EQ(0x000040u, window.Pixel(centre.x, 2));
    }
}

TEST(Button, ABoundTabLayoutSwitchesAfterClickAndOtherNamesAreLeftAlone) {
    CControlWindow window(LR"(<Window size="300,200"><VerticalLayout>
  <HorizontalLayout height="30">
    <Button name="tab" width="80" bindtablayoutname="pages" bindtabindex="1"/>
    <Button name="unbound" width="80" bindtablayoutname="pages"/>
    <Button name="wrong" width="80" bindtablayoutname="caption" bindtabindex="1"/>
  </HorizontalLayout>
  <Label name="caption" height="20" text="not a tab layout"/>
  <TabLayout name="pages"><Control name="p0"/><Control name="p1"/></TabLayout>
</VerticalLayout></Window>)");
    ASSERT_NE(nullptr, window.Open());
    auto* pages = window.Get<CTabLayoutUI>(L"pages");
    ASSERT_EQ(0, pages->GetCurSel());
    window.Click(window.Centre(L"unbound"));
    EXPECT_EQ(0, pages->GetCurSel());
    window.Click(window.Centre(L"wrong"));  // a label of that name: nothing happens to it
    EXPECT_EQ(2u, window.recorder.Of(L"click").size());
    EXPECT_EQ(0, pages->GetCurSel());
    EXPECT_EQ(L"not a tab layout", std::wstring(window.Control(L"caption")->GetText().Data()));
    window.Click(window.Centre(L"tab"));
    EXPECT_EQ(1, pages->GetCurSel());
    EXPECT_EQ(L"click", window.recorder.Types()[window.recorder.Types().size() - 2]) << "click before tabselect";
}

TEST(Button, AClickHandlerThatDeletesTheButtonEndsTheClick) {
    CControlWindow window(LR"(<Window size="300,200"><VerticalLayout>
  <HorizontalLayout name="row" height="30">
    <Button name="doomed" width="80" bindtablayoutname="pages" bindtabindex="1"/>
  </HorizontalLayout>
  <TabLayout name="pages"><Control/><Control/></TabLayout>
</VerticalLayout></Window>)");
    ASSERT_NE(nullptr, window.Open());
    auto* row = window.Get<CContainerUI>(L"row");
    row->SetDelayedDestroy(false);  // deleted at once by the handler
    window.recorder.after = [&](TNotifyMessage& msg) {
        if (msg.sType == L"click") row->Remove(msg.pSender);
    };
    window.Click(window.Centre(L"doomed"));
    EXPECT_EQ(0, row->GetCount());
    EXPECT_EQ(0, window.Get<CTabLayoutUI>(L"pages")->GetCurSel()) << "the deleted button switched nothing";

    // A handler that closes the whole window.
    CControlWindow closing(kButtons);
    ASSERT_NE(nullptr, closing.Open());
    closing.recorder.after = [&](TNotifyMessage& msg) {
        if (msg.sType == L"click") DestroyWindow(closing.GetHandle());
    };
    closing.Click(closing.Centre(L"b"));
    EXPECT_TRUE(closing.destroyed);
}

TEST(Label, FormattedTextIsDrawnByTheFormattedTextRenderer) {
    CControlWindow window(LR"(<Window size="300,100"><VerticalLayout bkcolor="#FFFFFFFF">
  <Label name="html" height="30" showhtml="true" text="{c #FFFF0000}Red text{/c}" textcolor="#FF000000"/>
  <Label name="plain" height="30" text="{c #FFFF0000}Red text{/c}" textcolor="#FF000000"/>
  <Control/>
</VerticalLayout></Window>)");
    ASSERT_NE(nullptr, window.Open());
    EXPECT_GT(CountColour(window, window.Control(L"html")->GetPos(), 0xFF0000), 10);
    EXPECT_EQ(0, CountColour(window, window.Control(L"plain")->GetPos(), 0xFF0000));
    EXPECT_GT(CountColour(window, window.Control(L"plain")->GetPos(), 0x000000), 10) << "the tags shown as text";
}

TEST(Button, ARightClickRaisesMenuOnlyWhenTheButtonUsesIt) {
    CControlWindow window(LR"(<Window size="300,100"><HorizontalLayout>
  <Button name="with" width="80" menu="true"/>
  <Button name="without" width="80"/>
  <Control/>
</HorizontalLayout></Window>)");
    ASSERT_NE(nullptr, window.Open());
    for (const wchar_t* name : {L"with", L"without"}) {
        POINT at = window.Centre(name);
        window.MoveTo(at);
        window.Send(WM_RBUTTONDOWN, MK_RBUTTON, At(at.x, at.y));
        ClientToScreen(window.GetHandle(), &at);
        window.Send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window.GetHandle()), MAKELPARAM(at.x, at.y));
        Pump();
    }
    ASSERT_EQ(1u, window.recorder.Of(L"menu").size());
    EXPECT_EQ(L"with", window.recorder.Of(L"menu")[0].sender);
}
