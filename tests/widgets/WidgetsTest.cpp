// The two-state button and the circle progress in real skin windows: attributes, states, notifications
// and the pixels they paint.
#include "CircleProgress.h"
#include "SButton.h"
#include "UIControls.h"
#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

using namespace SkinUI;
using namespace WindowTest;
using namespace WidgetTest;

namespace {

std::wstring Layout(const std::wstring& body) {
    return L"<Window size=\"320,240\"><VerticalLayout bkcolor=\"#FF000000\">" + body + L"</VerticalLayout></Window>";
}

// A PNG of width x height whose thirds are red, green and blue.
std::wstring WriteThreeColourStrip(int width, int height) {
    return WritePng(L"widgets_strip.png", width, height, [width](int x, int) {
        const int part = x * 3 / width;
        return part == 0 ? 0xFF0000u : part == 1 ? 0x00FF00u : 0x0000FFu;
    });
}

}  // namespace

TEST(SButton, AttributesAreReadInAnyLetterCase) {
    CWidgetWindow window(Layout(
        L"<SButton name=\"b\" height=\"40\" text=\"Mute\" Selected=\"true\" selectedfont=\"2\""
        L" SELECTEDBKCOLOR=\"#FF112233\" selectedtextcolor=\"FF445566\" selectedhottextcolor=\"#FF778899\""
        L" selectedimage=\"file='a.png'\" selectedhotimage=\"file='b.png'\" selectedpushedimage=\"file='c.png'\""
        L" selectedforeimage=\"file='d.png'\" selectedstatecount=\"3\" selectedstateimage=\"file='e.png'\""
        L" hottextcolor=\"#FF010203\"/>"));
    ASSERT_NE(window.Create(), nullptr);
    auto* button = static_cast<CSButtonUI*>(window.Control(L"b"));
    ASSERT_NE(button, nullptr);
    EXPECT_STREQ(button->GetClass(), L"SButtonUI");
    EXPECT_EQ(button->GetInterface(L"SButton"), button);
    EXPECT_NE(button->GetInterface(L"Button"), nullptr);
    EXPECT_TRUE(button->IsSelected());
    EXPECT_NE(button->GetButtonState() & UISTATE_SELECTED, 0u);
    EXPECT_EQ(button->GetSelectedFont(), 2);
    EXPECT_EQ(button->GetSelectedBkColor(), 0xFF112233u);
    EXPECT_EQ(button->GetSelectedTextColor(), 0xFF445566u);
    EXPECT_EQ(button->GetSelectedHotTextColor(), 0xFF778899u);
    EXPECT_STREQ(button->GetSelectedImage().Data(), L"file='a.png'");
    EXPECT_STREQ(button->GetSelectedHotImage().Data(), L"file='b.png'");
    EXPECT_STREQ(button->GetSelectedPushedImage().Data(), L"file='c.png'");
    EXPECT_STREQ(button->GetSelectedForeImage().Data(), L"file='d.png'");
    EXPECT_EQ(button->GetSelectedStateCount(), 3);
    EXPECT_STREQ(button->GetSelectedStateImage().Data(), L"file='e.png'");
    EXPECT_EQ(button->GetHotTextColor(), 0xFF010203u);
    EXPECT_STREQ(button->GetText().Data(), L"Mute");  // button attributes still reach the button
}

TEST(SButton, ClickDoesNotToggleAndDisablingKeepsOnlySelected) {
    CWidgetWindow window(Layout(L"<SButton name=\"b\" height=\"60\" bkcolor=\"#FF202020\" hotbkcolor=\"#FF404040\"/>"));
    ASSERT_NE(window.Create(), nullptr);
    auto* button = static_cast<CSButtonUI*>(window.Control(L"b"));
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->IsSelected());
    button->SetSelected(true);
    EXPECT_NE(button->GetButtonState() & UISTATE_SELECTED, 0u);

    window.ClearNotes();
    button->Activate();
    EXPECT_EQ(window.NotesOf(L"click").size(), 1u);
    EXPECT_TRUE(button->IsSelected());  // the owner decides
    button->SetSelected(false);
    EXPECT_EQ(button->GetButtonState() & UISTATE_SELECTED, 0u);

    // Hot and selected, then disabled: only the selected bit stays.
    button->SetSelected(true);
    const RECT pos = button->GetPos();
    SendMessageW(window.GetHandle(), WM_MOUSEMOVE, 0, At((pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2));
    Pump();
    EXPECT_NE(button->GetButtonState() & UISTATE_HOT, 0u);
    button->SetEnabled(false);
    EXPECT_EQ(button->GetButtonState(), static_cast<UINT>(UISTATE_SELECTED));
}

TEST(SButton, SelectedLookPaintsItsColourAndStripParts) {
    const std::wstring strip = WriteThreeColourStrip(300, 20);
    const std::wstring layout = Layout(
        L"<SButton name=\"plain\" height=\"40\" bkcolor=\"#FF203040\" selectedbkcolor=\"#FFE0A030\"/>"
        L"<SButton name=\"striped\" height=\"40\" selectedstatecount=\"3\" selectedstateimage=\"file='" + strip + L"'\"/>");
    CWidgetWindow window(layout);
    ASSERT_NE(window.Create(), nullptr);
    auto* plain = static_cast<CSButtonUI*>(window.Control(L"plain"));
    auto* striped = static_cast<CSButtonUI*>(window.Control(L"striped"));
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(striped, nullptr);
    const RECT p = plain->GetPos();
    const int px = (p.left + p.right) / 2, py = (p.top + p.bottom) / 2;
    EXPECT_EQ(PixelAt(window, px, py), 0x203040u);
    plain->SetSelected(true);
    EXPECT_EQ(PixelAt(window, px, py), 0xE0A030u);
    plain->SetSelected(false);
    EXPECT_EQ(PixelAt(window, px, py), 0x203040u);

    // The strip of three parts becomes the selected, hot and pushed looks; the first is drawn.
    striped->SetSelected(true);
    const RECT s = striped->GetPos();
    const DWORD pixel = PixelAt(window, s.left + 2, s.top + 2);
    // The pointer of this display may rest over the button: then the hot part shows.
    EXPECT_EQ(pixel, (striped->GetButtonState() & UISTATE_HOT) ? 0x00FF00u : 0xFF0000u);
    SendMessageW(window.GetHandle(), WM_MOUSEMOVE, 0, At(s.left + 5, s.top + 5));
    Pump();
    EXPECT_EQ(PixelAt(window, s.left + 2, s.top + 2), 0x00FF00u);
    const std::wstring normal = striped->GetSelectedImage().Data();
    const std::wstring hot = striped->GetSelectedHotImage().Data();
    const std::wstring pushed = striped->GetSelectedPushedImage().Data();
    EXPECT_NE(normal.find(L"source='0,0,100,20'"), std::wstring::npos) << normal;
    EXPECT_NE(hot.find(L"source='100,0,200,20'"), std::wstring::npos) << hot;
    EXPECT_NE(pushed.find(L"source='200,0,300,20'"), std::wstring::npos) << pushed;
    DeleteFileW(strip.c_str());
}

TEST(CircleProgress, SweepOfValueAndRange) {
    struct Case {
        int value, minimum, maximum, sweep;
    };
    const Case cases[] = {
        {50, 0, 100, 180},  {0, 0, 100, 0},     {100, 0, 100, 360}, {25, 0, 100, 90}, {50, 20, 120, 180},
        {1, 0, 3, 120},     {150, 0, 100, 360}, {-10, 0, 100, 0},   {5, 5, 5, 0},     {5, 10, 5, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CircleProgressSweep(c.value, c.minimum, c.maximum), c.sweep) << c.value << " of " << c.minimum << ".." << c.maximum;
}

TEST(CircleProgress, PaintsDiscSectorFromTheBottomAndHole) {
    CWidgetWindow window(Layout(
        L"<CircleProgress name=\"c\" width=\"100\" height=\"100\" bkcolor=\"#FF0000FF\" forecolor=\"#FFFF0000\""
        L" foreimage=\"file='none.png'\" value=\"50\"/>"));
    ASSERT_NE(window.Create(), nullptr);
    auto* circle = static_cast<CCircleProgressUI*>(window.Control(L"c"));
    ASSERT_NE(circle, nullptr);
    EXPECT_STREQ(circle->GetClass(), L"CircleProgress");
    EXPECT_NE(circle->GetInterface(L"Progress"), nullptr);
    const RECT r = circle->GetPos();
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    auto ring = [&](int dx, int dy) { return PixelAt(window, cx + dx, cy + dy); };  // 45 px out: in the ring

    // 50 of 0..100: the left half, from the bottom clockwise to the top.
    EXPECT_EQ(ring(-45, 0), 0xFF0000u);
    EXPECT_EQ(ring(0, 45) == 0xFF0000u || ring(0, 45) == 0x0000FFu, true);
    EXPECT_EQ(ring(45, 0), 0x0000FFu);
    EXPECT_EQ(ring(0, 0), 0xFFFFFFu);   // the hole
    EXPECT_EQ(PixelAt(window, r.left + 2, r.top + 2), 0x000000u);  // outside the disc

    circle->SetValue(75);  // three quarters: bottom, left, top; the lower right stays empty
    EXPECT_EQ(ring(30, -30), 0xFF0000u);
    EXPECT_EQ(ring(30, 30), 0x0000FFu);

    circle->SetValue(0);  // only the disc and the hole
    EXPECT_EQ(ring(-45, 0), 0x0000FFu);
    EXPECT_EQ(ring(0, -45), 0x0000FFu);
    EXPECT_EQ(ring(0, 0), 0xFFFFFFu);

    circle->SetMinValue(20);
    circle->SetMaxValue(120);
    circle->SetValue(50);  // 50 / 100: half again
    EXPECT_EQ(ring(-45, 0), 0xFF0000u);
    EXPECT_EQ(ring(45, 0), 0x0000FFu);
}
