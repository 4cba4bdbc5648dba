#include "DemoWindow.h"

#include "DemoControls.h"
#include "UIAnimationTabLayout.h"

#include <cstdio>

using namespace SkinUI;

namespace SkinDemo {

namespace {

constexpr UINT kSelfCheckMessage = WM_APP + 40;
constexpr UINT_PTR kWatchdogTimer = 4000;  // below the ids the paint manager keeps for its controls
constexpr UINT kWatchdogMilliseconds = 20000;

struct TPixelCheck {
    const wchar_t* control;
    int dx, dy;    // from the control's top-left; negative: from its right or bottom
    DWORD rgb;
};

const TPixelCheck kPixelChecks[] = {
    {L"caption", 300, 4, 0x2B3A4A},
    {L"statusbar", -20, 12, 0xE3E8EE},
    {L"swatch_red", 45, 45, 0xD9534F},
    {L"swatch_green", 45, 45, 0x5CB85C},
    {L"swatch_blue", 45, 45, 0x337AB7},
    {L"page0", 8, 4, 0x3D6A99},
};

}  // namespace

SKINUI_BEGIN_NOTIFY_MAP(CDemoWindow, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"page0", &CDemoWindow::OnPageClick)
    SKINUI_NOTIFY_ENTRY(L"click", L"page1", &CDemoWindow::OnPageClick)
    SKINUI_NOTIFY_ENTRY(L"click", L"page2", &CDemoWindow::OnPageClick)
    SKINUI_NOTIFY_ENTRY(L"click", L"page3", &CDemoWindow::OnPageClick)
    SKINUI_NOTIFY_ENTRY(L"tabselect", L"pages", &CDemoWindow::OnTabSelect)
    SKINUI_NOTIFY_ENTRY(L"windowinit", L"", &CDemoWindow::OnWindowInit)
SKINUI_END_NOTIFY_MAP()

CControlUI* CDemoWindow::CreateControl(const wchar_t* className) {
    if (EqualsIgnoreCase(className, L"DemoLabel")) return new CDemoLabelUI;
    if (EqualsIgnoreCase(className, L"DemoButton")) return new CDemoButtonUI;
    return nullptr;
}

LRESULT CDemoWindow::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    PostQuitMessage(m_exitCode);
    handled = FALSE;
    return 0;
}

void CDemoWindow::OnPageClick(TNotifyMessage& msg) {
    const CUIString name = msg.pSender->GetName();
    auto* pages = static_cast<CAnimationTabLayoutUI*>(m_pm.FindControlByName(L"pages"));
    if (pages) pages->SelectItem(name[name.Length() - 1] - L'0');
}

void CDemoWindow::OnTabSelect(TNotifyMessage& msg) {
    CUIString text;
    auto* pages = static_cast<CAnimationTabLayoutUI*>(m_pm.FindControlByName(L"pages"));
    text.Format(L"Page %d of %d", static_cast<int>(msg.wParam) + 1, pages ? pages->GetCount() : 0);
    if (CControlUI* status = m_pm.FindControlByName(L"status")) status->SetText(text.Data());
}

void CDemoWindow::OnWindowInit(TNotifyMessage&) {
    if (!m_selfCheck) return;
    // After this first paint has finished.
    PostMessageW(m_hWnd, kSelfCheckMessage, 0, 0);
    SetTimer(m_hWnd, kWatchdogTimer, kWatchdogMilliseconds, nullptr);
}

LRESULT CDemoWindow::HandleOtherMessage(UINT message, WPARAM wParam, LPARAM, BOOL& handled) {
    if (message == kSelfCheckMessage) {
        m_exitCode = RunSelfCheck() ? 0 : 2;
        PostClose(IDOK);
        return 0;
    }
    if (message == WM_TIMER && wParam == kWatchdogTimer) {
        fwprintf(stderr, L"skin_demo: the window did not finish its check in time\n");
        m_exitCode = 3;
        PostClose(IDCANCEL);
        return 0;
    }
    handled = FALSE;
    return 0;
}

DWORD CDemoWindow::ScreenPixel(int x, int y) const {
    HDC windowDc = GetDC(m_hWnd);
    const COLORREF pixel = GetPixel(windowDc, x, y);
    ReleaseDC(m_hWnd, windowDc);
    return static_cast<DWORD>(GetRValue(pixel)) << 16 | static_cast<DWORD>(GetGValue(pixel)) << 8 | GetBValue(pixel);
}

bool CDemoWindow::RunSelfCheck() {
    UpdateWindow(m_hWnd);
    bool ok = true;
    for (const TPixelCheck& check : kPixelChecks) {
        CControlUI* control = m_pm.FindControlByName(check.control);
        if (!control) {
            fwprintf(stderr, L"skin_demo: no control %ls\n", check.control);
            ok = false;
            continue;
        }
        const RECT& pos = control->GetPos();
        const int x = check.dx >= 0 ? pos.left + check.dx : pos.right + check.dx;
        const int y = check.dy >= 0 ? pos.top + check.dy : pos.bottom + check.dy;
        const DWORD seen = ScreenPixel(x, y);
        if (seen != check.rgb) {
            fwprintf(stderr, L"skin_demo: %ls at (%d, %d) shows %06lX, expected %06lX\n", check.control, x, y,
                     static_cast<unsigned long>(seen), static_cast<unsigned long>(check.rgb));
            ok = false;
        }
    }
    if (ok) fwprintf(stderr, L"skin_demo: painted as laid out\n");
    return ok;
}

}  // namespace SkinDemo
