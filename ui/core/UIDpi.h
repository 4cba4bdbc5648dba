#pragma once
// CUIDpi: the per-window scaler that turns layout sizes written for 96 DPI into device pixels, and the
// process's DPI awareness. The Shcore functions are looked up at run time, so the program still starts
// on systems without them.
#include "UIGeometry.h"

#include <windows.h>

namespace SkinUI {

class CUIDpi {
public:
    enum Awareness { kUnaware = 0, kSystemAware = 1, kPerMonitorAware = 2 };
    // Reports a failure to the user (text, caption); replaceable so that automated runs are not blocked.
    using FailureReporter = void (*)(const wchar_t* text, const wchar_t* caption);

    // The system services behind awareness and monitor DPI: Shcore's functions (null when missing) and
    // the Windows version test. Replaceable for tests, since the process awareness is fixed once set.
    struct SystemFunctions {
        bool windows6OrLater = false;
        HRESULT(WINAPI* setProcessDpiAwareness)(int awareness) = nullptr;
        HRESULT(WINAPI* getProcessDpiAwareness)(HANDLE process, int* awareness) = nullptr;
        HRESULT(WINAPI* getDpiForMonitor)(HMONITOR monitor, int kind, UINT* dpiX, UINT* dpiY) = nullptr;
    };

    CUIDpi();  // per-monitor aware, 96 DPI

    void SetScale(int dpi);  // non-positive values are ignored
    // Effective percent: 100 when unaware; when system aware, the percent of the first SetScale (100
    // before any), which later changes do not move.
    int GetScale() const;
    int GetDPI() const;

    int Scale(int x) const;
    int ScaleBack(int x) const;
    CUISize ScaleSize(int cx, int cy) const;
    void ScaleSize(SIZE* size) const;
    void ScalePoint(POINT* point) const;
    // Origin and size are scaled separately, so adjacent rectangles stay adjacent at any scale.
    CUIRect ScaleRect(const RECT& rect) const;
    void ScaleRect(RECT* rect) const;
    void ScaleBackRect(RECT* rect) const;

    bool SetDPIAwareness(int mode);
    int GetDPIAwareness();
    int GetDPIOfMonitor(HMONITOR monitor) const;
    int GetDPIOfMonitorNearestToPoint(POINT point) const;

    static void SetFailureReporter(FailureReporter reporter);
    static void OverrideSystemFunctions(const SystemFunctions* functions);  // null: the real ones

private:
    int EffectivePercent() const;

    int m_scale = 100;
    int m_systemScale = 0;  // the percent of the first DPI set on this object; 0 until then
    int m_awareness = kPerMonitorAware;
};

}  // namespace SkinUI
