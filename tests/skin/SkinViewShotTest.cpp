// The viewer's saved picture: every pixel opaque, so that lines and text GDI drew (which leave 0 in the
// fourth byte) keep their colour in tools that read that byte as alpha. And the skin's painted look: a
// caption's close button, disabled while its window works, shows a calmer glyph and leaves the frame
// whole.
#include "SkinTestSupport.h"
#include "SkinViewWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

TEST(SkinViewShot, SavesGdiLinesAsOpaquePixelsOfTheirColour) {
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"shot", WS_POPUP | WS_VISIBLE, 10, 10, 40, 30, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    UpdateWindow(window);
    HDC dc = GetDC(window);
    const RECT all = {0, 0, 40, 30};
    HBRUSH back = CreateSolidBrush(RGB(0x11, 0x14, 0x18));
    FillRect(dc, &all, back);
    DeleteObject(back);
    HPEN grid = CreatePen(PS_SOLID, 1, RGB(0x45, 0x3B, 0x35));
    HGDIOBJ old = SelectObject(dc, grid);
    MoveToEx(dc, 0, 15, nullptr);
    LineTo(dc, 40, 15);
    SelectObject(dc, old);
    DeleteObject(grid);
    GdiFlush();
    ReleaseDC(window, dc);

    wchar_t folder[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"shot", 0, path);
    const SkinView::TShotResult shot = SkinView::SaveClientBitmap(window, path);
    DestroyWindow(window);
    ASSERT_TRUE(shot.saved);
    ASSERT_EQ(shot.width, 40);
    ASSERT_EQ(shot.height, 30);

    std::vector<unsigned char> file;
    if (FILE* f = _wfopen(path, L"rb")) {
        unsigned char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;) file.insert(file.end(), buffer, buffer + n);
        fclose(f);
    }
    DeleteFileW(path);
    const size_t offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    ASSERT_EQ(file.size(), offset + 40 * 30 * 4);
    int transparent = 0;
    for (size_t i = offset + 3; i < file.size(); i += 4) transparent += file[i] != 0xFF;
    EXPECT_EQ(transparent, 0);
    // Row 15 (top-down) holds the line, blue-green-red in the file.
    const unsigned char* line = &file[offset + (15 * 40 + 20) * 4];
    EXPECT_EQ((std::vector<int>{line[0], line[1], line[2]}), (std::vector<int>{0x35, 0x3B, 0x45}));
    const unsigned char* plot = &file[offset + (5 * 40 + 20) * 4];
    EXPECT_EQ((std::vector<int>{plot[0], plot[1], plot[2]}), (std::vector<int>{0x18, 0x14, 0x11}));
}

namespace {

constexpr DWORD kBorder = 0x353B45;  // the frame's colour: window border and the caption's bottom line

int Brightness(DWORD pixel) { return (pixel >> 16 & 0xFF) + (pixel >> 8 & 0xFF) + (pixel & 0xFF); }

// Where the frame is not whole in the picture around the button: the caption's line under it, and the
// window's top and right border beside it (short of the window's rounded corner). Empty when whole.
std::string FrameFaults(const std::vector<DWORD>& picture, SIZE size, const RECT& button, const RECT& caption,
                        int corner) {
    std::string faults;
    auto at = [&](int x, int y) { return picture[static_cast<size_t>(y) * size.cx + x]; };
    auto check = [&](int x, int y, const char* what) {
        if (at(x, y) != kBorder && faults.empty())
            faults = std::string(what) + " at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    };
    for (int x = button.left; x < button.right; ++x) check(x, caption.bottom - 1, "caption line");
    for (int x = button.left; x < std::min<int>(button.right, size.cx - corner); ++x) check(x, 0, "top border");
    for (int y = std::max<int>(button.top, corner); y < button.bottom; ++y) check(size.cx - 1, y, "right border");
    return faults;
}

}  // namespace

// The windows whose close button is disabled while they work (auto tuning, firmware updates), at 100 %
// and 150 %: disabled, the glyph is there but darker, nothing else in the button changes, and the
// border and caption line under and beside it are the frame's colour.
TEST(SkinLook, DisabledCloseButtonGreysItsGlyphAndLeavesTheFrameWhole) {
    for (const wchar_t* layout : {L"XML_AUTO_CAL", L"XML_UPDATE_FW", L"XML_FORCE_UPDATE"}) {
        for (int dpi : {96, 144}) {
            SCOPED_TRACE(testing::Message() << std::string(layout, layout + wcslen(layout)) << " at " << dpi);
            SkinTest::ViewedLayout view(layout, dpi);
            ASSERT_TRUE(view.IsOpen());
            SkinUI::CControlUI* close = view.Find(L"closebtn");
            ASSERT_NE(close, nullptr);
            ASSERT_NE(close->GetParent(), nullptr);
            const RECT button = close->GetPos(), caption = close->GetParent()->GetPos();
            const SIZE size = view.Size();
            const int corner = 8 * dpi / 96;  // the dialogs' round corner, with a margin

            const std::vector<DWORD> enabled = view.Paint();
            close->SetEnabled(false);
            const std::vector<DWORD> disabled = view.Paint();
            ASSERT_EQ(enabled.size(), static_cast<size_t>(size.cx) * size.cy);
            ASSERT_EQ(disabled.size(), enabled.size());

            EXPECT_EQ(FrameFaults(enabled, size, button, caption, corner), "") << "enabled";
            EXPECT_EQ(FrameFaults(disabled, size, button, caption, corner), "") << "disabled";
            // Only the glyph in the middle of the button changes, and it gets darker.
            const int margin = 12 * dpi / 96;
            int changed = 0, outside = 0, brightestEnabled = 0, brightestDisabled = 0;
            for (int y = button.top; y < button.bottom; ++y) {
                for (int x = button.left; x < button.right; ++x) {
                    const size_t i = static_cast<size_t>(y) * size.cx + x;
                    const bool glyph = x >= button.left + margin && x < button.right - margin &&
                                       y >= button.top + margin && y < button.bottom - margin;
                    if (glyph) {
                        brightestEnabled = std::max(brightestEnabled, Brightness(enabled[i]));
                        brightestDisabled = std::max(brightestDisabled, Brightness(disabled[i]));
                    }
                    if (enabled[i] == disabled[i]) continue;
                    ++changed;
                    if (!glyph) ++outside;
                }
            }
            EXPECT_GT(changed, 0) << "the disabled glyph looks like the enabled one";
            EXPECT_EQ(outside, 0) << "pixels beyond the glyph changed";
            EXPECT_LT(brightestDisabled, brightestEnabled);
            EXPECT_GT(brightestDisabled, Brightness(0x1D2127) + 60) << "the disabled glyph still shows";
        }
    }
}
