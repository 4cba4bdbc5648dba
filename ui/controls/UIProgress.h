#pragma once
// CProgressUI shows an integer value between a minimum and a maximum as a partly drawn fore colour or
// fore image, and can show the percentage as its text. CSliderUI adds a thumb that the user drags, a
// click beside the thumb that steps, and the wheel; it raises "valuechanged" and, while dragged with
// "sendmove", "movevaluechanged".
#include "UILabel.h"

namespace SkinUI {

// The geometry of a bar, as pure functions of its numbers (device pixels).
struct TBarGeometry {
    RECT item = {};
    int minimum = 0;
    int maximum = 100;
    int value = 0;
    bool horizontal = true;

    // max - min, at least 1, so that no computation divides by zero.
    int Range() const;
    int ClampedValue() const;
    // The filled part of a rectangle of the given size, relative to its origin: from the left edge, or
    // from the bottom edge of a vertical bar.
    RECT FilledPart(int width, int height) const;
    // The thumb of the given (scaled) size.
    RECT ThumbRect(SIZE thumb) const;
    // The value whose thumb's leading edge lies at position (x, or y of a vertical bar): rounded to the
    // nearest value and clamped to the range; the inverse of ThumbRect.
    int ValueAtThumbEdge(SIZE thumb, int position) const;
};

// The percentage text of a value, rounded half up: "33%".
CUIString PercentText(int value, int minimum, int maximum);

class CProgressUI : public CLabelUI {
public:
    CProgressUI();
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintForeColor(HDC hdc) override;
    void PaintForeImage(HDC hdc) override;
    // With show text on, the text becomes the percentage.
    virtual void UpdateText();

    int GetMinValue() const { return m_nMin; }
    void SetMinValue(int value);
    int GetMaxValue() const { return m_nMax; }
    void SetMaxValue(int value);
    int GetValue() const { return m_nValue; }
    // A value equal to the current one or outside [min, max] is ignored.
    virtual void SetValue(int value);
    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool horizontal = true);
    bool IsStretchForeImage() const { return m_bStretchForeImage; }
    void SetStretchForeImage(bool stretch = true);
    bool IsShowText() const { return m_bShowText; }
    void SetShowText(bool show = true);

protected:
    // A max not above min becomes min + 1 and the value is clamped into the range; the result is kept.
    void Normalise();
    TBarGeometry Geometry() const;
    // Draws an image description over dest (absolute), taking source (relative to the image, device
    // pixels) when it is not empty; the description's own dest is ignored.
    bool DrawImageOver(HDC hdc, const CUIString& image, const RECT& dest, const RECT* source);

    bool m_bShowText = false;
    bool m_bHorizontal = true;
    bool m_bStretchForeImage = true;
    int m_nMax = 100;
    int m_nMin = 0;
    int m_nValue = 0;
};

class CSliderUI : public CProgressUI {
public:
    CSliderUI();
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void SetEnabled(bool enable = true) override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintForeImage(HDC hdc) override;
    // Ignored while the user drags the thumb.
    void SetValue(int value) override;

    int GetChangeStep() const { return m_nStep; }
    void SetChangeStep(int step) { m_nStep = step; }
    SIZE GetThumbSize() const { return m_szThumb; }  // unscaled
    void SetThumbSize(SIZE size) { m_szThumb = size; }
    void SetThumbImage(const wchar_t* image);
    void SetThumbHotImage(const wchar_t* image);
    void SetThumbPushedImage(const wchar_t* image);
    bool IsSendMove() const { return m_bSendMove; }
    void SetSendMove(bool send) { m_bSendMove = send; }
    UINT GetButtonState() const { return m_uButtonState; }
    RECT GetThumbRect() const;

private:
    void OnButtonDown(const TUIEvent& event);
    void OnButtonUp(const TUIEvent& event);
    void OnMouseMove(const TUIEvent& event);
    void OnWheel(const TUIEvent& event);
    // The value the thumb takes when the mouse is at point during a drag.
    int DragValue(POINT point) const;
    // Stores a changed value, updates the text and raises the notification; false when a handler
    // deleted the slider.
    bool ChangeValue(int value, const wchar_t* notification);

    SIZE m_szThumb = {10, 10};
    UINT m_uButtonState = 0;
    int m_nStep = 1;
    CUIString m_sThumbImage;
    CUIString m_sThumbHotImage;
    CUIString m_sThumbPushedImage;
    bool m_bSendMove = false;
    POINT m_ptGrab = {};        // the mouse's offset from the thumb's leading edge when it was grabbed
    int m_nPressValue = 0;      // the value when the thumb was grabbed
    bool m_bTrackPress = false; // the left button went down on the track beside the thumb
};

}  // namespace SkinUI
