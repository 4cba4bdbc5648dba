#pragma once
// CTxtWinHost: the host object of the system's windowless rich-text services. The engine calls back
// through the published host interface for its caret, timers, capture, scroll bars, invalidation and
// formats; each call maps onto the owning CRichEditUI, its paint manager and its scroll bars.
//
// The host operations are plain virtual functions (the engine calls them with the C++ member calling
// convention); only IUnknown's three use the COM convention.
#include <windows.h>

#include <ole2.h>
#include <richedit.h>
#include <textserv.h>

namespace SkinUI {

class CRichEditUI;

// Identifiers of the text-services interfaces (the import libraries do not carry them).
extern const IID kIidTextServices;
extern const IID kIidTextHost;

class CTxtWinHost : public ITextHost {
public:
    CTxtWinHost() = default;
    CTxtWinHost(const CTxtWinHost&) = delete;
    CTxtWinHost& operator=(const CTxtWinHost&) = delete;
    virtual ~CTxtWinHost();

    // Builds the formats and creates the engine; false leaves the host to be deleted by the caller.
    bool Init(CRichEditUI* owner, DWORD style, const wchar_t* text);
    ITextServices* GetTextServices() const { return m_pServ; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // ITextHost
    HDC TxGetDC() override;
    INT TxReleaseDC(HDC dc) override;
    BOOL TxShowScrollBar(INT bar, BOOL show) override;
    BOOL TxEnableScrollBar(INT bars, INT arrows) override;
    BOOL TxSetScrollRange(INT bar, LONG minPos, INT maxPos, BOOL redraw) override;
    BOOL TxSetScrollPos(INT bar, INT pos, BOOL redraw) override;
    void TxInvalidateRect(LPCRECT rect, BOOL mode) override;
    void TxViewChange(BOOL update) override;
    BOOL TxCreateCaret(HBITMAP bitmap, INT width, INT height) override;
    BOOL TxShowCaret(BOOL show) override;
    BOOL TxSetCaretPos(INT x, INT y) override;
    BOOL TxSetTimer(UINT id, UINT timeout) override;
    void TxKillTimer(UINT id) override;
    void TxScrollWindowEx(INT dx, INT dy, LPCRECT scroll, LPCRECT clip, HRGN update, LPRECT updateRect,
                          UINT flags) override;
    void TxSetCapture(BOOL capture) override;
    void TxSetFocus() override;
    void TxSetCursor(HCURSOR cursor, BOOL text) override;
    BOOL TxScreenToClient(LPPOINT point) override;
    BOOL TxClientToScreen(LPPOINT point) override;
    HRESULT TxActivate(LONG* oldState) override;
    HRESULT TxDeactivate(LONG newState) override;
    HRESULT TxGetClientRect(LPRECT rect) override;
    HRESULT TxGetViewInset(LPRECT rect) override;
    HRESULT TxGetCharFormat(const CHARFORMATW** format) override;
    HRESULT TxGetParaFormat(const PARAFORMAT** format) override;
    COLORREF TxGetSysColor(int index) override;
    HRESULT TxGetBackStyle(TXTBACKSTYLE* style) override;
    HRESULT TxGetMaxLength(DWORD* length) override;
    HRESULT TxGetScrollBars(DWORD* scrollBars) override;
    HRESULT TxGetPasswordChar(TCHAR* ch) override;
    HRESULT TxGetAcceleratorPos(LONG* pos) override;
    HRESULT TxGetExtent(LPSIZEL extent) override;
    HRESULT OnTxCharFormatChange(const CHARFORMATW* format) override;
    HRESULT OnTxParaFormatChange(const PARAFORMAT* format) override;
    HRESULT TxGetPropertyBits(DWORD mask, DWORD* bits) override;
    HRESULT TxNotify(DWORD code, void* data) override;
    HIMC TxImmGetContext() override;
    void TxImmReleaseContext(HIMC context) override;
    HRESULT TxGetSelectionBarWidth(LONG* width) override;

    // ---- the control's side
    void SetClientRect(const RECT& rect);
    const RECT& GetClientRect() const { return m_rcClient; }
    void SetTransparent(bool transparent);
    void SetRich(bool rich);
    void SetReadOnly(bool readOnly);
    void SetMaxLength(LONG length);
    void SetFont(HFONT font);
    void SetColor(DWORD argb);
    void SetParaAlign(WORD alignment);
    bool IsCaptured() const { return m_bCaptured; }
    bool IsCaretShown() const { return m_bShowCaret; }
    SIZE GetCaretSize() const { return m_caretSize; }
    // The next caret move repaints the old caret rectangle too (the window was resized).
    void NeedCaretRepaint() { m_bCaretRepaintPending = true; }
    // Activates the engine in place over the client rectangle.
    void ActivateInPlace();
    bool SetCursorAt(POINT point);

    // The engine's timer ids are kept apart from the control's own (the caret blink) by this offset.
    static constexpr UINT kEngineTimerBase = 0x1000;

private:
    void BuildCharFormat(HFONT font);
    void BuildParaFormat(DWORD style);
    RECT CaretRect() const;

    CRichEditUI* m_pOwner = nullptr;
    LONG m_cRefs = 1;
    ITextServices* m_pServ = nullptr;
    DWORD m_dwStyle = 0;
    bool m_bAutoWordSel = false;
    bool m_bWordWrap = false;
    bool m_bAllowBeep = false;
    bool m_bRich = true;
    bool m_bSaveSelection = true;
    bool m_bInplaceActive = false;
    bool m_bTransparent = true;
    bool m_bCaptured = false;
    bool m_bShowCaret = false;
    bool m_bCaretRepaintPending = false;
    LONG m_lSelBarWidth = 0;
    LONG m_cchTextMost = 32767;
    DWORD m_dwEventMask = 0;
    LONG m_laccelpos = -1;
    wchar_t m_chPasswordChar = L'*';
    SIZEL m_sizelExtent = {};
    CHARFORMAT2W m_cf = {};
    PARAFORMAT2 m_pf = {};
    RECT m_rcClient = {};
    SIZE m_caretSize = {};
    POINT m_caretPos = {};
};

}  // namespace SkinUI
