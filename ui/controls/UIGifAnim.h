#pragma once
// CGifAnimUI: shows a multi-frame image (an animated GIF) from the skin, stretched over the control, and
// steps through its frames on a control timer at the delays stored in the image.
#include "UIControl.h"

#include <vector>

namespace Gdiplus {
class GpImage;
}

namespace SkinUI {

class CGifAnimUI : public CControlUI {
public:
    enum { kFrameTimer = 100, kDefaultDelayMs = 100 };

    CGifAnimUI();
    ~CGifAnimUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void SetVisible(bool visible = true) override;
    void DoInit() override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) override;

    void InitGifImage();
    void DeleteGifImage();
    void PlayGif();
    void StopGif();
    void OnTimer(UINT_PTR id);
    void SetBkImage(const wchar_t* name);
    void DrawFrame(HDC hdc);

    bool HasImage() const { return m_pImage != nullptr; }
    bool IsPlaying() const { return m_bPlaying; }
    UINT GetFrameCount() const { return m_nFrameCount; }
    UINT GetCurrentFrame() const { return m_nCurrentFrame; }
    // How long the frame is shown: its stored delay, 100 ms for a delay of 0 or a frame without one.
    UINT GetFrameDelayMs(UINT frame) const;
    void SetAutoPlay(bool autoPlay) { m_bAutoPlay = autoPlay; }
    void SetAutoSize(bool autoSize) { m_bAutoSize = autoSize; }

private:
    Gdiplus::GpImage* m_pImage = nullptr;
    UINT m_nFrameCount = 0;
    UINT m_nCurrentFrame = 0;
    std::vector<UINT> m_delays;  // hundredths of a second, as many as the image stores
    CUIString m_sImageName;
    bool m_bAutoPlay = true;
    bool m_bAutoSize = false;
    bool m_bPlaying = false;
};

}  // namespace SkinUI
