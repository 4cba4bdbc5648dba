// The demonstration program's page of these controls, built from its own layout file (embedded here)
// and read back from the screen: every control painted what it should, and the Flash area nothing.
#include "PlatformTestSupport.h"
#include "UIActiveX.h"

#include <memory>
#include <string>
#include <vector>

using namespace SkinUI;
using namespace WindowTest;
using namespace PlatformTest;

namespace {

std::wstring PageLayout() {
    HRSRC resource = FindResourceW(nullptr, L"PLATFORM_XML", L"RAWFILE");
    HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    const int size = resource ? static_cast<int>(SizeofResource(nullptr, resource)) : 0;
    if (!bytes || size == 0) return {};
    std::wstring text(static_cast<size_t>(size), L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, bytes, size, &text[0], size)));
    return text;
}

// The window's client area as it is on the screen, one 0x00RRGGBB value a pixel, top row first.
class CScreenShot {
public:
    explicit CScreenShot(HWND window) {
        RECT client = {};
        GetClientRect(window, &client);
        m_width = client.right;
        m_height = client.bottom;
        HDC windowDc = GetDC(window);
        HDC memory = CreateCompatibleDC(windowDc);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = m_width;
        info.bmiHeader.biHeight = -m_height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, m_width, m_height, windowDc, 0, 0, SRCCOPY);
        GdiFlush();
        m_pixels.assign(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + m_width * m_height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(window, windowDc);
    }
    DWORD At(int x, int y) const {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0xDEADBEEF;
        return m_pixels[static_cast<size_t>(y) * m_width + x] & 0xFFFFFF;
    }
    // Pixels much darker than a light background (text, dots).
    int DarkPixels(const RECT& rect) const {
        int count = 0;
        for (int y = rect.top + 2; y < rect.bottom - 2; ++y)
            for (int x = rect.left + 2; x < rect.right - 2; ++x) {
                const DWORD pixel = At(x, y);
                count += (pixel >> 16 & 0xFF) < 0x90 && (pixel >> 8 & 0xFF) < 0x90 && (pixel & 0xFF) < 0x90;
            }
        return count;
    }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<DWORD> m_pixels;
};

}  // namespace

TEST(DemoPage, EveryControlOfThePagePaints) {
    const std::wstring layout = PageLayout();
    ASSERT_FALSE(layout.empty());
    CPlatformWindow window(layout);
    ASSERT_NE(nullptr, window.Create());
    HWND hwnd = window.GetHandle();
    SetWindowPos(hwnd, nullptr, 0, 0, 640, 330, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    window.pm().FocusControl(nullptr);
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    Pump();
    EXPECT_EQ(0, WindowEnvironment::LayoutFailures());
    const CScreenShot shot(hwnd);

    struct {
        const wchar_t* name;
        int minimumText;  // dark pixels of text or dots at least
    } const painted[] = {
        {L"demo_richedit", 100}, {L"demo_date", 30}, {L"demo_ip", 20}, {L"demo_ipex", 3},
    };
    for (const auto& p : painted) {
        CControlUI* control = window.Control(p.name);
        ASSERT_NE(nullptr, control);
        const RECT& pos = control->GetPos();
        EXPECT_GT(pos.right - pos.left, 50) << "laid out";
        EXPECT_EQ(0xFFFFFFu, shot.At(pos.right - 3, pos.top + 3)) << "background";
        EXPECT_GE(shot.DarkPixels(pos), p.minimumText) << std::string(p.name, p.name + wcslen(p.name));
    }
    CControlUI* hotKey = window.Control(L"demo_hotkey");
    EXPECT_EQ(0xFFFFFFu, shot.At(hotKey->GetPos().left + 20, hotKey->GetPos().top + 10));

    // Flash is not installed: its area shows what lies below it.
    auto* flash = static_cast<CActiveXUI*>(window.Control(L"demo_flash"));
    const RECT& area = flash->GetPos();
    EXPECT_GT(area.bottom - area.top, 40);
    EXPECT_EQ(0xE8E0D8u, shot.At((area.left + area.right) / 2, (area.top + area.bottom) / 2));
    void* object = nullptr;
    EXPECT_EQ(E_PENDING, flash->GetControl(IID_IUnknown, &object));

    // The browser engine lives in its own child window over its area.
    auto* browser = static_cast<CActiveXUI*>(window.Control(L"demo_browser"));
    EXPECT_TRUE(browser->IsCreated());
    if (HWND host = browser->GetHostWindow()) {
        EXPECT_NE(hwnd, host);
        EXPECT_TRUE(IsWindowVisible(host));
    }
}
