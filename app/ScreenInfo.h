#pragma once
// The screens the application sees, and the DPI it picks from them. The program does not follow the
// system's DPI setting: each window scales itself from the size of the widest monitor.
#include <windows.h>

#include <vector>

class ScreenInfo {
public:
    ScreenInfo();  // takes a snapshot

    void Refresh();
    int GetMonitorCount() const { return m_monitorCount; }
    void GetMainScreenRect(RECT* out) const { *out = m_mainScreen; }
    void GetVirtualScreenRect(RECT* out) const { *out = m_virtualScreen; }
    // Index 0 is the main screen, 1..count-1 the other monitors in order; beyond the known monitors
    // all four values are -1.
    void GetMonitorRect(RECT* out, int index) const;
    // The widest monitor (height plays no part; of equally wide ones the first stays).
    RECT* GetLargestMonitorRect(RECT* out) const;
    BOOL MoveWindowToMonitor(HWND window, int index, int dx, int dy) const;

    // For tests: a snapshot built from given rectangles instead of the system's.
    static ScreenInfo FromRects(const RECT& mainScreen, const std::vector<RECT>& otherMonitors);

private:
    struct NoSnapshot {};
    explicit ScreenInfo(NoSnapshot) {}
    void SortOtherMonitors();

    int m_monitorCount = 0;
    RECT m_mainScreen = {};
    RECT m_virtualScreen = {};
    std::vector<RECT> m_otherMonitors;  // monitors that do not start at (0, 0)
};

// The DPI for a largest monitor of width x height: 77, 96, 120, 144, 192 or 288, from the smaller of
// width / 1280 and height / 720.
int DpiForScreenSize(int width, int height);
// A fresh snapshot's widest monitor turned into a DPI; logged.
int GetAutoDpi();
// Makes GetAutoDpi answer this value instead (0 goes back to the automatic choice); for looking at the
// skin at a chosen scale on any screen.
void SetAutoDpiOverride(int dpi);
