#include "SkinTestSupport.h"

#include "SkinTree.h"
#include "UIControls.h"
#include "UIManager.h"
#include "UIResourceSettings.h"
#include "UITextResource.h"

#include <gtest/gtest.h>
#include <ole2.h>

#include <regex>

using namespace SkinUI;

namespace SkinTest {

namespace {

class SkinEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        CPaintManagerUI::SetModuleInstance(GetModuleHandleW(nullptr));
        RegisterControlClasses();
        ASSERT_TRUE(SkinView::OpenEmbeddedSkin(GetModuleHandleW(nullptr), VELMOR_SKIN_PASSWORD));
        ASSERT_TRUE(SkinView::LoadSkinLanguages(L"en"));
    }
    void TearDown() override {
        CPaintManagerUI::ShutdownShared(true);
        OleUninitialize();
    }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SkinEnvironment);

}  // namespace

std::wstring ReadEntryText(const wchar_t* name) {
    std::vector<BYTE> bytes;
    if (CUIResourceSettings::ReadArchiveEntry(name, 1u << 22, bytes) != ArchiveReadResult::Ok) return L"";
    const int length = MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(bytes.data()),
                                           static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()),
                        &text[0], length);
    return text;
}

std::set<std::wstring> TextKeys(const std::wstring& text) {
    static const std::wregex key(L"\\$\\{[^}\"]*\\}");
    std::set<std::wstring> keys;
    for (std::wsregex_iterator it(text.begin(), text.end(), key), end; it != end; ++it) keys.insert(it->str());
    return keys;
}

std::set<std::wstring> ImageFiles(const std::wstring& text) {
    static const std::wregex file(L"img/[A-Za-z0-9_@]+\\.png");
    std::set<std::wstring> files;
    for (std::wsregex_iterator it(text.begin(), text.end(), file), end; it != end; ++it) files.insert(it->str());
    return files;
}

std::vector<std::wstring> SkinLayoutFiles() {
    static const std::wregex entry(L"<Xml id=\"[^\"]+\" path=\"([^\"]+)\"");
    const std::wstring table = ReadEntryText(L"xml/res.xml");
    std::vector<std::wstring> files;
    for (std::wsregex_iterator it(table.begin(), table.end(), entry), end; it != end; ++it)
        files.push_back((*it)[1].str());
    for (const wchar_t* extra : {SkinView::kChannelLayout, L"xml/output_menu.xml", L"xml/option_menu.xml",
                                 L"xml/scene_menu.xml", L"xml/advance_menu.xml",
                                 L"xml/channel_name_area_hi_source.xml", L"xml/channel_name_area_low_source.xml",
                                 L"xml/channel_name_area_aux_source.xml", L"xml/channel_name_area_2ch_source.xml",
                                 L"popup.xml"})
        files.push_back(extra);
    return files;
}

namespace {

// Handles every message waiting for this thread (layout and DPI work the window posts to itself).
void PumpWaiting() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

ViewedLayout::ViewedLayout(const wchar_t* layout, int dpi, const wchar_t* language, bool demo) {
    CTextResource::GetInstance()->SelectLanguage(language);
    SkinView::TViewOptions options;
    options.layout = layout;
    options.dpi = dpi;
    options.language = language;
    options.demo = demo;
    m_view = std::make_unique<SkinView::CSkinViewWindow>(options);
    m_window = m_view->Open();
    PumpWaiting();
}

ViewedLayout::~ViewedLayout() {
    if (m_window) DestroyWindow(m_window);
    PumpWaiting();
    // The viewer ends its program when its window goes; these tests go on.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    m_view.reset();
    CTextResource::GetInstance()->SelectLanguage(L"en");
}

SIZE ViewedLayout::Size() const {
    RECT client = {};
    GetClientRect(m_window, &client);
    return {client.right, client.bottom};
}

std::vector<DWORD> ViewedLayout::Paint() {
    PumpWaiting();
    RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    const DWORD* pixels = Pm().GetOffscreenPixels();
    const SIZE size = Pm().GetOffscreenSize();
    const SIZE client = Size();
    std::vector<DWORD> picture;
    if (!pixels || size.cx != client.cx || size.cy < client.cy) return picture;
    picture.assign(pixels, pixels + static_cast<size_t>(client.cx) * client.cy);
    for (DWORD& pixel : picture) pixel &= 0xFFFFFF;
    return picture;
}

}  // namespace SkinTest
