#include "DemoListsWindow.h"

#include "DemoControls.h"
#include "UIList.h"
#include "UIListElement.h"
#include "UIMenuElement.h"

#include <cstdio>

using namespace SkinUI;

namespace SkinDemo {

namespace {

constexpr UINT kSelfCheckMessage = WM_APP + 41;
constexpr UINT_PTR kWatchdogTimer = 4001;
constexpr UINT_PTR kOpenMenuTimer = 4002;
// The menu opens once the window is shown and active, or the activation would take its focus and
// close it at once.
constexpr UINT kOpenMenuDelay = 300;
constexpr UINT kWatchdogMilliseconds = 20000;

const wchar_t* const kScenes[][3] = {
    {L"1", L"Daily drive", L"Saved"},   {L"2", L"Concert hall", L"Saved"}, {L"3", L"Bass boost", L"Saved"},
    {L"4", L"(locked)", L"Locked"},     {L"5", L"Night", L"Empty"},       {L"6", L"Voice", L"Empty"},
    {L"7", L"Competition", L"Saved"},   {L"8", L"Reference", L"Empty"},   {L"9", L"Test tones", L"Empty"},
    {L"10", L"Factory", L"Saved"},
};

DWORD ScreenPixel(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF pixel = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return static_cast<DWORD>(GetRValue(pixel)) << 16 | static_cast<DWORD>(GetGValue(pixel)) << 8 | GetBValue(pixel);
}

// A pixel near the right end of a control, halfway down, on its window's screen.
bool Check(const wchar_t* what, CControlUI* control, DWORD rgb) {
    if (!control || !control->GetManager()) {
        fwprintf(stderr, L"skin_demo: no %ls\n", what);
        return false;
    }
    const RECT& pos = control->GetPos();
    const int x = pos.right - 12;
    const int y = (pos.top + pos.bottom) / 2;
    const DWORD seen = ScreenPixel(control->GetManager()->GetWindowHandle(), x, y);
    if (seen == rgb) return true;
    fwprintf(stderr, L"skin_demo: %ls at (%d, %d) shows %06lX, expected %06lX\n", what, x, y,
             static_cast<unsigned long>(seen), static_cast<unsigned long>(rgb));
    return false;
}

}  // namespace

SKINUI_BEGIN_NOTIFY_MAP(CDemoListsWindow, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"menubtn", &CDemoListsWindow::OnMenuButton)
    SKINUI_NOTIFY_ENTRY(L"windowinit", L"", &CDemoListsWindow::OnWindowInit)
SKINUI_END_NOTIFY_MAP()

CDemoListsWindow::~CDemoListsWindow() {
    m_menu.reset();
    // The check map is this window's: its records go, and the menus forget it.
    CMenuWnd::DestroyMenu();
    GetMenuObserver().SetMenuCheckInfo(nullptr);
}

CControlUI* CDemoListsWindow::CreateControl(const wchar_t* className) {
    if (EqualsIgnoreCase(className, L"DemoLabel")) return new CDemoLabelUI;
    if (EqualsIgnoreCase(className, L"DemoButton")) return new CDemoButtonUI;
    return nullptr;
}

LRESULT CDemoListsWindow::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    m_menu.reset();
    PostQuitMessage(m_exitCode);
    handled = FALSE;
    return 0;
}

void CDemoListsWindow::FillRows() {
    auto* list = static_cast<CListUI*>(m_pm.FindControlByName(L"scenes")->GetInterface(L"List"));
    for (int row = 0; row < list->GetCount() && row < 10; ++row) {
        auto* item = static_cast<CListTextElementUI*>(list->GetItemAt(row)->GetInterface(L"ListTextElement"));
        for (int column = 0; item && column < 3; ++column) item->SetText(column, kScenes[row][column]);
    }
    list->SelectItem(1);
    static_cast<CListUI*>(m_pm.FindControlByName(L"plain")->GetInterface(L"List"))->SelectItem(2);
}

void CDemoListsWindow::OpenMenu(bool withSubMenu) {
    m_menu.reset();  // a menu still open goes first, window and all
    CControlUI* button = m_pm.FindControlByName(L"menubtn");
    POINT at = {button->GetPos().left, button->GetPos().bottom};
    ClientToScreen(m_hWnd, &at);
    m_menu = std::make_unique<CMenuWnd>();
    m_menu->Init(nullptr, L"xml/menu.xml", at, &m_pm, &m_menuChecks,
                 eMenuAlignment_Left | eMenuAlignment_Top);
    if (!withSubMenu || !m_menu->GetHandle()) return;
    UpdateWindow(m_menu->GetHandle());
    // The mouse over "Language" opens its sub-menu.
    CControlUI* language = m_menu->GetPaintManager()->FindControlByName(L"menu_language");
    if (!language) return;
    const RECT& pos = language->GetPos();
    SendMessageW(m_menu->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM((pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2));
}

void CDemoListsWindow::OnMenuButton(TNotifyMessage&) { OpenMenu(false); }

void CDemoListsWindow::OnWindowInit(TNotifyMessage&) {
    FillRows();
    SetTimer(m_hWnd, kOpenMenuTimer, kOpenMenuDelay, nullptr);
    if (m_selfCheck) SetTimer(m_hWnd, kWatchdogTimer, kWatchdogMilliseconds, nullptr);
}

LRESULT CDemoListsWindow::HandleOtherMessage(UINT message, WPARAM wParam, LPARAM, BOOL& handled) {
    if (message == WM_MENU_CLICK) {
        const auto* record = reinterpret_cast<const MenuCmd*>(wParam);
        CUIString text(L"Chose ");
        text += record->szName;
        if (CControlUI* title = m_pm.FindControlByName(L"title")) title->SetText(text.Data());
        CPaintManagerUI::FreeBlock(reinterpret_cast<void*>(wParam));
        return 0;
    }
    if (message == WM_TIMER && wParam == kOpenMenuTimer) {
        KillTimer(m_hWnd, kOpenMenuTimer);
        OpenMenu(true);
        if (m_selfCheck) PostMessageW(m_hWnd, kSelfCheckMessage, 0, 0);
        return 0;
    }
    if (message == kSelfCheckMessage) {
        m_exitCode = RunSelfCheck() ? 0 : 2;
        m_menu.reset();
        PostClose(IDOK);
        return 0;
    }
    if (message == WM_TIMER && wParam == kWatchdogTimer) {
        fwprintf(stderr, L"skin_demo: the lists page did not finish its check in time\n");
        m_exitCode = 3;
        m_menu.reset();
        PostClose(IDCANCEL);
        return 0;
    }
    handled = FALSE;
    return 0;
}

bool CDemoListsWindow::RunSelfCheck() {
    UpdateWindow(m_hWnd);
    auto* scenes = static_cast<CListUI*>(m_pm.FindControlByName(L"scenes")->GetInterface(L"List"));
    bool ok = Check(L"selected scene", scenes->GetItemAt(1), 0x3D6A99);
    ok = Check(L"scene row", scenes->GetItemAt(0), 0xFFFFFF) && ok;
    ok = Check(L"header", m_pm.FindControlByName(L"col_state"), 0xE3E8EE) && ok;
    ok = Check(L"plain selection", m_pm.FindControlByName(L"plain2"), 0x5CB85C) && ok;
    if (!m_menu || !m_menu->GetHandle()) {
        fwprintf(stderr, L"skin_demo: the menu did not open\n");
        return false;
    }
    UpdateWindow(m_menu->GetHandle());
    CPaintManagerUI* menu = m_menu->GetPaintManager();
    ok = Check(L"menu item", menu->FindControlByName(L"menu_open"), 0xFFFFFF) && ok;
    ok = Check(L"menu item under the mouse", menu->FindControlByName(L"menu_language"), 0xDCE8F4) && ok;
    auto* language = static_cast<CMenuElementUI*>(menu->FindControlByName(L"menu_language")->GetInterface(L"MenuElement"));
    CMenuWnd* sub = language ? language->GetSubMenuWnd() : nullptr;
    if (!sub || !sub->GetHandle()) {
        fwprintf(stderr, L"skin_demo: the sub-menu did not open\n");
        return false;
    }
    UpdateWindow(sub->GetHandle());
    ok = Check(L"sub-menu item", sub->GetPaintManager()->FindControlByName(L"menu_zh"), 0xFFFFFF) && ok;
    if (ok) fwprintf(stderr, L"skin_demo: lists and menus painted as laid out\n");
    return ok;
}

}  // namespace SkinDemo
