#include "UIRing.h"

#include "UIManager.h"
#include "UIRender.h"

#include <gdiplus.h>

namespace SkinUI {

namespace Gdip = Gdiplus::DllExports;

CRingUI::~CRingUI() {
    if (m_pManager) KillTimer(kTurnTimer);
    DeleteImage();
}

CControlUI* CRingUI::CreateControl() { return new CRingUI; }

const wchar_t* CRingUI::GetClass() const { return L"RingUI"; }

void* CRingUI::GetInterface(const wchar_t* name) {
    return EqualsIgnoreCase(name, L"Ring") ? this : CLabelUI::GetInterface(name);
}

void CRingUI::DeleteImage() {
    if (m_pImage) Gdip::GdipDisposeImage(m_pImage);
    m_pImage = nullptr;
}

void CRingUI::SetRingImage(const wchar_t* image) {
    if (!image || m_sBkImage == image) return;
    m_sBkImage = image;
    DeleteImage();
    Invalidate();
}

void CRingUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (EqualsIgnoreCase(name, L"bkimage")) {
        SetRingImage(value);
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CRingUI::DoEvent(TUIEvent& event) {
    if (event.Type == UIEVENT_TIMER && event.wParam == kTurnTimer) {
        if (m_fAngle > 359) m_fAngle = 0;
        m_fAngle += kStepDegrees;
        Invalidate();
        return;
    }
    CLabelUI::DoEvent(event);
}

void CRingUI::PaintBkImage(HDC hdc) {
    if (!m_pImage) {
        // Tried again at every paint until it loads; the turning starts with the first image.
        m_pImage = CUIRender::LoadGdiplusImage(m_sBkImage.Data());
        if (m_pImage && m_pManager) SetTimer(kTurnTimer, kTurnMs);
    }
    if (!m_pImage) return;
    Gdiplus::GpGraphics* graphics = nullptr;
    if (Gdip::GdipCreateFromHDC(hdc, &graphics) != Gdiplus::Ok) return;
    const int width = m_rcItem.right - m_rcItem.left;
    const int height = m_rcItem.bottom - m_rcItem.top;
    const float cx = static_cast<float>(m_rcItem.left + width / 2);
    const float cy = static_cast<float>(m_rcItem.top + height / 2);
    Gdip::GdipTranslateWorldTransform(graphics, cx, cy, Gdiplus::MatrixOrderPrepend);
    Gdip::GdipRotateWorldTransform(graphics, m_fAngle, Gdiplus::MatrixOrderPrepend);
    Gdip::GdipTranslateWorldTransform(graphics, -cx, -cy, Gdiplus::MatrixOrderPrepend);
    Gdip::GdipDrawImageRectI(graphics, m_pImage, m_rcItem.left, m_rcItem.top, width, height);
    Gdip::GdipDeleteGraphics(graphics);
}

}  // namespace SkinUI
