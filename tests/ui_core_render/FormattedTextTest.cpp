// Formatted text: measuring against the font's own extents, drawing colours, links, images and
// selection on DIB canvases, and malformed or hostile input under a watchdog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UIManager.h"
#include "UIRender.h"
#include "ui_core_render/TestSupport.h"

using namespace SkinUI;
using namespace TestSupport;

namespace {

const int kBase = 1;  // Tahoma 16
const int kBold = 2;  // Tahoma 16 bold
const int kLarge = 3; // Tahoma 32 bold, for colour checks

class FormattedText : public ::testing::Test {
protected:
    void SetUp() override {
        manager.AddFont(kBase, L"Tahoma", 16, false, false, false);
        manager.AddFont(kBold, L"Tahoma", 16, true, false, false);
        manager.AddFont(kLarge, L"Tahoma", 32, true, false, false);
    }
    void TearDown() override { CPaintManagerUI::OpenResourceArchiveFile(L"", false, nullptr); }

    int Width(const wchar_t* text, int font) {
        HGDIOBJ old = SelectObject(canvas.dc(), manager.GetFontHandle(font));
        SIZE size = {};
        GetTextExtentPoint32W(canvas.dc(), text, static_cast<int>(wcslen(text)), &size);
        SelectObject(canvas.dc(), old);
        return size.cx;
    }
    int LineHeight(int font) {
        const TEXTMETRICW& tm = manager.GetFontRecord(font)->metrics;
        return tm.tmHeight + tm.tmExternalLeading;
    }
    RECT Measure(const wchar_t* text, UINT style = 0, RECT rect = {0, 0, 9999, 100}, int font = kBase) {
        int none = 0;
        CUIRender::DrawHtmlText(canvas.dc(), &manager, rect, text, 0xFF000000, nullptr, nullptr, none, font,
                                style | DT_CALCRECT);
        return rect;
    }
    // Pixels of exactly this colour in the columns [from, to).
    int Count(uint32_t rgb, int from, int to) {
        int n = 0;
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = from; x < to; ++x) n += canvas.Rgb(x, y) == rgb;
        return n;
    }

    CPaintManagerUI manager;
    Canvas canvas{400, 120, 0xFFFFFFFF};
};

}  // namespace

TEST_F(FormattedText, MeasuresTagsEscapesAndRawText) {
    EXPECT_EQ(Measure(L"<x 20>A").right, 20 + Width(L"A", kBase));
    EXPECT_EQ(Measure(L"{x 20}A").right, 20 + Width(L"A", kBase));
    EXPECT_EQ(Measure(L"<y 30>A").bottom, 30);
    EXPECT_EQ(Measure(L"<{>").right, Width(L"{", kBase));
    EXPECT_EQ(Measure(L"{<}").right, Width(L"<", kBase));
    EXPECT_EQ(Measure(L"<r><b></r>").right, Width(L"<b>", kBase));
    EXPECT_EQ(Measure(L"{r}<b>{/r}x").right, Width(L"<b>", kBase) + Width(L"x", kBase));
    EXPECT_EQ(Measure(L"A<n>B", DT_SINGLELINE).bottom, LineHeight(kBase));
    EXPECT_EQ(Measure(L"A<n>B").bottom, 2 * LineHeight(kBase));
    EXPECT_EQ(Measure(L"A\nB\n").bottom, 3 * LineHeight(kBase));
    EXPECT_EQ(Measure(L"<b>xy</b>").right, Width(L"xy", kBold));
    // A b tag in a bold font pushes nothing, so its closing tag pops the font below.
    EXPECT_EQ(Measure(L"<f 2><b>x</b>y</f>").right, Width(L"x", kBold) + Width(L"y", kBase));
    // Paragraph: its tags start new lines, which are taller by the spacing while it is open.
    EXPECT_EQ(Measure(L"A<p 10>B</p>").bottom, LineHeight(kBase) + 2 * (LineHeight(kBase) + 10));
    EXPECT_EQ(Measure(L"<p 10>B</p>").bottom, 2 * (LineHeight(kBase) + 10));
    // The widest line gives the width.
    EXPECT_EQ(Measure(L"ab<n>abcdef<n>a").right, Width(L"abcdef", kBase));
    // An inline font, kept for as long as the manager lives.
    RECT big = Measure(L"<f Tahoma 40 bold>H</f>");
    TFontRecord* inlineFont = manager.GetInlineFont(L"Tahoma", 40, true, false, false);
    ASSERT_NE(inlineFont, nullptr);
    EXPECT_EQ(big.bottom, inlineFont->metrics.tmHeight + inlineFont->metrics.tmExternalLeading);
    HGDIOBJ old = SelectObject(canvas.dc(), inlineFont->handle);
    SIZE h = {};
    GetTextExtentPoint32W(canvas.dc(), L"H", 1, &h);
    SelectObject(canvas.dc(), old);
    EXPECT_EQ(big.right, h.cx);
    EXPECT_EQ(manager.GetInlineFont(L"Tahoma", 40, true, false, false), inlineFont);
}

TEST_F(FormattedText, WrapsWordsAndSplitsLinks) {
    const int room = Width(L"aaaa ", kBase) + 1;
    RECT links[4];
    CUIString targets[4];
    int count = 4;
    RECT rect = {0, 0, room, 100};
    CUIRender::DrawHtmlText(canvas.dc(), &manager, rect, L"<a t>aaaa bbbb</a>", 0xFF000000, links, targets, count,
                            kBase, DT_WORDBREAK | DT_CALCRECT);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(targets[0], L"t");
    EXPECT_EQ(targets[1], L"t");
    EXPECT_EQ(links[0].top, 0);
    EXPECT_EQ(links[0].right, Width(L"aaaa ", kBase));
    EXPECT_EQ(links[1].top, LineHeight(kBase));
    EXPECT_EQ(links[1].right, Width(L"bbbb", kBase));
    EXPECT_EQ(rect.bottom, 2 * LineHeight(kBase));

    // More links than room: only the first is kept.
    count = 1;
    rect = {0, 0, 400, 100};
    CUIRender::DrawHtmlText(canvas.dc(), &manager, rect, L"<a x>1</a> <a y>2</a> <a z>3</a>", 0xFF000000, links,
                            targets, count, kBase, 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(targets[0], L"x");

    // An ellipsis fills the line to its end.
    RECT cut = Measure(L"abcdefghijklmnop", DT_SINGLELINE | DT_END_ELLIPSIS, {0, 0, Width(L"abcdefg", kBase), 100});
    EXPECT_EQ(cut.right, Width(L"abcdefg", kBase));
}

TEST_F(FormattedText, DrawsColoursLinksSelectionAndImages) {
    const int xWidth = Width(L"H", kLarge);
    RECT rect = {0, 0, 400, 120};
    int none = 0;
    CUIRender::DrawHtmlText(canvas.dc(), &manager, rect, L"<c #FF0000>H</c>H", 0xFF000000, nullptr, nullptr, none,
                            kLarge, DT_SINGLELINE);
    EXPECT_GT(Count(0xFF0000, 0, xWidth), 10);
    EXPECT_EQ(Count(0xFF0000, xWidth, 2 * xWidth), 0);
    EXPECT_GT(Count(0x000000, xWidth, 2 * xWidth), 10);

    // Opaque eight-digit colours are read whole, not saturated to white.
    canvas.Fill(0xFFFFFFFF);
    rect = {0, 0, 400, 120};
    CUIRender::DrawHtmlText(canvas.dc(), &manager, rect, L"{c #FFFF0000}H{/c}", 0xFF000000, nullptr, nullptr, none,
                            kLarge, 0);
    EXPECT_GT(Count(0xFF0000, 0, xWidth), 10);

    // A link without a text colour takes the default link colour; under the mouse the hover colour.
    canvas.Fill(0xFFFFFFFF);
    rect = {0, 0, 400, 120};
    RECT links[2] = {};
    CUIString targets[2];
    int count = 2;
    CUIRender::DrawHtmlText(canvas.dc(), &manager, rect, L"<a go>H</a>", 0, links, targets, count, kLarge, 0);
    EXPECT_GT(Count(0x0000FF, 0, xWidth), 10);
    canvas.Fill(0xFFFFFFFF);
    links[0] = {-5, -5, 5, 5};  // where the mouse was last seen: (-1, -1)
    count = 2;
    CUIRender::DrawHtmlText(canvas.dc(), &manager, rect, L"<a go>H</a>", 0, links, targets, count, kLarge, 0);
    EXPECT_GT(Count(0xD3215F, 0, xWidth), 10);
    EXPECT_EQ(Count(0x0000FF, 0, xWidth), 0);

    // Selection paints the selected-background colour behind the text.
    canvas.Fill(0xFFFFFFFF);
    rect = {0, 0, 400, 120};
    CUIRender::DrawHtmlText(canvas.dc(), &manager, rect, L"<s>H</s>H", 0xFF000000, nullptr, nullptr, none, kLarge, 0);
    EXPECT_GT(Count(0xBAE4FF, 0, xWidth), 10);
    EXPECT_EQ(Count(0xBAE4FF, xWidth, 2 * xWidth), 0);

    // Inline image slices from the archive: index 1 of 3 is the green third, out-of-range indexes the first.
    std::vector<uint8_t> skin = LoadResourceBytes(L"IDR_ZIPRES", L"ZIPRES");
    ASSERT_TRUE(CPaintManagerUI::OpenResourceArchiveFromMemory(skin.data(), static_cast<unsigned>(skin.size()),
                                                               L"" TEST_SKIN_PASSWORD));
    const struct {
        const wchar_t* text;
        uint32_t color;
    } slices[] = {{L"<i img/strip.png 3 1>", 0x00FF00}, {L"<i img/strip.png 3 3>", 0xFF0000},
                  {L"<i img/strip.png 3 -1>", 0xFF0000}, {L"<i file='img/strip.png'>", 0xFF0000}};
    for (const auto& slice : slices) {
        canvas.Fill(0xFFFFFFFF);
        rect = {0, 0, 400, 120};
        CUIRender::DrawHtmlText(canvas.dc(), &manager, rect, slice.text, 0xFF000000, nullptr, nullptr, none, kBase, 0);
        const int middle = LineHeight(kBase) / 2;
        EXPECT_EQ(canvas.Rgb(5, middle), slice.color) << std::hex << canvas.Rgb(5, middle);
    }
    EXPECT_EQ(Measure(L"<i img/strip.png 3 1>").right, 10);
    EXPECT_EQ(Measure(L"<i img/strip.png>").right, 30);
}

TEST_F(FormattedText, AlignsSingleLinesAndClipsToTheRectangle) {
    const int width = Width(L"HH", kLarge);
    RECT rect = {0, 0, 400, 100};
    int none = 0;
    CUIRender::DrawHtmlText(canvas.dc(), &manager, rect, L"HH", 0xFF000000, nullptr, nullptr, none, kLarge,
                            DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    int first = -1, last = -1, top = -1;
    for (int x = 0; x < 400; ++x)
        for (int y = 0; y < 100; ++y)
            if (canvas.Rgb(x, y) != 0xFFFFFF) {
                if (first < 0) first = x;
                last = x;
                if (top < 0 || y < top) top = y;
            }
    ASSERT_GE(first, 0);
    EXPECT_NEAR((first + last) / 2, 200, 3);
    EXPECT_LE(last - first, width);
    EXPECT_GT(top, 100 / 2 - LineHeight(kLarge) / 2 - 1);

    // Nothing is drawn outside the rectangle.
    canvas.Fill(0xFFFFFFFF);
    rect = {10, 10, 30, 40};
    CUIRender::DrawHtmlText(canvas.dc(), &manager, rect, L"HHHHHHHH", 0xFF000000, nullptr, nullptr, none, kLarge, 0);
    EXPECT_GT(Count(0x000000, 10, 30), 0);
    EXPECT_EQ(Count(0x000000, 30, 400), 0);
}

TEST_F(FormattedText, MalformedInputEndsUnderAWatchdog) {
    const std::vector<std::wstring> inputs = {
        L"<b", L"<", L"{", L"</b></b></c></a></f></p></s></i></u>", L"<i>", L"<i x.png 0 -5>", L"<f >", L"<a>", L"<c>",
        L"<x>", L"<y -50>aaa", L"<p -100>a<p -100>b", L"<r>open", L"\n\n\n", L"<x -9999>a", L"<a t>never closed",
        L"<f Arial 12><f Tahoma 14>x</f>y</f>z", L"<c #", L"{a t}{/a}{/a}{/a}", L"<i img/strip.png 0 0>",
        L"<i file='x.png' res='", L"<p 5><p 6><p 7>deep</p>", L"<y 0><y -1>a\nb", std::wstring(100000, L'w'),
        std::wstring(20000, L'<') + L"b>", L"a b c d e f g h i j k l m n o p q r s t u v w x y z"};
    const UINT styles[] = {0, DT_WORDBREAK, DT_SINGLELINE, DT_END_ELLIPSIS, DT_WORDBREAK | DT_END_ELLIPSIS,
                           DT_CENTER | DT_VCENTER, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE};
    const RECT rects[] = {{0, 0, 400, 120}, {0, 0, 1, 120}, {5, 5, 7, 6}, {0, 0, 60, 10000}};
    for (const std::wstring& input : inputs) {
        GuardedBuffer text(input.c_str(), (input.size() + 1) * sizeof(wchar_t));
        const wchar_t* guarded = reinterpret_cast<const wchar_t*>(text.data());
        Watchdog dog(60, "DrawHtmlText");
        for (UINT style : styles) {
            for (const RECT& bounds : rects) {
                for (UINT measure : {0u, static_cast<UINT>(DT_CALCRECT)}) {
                    RECT rect = bounds;
                    RECT links[1];
                    CUIString targets[1];
                    int count = 1;
                    CUIRender::DrawHtmlText(canvas.dc(), &manager, rect, guarded, 0xFF000000, links, targets, count,
                                            kBase, style | measure);
                    EXPECT_LE(count, 1);
                    EXPECT_GE(count, 0);
                    EXPECT_GE(rect.bottom, rect.top);
                }
            }
        }
    }
}

TEST_F(FormattedText, RandomTagSoupEnds) {
    const wchar_t alphabet[] = L"<>{}/abcfinprsuxy #0123456789 \n'=-.";
    const size_t letters = wcslen(alphabet);
    uint32_t seed = 2024;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    Watchdog dog(120, "random formatted text");
    for (int round = 0; round < 1500; ++round) {
        std::wstring input;
        const size_t length = next() % 48;
        for (size_t i = 0; i < length; ++i) input += alphabet[next() % letters];
        GuardedBuffer text(input.c_str(), (input.size() + 1) * sizeof(wchar_t));
        RECT rect = {0, 0, static_cast<LONG>(1 + next() % 200), static_cast<LONG>(1 + next() % 100)};
        RECT links[2];
        CUIString targets[2];
        int count = 2;
        CUIRender::DrawHtmlText(canvas.dc(), &manager, rect, reinterpret_cast<const wchar_t*>(text.data()),
                                0xFF000000, links, targets, count, kBase, next() & 0x843F);
        ASSERT_LE(count, 2);
    }
}
