#pragma once
// What the skin-window benchmarks share: a window built from a layout string, the message pump, opening a
// window timed to its first paint, and the summary of a series of timings.
#include <windows.h>

#include "bench/BenchClock.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "UIWindowImplBase.h"

// A skin window whose layout is the given XML text, at the given DPI (0: as the layout says).
class CBenchWindow : public SkinUI::WindowImplBase {
public:
    CBenchWindow(const std::wstring& layout, const wchar_t* className, int dpi = 0)
        : m_layout(layout), m_className(className), m_dpi(dpi) {}
    ~CBenchWindow() override {
        if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
    }
    SkinUI::CPaintManagerUI& pm() { return m_pm; }

protected:
    const wchar_t* GetWndClassName() const override { return m_className; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(m_layout.c_str()); }
    void OnInitWindow() override {
        if (m_dpi > 0) m_pm.ApplyDpi(m_dpi);
    }

private:
    std::wstring m_layout;
    const wchar_t* m_className;
    int m_dpi;
};

inline void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Creates the window as a visible tool popup and paints it the first time (building, layout and first
// paint, as a user waits for them); *ms is how long that took. Null when the window was not created.
inline HWND OpenTimed(CBenchWindow& window, double* ms) {
    Pump();  // the previous window's last messages
    const double start = BenchSeconds();
    HWND hwnd = window.CreateNativeWindow(nullptr, L"bench", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, 0, 0);
    if (!hwnd) return nullptr;
    UpdateWindow(hwnd);
    *ms = (BenchSeconds() - start) * 1e3;
    Pump();
    return hwnd;
}

struct TStats {
    double min = 0, median = 0, mean = 0;
};

inline TStats Summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    TStats stats;
    stats.min = ms.front();
    stats.median = ms[ms.size() / 2];
    for (double m : ms) stats.mean += m;
    stats.mean /= ms.size();
    return stats;
}

// One line of results; width is the benchmark's label column.
inline void PrintStats(const char* what, int width, int runs, const TStats& stats) {
    printf("%-*s %5d runs  min %8.2f ms  median %8.2f ms  mean %8.2f ms\n", width, what, runs, stats.min,
           stats.median, stats.mean);
}
