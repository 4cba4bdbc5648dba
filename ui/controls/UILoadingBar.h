#pragma once
// Two timer-animated labels: CLoadingBarUI, an indeterminate progress bar (a bar of 30 % of the width
// sliding back and forth in the fore colour), and CRollTextUI, a label whose text scrolls through its
// rectangle like a marquee and reports "textrollend" when a set duration has passed.
#include "UILabel.h"

namespace SkinUI {

class CLoadingBarUI : public CLabelUI {
public:
    enum { kMoveTimer = 101, kMoveMs = 10, kStep = 3 };

    ~CLoadingBarUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintForeColor(HDC hdc) override;

    bool IsStarted() const { return m_bStarted; }
    bool IsMovingBack() const { return m_bMovingBack; }
    int GetOffset() const { return m_nOffset; }
    int GetBarWidth() const { return m_nBarWidth; }

private:
    bool m_bStarted = false;
    bool m_bMovingBack = false;
    int m_nOffset = 0;
    int m_nBarWidth = 0;
};

class CRollTextUI : public CLabelUI {
public:
    enum Direction { kLeft = 0, kRight = 1, kUp = 2, kDown = 3 };
    enum { kPaintTimer = 20, kEndTimer = 21 };

    ~CRollTextUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void SetText(const wchar_t* text) override;
    void DoEvent(TUIEvent& event) override;
    void PaintText(HDC hdc) override;
    // Moves the text to a position and measures it again at the next paint.
    virtual void SetRollPosition(int position);

    // Starts (or restarts) rolling: a repaint every interval ms, "textrollend" after duration s.
    void BeginRoll(int direction, UINT intervalMs, UINT durationSeconds);
    void EndRoll();

    bool IsRolling() const { return m_bRolling; }
    int GetPosition() const { return m_nPosition; }
    int GetExtent() const { return m_nExtent; }
    int GetStep() const { return m_nStep; }

private:
    int m_nStep = 5;
    int m_nPosition = 0;
    bool m_bRolling = false;
    int m_nDirection = kLeft;
    int m_nExtent = 0;
};

}  // namespace SkinUI
