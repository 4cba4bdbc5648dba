#pragma once
// CCircleProgressUI: a progress value shown as a filled ring: a disc in the background colour, a sector
// in the fore colour starting at the bottom and running clockwise, and a white hole 10 px inside the
// edge. Value, minimum and maximum are the progress control's.
#include "UIProgress.h"

namespace SkinUI {

class CCircleProgressUI : public CProgressUI {
public:
    static constexpr int kRingWidth = 10;  // unscaled, as the hole is drawn

    const wchar_t* GetClass() const override { return L"CircleProgress"; }
    void PaintBkColor(HDC hdc) override;
    void PaintForeColor(HDC hdc) override;
    void PaintForeImage(HDC hdc) override;
};

// The sector of a value in degrees: value / (maximum - minimum) x 360, truncated and kept within 0..360;
// 0 when the range is empty.
int CircleProgressSweep(int value, int minimum, int maximum);

}  // namespace SkinUI
