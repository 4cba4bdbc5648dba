// CShadowUI: the shadow window, the subclass procedure that makes it follow its window, and the
// computation of the soft colour shadow.
#include "UIShadow.h"

#include "UIImage.h"
#include "UIManager.h"
#include "UIRender.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace SkinUI {

namespace {

constexpr int kMaxShadowSize = 35;

std::map<HWND, CShadowUI*>& ShadowMap() {
    static std::map<HWND, CShadowUI*> shadows;
    return shadows;
}

bool g_classRegistered = false;

HINSTANCE ModuleOrExe(HINSTANCE instance) { return instance ? instance : GetModuleHandleW(nullptr); }

void FillRow(DWORD* row, int from, int to, int width, DWORD value) {
    from = std::max(from, 0);
    to = std::min(to, width);
    for (int x = from; x < to; ++x) row[x] = value;
}

}  // namespace

CShadowUI::~CShadowUI() {
    Unhook();
    if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

bool CShadowUI::Initialize(HINSTANCE instance) {
    if (g_classRegistered) return false;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = ModuleOrExe(instance);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    g_classRegistered = true;
    return true;
}

void CShadowUI::Create(CPaintManagerUI* manager) {
    if (!m_showShadow || !manager || m_hWnd) return;  // a second root must not hook the window twice
    HWND parent = manager->GetWindowHandle();
    if (!parent || !IsWindow(parent)) return;
    Initialize(CPaintManagerUI::GetModuleInstance());
    m_manager = manager;
    m_hParent = parent;
    ShadowMap()[parent] = this;
    const LONG parentStyle = GetWindowLongW(parent, GWL_STYLE);
    m_hWnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT, kClassName, nullptr,
                             WS_POPUPWINDOW | (parentStyle & WS_CAPTION), CW_USEDEFAULT, 0, 0, 0, parent,
                             nullptr, ModuleOrExe(CPaintManagerUI::GetModuleInstance()), nullptr);
    StatusFromParent(parent);
    m_parentProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CShadowUI::ParentProc)));
}

void CShadowUI::Unhook() {
    if (!m_hParent) return;
    if (IsWindow(m_hParent) &&
        GetWindowLongPtrW(m_hParent, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CShadowUI::ParentProc))
        SetWindowLongPtrW(m_hParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_parentProc));
    auto& shadows = ShadowMap();
    auto it = shadows.find(m_hParent);
    if (it != shadows.end() && it->second == this) shadows.erase(it);
    m_hParent = nullptr;
}

// Status as at creation: the shadow shows with a visible window that is neither maximised nor
// minimised.
void CShadowUI::StatusFromParent(HWND parent) {
    const LONG style = GetWindowLongW(parent, GWL_STYLE);
    if (!(style & WS_VISIBLE)) {
        m_status = kEnabled;
    } else if (style & (WS_MAXIMIZE | WS_MINIMIZE)) {
        m_status = kEnabled | kParentVisible;
    } else {
        m_status = kEnabled | kVisible | kParentVisible;
        ShowNoActivate();
        Update(parent);
    }
}

void CShadowUI::DisableShadow(bool disable) {
    m_disabled = disable;
    if (!m_hWnd) return;
    if (disable) {
        Hide();
    } else if (m_hParent) {
        StatusFromParent(m_hParent);
    }
}

void CShadowUI::ShowNoActivate() {
    if (m_hWnd) ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
}

void CShadowUI::Hide() {
    if (m_hWnd) ShowWindow(m_hWnd, SW_HIDE);
}

int CShadowUI::Scaled(int value) const { return m_manager ? m_manager->GetDpiScaler()->Scale(value) : value; }

RECT CShadowUI::GetShadowRect(const RECT& windowRect) const {
    const int grow = Scaled(m_size);
    RECT rect = windowRect;
    if (!m_imageMode) OffsetRect(&rect, Scaled(m_offsetX), Scaled(m_offsetY));
    InflateRect(&rect, grow, grow);
    return rect;
}

void CShadowUI::MoveBelowParent(HWND parent) {
    if (!m_hWnd) return;
    RECT windowRect = {};
    GetWindowRect(parent, &windowRect);
    const RECT rect = GetShadowRect(windowRect);
    SetWindowPos(m_hWnd, parent, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------------------------------------------
// Following the window

LRESULT CALLBACK CShadowUI::ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& shadows = ShadowMap();
    auto it = shadows.find(hwnd);
    if (it == shadows.end()) return DefWindowProcW(hwnd, message, wParam, lParam);
    CShadowUI* shadow = it->second;
    const WNDPROC old = shadow->m_parentProc;
    if (!shadow->m_disabled) {
        try {
            shadow->BeforeParentMessage(hwnd, message, wParam, lParam);
        } catch (...) {
        }
    }
    // The window's own handling may destroy it and its manager with this shadow: do not touch the
    // shadow after the call without finding it again.
    if (message == WM_NCDESTROY) shadow->Unhook();
    const LRESULT result = CallWindowProcW(old, hwnd, message, wParam, lParam);
    if (message == WM_SIZE) {
        // After the window's own WM_SIZE, which sets the new window region the shape is read from.
        it = shadows.find(hwnd);
        if (it != shadows.end() && !it->second->m_disabled) {
            try {
                it->second->AfterParentSize(hwnd, wParam, lParam);
            } catch (...) {
            }
        }
    }
    return result;
}

void CShadowUI::BeforeParentMessage(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_WINDOWPOSCHANGED: {
        MoveBelowParent(parent);
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!pos) break;
        if ((pos->flags & SWP_SHOWWINDOW) && (m_status & kEnabled) && !(m_status & kParentVisible)) {
            m_updatePending = true;
            ShowNoActivate();
            m_status |= kVisible | kParentVisible;
        } else if ((pos->flags & SWP_HIDEWINDOW) && (m_status & kEnabled)) {
            Hide();
            m_status &= ~(kVisible | kParentVisible);
        }
        break;
    }
    case WM_MOVE:
        if (m_status & kVisible) MoveBelowParent(parent);
        break;
    case WM_PAINT:
        if (m_updatePending) {
            Update(parent);
            m_updatePending = false;
        }
        break;
    case WM_SHOWWINDOW:
        if (!(m_status & kEnabled)) break;
        if (!wParam) {
            Hide();
            m_status &= ~(kVisible | kParentVisible);
        } else if (!(m_status & kParentVisible)) {
            m_updatePending = true;
            ShowNoActivate();
            m_status |= kVisible | kParentVisible;
        }
        break;
    case WM_EXITSIZEMOVE:
        if (m_status & kVisible) Update(parent);
        break;
    case WM_NCACTIVATE:
    case WM_ACTIVATEAPP:
        if (m_hWnd)
            SetWindowPos(m_hWnd, parent, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE);
        break;
    case WM_DESTROY:
        if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
        break;
    default:
        break;
    }
}

void CShadowUI::AfterParentSize(HWND parent, WPARAM wParam, LPARAM lParam) {
    const WORD width = LOWORD(lParam);
    const WORD height = HIWORD(lParam);
    if (m_status & kEnabled) {
        if (wParam == SIZE_MAXIMIZED || wParam == SIZE_MINIMIZED) {
            Hide();
            m_status &= ~kVisible;
        } else if (m_status & kParentVisible) {
            if (!(m_status & kVisible)) {
                ShowNoActivate();
                m_status |= kVisible;
            }
            // Growing recomputes at the next paint, so a resize drag does not compute every step.
            if (width <= m_lastWidth && height <= m_lastHeight)
                Update(parent);
            else
                m_updatePending = true;
        }
    }
    m_lastWidth = width;
    m_lastHeight = height;
}

// ---------------------------------------------------------------------------------------------------
// Settings

bool CShadowUI::SetSize(int size) {
    if (size < -kMaxShadowSize || size > kMaxShadowSize) return false;
    m_size = static_cast<signed char>(size);
    UpdateIfVisible();
    return true;
}

bool CShadowUI::SetSharpness(unsigned sharpness) {
    if (sharpness > kMaxShadowSize) return false;
    m_sharpness = static_cast<BYTE>(sharpness);
    UpdateIfVisible();
    return true;
}

bool CShadowUI::SetDarkness(unsigned darkness) {
    if (darkness > 255) return false;
    m_darkness = static_cast<BYTE>(darkness);
    UpdateIfVisible();
    return true;
}

bool CShadowUI::SetPosition(int x, int y) {
    if (x < -kMaxShadowSize || x > kMaxShadowSize || y < -kMaxShadowSize || y > kMaxShadowSize) return false;
    m_offsetX = static_cast<signed char>(x);
    m_offsetY = static_cast<signed char>(y);
    UpdateIfVisible();
    return true;
}

bool CShadowUI::SetColor(DWORD color) {
    m_color = color;
    UpdateIfVisible();
    return true;
}

bool CShadowUI::SetImage(const wchar_t* image) {
    if (!image) return false;
    m_imageMode = true;
    m_image = image;
    UpdateIfVisible();
    return true;
}

bool CShadowUI::SetShadowCorner(const RECT& corner) {
    if (corner.left < 0 || corner.top < 0 || corner.right < 0 || corner.bottom < 0) return false;
    m_imageCorner = corner;
    UpdateIfVisible();
    return true;
}

bool CShadowUI::CopyShadow(CShadowUI* other) const {
    if (!other) return false;
    if (m_imageMode) {
        other->SetImage(m_image.Data());
        other->SetShadowCorner(m_imageCorner);
        other->SetSize(m_size);
    } else {
        other->SetSize(m_size);
        other->SetSharpness(m_sharpness);
        other->SetDarkness(m_darkness);
        other->SetColor(m_color);
        other->SetPosition(m_offsetX, m_offsetY);
    }
    other->ShowShadow(m_showShadow);
    return true;
}

void CShadowUI::UpdateIfVisible() {
    if (m_hWnd && m_hParent && IsWindowVisible(m_hWnd)) Update(m_hParent);
}

// ---------------------------------------------------------------------------------------------------
// The picture

DWORD CShadowUI::PreMultiply(DWORD color, BYTE alpha) {
    const DWORD red = (color >> 16 & 0xFF) * alpha / 255;
    const DWORD green = (color >> 8 & 0xFF) * alpha / 255;
    const DWORD blue = (color & 0xFF) * alpha / 255;
    return red << 16 | green << 8 | blue;
}

void CShadowUI::Update(HWND parent) {
    if (!m_showShadow || !(m_status & kVisible) || !m_hWnd || !parent) return;
    if (m_imageMode ? m_image.IsEmpty() : m_size == 0) return;
    RECT windowRect = {};
    GetWindowRect(parent, &windowRect);
    const RECT rect = GetShadowRect(windowRect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = width * height * 4;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory && dib && bits) {
        HGDIOBJ old = SelectObject(memory, dib);
        bool ready = true;
        if (m_imageMode) {
            ready = DrawImageShadow(memory, width, height);
        } else {
            memset(bits, 0, static_cast<size_t>(width) * height * 4);
            MakeShadow(static_cast<DWORD*>(bits), ReadShape(parent));
        }
        if (ready) {
            MoveWindow(m_hWnd, rect.left, rect.top, width, height, FALSE);
            POINT position = {rect.left, rect.top};
            SIZE size = {width, height};
            POINT source = {0, 0};
            BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            UpdateLayeredWindow(m_hWnd, screen, &position, &size, memory, &source, 0, &blend, ULW_ALPHA);
        }
        SelectObject(memory, old);
    }
    if (dib) DeleteObject(dib);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

bool CShadowUI::DrawImageShadow(HDC dc, int width, int height) {
    if (!m_manager) return false;
    // Like every other picture away from 100 %: its scaled file, or the plain one scaled, with the
    // corners scaled to match.
    const int percent = m_manager->GetDpiScaler()->GetScale();
    const CUIString name = percent == 100 ? m_image : InsertDpiSuffix(m_image.Data(), percent);
    TImageRecord* image = m_manager->GetOrLoadImage(name.Data());
    if (!image || !image->bitmap) return false;
    const RECT whole = {0, 0, width, height};
    const RECT source = {0, 0, image->width, image->height};
    const RECT corner = m_manager->GetDpiScaler()->ScaleRect(m_imageCorner);
    CUIRender::DrawImage(dc, image->bitmap, whole, whole, source, corner, image->hasAlpha, 255, true);
    return true;
}

TShadowShape CShadowUI::ReadShape(HWND parent) {
    TShadowShape shape;
    RECT windowRect = {};
    GetWindowRect(parent, &windowRect);
    shape.width = windowRect.right - windowRect.left;
    shape.height = windowRect.bottom - windowRect.top;
    if (shape.width <= 0 || shape.height <= 0) return shape;
    shape.rows.assign(shape.height, TShadowSpan{shape.width, 0});
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(parent, region) == ERROR) {
        // No window region: the window is its whole rectangle.
        for (TShadowSpan& row : shape.rows) row = {0, shape.width};
    } else {
        for (int y = 0; y < shape.height; ++y) {
            int left = 0;
            while (left < shape.width && !PtInRegion(region, left, y)) ++left;
            if (left == shape.width) continue;
            int right = shape.width - 1;
            while (right > left && !PtInRegion(region, right, y)) --right;
            shape.rows[y] = {left, right + 1};
        }
    }
    DeleteObject(region);
    return shape;
}

void CShadowUI::MakeShadow(DWORD* bits, const TShadowShape& shape) const {
    // Sizes are written for 96 DPI, like the layout sizes.
    const int size = Scaled(m_size);
    const int sharpness = Scaled(m_sharpness);
    const int offsetX = Scaled(m_offsetX);
    const int offsetY = Scaled(m_offsetY);
    const int width = shape.width + 2 * size;
    const int height = shape.height + 2 * size;
    const int parentRows = std::min<int>(shape.height, static_cast<int>(shape.rows.size()));
    if (!bits || width <= 0 || height <= 0) return;

    // 1. The window's rows in shadow coordinates; entry r + 1 is shadow row r, with an empty row on
    // either side.
    const TShadowSpan empty = {width, 0};
    std::vector<TShadowSpan> spans(height + 2, empty);
    for (int y = 0; y < parentRows; ++y) {
        const TShadowSpan& row = shape.rows[y];
        const int r = y + size;
        if (r < 0 || r >= height || row.start >= row.end) continue;
        spans[r + 1] = {std::clamp(row.start + size, 0, width), std::clamp(row.end + size, 0, width)};
    }

    // 2. A sharp edge wider than the shadow eats into the shape.
    for (int pass = 0; pass < sharpness - size; ++pass) {
        std::vector<TShadowSpan> eroded(spans);
        for (int r = 1; r <= height; ++r) {
            eroded[r].start = std::max({spans[r - 1].start, spans[r].start, spans[r + 1].start}) + 1;
            eroded[r].end = std::min({spans[r - 1].end, spans[r].end, spans[r + 1].end}) - 1;
        }
        spans.swap(eroded);
    }

    // 3. The soft edge: a round kernel, solid up to its centre radius, fading out to its full radius.
    const int radius = std::max<int>(size, sharpness);
    const int centre = std::max<int>(size - sharpness, 0);
    const int side = 2 * radius + 1;
    std::vector<DWORD> kernel(static_cast<size_t>(side) * side, 0);
    for (int ky = 0; ky < side; ++ky) {
        for (int kx = 0; kx < side; ++kx) {
            const int dx = kx - radius;
            const int dy = ky - radius;
            const float distance = std::sqrt(static_cast<float>(dx * dx + dy * dy));
            int alpha = 0;
            if (distance < centre) {
                alpha = m_darkness;
            } else if (distance <= radius) {
                alpha = static_cast<int>((1.0f - (distance - centre) / static_cast<float>(sharpness + 1)) *
                                         static_cast<float>(m_darkness));
                alpha = std::clamp(alpha, 0, 255);
            }
            kernel[static_cast<size_t>(ky) * side + kx] =
                PreMultiply(m_color, static_cast<BYTE>(alpha)) | static_cast<DWORD>(alpha) << 24;
        }
    }
    auto rowAt = [&](int r) { return bits + static_cast<size_t>(height - 1 - r) * width; };
    auto stamp = [&](int x, int r) {
        for (int ky = 0; ky < side; ++ky) {
            const int y = r - radius + ky;
            if (y < 0 || y >= height) continue;
            DWORD* row = rowAt(y);
            const DWORD* values = &kernel[static_cast<size_t>(ky) * side];
            for (int kx = 0; kx < side; ++kx) {
                const int px = x - radius + kx;
                if (px >= 0 && px < width && values[kx] > row[px]) row[px] = values[kx];
            }
        }
    };

    // 4. Only the edges of each row get the kernel; the inside is filled below.
    for (int r = radius; r < height - radius; ++r) {
        const TShadowSpan& span = spans[r + 1];
        if (span.start >= span.end) continue;
        const TShadowSpan& above = spans[r];
        const TShadowSpan& below = spans[r + 2];
        const int leftEdgeEnd = std::min(std::max(above.start, below.start) + 1, span.end);
        for (int x = span.start; x < leftEdgeEnd; ++x) stamp(x, r);
        const int rightEdgeStart = std::max(leftEdgeEnd, std::min(above.end, below.end) - 1);
        for (int x = rightEdgeStart; x < span.end; ++x) stamp(x, r);
    }

    // 5. The inside at full darkness, except where the window covers it.
    const DWORD full = PreMultiply(m_color, m_darkness) | static_cast<DWORD>(m_darkness) << 24;
    const int first = std::min(std::max(size - offsetY, 0), radius);
    const int last = std::min(height, std::max(height - radius, std::min(shape.height + 2 * size,
                                                                        shape.height + size - offsetY)));
    for (int r = first; r < last; ++r) {
        const TShadowSpan& span = spans[r + 1];
        DWORD* row = rowAt(r);
        const int parentRow = r - size + offsetY;
        if (parentRow < 0 || parentRow >= parentRows) {
            FillRow(row, span.start, span.end, width, full);
            continue;
        }
        const TShadowSpan& covered = shape.rows[parentRow];
        const int hiddenStart = size + covered.start - offsetX;
        const int hiddenEnd = size + covered.end - offsetX;
        FillRow(row, span.start, hiddenStart, width, full);
        FillRow(row, hiddenStart, hiddenEnd, width, 0);
        FillRow(row, hiddenEnd, span.end, width, full);
    }
}

}  // namespace SkinUI
