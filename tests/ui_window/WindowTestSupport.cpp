#include "WindowTestSupport.h"

#include <algorithm>

#include <ole2.h>

#include <cwchar>

using namespace SkinUI;

namespace WindowTest {

namespace {

int g_layoutFailures = 0;
std::wstring g_lastFailedLayout;

void RecordLayoutFailure(const wchar_t* layout) {
    ++g_layoutFailures;
    g_lastFailedLayout = layout ? layout : L"";
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Probe

bool CProbeUI::Activate() {
    if (!CControlUI::Activate()) return false;
    ++activations;
    return true;
}

void CProbeUI::DoEvent(TUIEvent& event) {
    events.push_back(event);
    if (event.Type == UIEVENT_BUTTONUP && m_clickOnUp && m_pManager && PtInRect(&m_rcItem, event.ptMouse)) {
        m_pManager->RaiseNotify(this, L"click");
        return;  // this control may be gone now
    }
    CControlUI::DoEvent(event);
}

void CProbeUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    const bool on = EqualsIgnoreCase(value, L"true");
    if (EqualsIgnoreCase(name, L"tabstop"))
        m_flags = on ? (m_flags | UIFLAG_TABSTOP) : (m_flags & ~UIFLAG_TABSTOP);
    else if (EqualsIgnoreCase(name, L"gdicolor")) {
        const DWORD rgb = wcstoul(value, nullptr, 16);
        m_gdiColor = RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
    } else if (EqualsIgnoreCase(name, L"clickonup"))
        m_clickOnUp = on;
    else if (EqualsIgnoreCase(name, L"wantcursor"))
        m_flags = on ? (m_flags | UIFLAG_SETCURSOR) : (m_flags & ~UIFLAG_SETCURSOR);
    else
        CControlUI::SetAttribute(name, value);
}

bool CProbeUI::DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) {
    ++paints;
    CControlUI::DoPaint(hdc, paintRect, stopControl);
    if (m_gdiColor != CLR_INVALID) {
        HBRUSH brush = CreateSolidBrush(m_gdiColor);
        FillRect(hdc, &m_rcItem, brush);
        DeleteObject(brush);
    }
    return true;
}

int CProbeUI::Count(int type) const {
    int count = 0;
    for (const TUIEvent& event : events) count += event.Type == type;
    return count;
}

std::vector<int> CProbeUI::Types() const {
    std::vector<int> types;
    for (const TUIEvent& event : events) types.push_back(event.Type);
    return types;
}

const TUIEvent* CProbeUI::Last(int type) const {
    for (auto it = events.rbegin(); it != events.rend(); ++it)
        if (it->Type == type) return &*it;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Test window

SKINUI_BEGIN_NOTIFY_MAP(CTestWindow, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"windowinit", L"", &CTestWindow::Record)
    SKINUI_NOTIFY_ENTRY(L"windowsize", L"", &CTestWindow::Record)
    SKINUI_NOTIFY_ENTRY(L"timer", L"", &CTestWindow::Record)
    SKINUI_NOTIFY_ENTRY(L"setfocus", L"", &CTestWindow::Record)
    SKINUI_NOTIFY_ENTRY(L"killfocus", L"", &CTestWindow::Record)
    SKINUI_NOTIFY_ENTRY(L"tabselect", L"", &CTestWindow::Record)
    SKINUI_NOTIFY_ENTRY(L"immediate", L"", &CTestWindow::Record)
    SKINUI_NOTIFY_ENTRY(L"queued", L"", &CTestWindow::RecordParams)
SKINUI_END_NOTIFY_MAP()

CTestWindow::~CTestWindow() {
    if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
}

HWND CTestWindow::Create(HWND owner, int x, int y, DWORD style) {
    HWND hwnd = CreateNativeWindow(owner, L"skin test", style, WS_EX_TOOLWINDOW, x, y, 0, 0);
    if (hwnd) {
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        UpdateWindow(hwnd);
        Pump();
    }
    return hwnd;
}

CProbeUI* CTestWindow::Probe(const wchar_t* name) { return dynamic_cast<CProbeUI*>(Control(name)); }

CControlUI* CTestWindow::Control(const wchar_t* name) {
    CControlUI* control = m_pm.FindControlByName(name);
    EXPECT_NE(nullptr, control) << "no control named " << std::string(name, name + wcslen(name));
    return control;
}

std::vector<TNote> CTestWindow::NotesOf(const wchar_t* type) const {
    std::vector<TNote> found;
    for (const TNote& note : notes)
        if (note.type == type) found.push_back(note);
    return found;
}

CControlUI* CTestWindow::CreateControl(const wchar_t* className) {
    if (EqualsIgnoreCase(className, L"Probe")) return new CProbeUI;
    if (EqualsIgnoreCase(className, L"LabelProbe")) return new CLabelProbeUI;
    return nullptr;
}

void CTestWindow::OnClick(TNotifyMessage& msg) {
    WindowImplBase::OnClick(msg);
    Record(msg);  // last: a recording hook may destroy the window
}

BOOL CTestWindow::OnDefaultKey(WPARAM key) {
    ++defaultKeys;
    return WindowImplBase::OnDefaultKey(key);
}

LRESULT CTestWindow::OnClose(UINT, WPARAM, LPARAM, BOOL& handled) {
    ++closeRequests;
    handled = refuseClose;  // handled: the default procedure does not destroy the window
    return 0;
}

void CTestWindow::OnWindowDestroyed(HWND hwnd) {
    destroyed = true;
    WindowImplBase::OnWindowDestroyed(hwnd);
}

void CTestWindow::Record(TNotifyMessage& msg) {
    notes.push_back({msg.sType.Data(), msg.pSender ? msg.pSender->GetName().Data() : L"", msg.wParam, msg.lParam});
    if (onNote) onNote(msg);
}

void CTestWindow::RecordParams(WPARAM wParam, LPARAM lParam) { notes.push_back({L"queued", L"", wParam, lParam}); }

// ---------------------------------------------------------------------------------------------------
// Messages and pixels

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // left for the test to see
            return;
        }
        if (!CPaintManagerUI::PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

DWORD WindowPixel(HWND window, int x, int y) {
    HDC windowDc = GetDC(window);
    HDC memory = CreateCompatibleDC(windowDc);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, 1, 1, windowDc, x, y, SRCCOPY);
    GdiFlush();
    const DWORD pixel = *static_cast<DWORD*>(bits) & 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, windowDc);
    return pixel;
}

DWORD OffscreenPixel(CPaintManagerUI& manager, int x, int y) {
    const DWORD* pixels = manager.GetOffscreenPixels();
    const SIZE size = manager.GetOffscreenSize();
    EXPECT_NE(nullptr, pixels);
    if (!pixels || x < 0 || y < 0 || x >= size.cx || y >= size.cy) return 0xDEADBEEF;
    GdiFlush();
    return pixels[static_cast<size_t>(y) * size.cx + x];
}

std::vector<DWORD> PaintTreeOnCanvas(CPaintManagerUI& manager, SIZE size, const RECT& area, bool asWindowPaint,
                                     DWORD fill) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    auto* pixels = static_cast<DWORD*>(bits);
    const size_t count = static_cast<size_t>(size.cx) * size.cy;
    std::fill(pixels, pixels + count, fill);
    CControlUI neverReached;
    manager.GetRootControl()->Paint(dc, area, asWindowPaint ? nullptr : &neverReached);
    GdiFlush();
    std::vector<DWORD> result(pixels, pixels + count);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return result;
}

void SetKeyDown(int key, bool down) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[key] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

// ---------------------------------------------------------------------------------------------------
// Environment

void WindowEnvironment::SetUp() {
    OleInitialize(nullptr);
    CPaintManagerUI::SetModuleInstance(GetModuleHandleW(nullptr));
    WindowImplBase::SetLayoutFailureHandler(&RecordLayoutFailure);
}

void WindowEnvironment::TearDown() {
    CPaintManagerUI::ShutdownShared(true);
    OleUninitialize();
}

// Every program of these tests runs in the environment.
const auto* g_environment = ::testing::AddGlobalTestEnvironment(new WindowEnvironment);

int WindowEnvironment::LayoutFailures() { return g_layoutFailures; }

std::wstring WindowEnvironment::LastFailedLayout() { return g_lastFailedLayout; }

}  // namespace WindowTest
