#include "UIGifAnim.h"

#include "UIAttributes.h"
#include "UIManager.h"
#include "UIRender.h"

#include <gdiplus.h>

#include <cstring>

namespace SkinUI {

namespace {

namespace Gdip = Gdiplus::DllExports;

// The time dimension of animated images; the frame delays are property 0x5100.
const GUID kFrameDimensionTime = {0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa7, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};
constexpr PROPID kFrameDelayTag = 0x5100;

bool Is(const wchar_t* name, const wchar_t* expected) { return EqualsIgnoreCase(name, expected); }

// The frame count of the image's first frame dimension; 0 when it has none.
UINT FirstDimensionFrameCount(Gdiplus::GpImage* image) {
    UINT dimensions = 0;
    if (Gdip::GdipImageGetFrameDimensionsCount(image, &dimensions) != Gdiplus::Ok || dimensions == 0) return 0;
    std::vector<GUID> ids(dimensions);
    if (Gdip::GdipImageGetFrameDimensionsList(image, ids.data(), dimensions) != Gdiplus::Ok) return 0;
    UINT frames = 0;
    if (Gdip::GdipImageGetFrameCount(image, &ids[0], &frames) != Gdiplus::Ok) return 0;
    return frames;
}

// The delays the image stores, as many as its property holds (a damaged file may hold fewer).
std::vector<UINT> ReadFrameDelays(Gdiplus::GpImage* image) {
    std::vector<UINT> delays;
    UINT size = 0;
    if (Gdip::GdipGetPropertyItemSize(image, kFrameDelayTag, &size) != Gdiplus::Ok ||
        size < sizeof(Gdiplus::PropertyItem))
        return delays;
    std::vector<BYTE> buffer(size);
    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
    if (Gdip::GdipGetPropertyItem(image, kFrameDelayTag, size, item) != Gdiplus::Ok || !item->value) return delays;
    const BYTE* end = buffer.data() + size;
    const BYTE* value = static_cast<const BYTE*>(item->value);
    UINT count = item->length / 4;
    if (value < buffer.data() || value > end) return delays;
    if (static_cast<size_t>(end - value) / 4 < count) count = static_cast<UINT>((end - value) / 4);
    delays.resize(count);
    std::memcpy(delays.data(), value, count * 4);
    return delays;
}

}  // namespace

CGifAnimUI::CGifAnimUI() = default;

CGifAnimUI::~CGifAnimUI() {
    DeleteGifImage();
    if (m_pManager) KillTimer(kFrameTimer);
}

CControlUI* CGifAnimUI::CreateControl() { return new CGifAnimUI; }

const wchar_t* CGifAnimUI::GetClass() const { return L"GifAnimUI"; }

void* CGifAnimUI::GetInterface(const wchar_t* name) {
    return Is(name, L"GifAnim") ? this : CControlUI::GetInterface(name);
}

UINT CGifAnimUI::GetFrameDelayMs(UINT frame) const {
    const UINT delay = frame < m_delays.size() ? m_delays[frame] : 0;
    return delay == 0 ? static_cast<UINT>(kDefaultDelayMs) : delay * 10;
}

void CGifAnimUI::InitGifImage() {
    m_pImage = CUIRender::LoadGdiplusImage(m_sImageName.Data());
    if (!m_pImage) return;
    m_nFrameCount = FirstDimensionFrameCount(m_pImage);
    if (m_nFrameCount > 1) m_delays = ReadFrameDelays(m_pImage);
    if (m_bAutoSize) {
        UINT width = 0, height = 0;
        Gdip::GdipGetImageWidth(m_pImage, &width);
        Gdip::GdipGetImageHeight(m_pImage, &height);
        SetFixedWidth(static_cast<int>(width));
        SetFixedHeight(static_cast<int>(height));
    }
    if (m_bAutoPlay) PlayGif();
}

void CGifAnimUI::DeleteGifImage() {
    if (m_pImage) Gdip::GdipDisposeImage(m_pImage);
    m_pImage = nullptr;
    m_delays.clear();
    m_nFrameCount = 0;
    m_nCurrentFrame = 0;
}

void CGifAnimUI::PlayGif() {
    // One frame (or none) has nothing to step through.
    if (m_bPlaying || !m_pImage || m_nFrameCount <= 1) return;
    SetTimer(kFrameTimer, GetFrameDelayMs(m_nCurrentFrame));
    m_bPlaying = true;
}

void CGifAnimUI::StopGif() {
    if (!m_bPlaying) return;
    KillTimer(kFrameTimer);
    m_nCurrentFrame = 0;
    Invalidate();
    m_bPlaying = false;
}

void CGifAnimUI::OnTimer(UINT_PTR id) {
    if (id != kFrameTimer || m_nFrameCount == 0) return;
    KillTimer(kFrameTimer);
    Invalidate();
    m_nCurrentFrame = (m_nCurrentFrame + 1) % m_nFrameCount;
    SetTimer(kFrameTimer, GetFrameDelayMs(m_nCurrentFrame));
}

void CGifAnimUI::SetBkImage(const wchar_t* name) {
    if (!name || m_sImageName == name) return;
    m_sImageName = name;
    StopGif();
    DeleteGifImage();
    Invalidate();
}

void CGifAnimUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    if (visible) {
        PlayGif();
    } else {
        StopGif();
    }
}

void CGifAnimUI::DoInit() { InitGifImage(); }

void CGifAnimUI::DoEvent(TUIEvent& event) {
    if (event.Type == UIEVENT_TIMER) OnTimer(event.wParam);
}

void CGifAnimUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"bkimage")) {
        SetBkImage(value);
    } else if (Is(name, L"autoplay")) {
        m_bAutoPlay = IsTrue(value);
    } else if (Is(name, L"autosize")) {
        m_bAutoSize = IsTrue(value);
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

bool CGifAnimUI::DoPaint(HDC hdc, const RECT& paintRect, CControlUI*) {
    RECT visible;
    if (!IntersectRect(&visible, &paintRect, &m_rcItem)) return true;
    if (!m_pImage) InitGifImage();
    DrawFrame(hdc);
    return true;
}

void CGifAnimUI::DrawFrame(HDC hdc) {
    if (!hdc || !m_pImage) return;
    Gdiplus::GpGraphics* graphics = nullptr;
    // The frame the timer has moved to, so each frame shows for its own delay.
    Gdip::GdipImageSelectActiveFrame(m_pImage, &kFrameDimensionTime, m_nCurrentFrame);
    if (Gdip::GdipCreateFromHDC(hdc, &graphics) != Gdiplus::Ok) return;
    Gdip::GdipDrawImageRectI(graphics, m_pImage, m_rcItem.left, m_rcItem.top, m_rcItem.right - m_rcItem.left,
                             m_rcItem.bottom - m_rcItem.top);
    Gdip::GdipDeleteGraphics(graphics);
}

}  // namespace SkinUI
