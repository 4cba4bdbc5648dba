#pragma once
// CShadowUI: the drop shadow of a frameless skin window. A layered popup ("QuillShadowWnd") sits right
// below its window in z-order and follows it: the window's procedure is subclassed so that moves,
// resizes, showing, hiding and activation reach the shadow. The shadow is either computed from the
// window's shape with a soft edge (size, sharpness, darkness, offset, colour) or drawn from a nine-grid
// image.
#include "UIString.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace SkinUI {

class CPaintManagerUI;

// The covered stretch [start, end) of one pixel row; empty when start >= end.
struct TShadowSpan {
    int start = 0;
    int end = 0;
};

// What the colour shadow is computed from.
struct TShadowShape {
    int width = 0;   // the window's size
    int height = 0;
    std::vector<TShadowSpan> rows;  // one span per window row
};

class CShadowUI {
public:
    enum Status : BYTE { kEnabled = 1, kVisible = 2, kParentVisible = 4 };
    static constexpr const wchar_t* kClassName = L"QuillShadowWnd";

    CShadowUI() = default;
    CShadowUI(const CShadowUI&) = delete;
    CShadowUI& operator=(const CShadowUI&) = delete;
    // Un-hooks the window and destroys the shadow when the window outlives its manager.
    virtual ~CShadowUI();

    // Registers the window class once per process; false when it already was.
    static bool Initialize(HINSTANCE instance);
    // Makes the shadow window for the manager's window and starts following it (only when the
    // shadow is switched on).
    void Create(CPaintManagerUI* manager);

    void ShowShadow(bool show) { m_showShadow = show; }  // takes effect at the next Create
    bool IsShowShadow() const { return m_showShadow; }
    void DisableShadow(bool disable);

    // Each refuses an out-of-range value with false and recomputes a visible shadow at once.
    bool SetSize(int size);                // -35..35
    bool SetSharpness(unsigned sharpness);  // 0..35
    bool SetDarkness(unsigned darkness);    // 0..255
    bool SetPosition(int x, int y);         // -35..35 each
    bool SetColor(DWORD color);             // ARGB; only red, green and blue are used
    bool SetImage(const wchar_t* image);    // switches to the image shadow
    bool SetShadowCorner(const RECT& corner);
    // Gives other the same look and the same show flag.
    bool CopyShadow(CShadowUI* other) const;

    // Recomputes the picture and puts it below the window.
    void Update(HWND parent);

    // Each colour byte times alpha / 255; the alpha byte 0.
    static DWORD PreMultiply(DWORD color, BYTE alpha);
    // The colour shadow: sw x sh premultiplied pixels, rows bottom-up (sw, sh = the window's size plus
    // twice the shadow size, scaled by the manager's DPI as are the sharpness and the offset). Pixels not touched stay as they were.
    void MakeShadow(DWORD* bits, const TShadowShape& shape) const;
    // The window's shape, one span per row, from its window region (the whole window without one).
    static TShadowShape ReadShape(HWND parent);

    HWND GetShadowWindow() const { return m_hWnd; }
    BYTE GetStatus() const { return m_status; }
    bool IsImageMode() const { return m_imageMode; }
    int GetSize() const { return m_size; }
    unsigned GetSharpness() const { return m_sharpness; }
    unsigned GetDarkness() const { return m_darkness; }
    POINT GetPosition() const { return {m_offsetX, m_offsetY}; }
    DWORD GetColor() const { return m_color; }
    const CUIString& GetImage() const { return m_image; }
    // Where the shadow goes for a window at windowRect.
    RECT GetShadowRect(const RECT& windowRect) const;

private:
    static LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void BeforeParentMessage(HWND parent, UINT message, WPARAM wParam, LPARAM lParam);
    void AfterParentSize(HWND parent, WPARAM wParam, LPARAM lParam);
    void MoveBelowParent(HWND parent);
    void ShowNoActivate();
    void Hide();
    void StatusFromParent(HWND parent);
    void UpdateIfVisible();
    bool DrawImageShadow(HDC dc, int width, int height);
    void Unhook();
    // A size as written for 96 DPI, scaled by the manager's DPI (unscaled without a manager).
    int Scaled(int value) const;

    CPaintManagerUI* m_manager = nullptr;
    HWND m_hWnd = nullptr;
    HWND m_hParent = nullptr;
    WNDPROC m_parentProc = nullptr;
    BYTE m_status = 0;
    bool m_imageMode = false;
    bool m_showShadow = false;
    bool m_disabled = false;
    BYTE m_darkness = 150;
    BYTE m_sharpness = 5;
    signed char m_size = 0;
    signed char m_offsetX = 0;
    signed char m_offsetY = 0;
    WORD m_lastWidth = 0;
    WORD m_lastHeight = 0;
    bool m_updatePending = false;
    DWORD m_color = 0;
    CUIString m_image;
    RECT m_imageCorner = {};
};

}  // namespace SkinUI
