#include "DemoCompositeWindow.h"

#include "DemoControls.h"
#include "UIColorPalette.h"
#include "UIComboBox.h"
#include "UIListEx.h"
#include "UILoadingBar.h"
#include "UIOption.h"
#include "UITreeView.h"

#include <cstdio>

using namespace SkinUI;

namespace SkinDemo {

namespace {

constexpr UINT kSelfCheckMessage = WM_APP + 42;
constexpr UINT_PTR kWatchdogTimer = 4003;
constexpr UINT kWatchdogMilliseconds = 20000;

const wchar_t* const kChannels[][3] = {
    {L"Front left", L"-3.0", L"Tweeter"},
    {L"Front right", L"-3.0", L"Tweeter"},
    {L"Rear", L"{a rear}linked{/a}", L"Full range"},
    {L"Subwoofer", L"+1.5", L"Subwoofer"},
};

DWORD ScreenPixel(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF pixel = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return static_cast<DWORD>(GetRValue(pixel)) << 16 | static_cast<DWORD>(GetGValue(pixel)) << 8 | GetBValue(pixel);
}

struct TPixelCheck {
    const wchar_t* control;
    int dx, dy;  // from the control's top-left; negative: from its right or bottom
    DWORD rgb;
};

const TPixelCheck kPixelChecks[] = {
    {L"group", 5, 120, 0x3D6A99},       // the group box's left frame line
    {L"node_front", 150, 9, 0x3D6A99},  // the selected tree row
    {L"row1", -40, 13, 0xF0AD4E},       // a cell colour of the list
    {L"gif", 12, 12, 0x5CB85C},         // the GIF's first frame
    {L"loading", -3, 3, 0x3A4B5D},      // the loading bar's track
};

}  // namespace

SKINUI_BEGIN_NOTIFY_MAP(CDemoCompositeWindow, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"windowinit", L"", &CDemoCompositeWindow::OnWindowInit)
    SKINUI_NOTIFY_ENTRY(L"link", L"links", &CDemoCompositeWindow::OnLink)
    SKINUI_NOTIFY_ENTRY(L"colorchanged", L"palette", &CDemoCompositeWindow::OnColorChanged)
SKINUI_END_NOTIFY_MAP()

CControlUI* CDemoCompositeWindow::CreateControl(const wchar_t* className) {
    if (EqualsIgnoreCase(className, L"DemoLabel")) return new CDemoLabelUI;
    return nullptr;
}

LRESULT CDemoCompositeWindow::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    PostQuitMessage(m_exitCode);
    handled = FALSE;
    return 0;
}

void CDemoCompositeWindow::FillControls() {
    auto* list = dynamic_cast<CListExUI*>(m_pm.FindControlByName(L"channels"));
    for (int row = 0; list && row < list->GetCount() && row < 4; ++row) {
        auto* item = static_cast<CListTextExtElementUI*>(list->GetItemAt(row)->GetInterface(L"ListTextExElement"));
        for (int column = 0; item && column < 3; ++column) item->SetColumnText(column, kChannels[row][column]);
        if (item && row != 2) item->SetChecked(true);
    }
    if (list) list->SetCellColour(1, 2, 0xFFF0AD4E);
    if (auto* node = dynamic_cast<CTreeNodeUI*>(m_pm.FindControlByName(L"node_front"))) node->Select(true);
    if (auto* rear = dynamic_cast<CTreeNodeUI*>(m_pm.FindControlByName(L"node_rear"))) {
        rear->GetFolderButton()->Selected(true);  // collapsed
        rear->SetCheckBoxSelected(true);
    }
    if (auto* combo = dynamic_cast<CComboBoxUI*>(m_pm.FindControlByName(L"combo"))) combo->SelectItem(1);
    if (auto* roll = dynamic_cast<CRollTextUI*>(m_pm.FindControlByName(L"roll"))) roll->BeginRoll(CRollTextUI::kLeft, 40, 30);
    if (auto* palette = dynamic_cast<CColorPaletteUI*>(m_pm.FindControlByName(L"palette"))) palette->SetColor(0xFFFF0000);
}

void CDemoCompositeWindow::OnWindowInit(TNotifyMessage&) {
    FillControls();
    if (!m_selfCheck) return;
    PostMessageW(m_hWnd, kSelfCheckMessage, 0, 0);
    SetTimer(m_hWnd, kWatchdogTimer, kWatchdogMilliseconds, nullptr);
}

void CDemoCompositeWindow::OnLink(TNotifyMessage& msg) {
    CUIString text;
    text.Format(L"Link %d chosen", static_cast<int>(msg.wParam));
    if (CControlUI* title = m_pm.FindControlByName(L"title")) title->SetText(text.Data());
}

void CDemoCompositeWindow::OnColorChanged(TNotifyMessage& msg) {
    if (CControlUI* group = m_pm.FindControlByName(L"group")) {
        CUIString text;
        text.Format(L"Colour #%06X", static_cast<unsigned>(msg.wParam & 0xFFFFFF));
        group->SetText(text.Data());
    }
}

LRESULT CDemoCompositeWindow::HandleOtherMessage(UINT message, WPARAM wParam, LPARAM, BOOL& handled) {
    if (message == kSelfCheckMessage) {
        m_exitCode = RunSelfCheck() ? 0 : 2;
        PostClose(IDOK);
        return 0;
    }
    if (message == WM_TIMER && wParam == kWatchdogTimer) {
        fwprintf(stderr, L"skin_demo: the composite page did not finish its check in time\n");
        m_exitCode = 3;
        PostClose(IDCANCEL);
        return 0;
    }
    handled = FALSE;
    return 0;
}

bool CDemoCompositeWindow::RunSelfCheck() {
    InvalidateRect(m_hWnd, nullptr, FALSE);
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
        const DWORD seen = ScreenPixel(m_hWnd, x, y);
        if (seen != check.rgb) {
            fwprintf(stderr, L"skin_demo: %ls at (%d, %d) shows %06lX, expected %06lX\n", check.control, x, y,
                     static_cast<unsigned long>(seen), static_cast<unsigned long>(check.rgb));
            ok = false;
        }
    }
    if (ok) fwprintf(stderr, L"skin_demo: composite controls painted as laid out\n");
    return ok;
}

}  // namespace SkinDemo
