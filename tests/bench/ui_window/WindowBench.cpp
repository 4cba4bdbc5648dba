// Times a skin window of a few hundred controls: building it from its layout XML, laying it out and
// painting it for the first time (together, as a user waits for them), then a full repaint, off-screen
// and layered. Run under Wine and Xvfb: ui_window_bench.exe [windows] [repaints]
#include <windows.h>

#include "bench/BenchClock.h"
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

class CBenchWindow : public WindowImplBase {
public:
    explicit CBenchWindow(const std::wstring& layout) : m_layout(layout) {}
    ~CBenchWindow() override {
        if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
    }

protected:
    const wchar_t* GetWndClassName() const override { return L"BenchSkinWnd"; }
    CUIString GetLayoutFile() const override { return CUIString(m_layout.c_str()); }

private:
    std::wstring m_layout;
};

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

struct TStats {
    double min = 0, median = 0, mean = 0;
};

TStats Summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    TStats stats;
    stats.min = ms.front();
    stats.median = ms[ms.size() / 2];
    for (double m : ms) stats.mean += m;
    stats.mean /= ms.size();
    return stats;
}

void Print(const char* what, int runs, const TStats& stats) {
    printf("%-46s %5d runs  min %8.2f ms  median %8.2f ms  mean %8.2f ms\n", what, runs, stats.min, stats.median,
           stats.mean);
}

void Measure(const char* name, bool layered, int windows, int repaints) {
    int controls = 0;
    const std::wstring layout = MakeLayout(12, 10, layered, &controls);
    std::vector<double> creation;
    std::vector<double> repaint;
    for (int w = 0; w < windows + 1; ++w) {
        CBenchWindow window(layout);
        Pump();  // the previous window's last messages
        const double start = BenchSeconds();
        HWND hwnd = window.CreateNativeWindow(nullptr, L"bench", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, 0, 0);
        if (!hwnd) {
            printf("%s: the window was not created\n", name);
            return;
        }
        UpdateWindow(hwnd);  // layout and first paint
        const double created = BenchSeconds() - start;
        Pump();
        if (w == 0) continue;  // warm-up: first-use costs of the process (GDI+, fonts, classes)
        creation.push_back(created * 1e3);
        for (int i = 0; i < repaints; ++i) {
            const double before = BenchSeconds();
            InvalidateRect(hwnd, nullptr, FALSE);
            UpdateWindow(hwnd);
            repaint.push_back((BenchSeconds() - before) * 1e3);
        }
    }
    char label[96];
    snprintf(label, sizeof label, "%s: create+layout+first paint (%d controls)", name, controls);
    Print(label, windows, Summarise(creation));
    snprintf(label, sizeof label, "%s: full repaint", name);
    Print(label, static_cast<int>(repaint.size()), Summarise(repaint));
}

}  // namespace

int main(int argc, char** argv) {
    const int windows = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    const int repaints = argc > 2 ? std::max(1, atoi(argv[2])) : 50;
    OleInitialize(nullptr);
    CPaintManagerUI::SetModuleInstance(GetModuleHandleW(nullptr));
    Measure("off-screen window", false, windows, repaints);
    Measure("layered window", true, windows, repaints);
    CPaintManagerUI::ShutdownShared(true);
    OleUninitialize();
    return 0;
}
