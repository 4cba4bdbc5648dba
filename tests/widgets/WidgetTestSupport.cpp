#include "WidgetTestSupport.h"

#include "ChartView.h"
#include "CircleProgress.h"
#include "MyCombo.h"
#include "NTGraphic.h"
#include "SButton.h"
#include "UIControls.h"
#include "UIEqualizer.h"
#include "UIEqualizerAc.h"
#include "WndUI.h"

#include <algorithm>
#include <cstdio>

using namespace SkinUI;
using namespace WindowTest;

namespace WidgetTest {

namespace {

class ControlsEnvironment : public ::testing::Environment {
public:
    void SetUp() override { RegisterControlClasses(); }
};
const auto* gControls = ::testing::AddGlobalTestEnvironment(new ControlsEnvironment);

uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    out += typed;
    PutBigEndian(out, Crc32(typed));
}

}  // namespace

CControlUI* CWidgetWindow::CreateControl(const wchar_t* className) {
    if (EqualsIgnoreCase(className, L"SButton")) return new CSButtonUI;
    if (EqualsIgnoreCase(className, L"CircleProgress")) return new CCircleProgressUI;
    if (EqualsIgnoreCase(className, L"Curve")) return new UIEqualizer;
    if (EqualsIgnoreCase(className, L"CurveAc")) return new UIEqualizerAc;
    if (EqualsIgnoreCase(className, L"ChartView")) return CChartViewUI::CreateControl();
    if (EqualsIgnoreCase(className, L"MyCombo")) return CMyComboUI::CreateControl();
    if (EqualsIgnoreCase(className, L"Wnd")) return CWndUI::CreateControl();
    if (EqualsIgnoreCase(className, L"NTGraphic")) return CNTGraphicUI::CreateControl();
    return CTestWindow::CreateControl(className);
}

DWORD PixelAt(CTestWindow& window, int x, int y) {
    window.pm().Invalidate();
    UpdateWindow(window.GetHandle());
    Pump();
    return WindowPixel(window.GetHandle(), x, y);
}

std::vector<int> Picture::RowsOf(int x, DWORD colour, int top, int bottom) const {
    std::vector<int> rows;
    for (int y = top; y < bottom; ++y)
        if (At(x, y) == colour) rows.push_back(y);
    return rows;
}

Picture Capture(CTestWindow& window) {
    window.pm().Invalidate();
    UpdateWindow(window.GetHandle());
    Pump();
    GdiFlush();
    Picture picture;
    const DWORD* pixels = window.pm().GetOffscreenPixels();
    const SIZE size = window.pm().GetOffscreenSize();
    EXPECT_NE(pixels, nullptr);
    if (!pixels) return picture;
    picture.width = size.cx;
    picture.height = size.cy;
    picture.pixels.assign(pixels, pixels + static_cast<size_t>(size.cx) * size.cy);
    return picture;
}

std::wstring WritePng(const wchar_t* name, int width, int height, const std::function<DWORD(int x, int y)>& colour) {
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back('\0');  // no filter
        for (int x = 0; x < width; ++x) {
            const DWORD rgb = colour(x, y);
            raw.push_back(static_cast<char>((rgb >> 16) & 0xFF));
            raw.push_back(static_cast<char>((rgb >> 8) & 0xFF));
            raw.push_back(static_cast<char>(rgb & 0xFF));
        }
    }
    std::string zlib = "\x78\x01";
    for (size_t at = 0; at < raw.size(); at += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        zlib.push_back(at + n == raw.size() ? 1 : 0);
        zlib.push_back(static_cast<char>(n & 0xFF));
        zlib.push_back(static_cast<char>(n >> 8));
        zlib.push_back(static_cast<char>(~n & 0xFF));
        zlib.push_back(static_cast<char>((~n >> 8) & 0xFF));
        zlib.append(raw, at, n);
    }
    uint32_t a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(zlib, (b << 16) | a);

    std::string header;
    PutBigEndian(header, static_cast<uint32_t>(width));
    PutBigEndian(header, static_cast<uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB
    std::string png = "\x89PNG\r\n\x1A\n";
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", "");

    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + name;
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out) return L"";
    fwrite(png.data(), 1, png.size(), out);
    fclose(out);
    return path;
}

}  // namespace WidgetTest
