#include "UIRichEdit.h"

#include "UIAttributes.h"
#include "UIManager.h"
#include "UIRender.h"
#include "UIScrollBar.h"
#include "UIStateImage.h"
#include "UITxtWinHost.h"

#include <imm.h>

#include <cwchar>
#include <vector>

namespace SkinUI {

namespace {

CUIString g_engineModule(L"Msftedit.dll");

constexpr DWORD kInitialEventMask = ENM_CHANGE | ENM_DROPFILES | ENM_LINK;

// Context-menu commands.
enum : UINT {
    kMenuUndo = 101,
    kMenuCut = 102,
    kMenuCopy = 103,
    kMenuPaste = 104,
    kMenuClear = 105,
    kMenuSelectAll = 106,
    kMenuRedo = 107
};

bool IsMouseMessage(UINT message) { return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST; }
bool IsKeyMessage(UINT message) { return message >= WM_KEYFIRST && message <= WM_KEYLAST; }

// Engine notifications the window hears about as WM_NOTIFY.
bool IsForwardedNotification(DWORD code) {
    switch (code) {
    case EN_MSGFILTER:
    case EN_SELCHANGE:
    case EN_DROPFILES:
    case EN_PROTECTED:
    case EN_STOPNOUNDO:
    case EN_SAVECLIPBOARD:
    case EN_OLEOPFAILED:
    case EN_OBJECTPOSITIONS:
    case EN_LINK:
    case EN_DRAGDROPDONE:
        return true;
    default:
        return false;
    }
}

}  // namespace

void CRichEditUI::SetEngineModule(const wchar_t* module) { g_engineModule = module ? module : L""; }
const wchar_t* CRichEditUI::GetEngineModule() { return g_engineModule.Data(); }

CRichEditUI::CRichEditUI() = default;

CRichEditUI::~CRichEditUI() {
    if (m_pTwh) {
        m_pTwh->Release();
        m_pTwh = nullptr;
        if (m_pManager) m_pManager->RemoveWindowMessageFilter(this);
    }
}

CControlUI* CRichEditUI::CreateControl() { return new CRichEditUI; }

const wchar_t* CRichEditUI::GetClass() const { return L"RichEdit"; }

void* CRichEditUI::GetInterface(const wchar_t* name) {
    if (name && wcscmp(name, L"RichEdit") == 0) return static_cast<CRichEditUI*>(this);
    return CContainerUI::GetInterface(name);
}

UINT CRichEditUI::GetControlFlags() const {
    return IsEnabled() ? UIFLAG_TABSTOP | UIFLAG_SETCURSOR : CContainerUI::GetControlFlags();
}

// ---------------------------------------------------------------------------------------------------
// Settings

void CRichEditUI::SetTransparent(bool transparent) {
    m_bTransparent = transparent;
    if (m_pTwh) m_pTwh->SetTransparent(transparent);
}

void CRichEditUI::SetRich(bool rich) {
    m_bRich = rich;
    if (m_pTwh) m_pTwh->SetRich(rich);
}

void CRichEditUI::SetReadOnly(bool readOnly) {
    m_bReadOnly = readOnly;
    if (readOnly)
        m_lTwhStyle |= ES_READONLY;
    else
        m_lTwhStyle &= ~static_cast<LONG>(ES_READONLY);
    if (m_pTwh) m_pTwh->SetReadOnly(readOnly);
}

void CRichEditUI::SetMultiLine(bool multiLine) {
    if (multiLine)
        m_lTwhStyle |= ES_MULTILINE;
    else
        m_lTwhStyle &= ~static_cast<LONG>(ES_MULTILINE);
}

void CRichEditUI::SetTextColor(DWORD color) {
    m_dwTextColor = color;
    if (m_pTwh) m_pTwh->SetColor(color);
}

void CRichEditUI::SetFont(int index) {
    m_iFont = index;
    if (m_pTwh && m_pManager) m_pTwh->SetFont(m_pManager->GetFontHandle(index));
}

void CRichEditUI::SetFont(const wchar_t* face, int size, bool bold, bool underline, bool italic) {
    if (!m_pTwh) return;
    LOGFONTW lf = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lstrcpynW(lf.lfFaceName, face ? face : L"", LF_FACESIZE);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -size;
    if (bold) lf.lfWeight += FW_BOLD;
    lf.lfUnderline = underline;
    lf.lfItalic = italic;
    HFONT font = CreateFontIndirectW(&lf);
    if (!font) return;
    m_pTwh->SetFont(font);
    DeleteObject(font);
}

void CRichEditUI::SetLimitText(int chars) {
    m_iLimitText = chars;
    if (!m_pTwh) return;
    m_pTwh->SetMaxLength(chars);
    SendEngineMessage(EM_EXLIMITTEXT, 0, chars);  // not every engine reads the host's length again
}

void CRichEditUI::SetTextPadding(RECT padding) {
    m_rcTextPadding = padding;
    NeedUpdate();
}

void CRichEditUI::SetNormalImage(const wchar_t* image) {
    m_sNormalImage = image;
    Invalidate();
}

void CRichEditUI::SetHotImage(const wchar_t* image) {
    m_sHotImage = image;
    Invalidate();
}

void CRichEditUI::SetFocusedImage(const wchar_t* image) {
    m_sFocusedImage = image;
    Invalidate();
}

void CRichEditUI::SetDisabledImage(const wchar_t* image) {
    m_sDisabledImage = image;
    Invalidate();
}

void CRichEditUI::SetTipValue(const wchar_t* text) {
    m_sTipValue = text;
    Invalidate();
}

void CRichEditUI::SetTipValueColor(DWORD color) {
    m_dwTipValueColor = color;
    Invalidate();
}

void CRichEditUI::SetTipValueAlign(UINT align) {
    m_uTipValueAlign = align;
    Invalidate();
}

void CRichEditUI::OnDpiChanged() { SetFont(m_iFont); }

void CRichEditUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    const bool on = wcscmp(value, L"true") == 0;
    if (wcscmp(name, L"vscrollbar") == 0) {
        if (on) m_lTwhStyle |= ES_DISABLENOSCROLL | WS_VSCROLL;
        CContainerUI::SetAttribute(name, value);
    } else if (wcscmp(name, L"autovscroll") == 0) {
        if (on) m_lTwhStyle |= ES_AUTOVSCROLL;
    } else if (wcscmp(name, L"hscrollbar") == 0) {
        if (on) m_lTwhStyle |= ES_DISABLENOSCROLL | WS_HSCROLL;
        CContainerUI::SetAttribute(name, value);
    } else if (wcscmp(name, L"autohscroll") == 0) {
        if (on) m_lTwhStyle |= ES_AUTOHSCROLL;
    } else if (EqualsIgnoreCase(name, L"multiline")) {
        SetMultiLine(on);
    } else if (wcscmp(name, L"wanttab") == 0) {
        m_bWantTab = on;
    } else if (wcscmp(name, L"wantreturn") == 0) {
        m_bWantReturn = on;
    } else if (wcscmp(name, L"wantctrlreturn") == 0) {
        m_bWantCtrlReturn = on;
    } else if (wcscmp(name, L"transparent") == 0) {
        SetTransparent(on);
    } else if (wcscmp(name, L"rich") == 0) {
        SetRich(on);
    } else if (wcscmp(name, L"readonly") == 0) {
        if (on) SetReadOnly(true);  // "false" leaves the style as it is
    } else if (wcscmp(name, L"password") == 0) {
        if (on) m_lTwhStyle |= ES_PASSWORD;
    } else if (wcscmp(name, L"align") == 0) {
        if (wcsstr(value, L"left")) m_lTwhStyle &= ~(ES_CENTER | ES_RIGHT);
        if (wcsstr(value, L"center")) m_lTwhStyle |= ES_CENTER;
        if (wcsstr(value, L"right")) m_lTwhStyle |= ES_RIGHT;
    } else if (wcscmp(name, L"font") == 0) {
        SetFont(ParseInt(value));
    } else if (wcscmp(name, L"textcolor") == 0) {
        SetTextColor(ParseColor(value, true));
    } else if (EqualsIgnoreCase(name, L"maxchar")) {
        SetLimitText(ParseInt(value));
    } else if (EqualsIgnoreCase(name, L"normalimage")) {
        SetNormalImage(value);
    } else if (EqualsIgnoreCase(name, L"hotimage")) {
        SetHotImage(value);
    } else if (EqualsIgnoreCase(name, L"focusedimage")) {
        SetFocusedImage(value);
    } else if (EqualsIgnoreCase(name, L"disabledimage")) {
        SetDisabledImage(value);
    } else if (EqualsIgnoreCase(name, L"textpadding")) {
        SetTextPadding(ParseRect(value));
    } else if (EqualsIgnoreCase(name, L"tipvalue")) {
        SetTipValue(value);
    } else if (EqualsIgnoreCase(name, L"tipvaluecolor")) {
        SetTipValueColor(ParseColor(value, true));
    } else if (EqualsIgnoreCase(name, L"tipvaluealign")) {
        if (wcsstr(value, L"left")) SetTipValueAlign(DT_SINGLELINE | DT_LEFT);
        if (wcsstr(value, L"center")) SetTipValueAlign(DT_SINGLELINE | DT_CENTER);
        if (wcsstr(value, L"right")) SetTipValueAlign(DT_SINGLELINE | DT_RIGHT);
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

// ---------------------------------------------------------------------------------------------------
// Creation and text

void CRichEditUI::DoInit() {
    if (m_bInited) return;
    m_pTwh = new CTxtWinHost;
    const CUIString text = CControlUI::GetText();
    if (!m_pTwh->Init(this, static_cast<DWORD>(m_lTwhStyle), text.Data())) {
        delete m_pTwh;  // never handed out: no reference but the creator's
        m_pTwh = nullptr;
    } else {
        m_pTwh->SetTransparent(m_bTransparent);
        SendEngineMessage(EM_SETLANGOPTIONS, 0, 0);
        SendEngineMessage(EM_SETEVENTMASK, 0, kInitialEventMask);
        SendEngineMessage(EM_EXLIMITTEXT, 0, m_iLimitText);
        m_pTwh->ActivateInPlace();
        if (m_pManager) {
            m_pManager->AddWindowMessageFilter(this);
            m_pManager->StartControlTimer(this, kCaretTimerId, ::GetCaretBlinkTime());
            if (!IsEnabled()) m_pTwh->SetColor(m_pManager->GetDefaultDisabledTextColor());
        }
    }
    m_bInited = true;
}

LRESULT CRichEditUI::SendEngineMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    LRESULT result = 0;
    if (m_pTwh) m_pTwh->GetTextServices()->TxSendMessage(message, wParam, lParam, &result);
    return result;
}

CUIString CRichEditUI::GetText() const {
    if (!m_pTwh) return m_sText;
    // Both calls count the same way (a paragraph break is one character), so the buffer always fits.
    GETTEXTLENGTHEX length = {GTL_DEFAULT | GTL_NUMCHARS, 1200};
    const LRESULT count = SendEngineMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    if (count <= 0) return CUIString();
    std::vector<wchar_t> buffer(static_cast<size_t>(count) + 1, L'\0');
    GETTEXTEX request = {};
    request.cb = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    request.flags = GT_DEFAULT;
    request.codepage = 1200;
    SendEngineMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(buffer.data()));
    buffer.back() = L'\0';
    return CUIString(buffer.data());
}

void CRichEditUI::SetText(const wchar_t* text) {
    m_sText = text;
    if (!m_pTwh) {
        Invalidate();
        return;
    }
    SetSel(0, -1);
    ReplaceSel(text ? text : L"", false);
}

long CRichEditUI::GetTextLength(DWORD flags) const {
    GETTEXTLENGTHEX length = {flags, 1200};
    if (!(flags & GTL_NUMBYTES)) length.flags |= GTL_NUMCHARS;
    return static_cast<long>(SendEngineMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
}

bool CRichEditUI::IsModify() const { return SendEngineMessage(EM_GETMODIFY, 0, 0) != 0; }
void CRichEditUI::SetModify(bool modified) { SendEngineMessage(EM_SETMODIFY, modified, 0); }

void CRichEditUI::GetSel(CHARRANGE& range) const {
    range = {};
    SendEngineMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void CRichEditUI::GetSel(long& start, long& end) const {
    CHARRANGE range = {};
    GetSel(range);
    start = range.cpMin;
    end = range.cpMax;
}

int CRichEditUI::SetSel(CHARRANGE& range) {
    return static_cast<int>(SendEngineMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range)));
}

int CRichEditUI::SetSel(long start, long end) {
    CHARRANGE range = {start, end};
    return SetSel(range);
}

void CRichEditUI::SetSelAll() { SetSel(0, -1); }
void CRichEditUI::SetSelNone() { SetSel(-1, 0); }

CUIString CRichEditUI::GetSelText() const {
    CHARRANGE range = {};
    GetSel(range);
    if (range.cpMax <= range.cpMin) return CUIString();
    std::vector<wchar_t> buffer(static_cast<size_t>(range.cpMax - range.cpMin) + 1, L'\0');
    SendEngineMessage(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(buffer.data()));
    buffer.back() = L'\0';
    return CUIString(buffer.data());
}

void CRichEditUI::ReplaceSel(const wchar_t* text, bool canUndo) {
    SendEngineMessage(EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text ? text : L""));
}

void CRichEditUI::HideSelection(bool hide, bool changeStyle) { SendEngineMessage(EM_HIDESELECTION, hide, changeStyle); }

long CRichEditUI::LineFromChar(long index) const {
    return static_cast<long>(SendEngineMessage(EM_EXLINEFROMCHAR, 0, index));
}

POINT CRichEditUI::PosFromChar(UINT index) const {
    POINTL point = {};
    SendEngineMessage(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), index);
    return {point.x, point.y};
}

int CRichEditUI::CharFromPos(POINT point) const {
    POINTL at = {point.x, point.y};
    return static_cast<int>(SendEngineMessage(EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at)));
}

bool CRichEditUI::CanUndo() { return SendEngineMessage(EM_CANUNDO, 0, 0) != 0; }
bool CRichEditUI::CanRedo() { return SendEngineMessage(EM_CANREDO, 0, 0) != 0; }
bool CRichEditUI::Undo() { return SendEngineMessage(EM_UNDO, 0, 0) != 0; }
bool CRichEditUI::Redo() { return SendEngineMessage(EM_REDO, 0, 0) != 0; }
void CRichEditUI::EmptyUndoBuffer() { SendEngineMessage(EM_EMPTYUNDOBUFFER, 0, 0); }
UINT CRichEditUI::SetUndoLimit(UINT limit) { return static_cast<UINT>(SendEngineMessage(EM_SETUNDOLIMIT, limit, 0)); }
void CRichEditUI::Cut() { SendEngineMessage(WM_CUT, 0, 0); }
void CRichEditUI::Copy() { SendEngineMessage(WM_COPY, 0, 0); }
void CRichEditUI::Paste() { SendEngineMessage(WM_PASTE, 0, 0); }
void CRichEditUI::Clear() { SendEngineMessage(WM_CLEAR, 0, 0); }

DWORD CRichEditUI::GetDefaultCharFormat(CHARFORMAT2W& format) const {
    format.cbSize = sizeof format;
    return static_cast<DWORD>(SendEngineMessage(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format)));
}

bool CRichEditUI::SetDefaultCharFormat(CHARFORMAT2W& format) {
    format.cbSize = sizeof format;
    return SendEngineMessage(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format)) != 0;
}

DWORD CRichEditUI::GetSelectionCharFormat(CHARFORMAT2W& format) const {
    format.cbSize = sizeof format;
    return static_cast<DWORD>(SendEngineMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)));
}

bool CRichEditUI::SetSelectionCharFormat(CHARFORMAT2W& format) {
    format.cbSize = sizeof format;
    return SendEngineMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)) != 0;
}

bool CRichEditUI::SetWordCharFormat(CHARFORMAT2W& format) {
    format.cbSize = sizeof format;
    return SendEngineMessage(EM_SETCHARFORMAT, SCF_SELECTION | SCF_WORD, reinterpret_cast<LPARAM>(&format)) != 0;
}

DWORD CRichEditUI::GetParaFormat(PARAFORMAT2& format) const {
    format.cbSize = sizeof format;
    return static_cast<DWORD>(SendEngineMessage(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format)));
}

bool CRichEditUI::SetParaFormat(PARAFORMAT2& format) {
    format.cbSize = sizeof format;
    return SendEngineMessage(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format)) != 0;
}

long CRichEditUI::StreamIn(int format, EDITSTREAM& stream) {
    return static_cast<long>(SendEngineMessage(EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream)));
}

long CRichEditUI::StreamOut(int format, EDITSTREAM& stream) {
    return static_cast<long>(SendEngineMessage(EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&stream)));
}

bool CRichEditUI::SetZoom(int numerator, int denominator) {
    return SendEngineMessage(EM_SETZOOM, numerator, denominator) != 0;
}

DWORD CRichEditUI::GetEventMask() const { return static_cast<DWORD>(SendEngineMessage(EM_GETEVENTMASK, 0, 0)); }
DWORD CRichEditUI::SetEventMask(DWORD mask) { return static_cast<DWORD>(SendEngineMessage(EM_SETEVENTMASK, 0, mask)); }

// ---------------------------------------------------------------------------------------------------
// Engine messages and notifications

HRESULT CRichEditUI::FilterKeyMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!m_pTwh) return S_FALSE;
    LRESULT ignored = 0;
    if (!result) result = &ignored;
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        const bool ctrl = GetKeyState(VK_CONTROL) < 0;
        if (!((m_bWantReturn && !ctrl) || (ctrl && m_bWantCtrlReturn))) {
            m_bReturnSwallowed = true;
            if (m_pManager) m_pManager->RaiseNotify(this, L"return");
            return S_OK;
        }
    }
    if (message == WM_CHAR && (wParam == L'\r' || wParam == L'\n') && m_bReturnSwallowed) {
        m_bReturnSwallowed = false;
        return S_OK;
    }
    if (message == WM_KEYDOWN) m_bReturnSwallowed = false;
    return m_pTwh->GetTextServices()->TxSendMessage(message, wParam, lParam, result);
}

void CRichEditUI::OnTxNotify(DWORD code, void* data) {
    if (code == EN_CHANGE) {
        // A handler that writes the text again does not start another round.
        if (m_bRaisingTextChanged || !m_pManager) return;
        m_bRaisingTextChanged = true;
        m_pManager->RaiseNotify(this, L"textchanged");
        m_bRaisingTextChanged = false;
        return;
    }
    if (!IsForwardedNotification(code) || !m_pManager || !data) return;
    HWND window = m_pManager->GetWindowHandle();
    auto* header = static_cast<NMHDR*>(data);
    header->hwndFrom = window;
    header->idFrom = static_cast<UINT_PTR>(GetWindowLongW(window, GWL_ID));
    header->code = code;
    SendMessageW(window, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(data));
}

// ---------------------------------------------------------------------------------------------------
// Placement

LONG CRichEditUI::NaturalTextHeight() const {
    const RECT& client = m_pTwh->GetClientRect();
    SIZEL extent = {-1, -1};
    LONG width = client.right - client.left;
    LONG height = 0;
    m_pTwh->GetTextServices()->TxGetNaturalSize(DVASPECT_CONTENT,
                                                m_pManager ? m_pManager->GetPaintDeviceContext() : nullptr, nullptr,
                                                nullptr, TXTNS_FITTOCONTENT, &extent, &width, &height);
    return height;
}

void CRichEditUI::SetPos(RECT rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    const RECT outer = GetInsetRect();
    auto innerRect = [this, &outer] {
        RECT inner = outer;
        if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible())
            inner.right -= m_pVerticalScrollBar->GetFixedWidth();
        if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible())
            inner.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
        return inner;
    };
    auto hostRect = [this](RECT inner) {
        inner.left += m_rcTextPadding.left;
        inner.top += m_rcTextPadding.top;
        inner.right -= m_rcTextPadding.right;
        inner.bottom -= m_rcTextPadding.bottom;
        return inner;
    };
    RECT inner = innerRect();
    if (m_pTwh) {
        m_pTwh->SetClientRect(hostRect(inner));
        if (m_pVerticalScrollBar && (!m_pVerticalScrollBar->IsVisible() || m_bVScrollBarFixing)) {
            const RECT& client = m_pTwh->GetClientRect();
            if (NaturalTextHeight() > client.bottom - client.top) {
                if (!m_pVerticalScrollBar->IsVisible()) {
                    m_pVerticalScrollBar->SetVisible(true);
                    m_pVerticalScrollBar->SetScrollPos(0);
                }
                m_bVScrollBarFixing = true;
            } else if (m_bVScrollBarFixing) {
                m_pVerticalScrollBar->SetVisible(false);
                m_bVScrollBarFixing = false;
            }
            inner = innerRect();
            m_pTwh->SetClientRect(hostRect(inner));
        }
    }
    PlaceScrollBars(outer);
    for (int i = 0; i < m_items.Count(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const SIZE size = FitInto(*child, inner.right - inner.left, inner.bottom - inner.top);
        child->SetPos({inner.left, inner.top, inner.left + size.cx, inner.top + size.cy}, false);
    }
}

void CRichEditUI::PlaceScrollBars(const RECT& rect) {
    const bool vertical = m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible();
    const bool horizontal = m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible();
    const int barWidth = vertical ? m_pVerticalScrollBar->GetFixedWidth() : 0;
    const int barHeight = horizontal ? m_pHorizontalScrollBar->GetFixedHeight() : 0;
    if (vertical)
        m_pVerticalScrollBar->SetPos({rect.right - barWidth, rect.top, rect.right, rect.bottom - barHeight}, false);
    if (horizontal)
        m_pHorizontalScrollBar->SetPos({rect.left, rect.bottom - barHeight, rect.right - barWidth, rect.bottom}, false);
}

void CRichEditUI::Move(SIZE offset, bool needInvalidate) {
    CContainerUI::Move(offset, needInvalidate);
    if (!m_pTwh) return;
    RECT client = m_pTwh->GetClientRect();
    OffsetRect(&client, offset.cx, offset.cy);
    m_pTwh->SetClientRect(client);
}

SIZE CRichEditUI::EstimateSize(SIZE available) { return CControlUI::EstimateSize(available); }

// ---------------------------------------------------------------------------------------------------
// Painting

bool CRichEditUI::DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) {
    RECT visible;
    if (!IntersectRect(&visible, &paintRect, &m_rcItem)) return true;
    // The plain control with the engine's text (PaintText), then children and scroll bars.
    if (!CContainerUI::DoPaint(hdc, paintRect, stopControl)) return false;
    if (m_pTwh && m_bVScrollBarFixing) {
        const RECT& client = m_pTwh->GetClientRect();
        if (NaturalTextHeight() <= client.bottom - client.top) NeedUpdate();  // the bar may go again
    }
    CUIRenderClip clip;
    CUIRenderClip::GenerateClip(hdc, visible, clip);
    PaintCaret(hdc);
    PaintTip(hdc);
    return true;
}

void CRichEditUI::PaintText(HDC hdc) {
    if (!m_pTwh) return;
    RECT client = m_pTwh->GetClientRect();
    RECTL bounds = {client.left, client.top, client.right, client.bottom};
    RECT update = m_rcPaint;
    m_pTwh->GetTextServices()->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, hdc, nullptr, &bounds, nullptr, &update,
                                      nullptr, 0, TXTVIEW_ACTIVE);
}

void CRichEditUI::PaintCaret(HDC hdc) {
    if (!m_pTwh || !m_pManager || !m_pManager->IsLayeredWindow()) return;
    if (!m_bFocused || !m_pTwh->IsCaretShown() || !m_bDrawCaret) return;
    POINT caret = {};
    ::GetCaretPos(&caret);
    if (!PtInRect(&m_rcItem, caret)) return;
    const SIZE size = m_pTwh->GetCaretSize();
    const RECT line = {caret.x, caret.y, caret.x, caret.y + size.cy};
    CUIRender::DrawLine(hdc, line, size.cx > 0 ? size.cx : 1, m_dwTextColor, PS_SOLID);
}

void CRichEditUI::PaintTip(HDC hdc) {
    if (m_bFocused || m_sTipValue.IsEmpty()) return;
    if (m_pTwh ? GetTextLength() > 0 : !m_sText.IsEmpty()) return;
    RECT rect = m_rcItem;
    rect.left += m_rcTextPadding.left;
    rect.top += m_rcTextPadding.top;
    rect.right -= m_rcTextPadding.right;
    rect.bottom -= m_rcTextPadding.bottom;
    UINT style = m_uTipValueAlign;
    if (!(m_lTwhStyle & ES_MULTILINE)) style |= DT_VCENTER;
    CUIRender::DrawText(hdc, m_pManager, rect, m_sTipValue.Data(), m_dwTipValueColor, m_iFont, style);
}

void CRichEditUI::PaintStatusImage(HDC hdc) {
    m_uButtonState = WithFocusAndEnabled(m_uButtonState, *this);
    PaintFieldStateImage(*this, hdc, m_uButtonState, m_sNormalImage, m_sHotImage, m_sFocusedImage, m_sDisabledImage);
}

// ---------------------------------------------------------------------------------------------------
// Scrolling: the engine scrolls, the bars follow it

void CRichEditUI::SetScrollPos(SIZE pos, bool) {
    if (!m_pTwh) return;
    int dx = 0;
    int dy = 0;
    if (m_pVerticalScrollBar && m_pVerticalScrollBar->IsVisible()) {
        const int old = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollPos(pos.cy);
        dy = m_pVerticalScrollBar->GetScrollPos() - old;
    }
    if (m_pHorizontalScrollBar && m_pHorizontalScrollBar->IsVisible()) {
        const int old = m_pHorizontalScrollBar->GetScrollPos();
        m_pHorizontalScrollBar->SetScrollPos(pos.cx);
        dx = m_pHorizontalScrollBar->GetScrollPos() - old;
    }
    if (dy != 0) {
        const int wanted = m_pVerticalScrollBar->GetScrollPos();
        FilterKeyMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, wanted), 0, nullptr);
        // In plain text the engine may move the position back; the bar keeps what was asked for.
        if (!m_bRich && m_pVerticalScrollBar->GetScrollPos() != wanted) m_pVerticalScrollBar->SetScrollPos(wanted);
    }
    if (dx != 0)
        FilterKeyMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, m_pHorizontalScrollBar->GetScrollPos()), 0, nullptr);
}

void CRichEditUI::LineUp() { FilterKeyMessage(WM_VSCROLL, SB_LINEUP, 0, nullptr); }
void CRichEditUI::LineDown() { FilterKeyMessage(WM_VSCROLL, SB_LINEDOWN, 0, nullptr); }
void CRichEditUI::PageUp() { FilterKeyMessage(WM_VSCROLL, SB_PAGEUP, 0, nullptr); }
void CRichEditUI::PageDown() { FilterKeyMessage(WM_VSCROLL, SB_PAGEDOWN, 0, nullptr); }
void CRichEditUI::HomeUp() { FilterKeyMessage(WM_VSCROLL, SB_TOP, 0, nullptr); }
void CRichEditUI::EndDown() { FilterKeyMessage(WM_VSCROLL, SB_BOTTOM, 0, nullptr); }
void CRichEditUI::LineLeft() { FilterKeyMessage(WM_HSCROLL, SB_LINEUP, 0, nullptr); }
void CRichEditUI::LineRight() { FilterKeyMessage(WM_HSCROLL, SB_LINEDOWN, 0, nullptr); }
void CRichEditUI::PageLeft() { FilterKeyMessage(WM_HSCROLL, SB_PAGEUP, 0, nullptr); }
void CRichEditUI::PageRight() { FilterKeyMessage(WM_HSCROLL, SB_PAGEDOWN, 0, nullptr); }
void CRichEditUI::HomeLeft() { FilterKeyMessage(WM_HSCROLL, SB_TOP, 0, nullptr); }
void CRichEditUI::EndRight() { FilterKeyMessage(WM_HSCROLL, SB_BOTTOM, 0, nullptr); }

// ---------------------------------------------------------------------------------------------------
// Events

void CRichEditUI::BlinkCaret() {
    if (!m_bFocused || !m_pTwh || !m_pManager || ::GetFocus() != m_pManager->GetWindowHandle()) return;
    if (m_pManager->IsLayeredWindow() && m_pTwh->IsCaretShown()) {
        m_bDrawCaret = !m_bDrawCaret;
        POINT caret = {};
        ::GetCaretPos(&caret);
        const SIZE size = m_pTwh->GetCaretSize();
        RECT rect = {caret.x, caret.y, caret.x + size.cx, caret.y + size.cy};
        if (IntersectRect(&rect, &rect, &m_rcItem) && ClipToAncestors(rect)) m_pManager->InvalidateArea(rect);
        return;
    }
    m_pTwh->TxShowCaret(!m_pTwh->IsCaretShown());
}

void CRichEditUI::DoEvent(TUIEvent& event) {
    if (!IsMouseEnabled() && event.Type >= UIEVENT__MOUSEBEGIN && event.Type <= UIEVENT__MOUSEEND) {
        if (m_pParent)
            m_pParent->DoEvent(event);
        else
            CControlUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        if (IsEnabled() && m_pTwh && m_pTwh->SetCursorAt(event.ptMouse)) return;
        break;
    case UIEVENT_WINDOWSIZE:
        if (m_pTwh) m_pTwh->NeedCaretRepaint();
        break;
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS: {
        const bool focus = event.Type == UIEVENT_SETFOCUS;
        if (m_pTwh) {
            m_pTwh->ActivateInPlace();
            FilterKeyMessage(focus ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0, nullptr);
        }
        m_bFocused = focus;
        Invalidate();
        return;
    }
    case UIEVENT_TIMER:
        if (event.wParam == kCaretTimerId) {
            BlinkCaret();
            return;
        }
        if (m_pTwh && event.wParam >= CTxtWinHost::kEngineTimerBase) {
            FilterKeyMessage(WM_TIMER, event.wParam - CTxtWinHost::kEngineTimerBase, event.lParam, nullptr);
            return;
        }
        break;
    case UIEVENT_SCROLLWHEEL:
        if (event.wKeyState & MK_CONTROL) return;  // the message filter gives it to the engine (zoom)
        break;
    case UIEVENT_KEYDOWN:
    case UIEVENT_KEYUP:
    case UIEVENT_CHAR:
    case UIEVENT_SYSKEY:
        return;  // keys reach the engine through the message filter
    default:
        break;
    }
    CContainerUI::DoEvent(event);
}

bool CRichEditUI::IsMouseOverHost(POINT point) const {
    return m_pTwh && PtInRect(&m_pTwh->GetClientRect(), point);
}

void CRichEditUI::ShowContextMenu(POINT point) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    CHARRANGE selection = {};
    GetSel(selection);
    const bool selected = selection.cpMax > selection.cpMin;
    auto state = [](bool enabled) { return MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED); };
    AppendMenuW(menu, state(CanUndo()), kMenuUndo, L"撤销(&U)");
    AppendMenuW(menu, state(CanRedo()), kMenuRedo, L"重做(&R)");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, state(selected && !m_bReadOnly), kMenuCut, L"剪切(&X)");
    AppendMenuW(menu, state(selected), kMenuCopy, L"复制(&C)");
    AppendMenuW(menu, state(!m_bReadOnly), kMenuPaste, L"粘帖(&V)");
    AppendMenuW(menu, state(selected && !m_bReadOnly), kMenuClear, L"清空(&L)");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kMenuSelectAll, L"全选(&A)");
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, point.x, point.y, 0, m_pManager->GetWindowHandle(), nullptr);
    DestroyMenu(menu);
}

bool CRichEditUI::RunMenuCommand(UINT id) {
    switch (id) {
    case kMenuUndo: Undo(); return true;
    case kMenuCut: Cut(); return true;
    case kMenuCopy: Copy(); return true;
    case kMenuPaste: Paste(); return true;
    case kMenuClear: Clear(); return true;
    case kMenuSelectAll: SetSelAll(); return true;
    case kMenuRedo: Redo(); return true;
    default: return false;
    }
}

LRESULT CRichEditUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (!IsVisible() || !IsEnabled() || !m_pManager) return 0;
    const bool mouse = IsMouseMessage(message);
    if (!IsMouseEnabled() && mouse) return 0;
    if (message == WM_MOUSEWHEEL && !(LOWORD(wParam) & MK_CONTROL)) return 0;
    HWND window = m_pManager->GetWindowHandle();
    if (message == WM_IME_COMPOSITION) {
        HIMC context = ImmGetContext(window);
        if (context) {
            POINT caret = {};
            ::GetCaretPos(&caret);
            COMPOSITIONFORM form = {};
            form.dwStyle = CFS_POINT;
            form.ptCurrentPos = caret;
            ImmSetCompositionWindow(context, &form);
            ImmReleaseContext(window, context);
        }
        return 0;
    }
    const bool keys = IsKeyMessage(message);
    if (keys) {
        if (!IsFocused()) return 0;
    } else if (message == WM_CONTEXTMENU) {
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        POINT client = point;
        ScreenToClient(window, &client);
        if (m_pManager->FindControlAtPoint(client.x, client.y) != this) return 0;
        ShowContextMenu(point);
        handled = true;
        return 0;
    } else if (message == WM_COMMAND) {
        if (IsFocused()) RunMenuCommand(LOWORD(wParam));
        return 0;
    } else if (message == WM_HELP || (!mouse && message != WM_SETCURSOR)) {
        return 0;
    } else if (!m_pTwh || !m_pTwh->IsCaptured()) {
        // Mouse messages and the cursor: only over this control's text area, unless the engine holds the mouse.
        if (m_pManager->HasMouseCapture()) return 0;
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (message == WM_SETCURSOR) {
            ::GetCursorPos(&point);
            ScreenToClient(window, &point);
        } else if (message == WM_MOUSEWHEEL) {
            ScreenToClient(window, &point);
        }
        if (m_pManager->FindControlAtPoint(point.x, point.y) != this || !IsMouseOverHost(point)) return 0;
    }
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDOWN) {
        if (::GetFocus() != window) ::SetFocus(window);
        SetFocus();
    }
    if (!m_pTwh) return 0;
    LRESULT result = 0;
    const HRESULT hr = FilterKeyMessage(message, wParam, lParam, &result);
    handled = hr != S_FALSE || keys || (mouse && m_pTwh->IsCaptured());
    return result;
}

}  // namespace SkinUI
