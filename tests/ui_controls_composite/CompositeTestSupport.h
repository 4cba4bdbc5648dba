#pragma once
// Helpers of the composite-control tests: animated GIF files built here, and control events handed to a
// control directly (timer ticks) the way the paint manager delivers them.
#include "ui_controls_basic/ControlsTestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace CompositeTest {

struct TGifFrame {
    uint32_t rgb;    // the frame's one colour, 0xRRGGBB
    uint16_t delay;  // hundredths of a second
};

// A GIF89a of width x height whose frames are each one solid colour with its delay.
std::vector<uint8_t> EncodeGif(int width, int height, const std::vector<TGifFrame>& frames);
// Writes it to a new temporary file; the full path.
std::wstring WriteTempGif(const std::vector<TGifFrame>& frames, int width = 16, int height = 16);

// Delivers a timer event with the control's own timer id, as the paint manager does.
void Tick(SkinUI::CControlUI* control, UINT id);
// Delivers a mouse event of the type at the point.
void MouseEvent(SkinUI::CControlUI* control, int type, POINT point);

}  // namespace CompositeTest
