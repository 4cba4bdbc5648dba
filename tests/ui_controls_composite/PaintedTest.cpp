// The painted and hit-tested controls: the text's links (hit testing, the hand, no phantom links in plain
// text), the group box's frame and caption, the colour palette's picking and pictures, and the combo's
// arrow strip.
#include "CompositeTestSupport.h"
#include "UIColorPalette.h"
#include "UIComboBox.h"
#include "UIGroupBox.h"
#include "UIListElement.h"
#include "UIRender.h"
#include "UIText.h"

#include <functional>
#include <memory>

using namespace SkinUI;
using namespace ControlsTest;
using namespace WindowTest;
using namespace CompositeTest;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kBlue = 0x0000FF;

std::unique_ptr<CControlWindow> OpenWindow(const std::wstring& body, const wchar_t* size = L"420,260") {
    auto window = std::make_unique<CControlWindow>(std::wstring(L"<Window size=\"") + size +
                                                   L"\"><VerticalLayout bkcolor=\"#FFFFFFFF\">" + body +
                                                   L"<Control/></VerticalLayout></Window>");
    EXPECT_NE(nullptr, window->Open());
    return window;
}

POINT Middle(const RECT& rect) { return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

}  // namespace

TEST(TextTest, LinksAreHitTestedAndReported) {
    auto window = OpenWindow(
        L"<Text name=\"text\" height=\"60\" showhtml=\"true\" text=\"Go {a first}here{/a} or {a second}there{/a} now\"/>");
    auto* text = window->Get<CTextUI>(L"text");
    ASSERT_NE(nullptr, text);
    EXPECT_STREQ(L"TextUI", text->GetClass());
    EXPECT_EQ(text, text->GetInterface(L"TEXT"));
    EXPECT_EQ(2, text->GetLinkCount());
    EXPECT_EQ(L"second", std::wstring(text->GetLinkText(1)->Data()));
    EXPECT_EQ(nullptr, text->GetLinkText(2));
    EXPECT_EQ(nullptr, text->GetLinkText(-1));
    EXPECT_EQ(UIFLAG_SETCURSOR, text->GetControlFlags());

    struct Click {
        POINT at;
        int link;  // -1: none reported
    };
    const RECT first = text->GetLinkRect(0);
    const RECT second = text->GetLinkRect(1);
    const Click clicks[] = {{Middle(second), 1}, {Middle(first), 0}, {POINT{first.left - 3, Middle(first).y}, -1},
                            {POINT{second.right + 20, Middle(second).y}, -1}};
    for (const Click& click : clicks) {
        window->recorder.Clear();
        window->Click(click.at);
        const auto notes = window->recorder.Of(L"link");
        if (click.link < 0) {
            EXPECT_TRUE(notes.empty());
        } else {
            ASSERT_EQ(1u, notes.size());
            EXPECT_EQ(static_cast<WPARAM>(click.link), notes[0].wParam);
        }
    }
    // The link under the mouse is the hot one until the mouse leaves.
    MouseEvent(text, UIEVENT_MOUSEMOVE, Middle(second));
    EXPECT_EQ(1, text->GetHotLink());
    MouseEvent(text, UIEVENT_MOUSELEAVE, POINT{0, 0});
    EXPECT_EQ(-1, text->GetHotLink());

    // Disabled: nothing is reported.
    text->SetEnabled(false);
    window->recorder.Clear();
    window->Click(Middle(first));
    EXPECT_TRUE(window->recorder.Of(L"link").empty());
    EXPECT_EQ(0u, text->GetControlFlags());
}

TEST(TextTest, OnlyEightLinksAndNoneInPlainOrEmptyText) {
    std::wstring links;
    for (int i = 0; i < 10; ++i) links += L"{a t" + std::to_wstring(i) + L"}" + std::to_wstring(i) + L"{/a} ";
    auto window = OpenWindow(L"<Text name=\"text\" height=\"60\" showhtml=\"true\" text=\"" + links + L"\"/>");
    auto* text = window->Get<CTextUI>(L"text");
    EXPECT_EQ(8, text->GetLinkCount());
    EXPECT_EQ(L"t7", std::wstring(text->GetLinkText(7)->Data()));

    // Switched to plain text: the earlier links are no longer clickable.
    const RECT old = text->GetLinkRect(0);
    text->SetShowHtml(false);
    window->Pixel(0, 0);
    EXPECT_EQ(0, text->GetLinkCount());
    EXPECT_EQ(0u, text->GetControlFlags());
    window->recorder.Clear();
    window->Click(Middle(old));
    EXPECT_TRUE(window->recorder.Of(L"link").empty());

    text->SetShowHtml(true);
    text->SetText(L"");
    window->Pixel(0, 0);
    EXPECT_EQ(0, text->GetLinkCount());
    EXPECT_EQ(0u, text->GetControlFlags());
}

TEST(TextTest, WrapsWithPaddingAndMeasuresItsWidth) {
    auto window = OpenWindow(L"<HorizontalLayout height=\"40\"><Text name=\"text\" autocalcwidth=\"true\" "
                             L"text=\"Volume\"/><Control/></HorizontalLayout>");
    auto* text = window->Get<CTextUI>(L"text");
    EXPECT_EQ(DT_WORDBREAK, text->GetTextStyle());
    const RECT padding = text->GetTextPadding();
    EXPECT_EQ(2, padding.left);
    EXPECT_EQ(2, padding.right);
    // The width is the text's plus the padding.
    const SIZE measured = CUIRender::GetTextSize(window->pm().GetPaintDeviceContext(), &window->pm(), L"Volume", -1);
    EXPECT_EQ(measured.cx + 4, text->GetPos().right - text->GetPos().left);
}

TEST(GroupBoxTest, FrameLiesFiveInsideWithTheCaptionOverItsTopLine) {
    auto window = OpenWindow(
        L"<GroupBox name=\"group\" height=\"100\" bkcolor=\"#FFFFFFFF\" bordersize=\"1\" bordercolor=\"#FF0000FF\" "
        L"textcolor=\"#FF000000\" text=\"Gains\"><Control name=\"inner\"/></GroupBox>"
        L"<GroupBox name=\"plain\" height=\"60\" bkcolor=\"#FFFFFFFF\" bordersize=\"1\" bordercolor=\"#FF0000FF\"/>"
        L"<GroupBox name=\"noframe\" height=\"60\" bkcolor=\"#FFFFFFFF\" text=\"Gains\"/>");
    auto* group = window->Get<CGroupBoxUI>(L"group");
    ASSERT_NE(nullptr, group);
    EXPECT_STREQ(L"GroupBoxUI", group->GetClass());
    const RECT inset = group->GetInset();
    EXPECT_EQ(20, inset.left);
    EXPECT_EQ(25, inset.top);
    // The child sits inside the inset.
    EXPECT_EQ(group->GetPos().left + 20, window->Control(L"inner")->GetPos().left);
    EXPECT_EQ(group->GetPos().top + 25, window->Control(L"inner")->GetPos().top);

    const RECT pos = group->GetPos();
    const int frameTop = pos.top + 5;
    EXPECT_EQ(kBlue, window->Pixel(pos.left + 5, pos.top + 50));   // left line
    EXPECT_EQ(kBlue, window->Pixel(pos.right - 6, pos.top + 50));  // right line
    EXPECT_EQ(kBlue, window->Pixel(pos.right - 30, frameTop));     // top line right of the caption
    EXPECT_EQ(kBlue, window->Pixel(pos.left + 10, frameTop));      // top line left of the caption
    // Under the caption the top line is covered.
    const SIZE caption = group->CalcTextSize(pos.right - pos.left - 10, 20);
    int covered = 0;
    for (int x = pos.left + 20; x < pos.left + 20 + caption.cx; ++x)
        if (window->Pixel(x, frameTop) != kBlue) ++covered;
    EXPECT_EQ(caption.cx, covered);

    // An empty caption leaves the line whole; no border width, no frame.
    const RECT plain = window->Control(L"plain")->GetPos();
    for (int x = plain.left + 5; x < plain.right - 5; x += 7) EXPECT_EQ(kBlue, window->Pixel(x, plain.top + 5)) << x;
    const RECT noFrame = window->Control(L"noframe")->GetPos();
    EXPECT_EQ(kWhite, window->Pixel(noFrame.left + 5, noFrame.top + 30));
    EXPECT_EQ(kWhite, window->Pixel(noFrame.right - 30, noFrame.top + 5));

    // A disabled box takes the window's disabled colour for its caption.
    auto* other = window->Get<CGroupBoxUI>(L"noframe");
    other->SetEnabled(false);
    window->Pixel(0, 0);
    EXPECT_EQ(window->pm().GetDefaultDisabledTextColor(), other->GetDisabledTextColor());
}

TEST(ColorPaletteTest, ColoursConvertBothWays) {
    struct Case {
        DWORD colour;
        int hue, saturation, lightness;
    };
    const Case cases[] = {{0xFFFFFFFF, 0, 0, 200}, {0xFFFF0000, 0, 200, 100}, {0xFF00FF00, 120, 200, 100},
                          {0xFF0000FF, 240, 200, 100}, {0xFF000000, 0, 0, 0}, {0xFF800000, 0, 200, 50}};
    CColorPaletteUI palette;
    for (const Case& c : cases) {
        palette.SetColor(c.colour);
        EXPECT_EQ(c.hue, palette.GetHue()) << std::hex << c.colour;
        EXPECT_EQ(c.saturation, palette.GetSaturation()) << std::hex << c.colour;
        EXPECT_EQ(c.lightness, palette.GetLightness()) << std::hex << c.colour;
    }
    palette.SetColor(0xFFFF0000);
    EXPECT_EQ(0xFFFF0000u, palette.GetColor());
    palette.SetColor(0xFF0000FF);
    EXPECT_EQ(0xFF0000FFu, palette.GetColor());
    EXPECT_EQ(0xFF808080u, CColorPaletteUI::HslToColor(0.3, 0, 0.5025));
    EXPECT_EQ(0xFF7F0000u, CColorPaletteUI::HslToColor(0, 1, 0.25));
}

TEST(ColorPaletteTest, HeightsAreKeptInRange) {
    CColorPaletteUI palette;
    struct Case {
        const wchar_t* name;
        const wchar_t* value;
        int pallet, bar;
    };
    const Case cases[] = {{L"barheight", L"400", 200, 150}, {L"barheight", L"-3", 200, 0},
                          {L"palletheight", L"0", 1, 0}, {L"palletheight", L"-5", 1, 0},
                          {L"palletheight", L"120", 120, 0}, {L"barheight", L"30", 120, 30},
                          {L"BarHeight", L"50", 120, 30}};  // names are matched exactly
    for (const Case& c : cases) {
        palette.SetAttribute(c.name, c.value);
        EXPECT_EQ(c.pallet, palette.GetPalletHeight()) << c.name << c.value;
        EXPECT_EQ(c.bar, palette.GetBarHeight()) << c.name << c.value;
    }
    EXPECT_EQ(&palette, palette.GetInterface(L"ColorPalette"));
    EXPECT_EQ(nullptr, palette.GetInterface(L"colorpalette"));
}

TEST(ColorPaletteTest, PickingOnThePalletAndTheBarReportsTheColour) {
    CImageFolder images;
    images.WriteSolid(L"thumb.png", 8, 8, 0x000000);
    auto window = OpenWindow(L"<HorizontalLayout height=\"220\"><ColorPalette name=\"pal\" width=\"360\" "
                             L"palletheight=\"200\" barheight=\"10\" thumbimage=\"thumb.png\"/><Control/></HorizontalLayout>");
    auto* palette = window->Get<CColorPaletteUI>(L"pal");
    ASSERT_NE(nullptr, palette);
    const RECT pos = palette->GetPos();
    ASSERT_EQ(360, pos.right - pos.left);
    palette->SetColor(0xFFFF0000);
    window->Pixel(0, 0);

    // The off-screen pictures: 32-bit opaque pixels, hue across and lightness down.
    EXPECT_EQ(0xFFFF0000u, palette->GetBitmapPixel(0, 100));
    EXPECT_EQ(0xFF00FF00u, palette->GetBitmapPixel(120, 100));
    EXPECT_EQ(0xFF000000u, palette->GetBitmapPixel(120, 200));
    // The bar: saturation across at the chosen hue and lightness.
    EXPECT_EQ(0xFF7F7F7Fu, palette->GetBitmapPixel(0, CColorPaletteUI::kBarFirstRow));
    EXPECT_EQ(0xFFBF3F3Fu, palette->GetBitmapPixel(100, CColorPaletteUI::kBarFirstRow + 9));
    EXPECT_EQ(0u, palette->GetBitmapPixel(100, CColorPaletteUI::kBarFirstRow + 10) >> 24);
    // Painted one to one on the window.
    EXPECT_EQ(0x00FF00u, window->Pixel(pos.left + 120, pos.top + 99));
    EXPECT_EQ(0x0000FFu, window->Pixel(pos.left + 240, pos.top + 99));

    // A press on the pallet picks hue and lightness; the release reports once.
    window->Click(POINT{pos.left + 120, pos.top + 100});
    EXPECT_EQ(120, palette->GetHue());
    EXPECT_EQ(100, palette->GetLightness());
    auto notes = window->recorder.Of(L"colorchanged");
    ASSERT_EQ(1u, notes.size());
    EXPECT_EQ(0xFF00FF00u, notes[0].wParam);
    EXPECT_EQ(pos.left + 120, palette->GetPalletThumb().x);

    // Moving without the button changes nothing.
    window->MoveTo(POINT{pos.left + 300, pos.top + 20});
    EXPECT_EQ(120, palette->GetHue());

    // A drag on the pallet to its right edge reaches hue 360, the colour of 0.
    window->Press(POINT{pos.left + 10, pos.top + 100});
    window->MoveTo(POINT{pos.right, pos.top + 100});
    window->Release(POINT{pos.right, pos.top + 100});
    Pump();
    EXPECT_EQ(360, palette->GetHue());
    EXPECT_EQ(0xFFFF0000u, palette->GetColor());

    // The bar picks the saturation.
    window->recorder.Clear();
    window->Click(POINT{pos.left + 90, pos.bottom - 5});
    EXPECT_EQ(50, palette->GetSaturation());
    notes = window->recorder.Of(L"colorchanged");
    ASSERT_EQ(1u, notes.size());
    EXPECT_EQ(palette->GetColor(), notes[0].wParam);
    // The pallet was redrawn at the new saturation: grey-ish at hue 0.
    const DWORD pixel = palette->GetBitmapPixel(0, 100);
    EXPECT_LT((pixel >> 16) & 0xFF, 0xC0u);
    EXPECT_GT(pixel & 0xFF, 0x40u);
}

TEST(ComboBoxTest, ArrowStripPictureFollowsTheState) {
    CImageFolder images;
    const std::vector<uint32_t> cells = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x808080};
    images.WriteStrip(L"arrow.png", 10, 10, cells);
    auto window = OpenWindow(
        L"<HorizontalLayout height=\"24\"><Button name=\"first\" width=\"20\"/>"
        L"<ComboBox name=\"arrow\" width=\"120\" bkcolor=\"#FFFFFFFF\" arrowimage=\"file='arrow.png' source='0,0,50,10'\">"
        L"<ListLabelElement text=\"A rather long item text that runs under the arrow\"/></ComboBox>"
        L"<ComboBox name=\"broken\" width=\"120\" bkcolor=\"#FFFFFFFF\" arrowimage=\"file='arrow.png' source=0,0,50,10\"/>"
        L"</HorizontalLayout>"
        L"<HorizontalLayout height=\"24\">"
        L"<Combo name=\"plain1\" width=\"120\" bkcolor=\"#FFEEEEEE\" textcolor=\"#FF000000\"><ListLabelElement text=\"One\"/></Combo>"
        L"<ComboBox name=\"plain2\" width=\"120\" bkcolor=\"#FFEEEEEE\" textcolor=\"#FF000000\"><ListLabelElement text=\"One\"/></ComboBox>"
        L"</HorizontalLayout>");
    auto* combo = window->Get<CComboBoxUI>(L"arrow");
    ASSERT_NE(nullptr, combo);
    EXPECT_STREQ(L"ComboBoxUI", combo->GetClass());
    combo->SelectItem(0);
    window->Pixel(0, 0);
    window->Control(L"first")->SetFocus();  // not the combo
    const RECT pos = combo->GetPos();
    const POINT arrow = {pos.right - 5, (pos.top + pos.bottom) / 2};
    struct State {
        std::function<void()> set;
        int picture;
    };
    const State states[] = {
        {[&] { MouseEvent(combo, UIEVENT_MOUSELEAVE, POINT{0, 0}); }, 0},
        {[&] { MouseEvent(combo, UIEVENT_MOUSEENTER, arrow); }, 1},
        {[&] { MouseEvent(combo, UIEVENT_MOUSELEAVE, POINT{0, 0}); }, 0},
    };
    for (const State& state : states) {
        state.set();
        combo->Invalidate();
        EXPECT_EQ(state.picture, combo->ArrowPictureIndex());
        EXPECT_EQ(cells[state.picture], window->Pixel(arrow.x, arrow.y)) << state.picture;
    }
    EXPECT_EQ(10, combo->GetArrowWidth());
    combo->SetEnabled(false);
    EXPECT_EQ(cells[4], window->Pixel(arrow.x, arrow.y));
    EXPECT_EQ(4, combo->ArrowPictureIndex());
    combo->SetEnabled(true);

    // Without a quoted source no arrow shows.
    const RECT broken = window->Control(L"broken")->GetPos();
    EXPECT_EQ(kWhite, window->Pixel(broken.right - 5, (broken.top + broken.bottom) / 2));

    // Without an arrow image it paints as the plain combo.
    window->Get<CComboUI>(L"plain1")->SelectItem(0);
    window->Get<CComboUI>(L"plain2")->SelectItem(0);
    const RECT a = window->Control(L"plain1")->GetPos();
    const RECT b = window->Control(L"plain2")->GetPos();
    EXPECT_EQ(0, window->Get<CComboBoxUI>(L"plain2")->GetArrowWidth());
    int differences = 0;
    for (int y = 0; y < a.bottom - a.top; ++y)
        for (int x = 0; x < a.right - a.left; ++x)
            if (window->Pixel(a.left + x, a.top + y) != window->Pixel(b.left + x, b.top + y)) ++differences;
    EXPECT_EQ(0, differences);
}

TEST(ComboBoxTest, ArrowModifyNamesOneStripCellAndTheDestination) {
    struct Case {
        const wchar_t* image;
        int index;
        const wchar_t* expected;
        int width;
    };
    const RECT dest = {90, 1, 100, 23};
    const Case cases[] = {
        {L"file='a.png' source='0,0,50,10'", 0, L"file='a.png' source='0,0,10,10' dest='90,1,100,23'", 10},
        {L"file='a.png' source='0,0,50,10' fade='200'", 2, L"file='a.png' source='20,0,30,10' dest='90,1,100,23' fade='200'", 10},
        {L"source='100,5,200,25' file='b.png'", 4, L"source='180,5,200,25' dest='90,1,100,23' file='b.png'", 20},
        {L"file='a.png'", 1, L"", 0},
        {L"file='a.png' source=0,0,50,10", 1, L"", 0},
        {L"file='a.png' source='0,0,50,10", 1, L"", 0},
    };
    for (const Case& c : cases) {
        int width = -1;
        const CUIString modify = CComboBoxUI::MakeArrowModify(c.image, c.index, dest, &width);
        EXPECT_EQ(std::wstring(c.expected), std::wstring(modify.Data())) << c.image;
        EXPECT_EQ(c.width, width) << c.image;
    }
}
