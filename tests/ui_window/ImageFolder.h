#pragma once
// Images in a folder of their own (with an "img" folder inside) that is the resource folder while the
// object lives; removed again with the object.
#include "UIManager.h"
#include "ui_core_render/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace WindowTest {

class CImageFolder {
public:
    explicit CImageFolder(const wchar_t* stem = L"uiimages") : m_path(TestSupport::UniqueTempPath(stem) + L"\\") {
        CreateDirectoryW(m_path.c_str(), nullptr);
        CreateDirectoryW((m_path + L"img").c_str(), nullptr);
        SkinUI::CPaintManagerUI::SetResourceFolder(m_path.c_str());
    }
    ~CImageFolder() {
        SkinUI::CPaintManagerUI::SetResourceFolder(L"");
        TestSupport::RemoveTree(m_path);
    }
    CImageFolder(const CImageFolder&) = delete;
    CImageFolder& operator=(const CImageFolder&) = delete;

    // rgba as 0xRRGGBBAA, one value per pixel (a single value fills the image).
    void Write(const wchar_t* name, int width, int height, std::vector<uint32_t> rgba) {
        if (rgba.size() == 1) rgba.assign(static_cast<size_t>(width) * height, rgba[0]);
        ASSERT_TRUE(TestSupport::WriteFileBytes(m_path + name, TestSupport::EncodePng(width, height, rgba)));
    }
    // Columns of solid colours side by side (0xRRGGBB each, opaque), each columnWidth wide.
    void WriteStrip(const wchar_t* name, int columnWidth, int height, const std::vector<uint32_t>& colours) {
        const int width = columnWidth * static_cast<int>(colours.size());
        std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels[static_cast<size_t>(y) * width + x] = colours[x / columnWidth] << 8 | 0xFF;
        Write(name, width, height, pixels);
    }
    void WriteSolid(const wchar_t* name, int width, int height, uint32_t rgb) { WriteStrip(name, width, height, {rgb}); }

private:
    std::wstring m_path;
};

}  // namespace WindowTest
