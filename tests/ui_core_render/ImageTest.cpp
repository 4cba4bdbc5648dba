// Images: description parsing and DPI names, premultiplied decoding and unsafe inputs, the nine-grid
// blit (corners, tiling, fade, hole, clipping) sampled on 32-bit DIBs, and loading through the manager
// from the archive, the resource folder and plain paths.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "UIImage.h"
#include "UIManager.h"
#include "UIRender.h"
#include "ui_core_render/TestSupport.h"

using namespace SkinUI;
using namespace TestSupport;

namespace {

bool Near(uint32_t a, uint32_t b, int tolerance = 1) {
    for (int shift = 0; shift < 24; shift += 8) {
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
            return false;
    }
    return true;
}

// An opaque image from 0xRRGGBB colours given per pixel.
TImageRecord* Image(int width, int height, uint32_t (*color)(int x, int y)) {
    std::vector<uint32_t> rgba;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) rgba.push_back(color(x, y) << 8 | 0xFF);
    std::vector<uint8_t> png = EncodePng(width, height, rgba);
    return CUIRender::DecodeImage(png.data(), png.size(), 0);
}

// Nine regions of a 12 x 12 image with 4-pixel borders.
const uint32_t kNine[3][3] = {
    {0xC80000, 0x00C800, 0x0000C8}, {0xC8C800, 0x00C8C8, 0xC800C8}, {0x643200, 0x006432, 0x320064}};
int Region(int v, int size, int corner) { return v < corner ? 0 : v >= size - corner ? 2 : 1; }
uint32_t NineColor(int x, int y) { return kNine[Region(y, 12, 4)][Region(x, 12, 4)]; }

const RECT kNoRect = {};

class ImageTest : public ::testing::Test {
protected:
    void TearDown() override { CPaintManagerUI::OpenResourceArchiveFile(L"", false, nullptr); }
    CPaintManagerUI manager;
};

}  // namespace

TEST(ImageDescription, KeysValuesAndDpiNames) {
    TImageDrawInfo info;
    info.Parse(L"file='btn.png' source='0,0,20,20' corner='4,4,4,4'", L"fade='128'", static_cast<CUIDpi*>(nullptr));
    EXPECT_EQ(info.imageName, L"btn.png");
    EXPECT_EQ(info.source.right, 20);
    EXPECT_EQ(info.corner.left, 4);
    EXPECT_EQ(info.corner.bottom, 4);
    EXPECT_EQ(info.fade, 128);
    EXPECT_EQ(info.dest.right, 0);

    CUIDpi dpi;
    dpi.SetScale(192);
    info.Parse(L"file='btn.png' source='0,0,20,20' corner='4,4,4,4'", L"fade='128'", &dpi);
    EXPECT_EQ(info.imageName, L"btn@200.png");
    EXPECT_EQ(info.source.right, 40);
    EXPECT_EQ(info.corner.right, 8);
    CUIDpi small;
    small.SetScale(77);
    info.Parse(L"btn.png", nullptr, &small);
    EXPECT_EQ(info.imageName, L"btn@80.png");

    info.Parse(L"a.png", nullptr, static_cast<CUIDpi*>(nullptr));
    EXPECT_EQ(info.imageName, L"a.png");
    EXPECT_EQ(info.fade, 255);

    // A value without apostrophes ends the scan; what came before stays.
    info.Parse(L"file='a.png' dest=0,0,1,1 fade='9'", nullptr, static_cast<CUIDpi*>(nullptr));
    EXPECT_EQ(info.imageName, L"a.png");
    EXPECT_EQ(info.fade, 255);

    info.Parse(L"file='a.png' mask='#FFFF00FF' hole='TRUE' xtiled='true' ytiled='no'", nullptr,
               static_cast<CUIDpi*>(nullptr));
    EXPECT_EQ(info.mask, 0xFFFF00FFu);
    EXPECT_TRUE(info.hole);
    EXPECT_TRUE(info.tiledX);
    EXPECT_FALSE(info.tiledY);
    info.Parse(L"file='a.png' mask='FFFF00FF'", nullptr, static_cast<CUIDpi*>(nullptr));
    EXPECT_EQ(info.mask, 0xFFFF00FFu);

    // Numbers that are not there read as 0; fade stays within a byte.
    info.Parse(L"file='a.png' source='1,2' fade='300'", nullptr, static_cast<CUIDpi*>(nullptr));
    EXPECT_EQ(info.source.left, 1);
    EXPECT_EQ(info.source.top, 2);
    EXPECT_EQ(info.source.right, 0);
    EXPECT_EQ(info.fade, 255);
    info.Parse(L"file='a.png' fade='-5'", nullptr, static_cast<CUIDpi*>(nullptr));
    EXPECT_EQ(info.fade, 0);

    dpi.SetScale(144);
    CUIDpi at150;
    at150.SetScale(144);
    info.Parse(L"file='img.v2/a.png' iconsize='16,12' iconalign='center'", nullptr, &at150);
    EXPECT_EQ(info.imageName, L"img.v2/a@150.png");
    EXPECT_EQ(info.iconSize.cx, 16);  // not scaled
    EXPECT_EQ(info.iconAlign, L"center");
    EXPECT_EQ(InsertDpiSuffix(L"dir\\a.b.png", 125), L"dir\\a.b@125.png");
    EXPECT_EQ(InsertDpiSuffix(L"v1.2/noext", 125), L"v1.2/noext");
}

TEST(ImageDecoding, PremultipliedPixelsAndMask) {
    std::vector<uint8_t> png = EncodePng(3, 1, {0x0A141E80, 0x010203FF, 0xFF00FFFF});
    TImageRecord* image = CUIRender::DecodeImage(png.data(), png.size(), 0);
    ASSERT_NE(image, nullptr);
    const uint32_t* pixels = reinterpret_cast<const uint32_t*>(image->currentPixels);
    EXPECT_EQ(pixels[0], 0x80050A0Fu);  // (10,20,30) x 128 / 255
    EXPECT_EQ(pixels[1], 0xFF010203u);
    EXPECT_TRUE(image->hasAlpha);
    CUIRender::FreeImage(image);

    png = EncodePng(2, 1, {0xFF00FFFF, 0xFFFFFFFF});
    image = CUIRender::DecodeImage(png.data(), png.size(), 0xFFFF00FF);
    ASSERT_NE(image, nullptr);
    pixels = reinterpret_cast<const uint32_t*>(image->currentPixels);
    EXPECT_EQ(pixels[0], 0u);
    EXPECT_EQ(pixels[1], 0xFFFFFFFFu);
    EXPECT_TRUE(image->hasAlpha);
    CUIRender::FreeImage(image);
    image = CUIRender::DecodeImage(png.data(), png.size(), 0x00FF00FF);  // alpha is part of the match
    ASSERT_NE(image, nullptr);
    EXPECT_FALSE(image->hasAlpha);
    CUIRender::FreeImage(image);
}

TEST(ImageDecoding, UnsafeInputsGiveNoImage) {
    std::vector<uint8_t> good = EncodePng(64, 64, std::vector<uint32_t>(64 * 64, 0x336699FF));
    std::vector<std::vector<uint8_t>> inputs = {
        std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2),
        std::vector<uint8_t>(good.begin(), good.begin() + 20),
        PngHeaderOnly(100000, 100000),
        PngHeaderOnly(5000, 5000),
        std::vector<uint8_t>(300, 'x'),
        {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0},
        {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0},
        {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 32, 0}};
    for (const auto& input : inputs) {
        GuardedBuffer memory(input.data(), input.size());
        EXPECT_EQ(CUIRender::DecodeImage(memory.data(), memory.size(), 0), nullptr) << input.size();
    }
    EXPECT_EQ(CUIRender::DecodeImage(nullptr, 0, 0), nullptr);
    GuardedBuffer whole(good.data(), good.size());
    TImageRecord* image = CUIRender::DecodeImage(whole.data(), whole.size(), 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 64);
    CUIRender::FreeImage(image);
}

TEST_F(ImageTest, NineGridOpaqueTranslucentAndHole) {
    TImageRecord* nine = Image(12, 12, NineColor);
    ASSERT_NE(nine, nullptr);
    const RECT dest = {10, 10, 50, 40}, paint = {0, 0, 64, 48}, source = {0, 0, 12, 12}, corners = {4, 4, 4, 4};
    const int xs[3] = {11, 30, 48}, ys[3] = {11, 25, 38};

    Canvas canvas(64, 48, 0xFF123456);
    CUIRender::DrawImage(canvas.dc(), nine->bitmap, dest, paint, source, corners, false);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            EXPECT_EQ(canvas.Rgb(xs[col], ys[row]), kNine[row][col]) << row << "," << col;
    EXPECT_EQ(canvas.At(5, 5), 0xFF123456u);
    EXPECT_EQ(canvas.At(55, 45), 0xFF123456u);

    canvas.Fill(0xFF123456);
    CUIRender::DrawImage(canvas.dc(), nine->bitmap, dest, paint, source, corners, false, 255, true);
    EXPECT_EQ(canvas.Rgb(30, 25), 0x123456u);
    EXPECT_EQ(canvas.Rgb(11, 11), kNine[0][0]);

    // Fade: the translucent path blends over the background.
    canvas.Fill(0xFF123456);
    CUIRender::DrawImage(canvas.dc(), nine->bitmap, dest, paint, source, corners, false, 128);
    const uint32_t expected =
        (0xC8 * 128 / 255 + 0x12 * 127 / 255) << 16 | (0x34 * 127 / 255) << 8 | (0x56 * 127 / 255);
    EXPECT_TRUE(Near(canvas.Rgb(11, 11), expected, 2)) << std::hex << canvas.Rgb(11, 11);

    // Only what lies in the paint rectangle is drawn.
    canvas.Fill(0xFF123456);
    CUIRender::DrawImage(canvas.dc(), nine->bitmap, dest, {0, 0, 20, 48}, source, corners, false);
    EXPECT_EQ(canvas.Rgb(11, 11), kNine[0][0]);
    EXPECT_EQ(canvas.Rgb(48, 38), 0x123456u);
    CUIRender::FreeImage(nine);
}

TEST_F(ImageTest, TilingAndOversizedCorners) {
    // 17 x 4: green corners of 4, then a blue column and white.
    TImageRecord* strip = Image(17, 4, [](int x, int) -> uint32_t {
        return x < 4 || x >= 13 ? 0x00FF00 : x == 4 ? 0x0000FF : 0xFFFFFF;
    });
    ASSERT_NE(strip, nullptr);
    Canvas canvas(40, 4, 0xFF000000);
    CUIRender::DrawImage(canvas.dc(), strip->bitmap, {0, 0, 28, 4}, {0, 0, 40, 4}, {0, 0, 17, 4}, {4, 0, 4, 0}, false,
                         255, false, true, false);
    for (int x : {4, 13, 22}) EXPECT_EQ(canvas.Rgb(x, 2), 0x0000FFu) << x;
    for (int x : {5, 12, 14, 21, 23}) EXPECT_EQ(canvas.Rgb(x, 2), 0xFFFFFFu) << x;  // the last tile is 2 wide
    for (int x : {0, 3, 24, 27}) EXPECT_EQ(canvas.Rgb(x, 2), 0x00FF00u) << x;
    EXPECT_EQ(canvas.Rgb(30, 2), 0u);
    CUIRender::FreeImage(strip);

    // Corners wider than the image: no mirrored pixels, no empty tiles.
    TImageRecord* columns = Image(12, 2, [](int x, int) -> uint32_t { return static_cast<uint32_t>(x * 20) << 16; });
    ASSERT_NE(columns, nullptr);
    for (bool tiled : {false, true}) {
        for (LONG corner : {8L, 6L}) {
            Canvas target(12, 2, 0xFF000000);
            CUIRender::DrawImage(target.dc(), columns->bitmap, {0, 0, 12, 2}, {0, 0, 12, 2}, {0, 0, 12, 2},
                                 {corner, 0, corner, 0}, false, 255, false, tiled, tiled);
            for (int x = 0; x < 12; ++x) EXPECT_EQ(target.Rgb(x, 1), static_cast<uint32_t>(x * 20) << 16) << x;
        }
    }
    // A destination narrower than the corners: both shrink to half of it and meet in the middle.
    Canvas narrow(6, 2, 0xFF000000);
    CUIRender::DrawImage(narrow.dc(), columns->bitmap, {0, 0, 6, 2}, {0, 0, 6, 2}, {0, 0, 12, 2}, {4, 0, 4, 0}, false);
    const int expectedColumns[6] = {0, 1, 2, 9, 10, 11};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(narrow.Rgb(x, 1), static_cast<uint32_t>(expectedColumns[x] * 20) << 16) << x;
    CUIRender::FreeImage(columns);
}

TEST_F(ImageTest, DrawingThroughTheManagerClipsSourceAndDest) {
    const std::wstring folder = UniqueTempPath(L"skinfolder");
    CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<uint32_t> rgba;
    for (int i = 0; i < 30 * 10; ++i) {
        const int column = i % 30;
        rgba.push_back(column < 10 ? 0xFF0000FF : column < 20 ? 0x00FF00FF : 0x0000FFFF);
    }
    ASSERT_TRUE(WriteFileBytes(folder + L"\\rgb.png", EncodePng(30, 10, rgba)));
    CPaintManagerUI::SetResourceFolder(folder.c_str());

    Canvas canvas(80, 20, 0xFF000000);
    const RECT item = {10, 5, 40, 15}, paint = {0, 0, 80, 20};
    // dest relative to the item, cut at the item's right; source past the image cut at its width.
    EXPECT_TRUE(CUIRender::DrawImageString(canvas.dc(), &manager, item, paint,
                                           L"file='rgb.png' source='20,0,50,10' dest='5,0,100,10'"));
    EXPECT_EQ(canvas.Rgb(12, 10), 0u);
    EXPECT_EQ(canvas.Rgb(20, 10), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(39, 10), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(41, 10), 0u);

    // No source: the whole image, stretched to the item.
    canvas.Fill(0xFF000000);
    EXPECT_TRUE(CUIRender::DrawImageString(canvas.dc(), &manager, {0, 0, 60, 10}, paint, L"rgb.png"));
    EXPECT_EQ(canvas.Rgb(5, 5), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(30, 5), 0x00FF00u);
    EXPECT_EQ(canvas.Rgb(55, 5), 0x0000FFu);
    // Outside the paint rectangle: nothing drawn, still a success.
    canvas.Fill(0xFF000000);
    EXPECT_TRUE(CUIRender::DrawImageString(canvas.dc(), &manager, {0, 0, 60, 10}, {70, 0, 80, 20}, L"rgb.png"));
    EXPECT_EQ(canvas.Rgb(5, 5), 0u);
    EXPECT_FALSE(CUIRender::DrawImageString(canvas.dc(), &manager, item, paint, L"missing.png"));

    // Icons: placed by alignment, cut at the item.
    RECT icon = {};
    CUIRender::MakeFitIconDest({0, 0, 40, 20}, {16, 10}, L"center", icon);
    EXPECT_EQ(icon.left, 12);
    EXPECT_EQ(icon.top, 5);
    CUIRender::MakeFitIconDest({0, 0, 40, 20}, {16, 30}, L"hcenter", icon);
    EXPECT_EQ(icon.bottom, 20);
    RECT untouched = {1, 2, 3, 4};
    CUIRender::MakeFitIconDest({0, 0, 40, 20}, {16, 10}, L"diagonal", untouched);
    EXPECT_EQ(untouched.right, 3);
    canvas.Fill(0xFF000000);
    const wchar_t* icon10 = L"file='rgb.png' source='0,0,10,10' iconsize='10,10' iconalign='vcenter'";
    EXPECT_TRUE(CUIRender::DrawIconImageString(canvas.dc(), &manager, {0, 0, 60, 20}, paint, icon10));
    EXPECT_EQ(canvas.Rgb(5, 10), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(5, 2), 0u);
    EXPECT_EQ(canvas.Rgb(15, 10), 0u);

    CPaintManagerUI::SetResourceFolder(L"");
    RemoveTree(folder);
}

TEST_F(ImageTest, LoadsFromTheArchiveWithDpiVariantsAndFallsBackToPaths) {
    std::vector<uint8_t> skin = LoadResourceBytes(L"IDR_ZIPRES", L"ZIPRES");
    ASSERT_TRUE(CPaintManagerUI::OpenResourceArchiveFromMemory(skin.data(), static_cast<unsigned>(skin.size()),
                                                               L"" TEST_SKIN_PASSWORD));
    TImageRecord* nine = manager.GetOrLoadImage(L"img\\NINE.png");
    ASSERT_NE(nine, nullptr);
    EXPECT_EQ(nine->width, 12);
    EXPECT_EQ(manager.GetOrLoadImage(L"img\\NINE.png"), nine);  // cached

    CPaintManagerUI scaled;
    scaled.GetDpiScaler()->SetScale(144);
    const TImageDrawInfo* info = scaled.GetImageDrawInfo(L"file='img/nine.png' corner='4,4,4,4'");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->imageName, L"img/nine@150.png");
    TImageRecord* large = scaled.GetOrLoadImage(info->imageName.Data());
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(large->width, 18);
    Canvas canvas(30, 30, 0xFF000000);
    EXPECT_TRUE(CUIRender::DrawImageInfo(canvas.dc(), &scaled, {0, 0, 30, 30}, {0, 0, 30, 30}, info));
    EXPECT_EQ(canvas.Rgb(2, 2), kNine[0][0]);  // 6-pixel corners at 150 %
    EXPECT_EQ(canvas.Rgb(15, 15), kNine[1][1]);
    EXPECT_EQ(canvas.Rgb(27, 27), kNine[2][2]);

    // Not in the archive: the name as a path.
    const std::wstring path = UniqueTempPath(L"loose") + L".png";
    ASSERT_TRUE(WriteFileBytes(path, EncodePng(3, 2, std::vector<uint32_t>(6, 0x102030FF))));
    TImageRecord* loose = manager.GetOrLoadImage(path.c_str());
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(loose->height, 2);
    DeleteFileW(path.c_str());
    EXPECT_EQ(manager.GetOrLoadImage(L"img/absent.png"), nullptr);

    // A wrong password: nothing loads.
    CPaintManagerUI::OpenResourceArchiveFromMemory(skin.data(), static_cast<unsigned>(skin.size()), L"wrong");
    CPaintManagerUI other;
    EXPECT_EQ(other.GetOrLoadImage(L"img/strip.png"), nullptr);
}
