#include "CompositeTestSupport.h"

#include "ui_core_render/TestSupport.h"

using namespace SkinUI;

namespace CompositeTest {

namespace {

void PutWord(std::vector<uint8_t>& out, int value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

// LZW data for count pixels of one palette index with a 2-bit code size. A clear code after every two
// pixels keeps every code 3 bits wide, so no dictionary is needed.
std::vector<uint8_t> SolidImageData(int count, int index) {
    constexpr int kClear = 4, kEnd = 5, kWidth = 3;
    std::vector<int> codes;
    for (int i = 0; i < count; ++i) {
        if (i % 2 == 0) codes.push_back(kClear);
        codes.push_back(index);
    }
    codes.push_back(kEnd);
    std::vector<uint8_t> bytes;
    uint32_t buffer = 0;
    int bits = 0;
    for (int code : codes) {
        buffer |= static_cast<uint32_t>(code) << bits;
        bits += kWidth;
        while (bits >= 8) {
            bytes.push_back(static_cast<uint8_t>(buffer & 0xFF));
            buffer >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) bytes.push_back(static_cast<uint8_t>(buffer & 0xFF));
    return bytes;
}

}  // namespace

std::vector<uint8_t> EncodeGif(int width, int height, const std::vector<TGifFrame>& frames) {
    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    PutWord(out, width);
    PutWord(out, height);
    out.push_back(0x81);  // a global table of 4 colours
    out.push_back(0);
    out.push_back(0);
    for (size_t i = 0; i < 4; ++i) {
        const uint32_t rgb = i < frames.size() ? frames[i].rgb : 0;
        out.push_back(static_cast<uint8_t>(rgb >> 16));
        out.push_back(static_cast<uint8_t>(rgb >> 8));
        out.push_back(static_cast<uint8_t>(rgb));
    }
    for (size_t f = 0; f < frames.size() && f < 4; ++f) {
        out.insert(out.end(), {0x21, 0xF9, 0x04, 0x04});  // graphic control: keep the frame
        PutWord(out, frames[f].delay);
        out.insert(out.end(), {0x00, 0x00});
        out.push_back(0x2C);
        PutWord(out, 0);
        PutWord(out, 0);
        PutWord(out, width);
        PutWord(out, height);
        out.push_back(0);
        out.push_back(2);  // code size
        const std::vector<uint8_t> data = SolidImageData(width * height, static_cast<int>(f));
        for (size_t pos = 0; pos < data.size(); pos += 255) {
            const size_t block = std::min<size_t>(255, data.size() - pos);
            out.push_back(static_cast<uint8_t>(block));
            out.insert(out.end(), data.begin() + pos, data.begin() + pos + block);
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
}

std::wstring WriteTempGif(const std::vector<TGifFrame>& frames, int width, int height) {
    const std::wstring path = TestSupport::UniqueTempPath(L"gif") + L".gif";
    TestSupport::WriteFileBytes(path, EncodeGif(width, height, frames));
    return path;
}

void Tick(CControlUI* control, UINT id) {
    TUIEvent event;
    event.Type = UIEVENT_TIMER;
    event.pSender = control;
    event.wParam = id;
    control->Event(event);
}

void MouseEvent(CControlUI* control, int type, POINT point) {
    TUIEvent event;
    event.Type = type;
    event.pSender = control;
    event.ptMouse = point;
    control->Event(event);
}

}  // namespace CompositeTest
