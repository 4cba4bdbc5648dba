#include "TreeTestSupport.h"

#include "UIControlFactory.h"

#include <cstdio>

using namespace SkinUI;

namespace TreeTest {

namespace {

void RegisterTestClasses(CControlFactory& factory) { factory.RegistControl(L"CTestUI", &CTestUI::CreateControl); }

}  // namespace

void RegisterTestControls() { CControlFactory::AddBuiltinRegistrar(&RegisterTestClasses); }

std::vector<TRecordedNotify> NotifyRecorder::OfType(const wchar_t* type) const {
    std::vector<TRecordedNotify> matching;
    for (const TRecordedNotify& notify : received) {
        if (notify.type == type) matching.push_back(notify);
    }
    return matching;
}

CControlUI* BuildRoot(CPaintManagerUI& manager, const wchar_t* xml) {
    RegisterTestControls();
    CUIBuilder builder;
    CControlUI* root = builder.Create(xml, nullptr, nullptr, &manager);
    EXPECT_NE(nullptr, root) << builder.GetLastErrorMessage();
    if (root) manager.AttachRoot(root);
    return root;
}

CControlUI* Named(CPaintManagerUI& manager, const wchar_t* name) {
    CControlUI* control = manager.FindControlByName(name);
    EXPECT_NE(nullptr, control) << "no control named " << std::string(name, name + wcslen(name));
    return control;
}

std::string RectText(const RECT& rect) {
    char text[64];
    snprintf(text, sizeof text, "(%ld,%ld,%ld,%ld)", rect.left, rect.top, rect.right, rect.bottom);
    return text;
}

Canvas::Canvas(int width, int height) : m_width(width), m_height(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    m_dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<DWORD*>(bits);
    m_old = SelectObject(m_dc, m_bitmap);
    Fill(0);
}

Canvas::~Canvas() {
    SelectObject(m_dc, m_old);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
}

void Canvas::Fill(DWORD argb) {
    GdiFlush();
    for (int i = 0; i < m_width * m_height; ++i) m_bits[i] = argb;
}

TestWindow::TestWindow() {
    m_hwnd = CreateWindowExW(0, L"STATIC", L"tree test", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(nullptr, m_hwnd);
}

TestWindow::~TestWindow() {
    if (m_hwnd) DestroyWindow(m_hwnd);
}

TempFolder::TempFolder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    m_path = temp;
    m_path += L"uitree_test_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(m_path.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    for (const std::wstring& file : m_files) DeleteFileW(file.c_str());
    RemoveDirectoryW(m_path.c_str());
}

void TempFolder::Write(const wchar_t* name, const char* utf8) {
    const std::wstring file = m_path + name;
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, handle);
    DWORD written = 0;
    WriteFile(handle, utf8, static_cast<DWORD>(strlen(utf8)), &written, nullptr);
    CloseHandle(handle);
    m_files.push_back(file);
}

}  // namespace TreeTest
