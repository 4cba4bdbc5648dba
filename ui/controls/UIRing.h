#pragma once
// CRingUI: a busy indicator; a label whose background image turns about the control's centre, 36 degrees
// every 100 ms.
#include "UILabel.h"

namespace Gdiplus {
class GpImage;
}

namespace SkinUI {

class CRingUI : public CLabelUI {
public:
    enum { kTurnTimer = 100, kTurnMs = 100, kStepDegrees = 36 };

    ~CRingUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintBkImage(HDC hdc) override;

    void SetRingImage(const wchar_t* image);
    float GetAngle() const { return m_fAngle; }
    bool HasImage() const { return m_pImage != nullptr; }

private:
    void DeleteImage();

    float m_fAngle = 0;
    Gdiplus::GpImage* m_pImage = nullptr;
};

}  // namespace SkinUI
