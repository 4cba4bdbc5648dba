// The two-state button and the circle progress in real skin windows: attributes, states, notifications
// and the pixels they paint.
#include "CircleProgress.h"
#include "SButton.h"
#include "UIControls.h"
#include "ui_window/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

using namespace SkinUI;
using namespace WindowTest;

namespace {

class ControlsEnvironment : public ::testing::Environment {
public:
    void SetUp() override { RegisterControlClasses(); }
};
const auto* gControls = ::testing::AddGlobalTestEnvironment(new ControlsEnvironment);

class CWidgetWindow : public CTestWindow {
public:
    using CTestWindow::CTestWindow;

protected:
    CControlUI* CreateControl(const wchar_t* className) override {
        if (EqualsIgnoreCase(className, L"SButton")) return new CSButtonUI;
        if (EqualsIgnoreCase(className, L"CircleProgress")) return new CCircleProgressUI;
        return CTestWindow::CreateControl(className);
    }
};

std::wstring Layout(const std::wstring& body) {
    return L"<Window size=\"320,240\"><VerticalLayout bkcolor=\"#FF000000\">" + body + L"</VerticalLayout></Window>";
}

DWORD PixelAt(CWidgetWindow& window, int x, int y) {
    window.pm().Invalidate();
    UpdateWindow(window.GetHandle());
    Pump();
    return WindowPixel(window.GetHandle(), x, y);
}

uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    out += typed;
    PutBigEndian(out, Crc32(typed));
}

// A PNG (RGB, stored deflate blocks) of width x height whose thirds are red, green and blue.
std::wstring WriteThreeColourStrip(int width, int height) {
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back('\0');  // no filter
        for (int x = 0; x < width; ++x) {
            const int part = x * 3 / width;
            raw.push_back(part == 0 ? '\xFF' : '\0');
            raw.push_back(part == 1 ? '\xFF' : '\0');
            raw.push_back(part == 2 ? '\xFF' : '\0');
        }
    }
    std::string zlib = "\x78\x01";
    for (size_t at = 0; at < raw.size(); at += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        zlib.push_back(at + n == raw.size() ? 1 : 0);
        zlib.push_back(static_cast<char>(n & 0xFF));
        zlib.push_back(static_cast<char>(n >> 8));
        zlib.push_back(static_cast<char>(~n & 0xFF));
        zlib.push_back(static_cast<char>((~n >> 8) & 0xFF));
        zlib.append(raw, at, n);
    }
    uint32_t a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(zlib, (b << 16) | a);

    std::string header;
    PutBigEndian(header, static_cast<uint32_t>(width));
    PutBigEndian(header, static_cast<uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB
    std::string png = "\x89PNG\r\n\x1A\n";
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", "");

    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"widgets_strip.png";
    FILE* out = _wfopen(path.c_str(), L"wb");
    fwrite(png.data(), 1, png.size(), out);
    fclose(out);
    return path;
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
