// Paint manager resources: window and shared fonts, images from resources, folders and files, styles,
// default attribute lists, default colours, the draw-info cache, the hue/saturation/lightness
// adjustment, option groups and window attributes, font files, plug-in modules and the shutdown of the
// shared set.
#include <gtest/gtest.h>

#include <objidl.h>
#include <gdiplus.h>

#include <string>
#include <vector>

#include "UIManager.h"
#include "UIRender.h"
#include "ui_core_render/TestSupport.h"

using namespace SkinUI;
using namespace TestSupport;

namespace {

LONG FontHeight(HFONT font) {
    LOGFONTW logFont = {};
    GetObjectW(font, sizeof logFont, &logFont);
    return logFont.lfHeight;
}

uint32_t FirstPixel(const TImageRecord* image) {
    GdiFlush();
    return *reinterpret_cast<const uint32_t*>(image->currentPixels);
}

class ManagerTest : public ::testing::Test {
protected:
    void TearDown() override {
        CPaintManagerUI::OpenResourceArchiveFile(L"", false, nullptr);
        CPaintManagerUI::SetResourceFolder(L"");
        CPaintManagerUI::ShutdownShared(false);
    }
    CPaintManagerUI manager;
};

int g_hookCalls = 0;
bool g_hookAll = false;
void CountingHook(bool all) {
    ++g_hookCalls;
    g_hookAll = all;
}

}  // namespace

TEST_F(ManagerTest, FontsOfTheWindowAndTheSharedSet) {
    HFONT fallback = manager.GetFontHandle(-1);
    ASSERT_NE(fallback, nullptr);
    EXPECT_EQ(manager.GetFontHandle(42), fallback);
    EXPECT_FALSE(manager.GetDefaultFontRecord()->faceName.IsEmpty());
    EXPECT_GT(manager.GetDefaultFontRecord()->metrics.tmHeight, 0);

    HFONT bold = manager.AddFont(3, L"Tahoma", 14, true, false, false);
    ASSERT_NE(bold, nullptr);
    EXPECT_EQ(manager.GetFontHandle(3), bold);
    TFontRecord* record = manager.GetFontRecord(3);
    EXPECT_EQ(record->metrics.tmWeight, FW_BOLD);
    EXPECT_GT(record->metrics.tmHeight, 0);
    EXPECT_EQ(manager.GetFontRecord(bold), record);
    EXPECT_EQ(manager.FindFontHandle(L"Tahoma", 14, true, false, false), bold);
    EXPECT_EQ(manager.FindFontHandle(L"tahoma", 14, true, false, false), nullptr);  // faces match exactly
    EXPECT_EQ(manager.GetFontIndex(bold, false), 3);
    EXPECT_EQ(manager.GetFontIndex(bold, true), -1);
    EXPECT_EQ(manager.GetFontIndex(L"Tahoma", 14, true, false, false, false), 3);
    EXPECT_EQ(manager.GetCustomFontCount(), 1);

    // The same id again replaces the font and deletes the old handle.
    HFONT replaced = manager.AddFont(3, L"Tahoma", 20, false, true, false);
    EXPECT_NE(replaced, bold);
    EXPECT_EQ(GetObjectType(bold), 0u);
    EXPECT_EQ(manager.GetCustomFontCount(), 1);
    manager.RemoveFont(replaced);
    EXPECT_EQ(GetObjectType(replaced), 0u);
    EXPECT_EQ(manager.GetFontHandle(3), fallback);

    // Shared fonts reach every manager; the window's own set comes first.
    CPaintManagerUI other;
    HFONT shared = manager.AddFont(5, L"Tahoma", 11, false, false, false, true);
    EXPECT_EQ(other.GetFontHandle(5), shared);
    HFONT own = other.AddFont(5, L"Tahoma", 12, false, false, false);
    EXPECT_EQ(other.GetFontHandle(5), own);
    EXPECT_EQ(manager.GetFontHandle(5), shared);
    other.SetUseSharedResources(true);
    other.AddFont(6, L"Tahoma", 13, false, false, false);
    EXPECT_EQ(manager.GetCustomFontCount(true), 2);

    other.SetDefaultFont(L"Tahoma", 18, false, false, true);
    EXPECT_EQ(other.GetDefaultFontRecord()->faceName, L"Tahoma");
    EXPECT_TRUE(other.GetDefaultFontRecord()->italic);
    EXPECT_FALSE(manager.GetDefaultFontRecord()->italic);
}

TEST_F(ManagerTest, FontsFollowTheDpiScale) {
    manager.GetDpiScaler()->SetScale(144);
    HFONT font = manager.AddFont(1, L"Tahoma", 12, false, false, false);
    EXPECT_EQ(FontHeight(font), -18);
    TFontRecord* inlineFont = manager.GetInlineFont(L"Tahoma", 10, false, false, true);
    EXPECT_EQ(FontHeight(inlineFont->handle), -15);
    manager.GetDpiScaler()->SetScale(192);
    manager.ResetDpiAssets();
    EXPECT_EQ(FontHeight(manager.GetFontHandle(1)), -24);
    EXPECT_EQ(manager.GetFontRecord(1)->size, 12);
    EXPECT_EQ(manager.GetInlineFont(L"Tahoma", 10, false, false, true), inlineFont);  // same record, rebuilt
    EXPECT_EQ(FontHeight(inlineFont->handle), -20);
}

TEST_F(ManagerTest, StylesDefaultListsColoursAndWindowSettings) {
    manager.AddStyle(L"red", L"bkcolor=\"#FFFF0000\"");
    manager.AddStyle(L"red", L"bkcolor=\"#FF00FF00\"");
    EXPECT_STREQ(manager.GetStyle(L"red"), L"bkcolor=\"#FFFF0000\"");
    manager.AddDefaultAttributeList(L"Button", L"width=\"10\"");
    manager.AddDefaultAttributeList(L"Button", L"width=\"20\"");
    EXPECT_STREQ(manager.GetClassDefaultAttributes(L"Button"), L"width=\"20\"");
    manager.AddStyle(L"common", L"a=\"1\"", true);
    CPaintManagerUI other;
    EXPECT_STREQ(other.GetStyle(L"common"), L"a=\"1\"");
    EXPECT_EQ(other.GetStyle(L"red"), nullptr);
    EXPECT_TRUE(manager.RemoveStyle(L"absent"));
    EXPECT_TRUE(manager.RemoveDefaultAttributeList(L"Button"));
    EXPECT_EQ(manager.GetClassDefaultAttributes(L"Button"), nullptr);
    EXPECT_EQ(manager.GetStyles(true).Count(), 1);

    // A shared colour change reaches windows that still had the old shared value.
    EXPECT_EQ(manager.GetDefaultTextColor(), 0xFF000000u);
    EXPECT_EQ(manager.GetDefaultLinkColor(), 0xFF0000FFu);
    other.SetDefaultTextColor(0xFF112233);
    manager.SetDefaultTextColor(0xFF445566, true);
    EXPECT_EQ(manager.GetDefaultTextColor(), 0xFF445566u);
    EXPECT_EQ(other.GetDefaultTextColor(), 0xFF112233u);
    CPaintManagerUI later;
    EXPECT_EQ(later.GetDefaultTextColor(), 0xFF445566u);
    manager.SetDefaultTextColor(0xFF000000, true);

    // Option groups and window attributes.
    auto* a = reinterpret_cast<CControlUI*>(0x1000);
    auto* b = reinterpret_cast<CControlUI*>(0x2000);
    EXPECT_TRUE(manager.AddToOptionGroup(L"g", a));
    EXPECT_FALSE(manager.AddToOptionGroup(L"g", a));
    EXPECT_TRUE(manager.AddToOptionGroup(L"g", b));
    EXPECT_EQ(manager.FindOptionGroup(L"g")->Count(), 2);
    manager.RemoveFromOptionGroup(L"g", a);
    manager.RemoveFromOptionGroup(L"g", b);
    EXPECT_EQ(manager.FindOptionGroup(L"g"), nullptr);
    manager.AddWindowAttribute(L"skin", L"dark");
    EXPECT_STREQ(manager.GetWindowAttribute(L"skin"), L"dark");
    EXPECT_EQ(manager.GetWindowAttribute(L""), nullptr);
    EXPECT_TRUE(manager.RemoveWindowAttribute(L"skin"));
    EXPECT_FALSE(manager.RemoveWindowAttribute(nullptr));

    manager.GetDpiScaler()->SetScale(144);
    manager.SetMinInfo(100, 50);
    EXPECT_EQ(manager.GetMinInfo().cx, 150);
    EXPECT_EQ(manager.GetMinInfo().cy, 75);
    manager.SetMaxInfo(800, 0);
    EXPECT_EQ(manager.GetMaxInfo().cx, 1200);
    EXPECT_EQ(manager.GetMaxInfo().cy, 0);  // no limit at any scale
    manager.SetCaptionRect({2, 4, 6, 30});
    const RECT caption = manager.GetCaptionRect();
    EXPECT_EQ(caption.left, 3);
    EXPECT_EQ(caption.top, 6);
    EXPECT_EQ(caption.right, 9);
    EXPECT_EQ(caption.bottom, 45);
    manager.SetCaptionRect({0, 0, 0, -1});
    EXPECT_EQ(manager.GetCaptionRect().bottom, -1);  // the whole height
    manager.SetSizeBox({4, 4, 5, 5});
    EXPECT_EQ(manager.GetSizeBox().left, 6);
    EXPECT_EQ(manager.GetSizeBox().right, 8);  // 7.5 rounded
    manager.SetCornerRoundness(6, 6);
    EXPECT_EQ(manager.GetCornerRoundness().cx, 9);
}

TEST_F(ManagerTest, DrawInfoCacheKeepsPairsApart) {
    const TImageDrawInfo* first = manager.GetImageDrawInfo(L"ab", L"c");
    const TImageDrawInfo* second = manager.GetImageDrawInfo(L"a", L"bc");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->imageName, L"ab");
    EXPECT_EQ(second->imageName, L"a");
    EXPECT_EQ(manager.GetImageDrawInfo(L"ab", L"c"), first);
    EXPECT_EQ(manager.GetImageDrawInfo(nullptr, nullptr), nullptr);
    const TImageDrawInfo* faded = manager.GetImageDrawInfo(L"x.png", L"fade='10'");
    EXPECT_EQ(faded->fade, 10);
    manager.RemoveImageDrawInfo(L"x.png", L"fade='10'");
    manager.RemoveAllDrawInfos();
    EXPECT_EQ(manager.GetImageDrawInfo(L"x.png", L"fade='20'")->fade, 20);
}

TEST_F(ManagerTest, ImagesFromResourcesFoldersAndTheSharedSet) {
    EXPECT_EQ(manager.AddImage(L"strip", L"PNG"), nullptr);  // a typed name must be a number
    TImageRecord* fromResource = manager.AddImage(L"101", L"PNG");
    ASSERT_NE(fromResource, nullptr);
    EXPECT_EQ(fromResource->width, 30);
    EXPECT_EQ(fromResource->resourceType, L"PNG");
    EXPECT_EQ(manager.AddImage(L""), nullptr);

    const std::wstring folder = UniqueTempPath(L"images");
    CreateDirectoryW(folder.c_str(), nullptr);
    CPaintManagerUI::SetResourceFolder(folder.c_str());
    ASSERT_TRUE(WriteFileBytes(folder + L"\\red.png", EncodePng(2, 2, std::vector<uint32_t>(4, 0xFF0000FF))));
    TImageRecord* red = manager.AddImage(L"red.png", nullptr, 0, true, true);  // shared, with an HSL copy
    ASSERT_NE(red, nullptr);
    CPaintManagerUI other;
    EXPECT_EQ(other.GetImageRecord(L"red.png"), red);
    EXPECT_EQ(FirstPixel(red), 0xFFFF0000u);

    // The adjustment works on the DIB's own pixels, so drawing shows it; off restores the image.
    CPaintManagerUI::SetHSL(true, 300, 100, 100);
    EXPECT_EQ(FirstPixel(red), 0xFF00FF00u);
    Canvas canvas(2, 2, 0xFF000000);
    CUIRender::DrawImage(canvas.dc(), red->bitmap, {0, 0, 2, 2}, {0, 0, 2, 2}, {0, 0, 2, 2}, {}, false);
    EXPECT_EQ(canvas.Rgb(1, 1), 0x00FF00u);
    CPaintManagerUI::SetHSL(false, 300, 100, 100);
    EXPECT_EQ(FirstPixel(red), 0xFFFF0000u);
    CPaintManagerUI::SetHSL(true, 400, 250, -3);
    short h = 0, s = 0, l = 0;
    EXPECT_TRUE(CPaintManagerUI::GetHSL(&h, &s, &l));
    EXPECT_EQ(h, 360);
    EXPECT_EQ(s, 200);
    EXPECT_EQ(l, 0);
    CPaintManagerUI::SetHSL(false, 180, 100, 100);

    // Reloading: a changed file comes back into the same record; a vanished one keeps the shared image
    // but leaves the window's set.
    ASSERT_TRUE(WriteFileBytes(folder + L"\\red.png", EncodePng(4, 4, std::vector<uint32_t>(16, 0xFF0000FF))));
    CPaintManagerUI::ReloadSharedImages();
    EXPECT_EQ(manager.GetImageRecord(L"red.png"), red);
    EXPECT_EQ(red->width, 4);
    ASSERT_TRUE(WriteFileBytes(folder + L"\\own.png", EncodePng(1, 1, {0x00FF00FF})));
    ASSERT_NE(manager.GetOrLoadImage(L"own.png"), nullptr);
    DeleteFileW((folder + L"\\red.png").c_str());
    DeleteFileW((folder + L"\\own.png").c_str());
    CPaintManagerUI::ReloadSharedImages();
    EXPECT_EQ(red->width, 4);
    manager.ReloadImages();
    EXPECT_EQ(manager.GetImageRecord(L"own.png"), nullptr);
    EXPECT_NE(manager.GetImageRecord(L"101"), nullptr);  // resources reload

    manager.RemoveImage(L"red.png", true);
    EXPECT_EQ(other.GetImageRecord(L"red.png"), nullptr);
    RemoveTree(folder);
}

TEST_F(ManagerTest, GdiplusImagesAndFontFiles) {
    std::vector<uint8_t> skin = LoadResourceBytes(L"IDR_ZIPRES", L"ZIPRES");
    ASSERT_TRUE(CPaintManagerUI::OpenResourceArchiveFromMemory(skin.data(), static_cast<unsigned>(skin.size()),
                                                               L"" TEST_SKIN_PASSWORD));
    Gdiplus::GpImage* image = CUIRender::LoadGdiplusImage(L"file='img\\strip.png' fade='3'");
    ASSERT_NE(image, nullptr);
    UINT width = 0;
    Gdiplus::DllExports::GdipGetImageWidth(image, &width);
    EXPECT_EQ(width, 30u);
    Gdiplus::DllExports::GdipDisposeImage(image);
    EXPECT_EQ(CUIRender::LoadGdiplusImage(L"img/none.png"), nullptr);

    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring fonts = std::wstring(windows) + L"\\Fonts";
    EXPECT_TRUE(manager.LoadFontFile((fonts + L"\\marlett.ttf").c_str()));  // not in the archive: the path
    EXPECT_FALSE(manager.LoadFontFile(L"fonts/none.ttf"));
    CPaintManagerUI::OpenResourceArchiveFile(L"", false, nullptr);
    CPaintManagerUI::SetResourceFolder(fonts.c_str());
    EXPECT_TRUE(manager.LoadFontFile(L"marlett.ttf"));
}

TEST_F(ManagerTest, ShutdownFreesTheSharedSetAndRunsHooks) {
    HFONT shared = manager.AddFont(9, L"Tahoma", 10, false, false, false, true);
    manager.AddStyle(L"s", L"x", true);
    manager.AddDefaultAttributeList(L"Label", L"y", true);
    HFONT oldDefault = manager.GetFontHandle(-1);
    g_hookCalls = 0;
    CPaintManagerUI::AddShutdownHook(CountingHook);
    CPaintManagerUI::ShutdownShared(false);
    EXPECT_EQ(g_hookCalls, 1);
    EXPECT_FALSE(g_hookAll);
    EXPECT_EQ(GetObjectType(shared), 0u);
    EXPECT_EQ(GetObjectType(oldDefault), 0u);
    EXPECT_EQ(manager.GetStyle(L"s"), nullptr);
    EXPECT_EQ(manager.GetClassDefaultAttributes(L"Label"), nullptr);
    CPaintManagerUI::ShutdownShared(false);
    EXPECT_EQ(g_hookCalls, 1);  // hooks run once

    CPaintManagerUI next;  // the shared set is made again
    EXPECT_NE(next.GetFontHandle(-1), nullptr);
    EXPECT_NE(GetObjectType(next.GetFontHandle(-1)), 0u);
}

TEST_F(ManagerTest, AModuleWithoutACreatorIsNoPluginAndIsUnloadedAgain) {
    // A module built for this test beside the program: loaded only by the attempt.
    const wchar_t* library = L"ui_test_not_a_plugin.dll";
    ASSERT_EQ(GetModuleHandleW(library), nullptr);
    const int plugins = CPaintManagerUI::GetPlugins().Count();
    EXPECT_FALSE(CPaintManagerUI::LoadPlugin(library));
    EXPECT_EQ(CPaintManagerUI::GetPlugins().Count(), plugins);
    EXPECT_EQ(GetModuleHandleW(library), nullptr);
    EXPECT_FALSE(CPaintManagerUI::LoadPlugin(L"no-such-plugin.dll"));
}
