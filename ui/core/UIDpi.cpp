#include "UIDpi.h"

#include "base/Log.h"

#include <lm.h>

namespace SkinUI {

namespace {

constexpr int kDefaultDpi = 96;
constexpr int kMdtEffectiveDpi = 0;

template <class Fn>
void Lookup(HMODULE module, const char* name, Fn& out) {
    out = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

bool IsWindows6OrLater() {
    WKSTA_INFO_100* info = nullptr;
    if (NetWkstaGetInfo(nullptr, 100, reinterpret_cast<LPBYTE*>(&info)) != NERR_Success || !info) return false;
    bool later = info->wki100_ver_major >= 6;
    NetApiBufferFree(info);
    return later;
}

// Shcore exists from Windows 8.1; resolved once, never released.
const CUIDpi::SystemFunctions& RealSystemFunctions() {
    static const CUIDpi::SystemFunctions functions = [] {
        CUIDpi::SystemFunctions f;
        f.windows6OrLater = IsWindows6OrLater();
        if (!f.windows6OrLater) return f;
        HMODULE module = LoadLibraryW(L"Shcore.dll");
        if (!module) return f;
        Lookup(module, "SetProcessDpiAwareness", f.setProcessDpiAwareness);
        Lookup(module, "GetProcessDpiAwareness", f.getProcessDpiAwareness);
        Lookup(module, "GetDpiForMonitor", f.getDpiForMonitor);
        return f;
    }();
    return functions;
}

const CUIDpi::SystemFunctions* gOverride = nullptr;

const CUIDpi::SystemFunctions& System() { return gOverride ? *gOverride : RealSystemFunctions(); }

void ShowFailureBox(const wchar_t* text, const wchar_t* caption) {
    MessageBoxW(nullptr, text, caption, MB_OK);
}

CUIDpi::FailureReporter gReporter = &ShowFailureBox;

}  // namespace

// The start at 96 DPI is only a default: the first scale set on the object is the system-aware one, or
// a system-aware window would stay at 100 % whatever the screen asks for.
CUIDpi::CUIDpi() = default;

void CUIDpi::SetFailureReporter(FailureReporter reporter) { gReporter = reporter ? reporter : &ShowFailureBox; }

void CUIDpi::OverrideSystemFunctions(const SystemFunctions* functions) { gOverride = functions; }

void CUIDpi::SetScale(int dpi) {
    if (dpi <= 0) return;  // a zero scale would make every ScaleBack divide by zero
    m_scale = MulDiv(dpi, 100, kDefaultDpi);
    if (m_systemScale == 0) m_systemScale = m_scale;
}

int CUIDpi::GetScale() const { return m_awareness == kUnaware ? 100 : EffectivePercent(); }

int CUIDpi::EffectivePercent() const {
    return m_awareness == kSystemAware && m_systemScale != 0 ? m_systemScale : m_scale;
}

int CUIDpi::GetDPI() const {
    return m_awareness == kUnaware ? kDefaultDpi : MulDiv(EffectivePercent(), kDefaultDpi, 100);
}

int CUIDpi::Scale(int x) const { return m_awareness == kUnaware ? x : MulDiv(x, EffectivePercent(), 100); }

int CUIDpi::ScaleBack(int x) const { return m_awareness == kUnaware ? x : MulDiv(x, 100, EffectivePercent()); }

CUISize CUIDpi::ScaleSize(int cx, int cy) const { return CUISize(Scale(cx), Scale(cy)); }

void CUIDpi::ScaleSize(SIZE* size) const {
    size->cx = Scale(size->cx);
    size->cy = Scale(size->cy);
}

void CUIDpi::ScalePoint(POINT* point) const {
    point->x = Scale(point->x);
    point->y = Scale(point->y);
}

CUIRect CUIDpi::ScaleRect(const RECT& rect) const {
    CUIRect scaled(rect);
    ScaleRect(&scaled);
    return scaled;
}

void CUIDpi::ScaleRect(RECT* rect) const {
    int width = Scale(rect->right - rect->left);
    int height = Scale(rect->bottom - rect->top);
    rect->left = Scale(rect->left);
    rect->top = Scale(rect->top);
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
}

void CUIDpi::ScaleBackRect(RECT* rect) const {
    int width = ScaleBack(rect->right - rect->left);
    int height = ScaleBack(rect->bottom - rect->top);
    rect->left = ScaleBack(rect->left);
    rect->top = ScaleBack(rect->top);
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
}

bool CUIDpi::SetDPIAwareness(int mode) {
    const SystemFunctions& system = System();
    if (!system.windows6OrLater) {
        m_awareness = mode;
        return false;
    }
    if (!system.setProcessDpiAwareness || system.setProcessDpiAwareness(mode) != S_OK) return false;
    m_awareness = mode;
    return true;
}

int CUIDpi::GetDPIAwareness() {
    const SystemFunctions& system = System();
    int awareness = 0;
    // A null process means this process; a real handle of it reads as "unaware" on some systems.
    if (system.getProcessDpiAwareness && system.getProcessDpiAwareness(nullptr, &awareness) == S_OK) {
        m_awareness = awareness;
    }
    return m_awareness;
}

int CUIDpi::GetDPIOfMonitor(HMONITOR monitor) const {
    const SystemFunctions& system = System();
    if (!system.windows6OrLater) {
        HDC screen = GetDC(nullptr);
        int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : kDefaultDpi;
        if (screen) ReleaseDC(nullptr, screen);
        return dpi;
    }
    if (!system.getDpiForMonitor) return kDefaultDpi;
    UINT dpiX = 0;
    UINT dpiY = 0;
    if (system.getDpiForMonitor(monitor, kMdtEffectiveDpi, &dpiX, &dpiY) != S_OK) {
        LogPrintW(L"CUIDpi::GetDPIOfMonitor: GetDpiForMonitor failed\n");
        gReporter(L"GetDpiForMonitor failed", L"Notification");
        return kDefaultDpi;
    }
    return static_cast<int>(dpiX);
}

int CUIDpi::GetDPIOfMonitorNearestToPoint(POINT point) const {
    return GetDPIOfMonitor(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST));
}

}  // namespace SkinUI
