// Times the UI core's start-up and paint work on a typical skin: opening the encrypted archive held in
// the program's resources, loading every image and a skin's font table, drawing a nine-grid image and a
// line of formatted text. Run under Wine: ui_core_bench.exe [iterations]
#include <windows.h>

#include "bench/BenchClock.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "UIArchive.h"
#include "UIManager.h"
#include "UIRender.h"

using namespace SkinUI;

namespace {

void Report(const char* what, int iterations, const std::function<void()>& work) {
    work();  // warm up: first-use costs (GDI+, fonts) are not what is measured
    const double start = BenchSeconds();
    for (int i = 0; i < iterations; ++i) work();
    const double seconds = BenchSeconds() - start;
    printf("%-44s %6d runs  %10.3f ms total  %10.2f us each\n", what, iterations, seconds * 1e3,
           seconds * 1e6 / iterations);
}

std::vector<std::wstring> ImageNames(ZipHandle* archive) {
    std::vector<std::wstring> names;
    ZipEntry all;
    GetZipEntry(archive, -1, &all);
    for (int i = 0; i < all.index; ++i) {
        ZipEntry entry;
        if (GetZipEntry(archive, i, &entry) != ZR_OK) continue;
        std::wstring name = entry.name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, L".png") == 0) names.push_back(name);
    }
    return names;
}

struct Dib {
    Dib(int width, int height) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
        void* bits = nullptr;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old = SelectObject(dc, bitmap);
    }
    ~Dib() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
};

}  // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    HRSRC found = FindResourceW(nullptr, L"IDR_ZIPRES", L"ZIPRES");
    const void* skin = found ? LockResource(LoadResource(nullptr, found)) : nullptr;
    const unsigned size = found ? SizeofResource(nullptr, found) : 0;
    if (!skin || !size) {
        fprintf(stderr, "no embedded skin archive\n");
        return 1;
    }
    printf("skin archive: %u bytes\n", size);

    Report("open and close the embedded archive", iterations, [&] {
        CPaintManagerUI::OpenResourceArchiveFromMemory(skin, size, BENCH_SKIN_PASSWORD);
    });
    CPaintManagerUI::OpenResourceArchiveFromMemory(skin, size, BENCH_SKIN_PASSWORD);
    const std::vector<std::wstring> images = ImageNames(CPaintManagerUI::GetArchiveHandle());
    printf("images in the skin: %u\n", static_cast<unsigned>(images.size()));

    Report("load every image of the skin (one manager)", iterations / 10 + 1, [&] {
        CPaintManagerUI manager;
        for (const std::wstring& name : images) {
            if (!manager.AddImage(name.c_str())) fprintf(stderr, "cannot load %ls\n", name.c_str());
        }
    });
    Report("create a skin's 12 fonts with metrics", iterations, [&] {
        CPaintManagerUI manager;
        for (int id = 0; id < 12; ++id) {
            manager.AddFont(id, id % 2 ? L"Tahoma" : L"Microsoft YaHei", 10 + id, id % 3 == 0, false, false);
            manager.GetFontRecord(id);
        }
    });

    CPaintManagerUI manager;
    manager.AddFont(1, L"Tahoma", 14, true, false, false);
    Dib canvas(640, 200);
    const RECT paint = {0, 0, 640, 200};
    manager.GetOrLoadImage(L"img/panel.png");
    Report("draw a 300x120 nine-grid panel (alpha)", iterations * 10, [&] {
        CUIRender::DrawImageString(canvas.dc, &manager, {10, 10, 310, 130}, paint,
                                   L"file='img/panel.png' corner='8,8,8,8'");
    });
    Report("draw a button state from a strip (opaque)", iterations * 10, [&] {
        CUIRender::DrawImageString(canvas.dc, &manager, {10, 140, 90, 180}, paint,
                                   L"file='img/button.png' source='80,0,160,40'");
    });
    Report("draw a line of formatted text", iterations * 10, [&] {
        RECT rect = {10, 150, 630, 180};
        RECT links[2];
        CUIString targets[2];
        int count = 2;
        CUIRender::DrawHtmlText(canvas.dc, &manager, rect,
                                L"<b>Output 1</b> <c #FF3366CC>front left</c> gain <f 1>-3.5 dB</f> "
                                L"delay 1.25 ms <a help>details</a>",
                                0xFF202020, links, targets, count, -1, DT_SINGLELINE | DT_VCENTER);
    });
    // The primitives a window of plain controls spends its paint on, into a window-sized canvas.
    Dib window(1000, 700);
    const RECT whole = {0, 0, 1000, 700};
    const RECT cell = {100, 100, 200, 150};
    Report("fill 100x50 opaque", iterations * 10, [&] { CUIRender::DrawColor(window.dc, cell, 0xFF337AB7); });
    Report("fill 100x50 translucent", iterations * 10, [&] { CUIRender::DrawColor(window.dc, cell, 0x80337AB7); });
    Report("fill the whole 1000x700 canvas opaque", iterations, [&] {
        CUIRender::DrawColor(window.dc, whole, 0xFFF4F6F9);
    });
    Report("square border 100x50, 1 pixel", iterations * 10, [&] {
        CUIRender::DrawRect(window.dc, cell, 1, 0xFF445566);
    });
    Report("round border 100x50, 1 pixel, corner 6", iterations * 10, [&] {
        CUIRender::DrawRoundRect(window.dc, cell, 1, 6, 6, 0xFF202020);
    });
    Report("round clip 100x50 with a fill and border", iterations * 10, [&] {
        CUIRenderClip clip;
        CUIRenderClip::GenerateRoundClip(window.dc, cell, cell, 6, 6, clip);
        CUIRender::DrawColor(window.dc, cell, 0xFF337AB7);
        CUIRender::DrawRoundRect(window.dc, cell, 1, 6, 6, 0xFF202020);
    });
    Report("gradient 100x6 horizontal", iterations * 10, [&] {
        CUIRender::DrawGradient(window.dc, {100, 100, 200, 106}, 0xFFFFFFFF, 0xFF8E44AD, false, 16);
    });
    Report("nine-grid 300x120 opaque, stretched", iterations * 10, [&] {
        CUIRender::DrawImageString(window.dc, &manager, {10, 10, 310, 130}, whole,
                                   L"file='img/button.png' source='0,0,80,40' corner='4,4,4,4'");
    });
    Report("plain text 120x20", iterations * 10, [&] {
        RECT rect = {100, 100, 220, 120};
        CUIRender::DrawText(window.dc, &manager, rect, L"Output 1 gain", 0xFF202020, 1, DT_SINGLELINE | DT_VCENTER);
    });
    manager.SetUseGdiplusText(true);  // the path layered windows take
    Report("plain text 120x20 through GDI+", iterations * 10, [&] {
        RECT rect = {100, 100, 220, 120};
        CUIRender::DrawText(window.dc, &manager, rect, L"Output 1 gain", 0xFF202020, 1, DT_SINGLELINE | DT_VCENTER);
    });
    manager.SetUseGdiplusText(false);
    CPaintManagerUI::ShutdownShared(true);
    return 0;
}
