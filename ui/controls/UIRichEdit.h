#pragma once
// CRichEditUI: a windowless, multi-line text box that the framework draws itself, edited by the system's
// rich-text services (created from "Msftedit.dll"). The engine talks back through CTxtWinHost. Window
// messages reach the engine through this control's message filter; the container's scroll bars follow
// the engine's. Layout element "RichEdit".
//
// The edit-style attributes take effect when the engine is created (DoInit), so layouts set them first.
#include "UIContainer.h"
#include "UIWindow.h"

#include <richedit.h>

namespace SkinUI {

class CTxtWinHost;

class CRichEditUI : public CContainerUI, public IMessageFilterUI {
    friend class CTxtWinHost;

public:
    CRichEditUI();
    ~CRichEditUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    CUIString GetText() const override;
    void SetText(const wchar_t* text) override;
    void SetPos(RECT rect, bool needInvalidate = true) override;
    void Move(SIZE offset, bool needInvalidate = true) override;
    void DoInit() override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE EstimateSize(SIZE available) override;
    bool DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) override;
    void PaintStatusImage(HDC hdc) override;
    void PaintText(HDC hdc) override;
    void SetScrollPos(SIZE pos, bool sendNotify = true) override;
    void LineUp() override;
    void LineDown() override;
    void PageUp() override;
    void PageDown() override;
    void HomeUp() override;
    void EndDown() override;
    void LineLeft() override;
    void LineRight() override;
    void PageLeft() override;
    void PageRight() override;
    void HomeLeft() override;
    void EndRight() override;
    bool IsWantTab() const override { return m_bWantTab; }
    void OnDpiChanged() override;

    // Every message meant for the engine passes here; S_FALSE without an engine.
    virtual HRESULT FilterKeyMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Asked by the host when the engine's view changed.
    virtual bool OnTxViewChanged() { return true; }
    virtual void OnTxNotify(DWORD code, void* data);

    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    // ---- settings
    bool IsWantReturn() const { return m_bWantReturn; }
    void SetWantReturn(bool want) { m_bWantReturn = want; }
    bool IsWantCtrlReturn() const { return m_bWantCtrlReturn; }
    void SetWantCtrlReturn(bool want) { m_bWantCtrlReturn = want; }
    void SetWantTab(bool want) { m_bWantTab = want; }
    bool IsMultiLine() const { return (m_lTwhStyle & ES_MULTILINE) != 0; }
    void SetMultiLine(bool multiLine);  // before the engine is created
    bool IsTransparent() const { return m_bTransparent; }
    void SetTransparent(bool transparent);
    bool IsRich() const { return m_bRich; }
    void SetRich(bool rich);
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetReadOnly(bool readOnly);
    DWORD GetWinStyle() const { return m_lTwhStyle; }
    void SetWinStyle(DWORD style) { m_lTwhStyle = style; }
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD color);
    int GetFont() const { return m_iFont; }
    void SetFont(int index);
    // A font by face (at most 32 characters), size and style; nothing without an engine.
    void SetFont(const wchar_t* face, int size, bool bold, bool underline, bool italic);
    int GetLimitText() const { return m_iLimitText; }
    void SetLimitText(int chars);
    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(RECT padding);
    void SetNormalImage(const wchar_t* image);
    void SetHotImage(const wchar_t* image);
    void SetFocusedImage(const wchar_t* image);
    void SetDisabledImage(const wchar_t* image);
    const CUIString& GetTipValue() const { return m_sTipValue; }
    void SetTipValue(const wchar_t* text);
    void SetTipValueColor(DWORD color);
    void SetTipValueAlign(UINT align);
    bool HasEngine() const { return m_pTwh != nullptr; }
    CTxtWinHost* GetTxtWinHost() const { return m_pTwh; }

    // ---- editing, one engine message each
    long GetTextLength(DWORD flags = GTL_DEFAULT) const;
    bool IsModify() const;
    void SetModify(bool modified = true);
    void GetSel(CHARRANGE& range) const;
    void GetSel(long& start, long& end) const;
    int SetSel(CHARRANGE& range);
    int SetSel(long start, long end);
    void SetSelAll();
    void SetSelNone();
    CUIString GetSelText() const;
    void ReplaceSel(const wchar_t* text, bool canUndo);
    void HideSelection(bool hide = true, bool changeStyle = false);
    long LineFromChar(long index) const;
    POINT PosFromChar(UINT index) const;
    int CharFromPos(POINT point) const;
    bool CanUndo();
    bool CanRedo();
    bool Undo();
    bool Redo();
    void EmptyUndoBuffer();
    UINT SetUndoLimit(UINT limit);
    void Cut();
    void Copy();
    void Paste();
    void Clear();
    DWORD GetDefaultCharFormat(CHARFORMAT2W& format) const;
    bool SetDefaultCharFormat(CHARFORMAT2W& format);
    DWORD GetSelectionCharFormat(CHARFORMAT2W& format) const;
    bool SetSelectionCharFormat(CHARFORMAT2W& format);
    bool SetWordCharFormat(CHARFORMAT2W& format);
    DWORD GetParaFormat(PARAFORMAT2& format) const;
    bool SetParaFormat(PARAFORMAT2& format);
    long StreamIn(int format, EDITSTREAM& stream);
    long StreamOut(int format, EDITSTREAM& stream);
    bool SetZoom(int numerator, int denominator);
    DWORD GetEventMask() const;
    DWORD SetEventMask(DWORD mask);
    LRESULT SendEngineMessage(UINT message, WPARAM wParam, LPARAM lParam) const;

    // The module the engine comes from; "Msftedit.dll" unless changed (tests point it elsewhere).
    static void SetEngineModule(const wchar_t* module);
    static const wchar_t* GetEngineModule();

    static constexpr UINT kCaretTimerId = 20;

protected:
    void PlaceScrollBars(const RECT& rect);
    // The engine's natural text height for the host's width.
    LONG NaturalTextHeight() const;
    void FitVerticalScrollBar();
    void PaintCaret(HDC hdc);
    void PaintTip(HDC hdc);
    void BlinkCaret();
    void ShowContextMenu(POINT point);
    bool RunMenuCommand(UINT id);
    bool IsMouseOverHost(POINT point) const;

    CTxtWinHost* m_pTwh = nullptr;
    bool m_bVScrollBarFixing = false;
    bool m_bWantTab = true;
    bool m_bWantReturn = true;
    bool m_bWantCtrlReturn = true;
    bool m_bTransparent = true;
    bool m_bRich = true;
    bool m_bReadOnly = false;
    bool m_bWordWrap = false;
    DWORD m_dwTextColor = 0;
    int m_iFont = -1;
    int m_iLimitText = 32767;
    LONG m_lTwhStyle = ES_MULTILINE;
    bool m_bDrawCaret = true;
    bool m_bInited = false;
    bool m_bReturnSwallowed = false;  // Enter went to the window: its character goes with it
    RECT m_rcTextPadding = {};
    UINT m_uButtonState = 0;
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sFocusedImage;
    CUIString m_sDisabledImage;
    CUIString m_sTipValue;
    DWORD m_dwTipValueColor = 0xFFBAC0C5;
    UINT m_uTipValueAlign = DT_SINGLELINE | DT_LEFT;
    // "textchanged" is being raised: a handler that sets the text does not raise it again.
    bool m_bRaisingTextChanged = false;
};

}  // namespace SkinUI
