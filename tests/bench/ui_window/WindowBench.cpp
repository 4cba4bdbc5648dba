// Times a skin window of a few hundred controls: building it from its layout XML, laying it out and
// painting it for the first time (together, as a user waits for them), then a full repaint, a hover
// repaint (one cell) and a repaint of two distant cells, off-screen and layered. Beside them stands the
// floor: putting an empty picture of the same size on the screen the same way (BitBlt in WM_PAINT, or
// UpdateLayeredWindow), which no painting can beat.
// Each at 100 % and 150 %.
// Run under Wine and Xvfb: ui_window_bench.exe [windows] [repaints]
#include <windows.h>

#include "bench/BenchWindow.h"
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "UIControl.h"
#include "UIWindowImplBase.h"

using namespace SkinUI;

namespace {

// A window of rows of cells: each cell a container with a coloured, bordered, rounded child and a
// gradient strip; rows alternate layouts. With layered it is a per-pixel-alpha window.
std::wstring MakeLayout(int rows, int columns, bool layered, int* controls) {
    std::wstring xml = L"<Window size=\"1000,700\"";
    xml += layered ? L" layered=\"true\">" : L">";
    xml += L"<VerticalLayout bkcolor=\"#FFF4F6F9\" inset=\"4,4,4,4\" childpadding=\"2\">";
    *controls = 1;
    const wchar_t* colours[] = {L"#FFD9534F", L"#FF5CB85C", L"#FF337AB7", L"#FFF0AD4E"};
    for (int r = 0; r < rows; ++r) {
        xml += L"<HorizontalLayout childpadding=\"2\">";
        ++*controls;
        for (int c = 0; c < columns; ++c) {
            xml += L"<VerticalLayout inset=\"2,2,2,2\" bordersize=\"1\" bordercolor=\"#FF445566\">";
            xml += L"<Control name=\"cell" + std::to_wstring(r) + L"_" + std::to_wstring(c) + L"\" bkcolor=\"";
            xml += colours[(r + c) % 4];
            xml += L"\" borderround=\"6,6\" bordersize=\"1\" bordercolor=\"#FF202020\"/>";
            xml += L"<Control height=\"6\" bkcolor=\"#FFFFFFFF\" bkcolor2=\"#FF8E44AD\" gradient=\"hor\"/>";
            xml += L"</VerticalLayout>";
            *controls += 3;
        }
        xml += L"</HorizontalLayout>";
    }
    xml += L"</VerticalLayout></Window>";
    return xml;
}

void Print(const char* what, int runs, const TStats& stats) { PrintStats(what, 56, runs, stats); }

// Times InvalidateRect of the given rectangles and the paint that follows.
double TimeRepaint(HWND hwnd, const std::vector<RECT>& rects) {
    const double before = BenchSeconds();
    for (const RECT& rect : rects) InvalidateRect(hwnd, &rect, FALSE);
    UpdateWindow(hwnd);
    return (BenchSeconds() - before) * 1e3;
}

// ---- the floor: a window that only copies an empty picture of its size to the screen

struct TFloorPicture {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    bool layered = false;
};

LRESULT CALLBACK FloorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* picture = reinterpret_cast<TFloorPicture*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message != WM_PAINT || !picture) return DefWindowProcW(hwnd, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (picture->layered) {
        RECT window;
        GetWindowRect(hwnd, &window);
        POINT position = {window.left, window.top}, origin = {0, 0};
        SIZE size = {window.right - window.left, window.bottom - window.top};
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        // The whole picture as the paint manager's full update does; only the changed part after that.
        const RECT whole = {0, 0, size.cx, size.cy};
        if (EqualRect(&ps.rcPaint, &whole)) {
            UpdateLayeredWindow(hwnd, dc, &position, &size, picture->dc, &origin, 0, &blend, ULW_ALPHA);
        } else {
            const UPDATELAYEREDWINDOWINFO info = {sizeof info, dc, &position, &size, picture->dc, &origin, 0, &blend,
                                                  ULW_ALPHA, &ps.rcPaint};
            UpdateLayeredWindowIndirect(hwnd, &info);
        }
    } else {
        BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, picture->dc, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    }
    EndPaint(hwnd, &ps);
    return 0;
}

// opaque: the picture is an opaque grey instead of empty; a layered window's update costs more with
// content than without, which tells what part of a layered repaint is the system's.
void MeasureFloor(const char* name, bool layered, bool opaque, const SIZE& size, const RECT& hover, int repaints) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = FloorProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BenchFloorWnd";
    RegisterClassW(&wc);
    TFloorPicture picture;
    picture.layered = layered;
    picture.dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB};
    void* bits = nullptr;
    picture.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (opaque && bits) std::fill_n(static_cast<DWORD*>(bits), static_cast<size_t>(size.cx) * size.cy, 0xFF808080u);
    picture.old = SelectObject(picture.dc, picture.bitmap);
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | (layered ? WS_EX_LAYERED : 0), wc.lpszClassName, L"floor",
                                WS_POPUP | WS_VISIBLE, 0, 0, size.cx, size.cy, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&picture));
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    Pump();
    std::vector<double> whole, part;
    for (int i = 0; i < repaints; ++i) {
        whole.push_back(TimeRepaint(hwnd, {RECT{0, 0, size.cx, size.cy}}));
        part.push_back(TimeRepaint(hwnd, {hover}));
    }
    DestroyWindow(hwnd);
    Pump();
    SelectObject(picture.dc, picture.old);
    DeleteObject(picture.bitmap);
    DeleteDC(picture.dc);
    char label[96];
    const char* kind = opaque ? "opaque picture" : "empty";
    snprintf(label, sizeof label, "%s: floor (%s), whole window", name, kind);
    Print(label, repaints, Summarise(whole));
    snprintf(label, sizeof label, "%s: floor (%s), hover area", name, kind);
    Print(label, repaints, Summarise(part));
}

RECT ControlRect(CBenchWindow& window, const wchar_t* name) {
    CControlUI* control = window.GetPaintManager()->FindControlByName(name);
    return control ? control->GetPos() : RECT{0, 0, 1, 1};
}

void Measure(const char* kind, bool layered, int dpi, int windows, int repaints) {
    char name[64];
    snprintf(name, sizeof name, "%d %% %s", dpi * 100 / 96, kind);
    int controls = 0;
    const std::wstring layout = MakeLayout(12, 10, layered, &controls);
    std::vector<double> creation, repaint, hover, twoCells;
    SIZE size = {};
    RECT hoverRect = {};
    for (int w = 0; w < windows + 1; ++w) {
        CBenchWindow window(layout, L"BenchSkinWnd", dpi);
        double created = 0;
        HWND hwnd = OpenTimed(window, &created);
        if (!hwnd) {
            printf("%s: the window was not created\n", name);
            return;
        }
        if (w == 0) continue;  // warm-up: first-use costs of the process (GDI+, fonts, classes)
        creation.push_back(created);
        RECT client;
        GetClientRect(hwnd, &client);
        size = {client.right, client.bottom};
        // Hovering a cell repaints the cell; moving between far cells repaints two small rectangles.
        hoverRect = ControlRect(window, L"cell5_5");
        const RECT first = ControlRect(window, L"cell0_0"), last = ControlRect(window, L"cell11_9");
        for (int i = 0; i < repaints; ++i) {
            repaint.push_back(TimeRepaint(hwnd, {client}));
            hover.push_back(TimeRepaint(hwnd, {hoverRect}));
            twoCells.push_back(TimeRepaint(hwnd, {first, last}));
        }
    }
    char label[96];
    snprintf(label, sizeof label, "%s: create+layout+first paint (%d controls)", name, controls);
    Print(label, windows, Summarise(creation));
    snprintf(label, sizeof label, "%s: full repaint", name);
    Print(label, static_cast<int>(repaint.size()), Summarise(repaint));
    snprintf(label, sizeof label, "%s: hover repaint (one cell)", name);
    Print(label, static_cast<int>(hover.size()), Summarise(hover));
    snprintf(label, sizeof label, "%s: two distant cells", name);
    Print(label, static_cast<int>(twoCells.size()), Summarise(twoCells));
    MeasureFloor(name, layered, false, size, hoverRect, static_cast<int>(repaint.size()));
    if (layered) MeasureFloor(name, layered, true, size, hoverRect, static_cast<int>(repaint.size()));
}

}  // namespace

int main(int argc, char** argv) {
    const int windows = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    const int repaints = argc > 2 ? std::max(1, atoi(argv[2])) : 50;
    OleInitialize(nullptr);
    CPaintManagerUI::SetModuleInstance(GetModuleHandleW(nullptr));
    for (int dpi : {96, 144}) {
        Measure("off-screen window", false, dpi, windows, repaints);
        Measure("layered window", true, dpi, windows, repaints);
    }
    CPaintManagerUI::ShutdownShared(true);
    OleUninitialize();
    return 0;
}
