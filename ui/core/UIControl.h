#pragma once
// CControlUI: the root class of every element of a skin window. It holds the geometry, look, texts, flags
// and custom attributes of one rectangle of the control tree, parses the attributes that layouts give it,
// paints itself in a fixed order and turns UI events into default behaviour.
//
// Layout sizes (fixed size, minimum and maximum, padding, float offset, border size and round, tooltip
// width) are stored as written for 96 DPI and scaled by the manager's DPI scaler when read; the item
// rectangle is in device pixels.
#include "UIDelegate.h"
#include "UIGeometry.h"
#include "UILife.h"
#include "UIString.h"
#include "UIStringMap.h"

#include <windows.h>

namespace SkinUI {

class CControlUI;
class CPaintManagerUI;

// Event types of TUIEvent; the numbers are part of the contract with every control class.
enum UIEventType {
    UIEVENT_KEYDOWN = 3,
    UIEVENT_KEYUP = 4,
    UIEVENT_CHAR = 5,
    UIEVENT_SYSKEY = 6,
    UIEVENT_MOUSEMOVE = 9,
    UIEVENT_MOUSELEAVE = 10,
    UIEVENT_MOUSEENTER = 11,
    UIEVENT_MOUSEHOVER = 12,
    UIEVENT_BUTTONDOWN = 13,
    UIEVENT_BUTTONUP = 14,
    UIEVENT_RBUTTONDOWN = 15,
    UIEVENT_RBUTTONUP = 16,
    UIEVENT_MBUTTONDOWN = 17,
    UIEVENT_MBUTTONUP = 18,
    UIEVENT_DBLCLICK = 19,
    UIEVENT_CONTEXTMENU = 20,
    UIEVENT_SCROLLWHEEL = 21,
    UIEVENT_KILLFOCUS = 23,
    UIEVENT_SETFOCUS = 24,
    UIEVENT_WINDOWSIZE = 25,
    UIEVENT_SETCURSOR = 26,
    UIEVENT_TIMER = 27,
    UIEVENT__MOUSEBEGIN = UIEVENT_MOUSEMOVE,  // mouse events are 9 to 21
    UIEVENT__MOUSEEND = UIEVENT_SCROLLWHEEL
};

// The event record given to a control's Event and DoEvent.
struct TUIEvent {
    int Type = 0;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse = {};
    WORD chKey = 0;      // character or virtual key
    WORD wKeyState = 0;  // key-state bits
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// FindControl flags.
enum : UINT {
    UIFIND_ALL = 0x00000000,
    UIFIND_VISIBLE = 0x00000001,
    UIFIND_ENABLED = 0x00000002,
    UIFIND_HITTEST = 0x00000004,     // the search data is a POINT
    UIFIND_UPDATETEST = 0x00000008,  // looks for controls whose layout is out of date
    UIFIND_TOP_FIRST = 0x00000010,   // children from the last (topmost) to the first
    UIFIND_ME_FIRST = 0x80000000     // a container before its children
};

// Control flags (GetControlFlags).
enum : UINT {
    UIFLAG_TABSTOP = 0x00000001,
    UIFLAG_SETCURSOR = 0x00000002,
    UIFLAG_WANTRETURN = 0x00000004
};

// State bits kept by buttons, sliders, edits, combos, list items and the scroll bar.
enum : UINT {
    UISTATE_FOCUSED = 0x01,
    UISTATE_SELECTED = 0x02,
    UISTATE_DISABLED = 0x04,
    UISTATE_HOT = 0x08,
    UISTATE_PUSHED = 0x10,
    UISTATE_CAPTURED = 0x40
};

// A FindControl visitor: returns the control to end the search with, or null to go on.
using FindControlProc = CControlUI* (*)(CControlUI* control, void* data);

// Placement of a float control inside its parent, as fractions of the parent's size.
struct TPercentInfo {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

class CControlUI {
public:
    CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;
    virtual ~CControlUI();

    // Creation function of the control factory.
    static CControlUI* CreateControl();

    virtual CUIString GetName() const;
    virtual void SetName(const wchar_t* name);
    virtual const wchar_t* GetClass() const;
    virtual void* GetInterface(const wchar_t* name);
    virtual UINT GetControlFlags() const;
    virtual bool Activate();
    virtual CPaintManagerUI* GetManager() const;
    // Tells code that calls out to handlers whether this control was deleted meanwhile.
    CUILifeWatch WatchLife() const { return m_life.Watch(); }
    virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true);
    virtual CControlUI* GetParent() const;

    virtual CUIString GetText() const;  // "${key}" texts resolve to the current language
    virtual void SetText(const wchar_t* text);
    virtual bool IsResourceText() const;
    virtual void SetResourceText(bool resource);
    virtual bool IsDragEnabled() const;
    virtual void SetDragEnable(bool enable);
    virtual bool IsDropEnabled() const;
    virtual void SetDropEnable(bool enable);

    virtual RECT GetRelativePos() const;
    virtual RECT GetClientPos() const;
    virtual const RECT& GetPos() const;
    virtual void SetPos(RECT rect, bool needInvalidate = true);
    virtual void Move(SIZE offset, bool needInvalidate = true);
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    virtual int GetX() const;
    virtual int GetY() const;
    virtual RECT GetPadding() const;
    virtual void SetPadding(RECT padding);
    virtual SIZE GetFixedXY() const;
    virtual void SetFixedXY(SIZE xy);
    virtual int GetFixedWidth() const;
    virtual void SetFixedWidth(int cx);
    virtual int GetFixedHeight() const;
    virtual void SetFixedHeight(int cy);
    virtual int GetMinWidth() const;
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const;
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const;
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const;
    virtual void SetMaxHeight(int cy);
    virtual TPercentInfo GetFloatPercent() const;
    virtual void SetFloatPercent(TPercentInfo percent);
    virtual void SetFloatAlign(UINT align);
    virtual UINT GetFloatAlign() const;

    virtual CUIString GetToolTip() const;
    virtual void SetToolTip(const wchar_t* text);
    virtual void SetToolTipWidth(int width);
    virtual int GetToolTipWidth() const;
    virtual WORD GetCursor() const;
    virtual void SetCursor(WORD cursor);
    virtual wchar_t GetShortcut() const;
    virtual void SetShortcut(wchar_t ch);
    virtual bool IsContextMenuUsed() const;
    virtual void SetContextMenuUsed(bool used);
    virtual const CUIString& GetUserData() const;
    virtual void SetUserData(const wchar_t* text);
    virtual UINT_PTR GetTag() const;
    virtual void SetTag(UINT_PTR tag);

    virtual bool IsVisible() const;  // own visibility and shown by the parent
    virtual void SetVisible(bool visible = true);
    virtual void SetInternVisible(bool visible = true);
    virtual bool IsEnabled() const;
    virtual void SetEnabled(bool enable = true);
    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool enable = true);
    virtual bool IsKeyboardEnabled() const;
    virtual void SetKeyboardEnabled(bool enable = true);
    virtual bool IsFocused() const;
    virtual void SetFocus();
    virtual bool IsFloat() const;
    virtual void SetFloat(bool isFloat = true);

    virtual CControlUI* FindControl(FindControlProc proc, void* data, UINT flags);

    virtual void Init();
    virtual void DoInit();
    virtual void Event(TUIEvent& event);
    virtual void DoEvent(TUIEvent& event);
    virtual void SetAttribute(const wchar_t* name, const wchar_t* value);
    virtual SIZE EstimateSize(SIZE available);

    virtual bool Paint(HDC hdc, const RECT& paintRect, CControlUI* stopControl = nullptr);
    virtual bool DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl);
    virtual void PaintBkColor(HDC hdc);
    virtual void PaintBkImage(HDC hdc);
    virtual void PaintStatusImage(HDC hdc);
    virtual void PaintForeColor(HDC hdc);
    virtual void PaintForeImage(HDC hdc);
    virtual void PaintText(HDC hdc);
    virtual void PaintBorder(HDC hdc);
    virtual void DoPostPaint(HDC hdc, const RECT& paintRect);
    // Appends the parts of `within` that this control's painting leaves opaque whatever lies beneath
    // (its background fill), so that a parent need not fill them first. Nothing when in doubt: a class
    // that paints its own way says nothing unless it overrides this.
    virtual void CollectOpaqueCover(const RECT& within, std::vector<RECT>& cover) const;
    // A control that takes the Tab key itself (a rich edit with "wanttab") answers true.
    virtual bool IsWantTab() const { return false; }
    // The window's DPI changed: a control holding scaled resources of its own renews them.
    virtual void OnDpiChanged() {}

    // ---- attribute lists and custom attributes (UIControlAttributes.cpp)
    // Pairs name="value" separated by one blank or comma, "&quot;" for a quote; or the name of a style.
    void ApplyAttributeList(const wchar_t* list);
    void AddCustomAttribute(const wchar_t* name, const wchar_t* value);
    const wchar_t* GetCustomAttribute(const wchar_t* name) const;
    bool RemoveCustomAttribute(const wchar_t* name);
    void RemoveAllCustomAttribute();

    // ---- layout and invalidation
    void Invalidate();
    void NeedUpdate();
    void NeedParentUpdate();
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    const RECT& GetPaintRect() const { return m_rcPaint; }

    DWORD GetAdjustColor(DWORD color) const;
    bool DrawImage(HDC hdc, const wchar_t* image, const wchar_t* modify = nullptr);
    bool SetTimer(UINT id, UINT elapse);
    bool KillTimer(UINT id);
    CUIString GetVirtualWnd() const;
    void SetVirtualWnd(const wchar_t* name);

    // ---- look
    DWORD GetBkColor() const { return m_dwBackColor; }
    void SetBkColor(DWORD color);
    DWORD GetBkColor2() const { return m_dwBackColor2; }
    void SetBkColor2(DWORD color);
    DWORD GetBkColor3() const { return m_dwBackColor3; }
    void SetBkColor3(DWORD color);
    DWORD GetForeColor() const { return m_dwForeColor; }
    void SetForeColor(DWORD color);
    DWORD GetBorderColor() const { return m_dwBorderColor; }
    void SetBorderColor(DWORD color);
    DWORD GetFocusBorderColor() const { return m_dwFocusBorderColor; }
    void SetFocusBorderColor(DWORD color);
    bool IsColorHSL() const { return m_bColorHSL; }
    void SetColorHSL(bool hsl);
    const CUIString& GetGradient() const { return m_sGradient; }
    void SetGradient(const wchar_t* gradient);
    const CUIString& GetBkImage() const { return m_sBkImage; }
    void SetBkImage(const wchar_t* image);
    const CUIString& GetForeImage() const { return m_sForeImage; }
    void SetForeImage(const wchar_t* image);
    int GetBorderSize() const;  // scaled
    void SetBorderSize(int size);
    void SetBorderSize(RECT sizes);  // per side
    RECT GetBorderSizes() const { return m_rcBorderSize; }  // per side, unscaled
    void SetLeftBorderSize(int size);
    void SetTopBorderSize(int size);
    void SetRightBorderSize(int size);
    void SetBottomBorderSize(int size);
    int GetBorderStyle() const { return m_nBorderStyle; }
    void SetBorderStyle(int style);
    SIZE GetBorderRound() const;  // scaled
    void SetBorderRound(SIZE round);
    HINSTANCE GetResourceInstance() const { return m_instance; }
    void SetResourceInstance(HINSTANCE instance) { m_instance = instance; }

    // Subscribers; OnNotify is fired by the paint manager when this control raises a notification.
    CUIEventSource OnInit;
    CUIEventSource OnDestroy;
    CUIEventSource OnSize;
    CUIEventSource OnEvent;
    CUIEventSource OnNotify;

protected:
    // The parts of `within` the opaque background fill of the control's own painting covers (a rounded
    // control: all but its corners); false, appending nothing, when the background is not one opaque
    // colour.
    bool CollectOpaqueBackground(const RECT& within, std::vector<RECT>& cover) const;
    // The same for a fill of the given colour over the control (a state's background colour).
    bool CollectOpaqueFill(DWORD color, const RECT& within, std::vector<RECT>& cover) const;
    // A layout size as read: scaled by the manager's DPI, unscaled without a manager.
    int Scaled(int value) const;
    RECT ScaledMargins(const RECT& margins) const;
    SIZE ScaledSize(SIZE size) const;
    // The rectangle clipped by every ancestor's item rectangle; false when nothing is left or an
    // ancestor is hidden.
    bool ClipToAncestors(RECT& rect) const;
    bool ApplyStyleNamedBy(const wchar_t* value);

    CPaintManagerUI* m_pManager = nullptr;
    CControlUI* m_pParent = nullptr;
    CUIString m_sVirtualWnd;
    CUIString m_sName;
    bool m_bUpdateNeeded = true;
    bool m_bMenuUsed = false;
    CUIRect m_rcItem;
    CUIRect m_rcPadding;
    SIZE m_cXY = {};         // offset of a float control in its parent
    SIZE m_cxyFixed = {};    // 0 = not fixed
    SIZE m_cxyMin = {};
    SIZE m_cxyMax = {9999, 9999};
    bool m_bVisible = true;
    bool m_bInternVisible = true;
    bool m_bEnabled = true;
    bool m_bMouseEnabled = true;
    bool m_bKeyboardEnabled = true;
    bool m_bFocused = false;
    bool m_bFloat = false;
    TPercentInfo m_piFloatPercent;
    UINT m_uFloatAlign = 0;
    bool m_bSetPos = false;  // OnSize is running
    bool m_bDragEnabled = false;
    bool m_bDropEnabled = false;
    bool m_bResourceText = false;
    CUIString m_sText;
    CUIString m_sToolTip;
    wchar_t m_chShortcut = 0;
    CUIString m_sUserData;
    UINT_PTR m_pTag = 0;
    CUIString m_sGradient;
    DWORD m_dwBackColor = 0;
    DWORD m_dwBackColor2 = 0;
    DWORD m_dwBackColor3 = 0;
    DWORD m_dwForeColor = 0;
    CUIString m_sBkImage;
    CUIString m_sForeImage;
    DWORD m_dwBorderColor = 0;
    DWORD m_dwFocusBorderColor = 0;
    bool m_bColorHSL = false;
    int m_nBorderSize = 0;
    int m_nBorderStyle = PS_SOLID;
    int m_nTooltipWidth = 300;
    WORD m_wCursor = 0;
    SIZE m_cxyBorderRound = {};
    CUIRect m_rcPaint;
    CUIRect m_rcBorderSize;  // per-side widths
    HINSTANCE m_instance = nullptr;
    CUIStringMap m_mCustomAttrHash;  // name -> CUIString*, owned

private:
    CUILifeToken m_life;  // reports the control gone once its destructors have run
};

}  // namespace SkinUI
