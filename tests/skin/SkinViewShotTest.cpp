// The viewer's saved picture: every pixel opaque, so that lines and text GDI drew (which leave 0 in the
// fourth byte) keep their colour in tools that read that byte as alpha.
#include "SkinViewWindow.h"

#include <gtest/gtest.h>

#include <cstdio>
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
