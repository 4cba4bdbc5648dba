#pragma once
// CScrollBarUI: an optional first button (top or left end), an optional second button (bottom or right
// end), a thumb and a rail grip on a background. It keeps a 64-bit range and position and turns clicks,
// holds (a 50 ms control timer that repeats from its sixth tick) and thumb drags into position changes.
// A bar that belongs to a container (its owner) asks the owner to scroll instead of moving itself.
#include "UIControl.h"

namespace SkinUI {

class CContainerUI;

class CScrollBarUI : public CControlUI {
public:
    enum { kRepeatTimerId = 10, kRepeatElapse = 50, kRepeatStartTick = 6, kDefaultThickness = 16 };
    // Image states of each part, in attribute order.
    enum ImageState { kNormal = 0, kHot = 1, kPushed = 2, kDisabled = 3, kStateCount = 4 };

    CScrollBarUI();
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;

    CContainerUI* GetOwner() const { return m_pOwner; }
    void SetOwner(CContainerUI* owner) { m_pOwner = owner; }
    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool horizontal = true);
    int GetScrollRange() const { return static_cast<int>(m_nRange); }
    void SetScrollRange(int range);
    int GetScrollPos() const { return static_cast<int>(m_nScrollPos); }
    void SetScrollPos(int pos);
    int GetLineSize() const { return m_nLineSize; }
    void SetLineSize(int size) { m_nLineSize = size; }
    bool GetShowButton1() const { return m_bShowButton1; }
    void SetShowButton1(bool show);
    bool GetShowButton2() const { return m_bShowButton2; }
    void SetShowButton2(bool show);

    const CUIString& GetButton1Image(ImageState state) const { return m_sButton1Images[state]; }
    void SetButton1Image(ImageState state, const wchar_t* image);
    const CUIString& GetButton2Image(ImageState state) const { return m_sButton2Images[state]; }
    void SetButton2Image(ImageState state, const wchar_t* image);
    const CUIString& GetThumbImage(ImageState state) const { return m_sThumbImages[state]; }
    void SetThumbImage(ImageState state, const wchar_t* image);
    const CUIString& GetRailImage(ImageState state) const { return m_sRailImages[state]; }
    void SetRailImage(ImageState state, const wchar_t* image);
    const CUIString& GetBkImageOfState(ImageState state) const { return m_sBkImages[state]; }
    void SetBkImageOfState(ImageState state, const wchar_t* image);

    const RECT& GetButton1Rect() const { return m_rcButton1; }
    const RECT& GetButton2Rect() const { return m_rcButton2; }
    const RECT& GetThumbRect() const { return m_rcThumb; }
    UINT GetButton1State() const { return m_uButton1State; }
    UINT GetButton2State() const { return m_uButton2State; }
    UINT GetThumbState() const { return m_uThumbState; }

    void SetPos(RECT rect, bool needInvalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enable = true) override;
    void SetFocus() override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) override;

private:
    // Length of the bar along its axis and thickness across it (scaled).
    int Length() const { return m_bHorizontal ? m_rcItem.Width() : m_rcItem.Height(); }
    int Thickness() const { return m_bHorizontal ? GetFixedHeight() : GetFixedWidth(); }
    // Coordinate of a point along the bar.
    int Along(POINT point) const { return m_bHorizontal ? point.x : point.y; }
    void LayoutVertical();
    void LayoutHorizontal();
    bool OnButtonDown(const TUIEvent& event);
    bool OnButtonUp();
    void OnMouseMove(const TUIEvent& event);
    bool OnRepeatTimer();
    void ScrollLineBack();
    void ScrollLineForward();
    void ScrollPageBack();
    void ScrollPageForward();
    void MoveToDragPosition();
    void RaiseScroll();

    void PaintPart(HDC hdc, UINT& state, const CUIString* images, const RECT* part, bool outlineFallback);
    // An image over one part (null: the whole bar).
    bool DrawPartImage(HDC hdc, const CUIString& image, const RECT* part);
    void PaintRail(HDC hdc);

    bool m_bHorizontal = false;
    LONGLONG m_nRange = 0;
    LONGLONG m_nScrollPos = 0;
    int m_nLineSize = 8;
    CContainerUI* m_pOwner = nullptr;
    POINT m_ptLastMouse = {};
    int m_nLastScrollPos = 0;      // position when the thumb was grabbed
    int m_nLastScrollOffset = 0;   // position change of the current drag
    int m_nScrollRepeatDelay = 0;  // timer ticks since the button went down
    CUIString m_sBkImages[kStateCount];
    bool m_bShowButton1 = true;
    CUIRect m_rcButton1;
    UINT m_uButton1State = 0;
    CUIString m_sButton1Images[kStateCount];
    bool m_bShowButton2 = true;
    CUIRect m_rcButton2;
    UINT m_uButton2State = 0;
    CUIString m_sButton2Images[kStateCount];
    CUIRect m_rcThumb;
    UINT m_uThumbState = 0;
    CUIString m_sThumbImages[kStateCount];
    CUIString m_sRailImages[kStateCount];
};

}  // namespace SkinUI
