#pragma once
// CButtonUI: a label with a picture and back colour for each visual state (normal, hot, pushed, focused,
// disabled), state text colours and fonts, Space and Return activation and the "click" notification.
// Activating it can also switch a tab layout of the window to a bound page.
//
// A "stateimage" strip of "statecount" equal parts is cut, at the first paint that finds the normal
// image empty, into the normal, hot, pushed and disabled image descriptions. They name the strip's own
// (unscaled) file, destination and slices, so the window's DPI scaling applies to them exactly once.
#include "UILabel.h"

namespace SkinUI {

class CButtonUI : public CLabelUI {
public:
    CButtonUI();
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    bool Activate() override;
    void SetEnabled(bool enable = true) override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintBkColor(HDC hdc) override;
    void PaintStatusImage(HDC hdc) override;
    void PaintForeImage(HDC hdc) override;
    void PaintText(HDC hdc) override;
    void CollectOpaqueCover(const RECT& within, std::vector<RECT>& cover) const override;

    virtual const CUIString& GetNormalImage() const { return m_sNormalImage; }
    virtual void SetNormalImage(const wchar_t* image);
    virtual const CUIString& GetHotImage() const { return m_sHotImage; }
    virtual void SetHotImage(const wchar_t* image);
    virtual const CUIString& GetPushedImage() const { return m_sPushedImage; }
    virtual void SetPushedImage(const wchar_t* image);
    virtual const CUIString& GetFocusedImage() const { return m_sFocusedImage; }
    virtual void SetFocusedImage(const wchar_t* image);
    virtual const CUIString& GetDisabledImage() const { return m_sDisabledImage; }
    virtual void SetDisabledImage(const wchar_t* image);
    virtual const CUIString& GetHotForeImage() const { return m_sHotForeImage; }
    virtual void SetHotForeImage(const wchar_t* image);
    virtual void SetStateImage(const wchar_t* image);

    UINT GetButtonState() const { return m_uButtonState; }
    void SetHotBkColor(DWORD color);
    DWORD GetHotBkColor() const { return m_dwHotBkColor; }
    void SetPushedBkColor(DWORD color);
    DWORD GetPushedBkColor() const { return m_dwPushedBkColor; }
    void SetDisabledBkColor(DWORD color);
    DWORD GetDisabledBkColor() const { return m_dwDisabledBkColor; }
    void SetHotTextColor(DWORD color) { m_dwHotTextColor = color; }
    DWORD GetHotTextColor() const { return m_dwHotTextColor; }
    void SetPushedTextColor(DWORD color) { m_dwPushedTextColor = color; }
    DWORD GetPushedTextColor() const { return m_dwPushedTextColor; }
    void SetFocusedTextColor(DWORD color) { m_dwFocusedTextColor = color; }
    DWORD GetFocusedTextColor() const { return m_dwFocusedTextColor; }
    void SetHotFont(int index);
    int GetHotFont() const { return m_iHotFont; }
    void SetPushedFont(int index);
    int GetPushedFont() const { return m_iPushedFont; }
    void SetFocusedFont(int index);
    int GetFocusedFont() const { return m_iFocusedFont; }
    void SetStateCount(int count);
    int GetStateCount() const { return m_nStateCount; }
    const CUIString& GetStateImage() const { return m_sStateImage; }

    void BindTabIndex(int index);
    void BindTabLayoutName(const wchar_t* name);
    const CUIString& GetBindTabLayoutName() const { return m_sBindTabLayoutName; }
    int GetBindTabLayoutIndex() const { return m_iBindTabIndex; }
    // Switches the bound tab layout to index, or to the bound index when index is negative.
    void SelectBoundTab(int index);

protected:
    // What the button's background paint covers in whichever state it is painted (the state is
    // refreshed only as it paints): false, appending nothing, unless every colour it may take is opaque.
    bool CollectStateBackground(const RECT& within, std::vector<RECT>& cover) const;
    // The same for a button with a selected look: selected, it paints its selected colour or nothing.
    bool CollectSelectableBackground(bool selected, DWORD selectedColor, const RECT& within,
                                     std::vector<RECT>& cover) const;
    // Focused and disabled follow the control; in a disabled window only the disabled bit stays.
    void RefreshState();
    // Draws the first of the images that is set and draws; false when none did.
    bool DrawFirstImage(HDC hdc, const CUIString* const* images, int count);
    // The word-break narrowing and the renderer choice shared with the option.
    void DrawButtonText(HDC hdc, const wchar_t* text, DWORD color, int font);

    UINT m_uButtonState = 0;
    int m_iHotFont = -1;
    int m_iPushedFont = -1;
    int m_iFocusedFont = -1;
    DWORD m_dwHotBkColor = 0;
    DWORD m_dwPushedBkColor = 0;
    DWORD m_dwDisabledBkColor = 0;
    DWORD m_dwHotTextColor = 0;
    DWORD m_dwPushedTextColor = 0;
    DWORD m_dwFocusedTextColor = 0;
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sHotForeImage;
    CUIString m_sPushedImage;
    CUIString m_sFocusedImage;
    CUIString m_sDisabledImage;
    int m_nStateCount = 0;
    CUIString m_sStateImage;
    int m_iBindTabIndex = -1;
    CUIString m_sBindTabLayoutName;
};

// A state strip cut into image descriptions of its parts.
struct TStripParts {
    int count = 0;          // parts made (0: the strip cannot be cut)
    CUIString parts[4];     // part 0, 1, 2, 3
};
// Cuts the strip described by stripImage into count equal parts. Each part names the strip's file as
// written, its destination as written and the part's slice in unscaled pixels, so drawing it scales it
// once at any DPI.
TStripParts CutStateStrip(CPaintManagerUI* manager, const wchar_t* stripImage, int count);

}  // namespace SkinUI
