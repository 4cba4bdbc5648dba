#include "DemoWindow.h"

#include "DemoControls.h"
#include "UIAnimationTabLayout.h"
#include "UICombo.h"
#include "UIListElement.h"
#include "UIProgress.h"

#include <cstdio>

using namespace SkinUI;

namespace SkinDemo {

namespace {

constexpr UINT kSelfCheckMessage = WM_APP + 40;
constexpr UINT_PTR kWatchdogTimer = 4000;  // below the ids the paint manager keeps for its controls
constexpr UINT kWatchdogMilliseconds = 20000;
constexpr UINT kComboCheckMessage = WM_APP + 41;
constexpr UINT_PTR kPageSwitchTimer = 4001;
constexpr UINT kPageSwitchMilliseconds = 800;  // longer than the tab's page animation
constexpr int kControlsPage = 4;

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

// The controls page: each state's own picture or colour.
const TPixelCheck kControlChecks[] = {
    {L"btn_normal", 6, 4, 0x3D6A99},   {L"btn_hot", 6, 4, 0x4F82B8},     {L"btn_pushed", 6, 4, 0x2C5078},
    {L"btn_disabled", 6, 4, 0xB8C0C8}, {L"opt_selected", 4, 4, 0x5CB85C}, {L"opt_normal", 4, 4, 0xE3E8EE},
    {L"chk_on", 4, 4, 0x5CB85C},       {L"slider", 4, 10, 0x337AB7},      {L"slider", -4, 10, 0xC8D0D8},
    {L"progress", 4, 6, 0x5CB85C},     {L"progress", -4, 6, 0xDCE3EA},    {L"edit_disabled", 4, 4, 0xEEF1F4},
    {L"combo_open", 3, 3, 0xFFFFFF},
};

}  // namespace

SKINUI_BEGIN_NOTIFY_MAP(CDemoWindow, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"page0", &CDemoWindow::OnPageClick)
    SKINUI_NOTIFY_ENTRY(L"click", L"page1", &CDemoWindow::OnPageClick)
    SKINUI_NOTIFY_ENTRY(L"click", L"page2", &CDemoWindow::OnPageClick)
    SKINUI_NOTIFY_ENTRY(L"click", L"page3", &CDemoWindow::OnPageClick)
    SKINUI_NOTIFY_ENTRY(L"click", L"page4", &CDemoWindow::OnPageClick)
    SKINUI_NOTIFY_ENTRY(L"movevaluechanged", L"slider", &CDemoWindow::OnSliderMove)
    SKINUI_NOTIFY_ENTRY(L"valuechanged", L"slider", &CDemoWindow::OnSliderMove)
    SKINUI_NOTIFY_ENTRY(L"tabselect", L"pages", &CDemoWindow::OnTabSelect)
    SKINUI_NOTIFY_ENTRY(L"windowinit", L"", &CDemoWindow::OnWindowInit)
SKINUI_END_NOTIFY_MAP()

CControlUI* CDemoWindow::CreateControl(const wchar_t* className) {
    if (EqualsIgnoreCase(className, L"DemoLabel")) return new CDemoLabelUI;
    if (EqualsIgnoreCase(className, L"DemoButton")) return new CDemoButtonUI;
    if (EqualsIgnoreCase(className, L"DemoStateButton")) return new CDemoStateButtonUI;
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

void CDemoWindow::OnSliderMove(TNotifyMessage& msg) {
    auto* slider = static_cast<CSliderUI*>(msg.pSender->GetInterface(L"Slider"));
    CControlUI* value = m_pm.FindControlByName(L"slider_value");
    if (!slider || !value) return;
    CUIString text;
    text.Format(L"%d", slider->GetValue());
    value->SetText(text.Data());
}

void CDemoWindow::ShowControlsPage() {
    if (auto* pages = static_cast<CAnimationTabLayoutUI*>(m_pm.FindControlByName(L"pages"))) pages->SelectItem(kControlsPage);
    SetTimer(m_hWnd, kPageSwitchTimer, kPageSwitchMilliseconds, nullptr);
}

void CDemoWindow::OpenCombo() {
    if (CControlUI* combo = m_pm.FindControlByName(L"combo_open")) combo->Activate();
}

void CDemoWindow::OnWindowInit(TNotifyMessage&) {
    if (m_controlsPage && !m_selfCheck) ShowControlsPage();
    if (!m_selfCheck) return;
    // After this first paint has finished.
    PostMessageW(m_hWnd, kSelfCheckMessage, 0, 0);
    SetTimer(m_hWnd, kWatchdogTimer, kWatchdogMilliseconds, nullptr);
}

LRESULT CDemoWindow::HandleOtherMessage(UINT message, WPARAM wParam, LPARAM, BOOL& handled) {
    if (message == kSelfCheckMessage) {
        if (!RunSelfCheck()) {
            m_exitCode = 2;
            PostClose(IDOK);
            return 0;
        }
        ShowControlsPage();
        return 0;
    }
    if (message == WM_TIMER && wParam == kPageSwitchTimer) {
        KillTimer(m_hWnd, kPageSwitchTimer);
        if (!m_selfCheck) {
            OpenCombo();
            return 0;
        }
        if (!CheckControlsPage()) {
            m_exitCode = 2;
            PostClose(IDOK);
            return 0;
        }
        OpenCombo();
        PostMessageW(m_hWnd, kComboCheckMessage, 0, 0);
        return 0;
    }
    if (message == kComboCheckMessage) {
        m_exitCode = CheckOpenCombo() ? 0 : 2;
        if (m_exitCode == 0) fwprintf(stderr, L"skin_demo: painted as laid out\n");
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

namespace {

bool CheckPixels(CPaintManagerUI& manager, const TPixelCheck* checks, size_t count,
                 DWORD (*pixel)(HWND window, int x, int y)) {
    bool ok = true;
    for (size_t i = 0; i < count; ++i) {
        const TPixelCheck& check = checks[i];
        CControlUI* control = manager.FindControlByName(check.control);
        if (!control) {
            fwprintf(stderr, L"skin_demo: no control %ls\n", check.control);
            ok = false;
            continue;
        }
        const RECT& pos = control->GetPos();
        const int x = check.dx >= 0 ? pos.left + check.dx : pos.right + check.dx;
        const int y = check.dy >= 0 ? pos.top + check.dy : pos.bottom + check.dy;
        const DWORD seen = pixel(manager.GetWindowHandle(), x, y);
        if (seen != check.rgb) {
            fwprintf(stderr, L"skin_demo: %ls at (%d, %d) shows %06lX, expected %06lX\n", check.control, x, y,
                     static_cast<unsigned long>(seen), static_cast<unsigned long>(check.rgb));
            ok = false;
        }
    }
    return ok;
}

DWORD WindowScreenPixel(HWND window, int x, int y) {
    HDC windowDc = GetDC(window);
    const COLORREF pixel = GetPixel(windowDc, x, y);
    ReleaseDC(window, windowDc);
    return static_cast<DWORD>(GetRValue(pixel)) << 16 | static_cast<DWORD>(GetGValue(pixel)) << 8 | GetBValue(pixel);
}

}  // namespace

bool CDemoWindow::CheckControlsPage() {
    UpdateWindow(m_hWnd);
    return CheckPixels(m_pm, kControlChecks, sizeof kControlChecks / sizeof kControlChecks[0], &WindowScreenPixel);
}

// The popup is a layered window: its picture is read from its manager's bitmap.
bool CDemoWindow::CheckOpenCombo() {
    auto* combo = static_cast<CComboUI*>(m_pm.FindControlByName(L"combo_open"));
    CComboWnd* popup = combo ? combo->GetDropWindow() : nullptr;
    if (!popup) {
        fwprintf(stderr, L"skin_demo: the combo did not open\n");
        return false;
    }
    UpdateWindow(popup->GetHandle());
    CPaintManagerUI& manager = popup->GetPaintManager();
    const RECT item = combo->GetItemAt(combo->GetCurSel())->GetPos();
    const DWORD* pixels = manager.GetOffscreenPixels();
    const SIZE size = manager.GetOffscreenSize();
    const int x = item.left + 3, y = item.top + 3;
    if (!pixels || x >= size.cx || y >= size.cy) {
        fwprintf(stderr, L"skin_demo: the combo's popup was not painted\n");
        return false;
    }
    GdiFlush();
    const DWORD seen = pixels[static_cast<size_t>(y) * size.cx + x] & 0xFFFFFF;
    if (seen != 0x337AB7) {
        fwprintf(stderr, L"skin_demo: the open combo's selected item shows %06lX, expected 337AB7\n",
                 static_cast<unsigned long>(seen));
        return false;
    }
    return true;
}

bool CDemoWindow::RunSelfCheck() {
    UpdateWindow(m_hWnd);
    return CheckPixels(m_pm, kPixelChecks, sizeof kPixelChecks / sizeof kPixelChecks[0], &WindowScreenPixel);
}

}  // namespace SkinDemo
