#include "UITxtWinHost.h"

#include "UIComGuard.h"
#include "UIManager.h"
#include "UIRender.h"
#include "UIRichEdit.h"
#include "UIScrollBar.h"

#include <imm.h>

#include <cwchar>

namespace SkinUI {

// {8D33F740-CF58-11CE-A89D-00AA006CADC5}
const IID kIidTextServices = {0x8D33F740, 0xCF58, 0x11CE, {0xA8, 0x9D, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};
// {C5BDD8D0-D26E-11CE-A89E-00AA006CADC5}
const IID kIidTextHost = {0xC5BDD8D0, 0xD26E, 0x11CE, {0xA8, 0x9E, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};

namespace {

constexpr LONG kDefaultTab = 720;  // twips
constexpr DWORD kCharFormatMask =
    CFM_SIZE | CFM_OFFSET | CFM_FACE | CFM_CHARSET | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE;

PCreateTextServices LoadCreateTextServices() {
    HMODULE module = LoadLibraryW(CRichEditUI::GetEngineModule());  // kept loaded: the engine lives there
    if (!module) return nullptr;
    return reinterpret_cast<PCreateTextServices>(
        reinterpret_cast<void*>(GetProcAddress(module, "CreateTextServices")));
}

}  // namespace

CTxtWinHost::~CTxtWinHost() {
    if (!m_pServ) return;
    m_pServ->OnTxInPlaceDeactivate();
    m_pServ->Release();
    m_pServ = nullptr;
}

bool CTxtWinHost::Init(CRichEditUI* owner, DWORD style, const wchar_t* text) {
    m_pOwner = owner;
    m_cRefs = 1;
    m_dwStyle = style;
    BuildCharFormat(nullptr);
    m_bRich = owner->m_bRich;
    m_cchTextMost = owner->m_iLimitText;
    m_bWordWrap = !(style & (ES_AUTOHSCROLL | WS_HSCROLL));
    BuildParaFormat(style);
    m_bInplaceActive = true;

    PCreateTextServices create = LoadCreateTextServices();
    if (!create) return false;
    IUnknown* unknown = nullptr;
    if (FAILED(create(nullptr, this, &unknown)) || !unknown) return false;
    const HRESULT hr = unknown->QueryInterface(kIidTextServices, reinterpret_cast<void**>(&m_pServ));
    unknown->Release();
    if (FAILED(hr) || !m_pServ) {
        m_pServ = nullptr;
        return false;
    }
    if (text && *text && FAILED(m_pServ->TxSetText(text))) return false;
    return true;
}

void CTxtWinHost::BuildCharFormat(HFONT font) {
    CPaintManagerUI* manager = m_pOwner->GetManager();
    if (!font && manager) font = m_pOwner->m_iFont >= 0 ? manager->GetFontHandle(m_pOwner->m_iFont) : nullptr;
    if (!font && manager && manager->GetDefaultFontRecord()) font = manager->GetDefaultFontRecord()->handle;
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW lf = {};
    GetObjectW(font, sizeof lf, &lf);
    HDC dc = manager && manager->GetPaintDeviceContext() ? manager->GetPaintDeviceContext() : nullptr;
    const int dpiY = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    m_cf = CHARFORMAT2W{};
    m_cf.cbSize = sizeof(CHARFORMAT2W);
    m_cf.yHeight = -lf.lfHeight * 1440 / (dpiY > 0 ? dpiY : 96);
    m_cf.yOffset = 0;
    m_cf.dwEffects = 0;
    if (lf.lfWeight >= FW_BOLD) m_cf.dwEffects |= CFE_BOLD;
    if (lf.lfItalic) m_cf.dwEffects |= CFE_ITALIC;
    if (lf.lfUnderline) m_cf.dwEffects |= CFE_UNDERLINE;
    m_cf.bCharSet = lf.lfCharSet;
    m_cf.bPitchAndFamily = lf.lfPitchAndFamily;
    lstrcpynW(m_cf.szFaceName, lf.lfFaceName, LF_FACESIZE);
    DWORD color = m_pOwner->m_dwTextColor;
    if (manager && manager->IsLayeredWindow()) CUIRender::CheckAlphaColor(color);
    m_cf.crTextColor = RGB(GetBValue(color), GetGValue(color), GetRValue(color));  // ARGB to COLORREF
    m_cf.dwMask = kCharFormatMask;
}

void CTxtWinHost::BuildParaFormat(DWORD style) {
    m_pf = PARAFORMAT2{};
    m_pf.cbSize = sizeof(PARAFORMAT2);
    m_pf.dwMask = PFM_ALL;
    m_pf.wAlignment = PFA_LEFT;
    if (style & ES_CENTER)
        m_pf.wAlignment = PFA_CENTER;
    else if (style & ES_RIGHT)
        m_pf.wAlignment = PFA_RIGHT;
    m_pf.cTabCount = 1;
    m_pf.rgxTabs[0] = kDefaultTab;
}

// ---------------------------------------------------------------------------------------------------
// IUnknown

HRESULT STDMETHODCALLTYPE CTxtWinHost::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, kIidTextHost)) return E_NOINTERFACE;
    AddRef();
    *out = static_cast<ITextHost*>(this);
    return S_OK;
}

ULONG STDMETHODCALLTYPE CTxtWinHost::AddRef() { return static_cast<ULONG>(++m_cRefs); }

ULONG STDMETHODCALLTYPE CTxtWinHost::Release() {
    const LONG count = --m_cRefs;
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

// ---------------------------------------------------------------------------------------------------
// ITextHost

HDC CTxtWinHost::TxGetDC() {
    CPaintManagerUI* manager = m_pOwner->GetManager();
    return manager ? manager->GetPaintDeviceContext() : nullptr;
}

INT CTxtWinHost::TxReleaseDC(HDC) { return 1; }

BOOL CTxtWinHost::TxShowScrollBar(INT bar, BOOL show) {
    CScrollBarUI* vertical = m_pOwner->GetVerticalScrollBar();
    CScrollBarUI* horizontal = m_pOwner->GetHorizontalScrollBar();
    if (vertical && (bar == SB_VERT || bar == SB_BOTH)) vertical->SetVisible(show != FALSE);
    if (horizontal && (bar == SB_HORZ || bar == SB_BOTH)) horizontal->SetVisible(show != FALSE);
    return TRUE;
}

BOOL CTxtWinHost::TxEnableScrollBar(INT bars, INT arrows) {
    const bool show = arrows != ESB_DISABLE_BOTH;
    CScrollBarUI* vertical = m_pOwner->GetVerticalScrollBar();
    CScrollBarUI* horizontal = m_pOwner->GetHorizontalScrollBar();
    if (vertical && (bars == SB_VERT || bars == SB_BOTH)) vertical->SetVisible(show);
    if (horizontal && (bars == SB_HORZ || bars == SB_BOTH)) horizontal->SetVisible(show);
    return TRUE;
}

BOOL CTxtWinHost::TxSetScrollRange(INT bar, LONG minPos, INT maxPos, BOOL) {
    const bool vertical = bar == SB_VERT;
    CScrollBarUI* scrollBar = vertical ? m_pOwner->GetVerticalScrollBar() : m_pOwner->GetHorizontalScrollBar();
    if (!scrollBar) return TRUE;
    const LONG client = vertical ? m_rcClient.bottom - m_rcClient.top : m_rcClient.right - m_rcClient.left;
    const LONG range = maxPos - minPos - client;
    if (range > 0) {
        scrollBar->SetVisible(true);
        scrollBar->SetScrollRange(range);
    } else {
        scrollBar->SetVisible(false);
    }
    return TRUE;
}

BOOL CTxtWinHost::TxSetScrollPos(INT bar, INT pos, BOOL) {
    CScrollBarUI* scrollBar = bar == SB_VERT ? m_pOwner->GetVerticalScrollBar() : m_pOwner->GetHorizontalScrollBar();
    if (scrollBar && scrollBar->IsVisible()) scrollBar->SetScrollPos(pos);
    return TRUE;
}

void CTxtWinHost::TxInvalidateRect(LPCRECT rect, BOOL) {
    CPaintManagerUI* manager = m_pOwner->GetManager();
    if (manager) manager->InvalidateArea(rect ? *rect : m_rcClient);
}

void CTxtWinHost::TxViewChange(BOOL) {
    if (m_pOwner->OnTxViewChanged()) m_pOwner->Invalidate();
}

BOOL CTxtWinHost::TxCreateCaret(HBITMAP bitmap, INT width, INT height) {
    m_caretSize = {width, height};
    CPaintManagerUI* manager = m_pOwner->GetManager();
    return manager ? ::CreateCaret(manager->GetWindowHandle(), bitmap, width, height) : FALSE;
}

BOOL CTxtWinHost::TxShowCaret(BOOL show) {
    m_bShowCaret = show != FALSE;
    CPaintManagerUI* manager = m_pOwner->GetManager();
    HWND window = manager ? manager->GetWindowHandle() : nullptr;
    return show ? ::ShowCaret(window) : ::HideCaret(window);
}

RECT CTxtWinHost::CaretRect() const {
    return {m_caretPos.x, m_caretPos.y, m_caretPos.x + m_caretSize.cx, m_caretPos.y + m_caretSize.cy};
}

BOOL CTxtWinHost::TxSetCaretPos(INT x, INT y) {
    CPaintManagerUI* manager = m_pOwner->GetManager();
    if (manager && (manager->IsLayeredWindow() || m_bCaretRepaintPending)) {
        manager->InvalidateArea(CaretRect());
        m_caretPos = {x, y};
        manager->InvalidateArea(CaretRect());
        m_bCaretRepaintPending = false;
    }
    m_caretPos = {x, y};
    return ::SetCaretPos(x, y);
}

BOOL CTxtWinHost::TxSetTimer(UINT id, UINT timeout) {
    CPaintManagerUI* manager = m_pOwner->GetManager();
    return manager && manager->StartControlTimer(m_pOwner, kEngineTimerBase + id, timeout) ? TRUE : FALSE;
}

void CTxtWinHost::TxKillTimer(UINT id) {
    if (CPaintManagerUI* manager = m_pOwner->GetManager()) manager->StopControlTimer(m_pOwner, kEngineTimerBase + id);
}

void CTxtWinHost::TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) {}

void CTxtWinHost::TxSetCapture(BOOL capture) {
    CPaintManagerUI* manager = m_pOwner->GetManager();
    if (!manager) return;
    if (capture)
        manager->CaptureMouse();
    else
        manager->ReleaseMouseCapture();
    m_bCaptured = capture != FALSE;
}

void CTxtWinHost::TxSetFocus() {
    GuardedCall(L"CTxtWinHost::TxSetFocus", [this] { m_pOwner->SetFocus(); return 0; }, 0);
}

void CTxtWinHost::TxSetCursor(HCURSOR cursor, BOOL) { ::SetCursor(cursor); }

BOOL CTxtWinHost::TxScreenToClient(LPPOINT point) {
    CPaintManagerUI* manager = m_pOwner->GetManager();
    return manager ? ::ScreenToClient(manager->GetWindowHandle(), point) : FALSE;
}

BOOL CTxtWinHost::TxClientToScreen(LPPOINT point) {
    CPaintManagerUI* manager = m_pOwner->GetManager();
    return manager ? ::ClientToScreen(manager->GetWindowHandle(), point) : FALSE;
}

HRESULT CTxtWinHost::TxActivate(LONG*) { return S_OK; }
HRESULT CTxtWinHost::TxDeactivate(LONG) { return S_OK; }

HRESULT CTxtWinHost::TxGetClientRect(LPRECT rect) {
    *rect = m_rcClient;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetViewInset(LPRECT rect) {
    *rect = RECT{};
    return S_OK;
}

HRESULT CTxtWinHost::TxGetCharFormat(const CHARFORMATW** format) {
    *format = reinterpret_cast<const CHARFORMATW*>(&m_cf);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetParaFormat(const PARAFORMAT** format) {
    *format = reinterpret_cast<const PARAFORMAT*>(&m_pf);
    return S_OK;
}

COLORREF CTxtWinHost::TxGetSysColor(int index) { return ::GetSysColor(index); }

HRESULT CTxtWinHost::TxGetBackStyle(TXTBACKSTYLE* style) {
    *style = m_bTransparent ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetMaxLength(DWORD* length) {
    *length = static_cast<DWORD>(m_cchTextMost);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetScrollBars(DWORD* scrollBars) {
    *scrollBars = m_dwStyle & (WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetPasswordChar(TCHAR* ch) {
    *ch = m_chPasswordChar;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetAcceleratorPos(LONG* pos) {
    *pos = m_laccelpos;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetExtent(LPSIZEL extent) {
    *extent = m_sizelExtent;
    return S_OK;
}

HRESULT CTxtWinHost::OnTxCharFormatChange(const CHARFORMATW*) { return S_OK; }
HRESULT CTxtWinHost::OnTxParaFormatChange(const PARAFORMAT*) { return S_OK; }

HRESULT CTxtWinHost::TxGetPropertyBits(DWORD mask, DWORD* bits) {
    DWORD value = 0;
    if (m_bRich) value |= TXTBIT_RICHTEXT;
    if (m_dwStyle & ES_MULTILINE) value |= TXTBIT_MULTILINE;
    if (m_dwStyle & ES_READONLY) value |= TXTBIT_READONLY;
    if (m_dwStyle & ES_PASSWORD) value |= TXTBIT_USEPASSWORD;
    if (!(m_dwStyle & ES_NOHIDESEL)) value |= TXTBIT_HIDESELECTION;
    if (m_bSaveSelection) value |= TXTBIT_SAVESELECTION;
    if (m_bAutoWordSel) value |= TXTBIT_AUTOWORDSEL;
    if (m_bAllowBeep) value |= TXTBIT_ALLOWBEEP;
    if (m_bWordWrap) value |= TXTBIT_WORDWRAP;
    *bits = value & mask;
    return S_OK;
}

HRESULT CTxtWinHost::TxNotify(DWORD code, void* data) {
    if (code == EN_REQUESTRESIZE) {
        const auto* request = static_cast<const REQRESIZE*>(data);
        m_rcClient.right = m_rcClient.left + (request->rc.right - request->rc.left);
        m_rcClient.bottom = m_rcClient.top + (request->rc.bottom - request->rc.top);
        return S_OK;
    }
    return GuardedCall(L"CTxtWinHost::TxNotify", [&] { m_pOwner->OnTxNotify(code, data); return S_OK; }, S_OK);
}

HIMC CTxtWinHost::TxImmGetContext() { return nullptr; }
void CTxtWinHost::TxImmReleaseContext(HIMC) {}

HRESULT CTxtWinHost::TxGetSelectionBarWidth(LONG* width) {
    *width = m_lSelBarWidth;
    return S_OK;
}

// ---------------------------------------------------------------------------------------------------
// The control's side

void CTxtWinHost::SetClientRect(const RECT& rect) {
    m_rcClient = rect;
    CPaintManagerUI* manager = m_pOwner->GetManager();
    HDC dc = manager ? manager->GetPaintDeviceContext() : nullptr;
    const int dpiX = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    const int dpiY = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    m_sizelExtent.cx = MulDiv(rect.right - rect.left, 2540, dpiX > 0 ? dpiX : 96);
    m_sizelExtent.cy = MulDiv(rect.bottom - rect.top, 2540, dpiY > 0 ? dpiY : 96);
    if (m_pServ) m_pServ->OnTxPropertyBitsChange(TXTBIT_CLIENTRECTCHANGE | TXTBIT_EXTENTCHANGE, TRUE);
}

void CTxtWinHost::SetTransparent(bool transparent) {
    m_bTransparent = transparent;
    if (m_pServ) m_pServ->OnTxPropertyBitsChange(TXTBIT_BACKSTYLECHANGE, 0);
}

void CTxtWinHost::SetRich(bool rich) {
    m_bRich = rich;
    if (m_pServ) m_pServ->OnTxPropertyBitsChange(TXTBIT_RICHTEXT, rich ? TXTBIT_RICHTEXT : 0);
}

void CTxtWinHost::SetReadOnly(bool readOnly) {
    if (readOnly)
        m_dwStyle |= ES_READONLY;
    else
        m_dwStyle &= ~static_cast<DWORD>(ES_READONLY);
    if (m_pServ) m_pServ->OnTxPropertyBitsChange(TXTBIT_READONLY, readOnly ? TXTBIT_READONLY : 0);
}

void CTxtWinHost::SetMaxLength(LONG length) {
    m_cchTextMost = length;
    if (m_pServ) m_pServ->OnTxPropertyBitsChange(TXTBIT_MAXLENGTHCHANGE, TXTBIT_MAXLENGTHCHANGE);
}

void CTxtWinHost::SetFont(HFONT font) {
    if (!font) return;
    BuildCharFormat(font);
    if (m_pServ) m_pServ->OnTxPropertyBitsChange(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
}

void CTxtWinHost::SetColor(DWORD argb) {
    CPaintManagerUI* manager = m_pOwner->GetManager();
    if (manager && manager->IsLayeredWindow()) CUIRender::CheckAlphaColor(argb);
    m_cf.crTextColor = RGB(GetBValue(argb), GetGValue(argb), GetRValue(argb));
    if (m_pServ) m_pServ->OnTxPropertyBitsChange(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
}

void CTxtWinHost::SetParaAlign(WORD alignment) {
    m_pf.wAlignment = alignment;
    if (m_pServ) m_pServ->OnTxPropertyBitsChange(TXTBIT_PARAFORMATCHANGE, TXTBIT_PARAFORMATCHANGE);
}

void CTxtWinHost::ActivateInPlace() {
    if (m_pServ) m_pServ->OnTxInPlaceActivate(&m_rcClient);
}

bool CTxtWinHost::SetCursorAt(POINT point) {
    if (!m_pServ || !PtInRect(&m_rcClient, point)) return false;
    CPaintManagerUI* manager = m_pOwner->GetManager();
    m_pServ->OnTxSetCursor(DVASPECT_CONTENT, -1, nullptr, nullptr, manager ? manager->GetPaintDeviceContext() : nullptr,
                           nullptr, &m_rcClient, point.x, point.y);
    return true;
}

}  // namespace SkinUI
