#include "ScreenInfo.h"

#include "base/Log.h"

#include <algorithm>

namespace {

int gDpiOverride = 0;

BOOL CALLBACK CollectOtherMonitor(HMONITOR, HDC, LPRECT rect, LPARAM data) {
    // The primary monitor starts at (0, 0); the main-screen rectangle describes it already.
    if (rect->left != 0 || rect->top != 0) reinterpret_cast<std::vector<RECT>*>(data)->push_back(*rect);
    return TRUE;
}

int Width(const RECT& rect) { return rect.right - rect.left; }

}  // namespace

ScreenInfo::ScreenInfo() { Refresh(); }

ScreenInfo ScreenInfo::FromRects(const RECT& mainScreen, const std::vector<RECT>& otherMonitors) {
    ScreenInfo info{NoSnapshot{}};
    info.m_mainScreen = mainScreen;
    info.m_virtualScreen = mainScreen;
    info.m_otherMonitors = otherMonitors;
    info.m_monitorCount = static_cast<int>(otherMonitors.size()) + 1;
    info.SortOtherMonitors();
    return info;
}

void ScreenInfo::Refresh() {
    m_mainScreen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    LogPrintW(L"m_MainScreen (%d,%d,%d,%d)\n", m_mainScreen.left, m_mainScreen.top, m_mainScreen.right,
              m_mainScreen.bottom);
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    m_virtualScreen = {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    LogPrintW(L"m_VirtualScreen (%d,%d,%d,%d)\n", m_virtualScreen.left, m_virtualScreen.top, m_virtualScreen.right,
              m_virtualScreen.bottom);
    m_monitorCount = GetSystemMetrics(SM_CMONITORS);
    m_otherMonitors.clear();
    HDC screen = GetDC(nullptr);
    EnumDisplayMonitors(screen, nullptr, CollectOtherMonitor, reinterpret_cast<LPARAM>(&m_otherMonitors));
    ReleaseDC(nullptr, screen);
    SortOtherMonitors();
}

void ScreenInfo::SortOtherMonitors() {
    std::sort(m_otherMonitors.begin(), m_otherMonitors.end(), [](const RECT& a, const RECT& b) {
        return a.left != b.left ? a.left < b.left : a.top < b.top;
    });
}

void ScreenInfo::GetMonitorRect(RECT* out, int index) const {
    if (index < 0 || index > static_cast<int>(m_otherMonitors.size())) {
        *out = {-1, -1, -1, -1};
    } else if (index == 0 || index >= m_monitorCount) {
        *out = m_mainScreen;
    } else {
        *out = m_otherMonitors[index - 1];
    }
}

RECT* ScreenInfo::GetLargestMonitorRect(RECT* out) const {
    *out = m_mainScreen;
    for (int index = 0; index < m_monitorCount; ++index) {
        RECT candidate;
        GetMonitorRect(&candidate, index);
        if (Width(candidate) > Width(*out)) *out = candidate;
    }
    return out;
}

BOOL ScreenInfo::MoveWindowToMonitor(HWND window, int index, int dx, int dy) const {
    RECT monitor;
    GetMonitorRect(&monitor, index);
    return SetWindowPos(window, nullptr, monitor.left + dx, monitor.top + dy, 0, 0,
                        SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
}

int DpiForScreenSize(int width, int height) {
    const float scale = std::min(static_cast<float>(width) / 1280.0f, static_cast<float>(height) / 720.0f);
    if (scale < 1.0f) return 77;
    if (scale < 1.25f) return 96;
    if (scale < 1.5f) return 120;
    if (scale < 2.0f) return 144;
    if (scale < 3.0f) return 192;
    return 288;
}

int GetAutoDpi() {
    const ScreenInfo screens;
    RECT largest;
    screens.GetLargestMonitorRect(&largest);
    LogPrintW(L"screen size %d x %d\n", largest.right, largest.bottom);
    const int dpi = gDpiOverride > 0 ? gDpiOverride : DpiForScreenSize(Width(largest), largest.bottom - largest.top);
    LogPrintW(L"DPI %d\n", dpi);
    return dpi;
}

void SetAutoDpiOverride(int dpi) { gDpiOverride = dpi > 0 ? dpi : 0; }
