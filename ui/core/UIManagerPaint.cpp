// CPaintManagerUI: painting. WM_PAINT lays out what needs it (raising "windowinit" after the first layout
// and "windowsize" after each later one) and paints the control tree directly into the window, into an
// off-screen bitmap copied to the window, or into the per-pixel-alpha bitmap of a layered window. Also
// the window's part in OLE drag and drop: starting a drag of a drag-enabled control, and the drop target,
// which takes no dropped data.
#include "UIManager.h"

#include "UIControl.h"
#include "UIManagerShared.h"
#include "UIRender.h"
#include "UIRenderSurface.h"
#include "base/Log.h"

#include <cstring>
#include <memory>
#include <vector>

namespace SkinUI {

namespace {

using UpdateLayeredWindowFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);
using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

UpdateLayeredWindowFn UpdateLayeredWindowFunction() {
    static const auto function = reinterpret_cast<UpdateLayeredWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"User32.dll"), "UpdateLayeredWindow")));
    return function;
}

using UpdateLayeredWindowIndirectFn = BOOL(WINAPI*)(HWND, const UPDATELAYEREDWINDOWINFO*);

// The form of the update that takes a changed rectangle; null on systems without it.
UpdateLayeredWindowIndirectFn UpdateLayeredWindowIndirectFunction() {
    static const auto function = reinterpret_cast<UpdateLayeredWindowIndirectFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"User32.dll"), "UpdateLayeredWindowIndirect")));
    return function;
}

// A 32-bit top-down DIB section of the given size; its pixels through bits.
HBITMAP CreateTopDownBitmap(HDC dc, int width, int height, DWORD** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = width * height * 4;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    *bits = bitmap ? static_cast<DWORD*>(pixels) : nullptr;
    return bitmap;
}

RECT ClampTo(RECT rect, const RECT& bounds) {
    IntersectRects(rect, rect, bounds);
    return rect;
}

// A few separate rectangles (two controls far apart) are painted each on its own rather than the box
// around them; many small ones are painted as their box.
const DWORD kMaxPaintParts = 8;

struct TRegionDeleter {
    void operator()(HRGN__* region) const { DeleteObject(region); }
};
using TRegion = std::unique_ptr<HRGN__, TRegionDeleter>;

// The window's update region as it is now; null when it cannot be read.
TRegion ReadUpdateRegion(HWND hwnd) {
    TRegion region(CreateRectRgn(0, 0, 0, 0));
    if (region && GetUpdateRgn(hwnd, region.get(), FALSE) == ERROR) region.reset();
    return region;
}

// The region a BeginPaint DC paints (the visible part of the update region), in client units; null
// when it cannot be read. Read from the DC rather than asked of the system before BeginPaint: each
// question about the update region is a server round trip under Wine.
TRegion PaintDcRegion(HDC dc) {
    TRegion region(CreateRectRgn(0, 0, 0, 0));
    POINT origin = {};
    if (region && (GetRandomRgn(dc, region.get(), SYSRGN) != 1 || !GetDCOrgEx(dc, &origin))) region.reset();
    if (region) OffsetRgn(region.get(), -origin.x, -origin.y);  // the system region is in screen units
    return region;
}

// The rectangles to paint: the region's, with extra added, within the client, disjoint; the bounding
// box alone when there are many or the region is missing.
std::vector<RECT> PaintParts(HRGN region, const RECT& extra, const RECT& client, const RECT& bounds) {
    std::vector<RECT> parts;
    if (region) {
        if (!IsRectEmpty(&extra)) {
            TRegion added(CreateRectRgnIndirect(&extra));
            CombineRgn(region, region, added.get(), RGN_OR);
        }
        TRegion within(CreateRectRgnIndirect(&client));
        CombineRgn(region, region, within.get(), RGN_AND);
        const DWORD size = GetRegionData(region, 0, nullptr);
        std::vector<BYTE> buffer(size);
        auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
        if (size && GetRegionData(region, size, data) == size && data->rdh.nCount <= kMaxPaintParts) {
            const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
            for (DWORD i = 0; i < data->rdh.nCount; ++i)
                if (!IsRectEmpty(&rects[i])) parts.push_back(rects[i]);
        }
    }
    if (parts.empty()) parts.push_back(bounds);
    return parts;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// WM_PAINT

void CPaintManagerUI::OnPaint() {
    const CUILifeWatch alive = m_life.Watch();
    if (!m_pRoot) {
        PAINTSTRUCT ps = {};
        HDC dc = BeginPaint(m_hWndPaint, &ps);
        CUIRender::DrawColor(dc, ps.rcPaint, 0xFF000000);
        EndPaint(m_hWndPaint, &ps);
        return;
    }
    RECT client = {};
    GetClientRect(m_hWndPaint, &client);
    if (m_bFocusNeeded) {
        MoveTabFocus(true);
        if (!alive) return;
    }
    m_bIsPainting = true;
    const bool sizeDue = LayoutBeforePaint(client, alive);
    if (!alive) return;
    if (m_bFirstLayout) {
        m_bFirstLayout = false;
        RaiseNotify(m_pRoot, L"windowinit", 0, 0, false);
        if (!alive) return;
        if (m_bLayered && m_bLayeredChanged) {
            // The next paint draws with the layered set-up complete; this one ends here.
            m_bIsPainting = false;
            Invalidate();
            return;
        }
        m_shadow.Update(m_hWndPaint);
    }
    if (!m_pRoot) {
        m_bIsPainting = false;
        return;
    }
    // The update region is taken once everything above has invalidated what it changed. A layered
    // window's picture is kept by the system whole, its parts off the screen too: its region is the
    // update region itself, not only the part a DC would show.
    TRegion layeredRegion = m_bLayered ? ReadUpdateRegion(m_hWndPaint) : nullptr;
    PAINTSTRUCT ps = {};
    HDC windowDc = BeginPaint(m_hWndPaint, &ps);
    RECT paint = ps.rcPaint;
    if (m_bLayered) {
        const LONG exStyle = GetWindowLongW(m_hWndPaint, GWL_EXSTYLE);
        if (!(exStyle & WS_EX_LAYERED)) SetWindowLongW(m_hWndPaint, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        m_bOffscreenPaint = true;
        RECT box = {};
        if (layeredRegion && GetRgnBox(layeredRegion.get(), &box) > NULLREGION) UnionRect(&paint, &paint, &box);
        UnionRect(&paint, &paint, &m_rcLayeredUpdate);
        paint = ClampTo(paint, client);
    }
    if (!windowDc || IsRectEmpty(&paint)) {
        if (windowDc) EndPaint(m_hWndPaint, &ps);
        m_bIsPainting = false;
        return;
    }
    TRegion updateRegion = m_bLayered ? std::move(layeredRegion) : PaintDcRegion(windowDc);
    const std::vector<RECT> parts = PaintParts(updateRegion.get(), m_bLayered ? m_rcLayeredUpdate : RECT{}, client, paint);
    if (m_bLayered) SetRectEmpty(&m_rcLayeredUpdate);
    if (m_bOffscreenPaint && !m_hbmpOffscreen) {
        // A DC from a paint whose bitmap could not be made is used again, not made anew.
        if (!m_hDcOffscreen) m_hDcOffscreen = CreateCompatibleDC(m_hDcPaint);
        m_hbmpOffscreen = CreateTopDownBitmap(m_hDcPaint, client.right, client.bottom, &m_pOffscreenBits);
        RememberTopDownBitmap(m_hbmpOffscreen, m_pOffscreenBits);
        m_szOffscreen = {client.right, client.bottom};
    }
    if (m_bOffscreenPaint && m_hbmpOffscreen && m_hDcOffscreen)
        PaintOffscreen(windowDc, parts, client);
    else
        PaintDirect(windowDc, parts);
    if (m_bShowUpdateRect && !m_bLayered) {
        HGDIOBJ oldPen = SelectObject(windowDc, Shared().updatePen);
        HGDIOBJ oldBrush = SelectObject(windowDc, GetStockObject(NULL_BRUSH));
        for (const RECT& part : parts) Rectangle(windowDc, part.left, part.top, part.right, part.bottom);
        SelectObject(windowDc, oldBrush);
        SelectObject(windowDc, oldPen);
    }
    EndPaint(m_hWndPaint, &ps);
    if (!alive) return;
    m_bIsPainting = false;
    m_bLayeredChanged = false;
    if (m_bUpdateNeeded) Invalidate();
    if (sizeDue) RaiseNotify(m_pRoot, L"windowsize", 0, 0, true);
}

bool CPaintManagerUI::LayoutBeforePaint(const RECT& client, const CUILifeWatch& alive) {
    if (!m_bUpdateNeeded) {
        if (m_bLayered && m_bLayeredChanged) {
            if (m_pOffscreenBits) memset(m_pOffscreenBits, 0, static_cast<size_t>(m_szOffscreen.cx) * m_szOffscreen.cy * 4);
            m_pRoot->SetPos(LayeredRootRect(client), true);
        }
        return false;
    }
    m_bUpdateNeeded = false;
    if (IsRectEmpty(&client) || IsIconic(m_hWndPaint)) return false;
    if (m_pRoot->IsUpdateNeeded()) {
        FreeOffscreen();
        m_pRoot->SetPos(m_bLayered ? LayeredRootRect(client) : client, true);
    } else {
        // Only what is marked out of date is laid out again, each at its present place (for a floating
        // control that is its place relative to the parent, too).
        m_aFoundControls.Clear();
        m_pRoot->FindControl(&CPaintManagerUI::FindControlFromUpdate, this,
                             UIFIND_VISIBLE | UIFIND_ME_FIRST | UIFIND_UPDATETEST);
        const CUIPtrArray marked(m_aFoundControls);
        for (int i = 0; i < marked.Count() && alive; ++i) {
            auto* control = static_cast<CControlUI*>(marked[i]);
            control->SetPos(control->GetPos(), true);
        }
    }
    return true;
}

RECT CPaintManagerUI::LayeredRootRect(const RECT& client) {
    const RECT inset = GetDpiScaler()->ScaleRect(m_rcLayeredInset);
    RECT rect = {client.left + inset.left, client.top + inset.top, client.right - inset.right,
                 client.bottom - inset.bottom};
    if (rect.right < rect.left) rect.right = rect.left;
    if (rect.bottom < rect.top) rect.bottom = rect.top;
    return rect;
}

void CPaintManagerUI::PaintDirect(HDC dc, const std::vector<RECT>& parts) {
    const int saved = SaveDC(dc);
    for (const RECT& part : parts) {
        if (!m_pRoot) break;
        m_pRoot->Paint(dc, part, nullptr);
        PaintPostPaintControls(dc, part);
    }
    RestoreDC(dc, saved);
}

void CPaintManagerUI::PaintPostPaintControls(HDC dc, const RECT& paint) {
    const CUIPtrArray controls(m_aPostPaintControls);
    for (int i = 0; i < controls.Count(); ++i) {
        auto* control = static_cast<CControlUI*>(controls[i]);
        if (IsPostPaintControl(control)) control->DoPostPaint(dc, paint);
    }
}

void CPaintManagerUI::PaintOffscreen(HDC windowDc, const std::vector<RECT>& parts, const RECT& client) {
    HGDIOBJ old = SelectObject(m_hDcOffscreen, m_hbmpOffscreen);
    const int saved = SaveDC(m_hDcOffscreen);
    {
        CUIPaintTargetScope known(m_hDcOffscreen, m_pOffscreenBits, m_szOffscreen.cx, m_szOffscreen.cy);
        for (const RECT& part : parts) {
            if (!m_pRoot) break;
            if (m_bLayered) ClearPixels(part);
            m_pRoot->Paint(m_hDcOffscreen, part, nullptr);
            if (m_bLayered) PrintNativeChildren(part);
            PaintPostPaintControls(m_hDcOffscreen, part);
        }
    }
    RestoreDC(m_hDcOffscreen, saved);
    if (m_bLayered) {
        GdiFlush();
        for (const RECT& part : parts) ApplyLayeredAlpha(part, client);
        RECT window = {};
        GetWindowRect(m_hWndPaint, &window);
        POINT position = {window.left, window.top};
        SIZE size = {client.right - client.left, client.bottom - client.top};
        POINT source = {0, 0};
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, m_nOpacity, AC_SRC_ALPHA};
        // After a good update of the same picture, only the changed box is handed over (the system
        // copies less); whatever fails is done again whole.
        RECT dirty = parts.front();
        for (const RECT& part : parts) UnionRect(&dirty, &dirty, &part);
        UpdateLayeredWindowIndirectFn updatePart = UpdateLayeredWindowIndirectFunction();
        bool done = false;
        if (updatePart && m_bLastLayeredUpdateOk && !m_bLayeredChanged && !EqualRect(&dirty, &client)) {
            const UPDATELAYEREDWINDOWINFO info = {sizeof info, m_hDcPaint, &position, &size, m_hDcOffscreen,
                                                  &source, 0, &blend, ULW_ALPHA, &dirty};
            done = updatePart(m_hWndPaint, &info) != FALSE;
        }
        UpdateLayeredWindowFn update = UpdateLayeredWindowFunction();
        m_bLastLayeredUpdateOk = done || (update && update(m_hWndPaint, m_hDcPaint, &position, &size, m_hDcOffscreen,
                                                           &source, 0, &blend, ULW_ALPHA));
    } else {
        for (const RECT& part : parts)
            BitBlt(windowDc, part.left, part.top, part.right - part.left, part.bottom - part.top, m_hDcOffscreen,
                   part.left, part.top, SRCCOPY);
    }
    SelectObject(m_hDcOffscreen, old);
}

void CPaintManagerUI::ClearPixels(const RECT& paint) {
    if (!m_pOffscreenBits) return;
    GdiFlush();
    const RECT rect = ClampTo(paint, RECT{0, 0, m_szOffscreen.cx, m_szOffscreen.cy});
    for (int y = rect.top; y < rect.bottom; ++y)
        memset(m_pOffscreenBits + static_cast<size_t>(y) * m_szOffscreen.cx + rect.left, 0,
               static_cast<size_t>(rect.right - rect.left) * 4);
}

// In a layered window GDI text and native children leave alpha 0: coloured pixels become opaque, or
// take their alpha from the layered image.
void CPaintManagerUI::ApplyLayeredAlpha(const RECT& paint, const RECT& client) {
    if (!m_pOffscreenBits) return;
    const RECT rect = ClampTo(paint, RECT{0, 0, m_szOffscreen.cx, m_szOffscreen.cy});
    const DWORD* background = nullptr;
    if (!m_diLayered.imageName.IsEmpty()) background = LayeredBackground(client);
    for (int y = rect.top; y < rect.bottom; ++y) {
        DWORD* row = m_pOffscreenBits + static_cast<size_t>(y) * m_szOffscreen.cx;
        for (int x = rect.left; x < rect.right; ++x) {
            DWORD& pixel = row[x];
            if (background) {
                const DWORD alpha = background[static_cast<size_t>(y) * m_szOffscreen.cx + x] >> 24;
                const DWORD red = (pixel >> 16 & 0xFF) * alpha / 255;
                const DWORD green = (pixel >> 8 & 0xFF) * alpha / 255;
                const DWORD blue = (pixel & 0xFF) * alpha / 255;
                pixel = alpha << 24 | red << 16 | green << 8 | blue;
            } else if ((pixel >> 24) == 0 && (pixel & 0xFFFFFF) != 0) {
                pixel |= 0xFF000000;
            }
        }
    }
}

// The layered image drawn once into a bitmap of the client size; again after a layered change.
const DWORD* CPaintManagerUI::LayeredBackground(const RECT& client) {
    if (m_hbmpBackground && !m_bLayeredChanged) return m_pBackgroundBits;
    if (!m_hDcBackground) m_hDcBackground = CreateCompatibleDC(m_hDcPaint);
    if (!m_hbmpBackground)
        m_hbmpBackground = CreateTopDownBitmap(m_hDcPaint, m_szOffscreen.cx, m_szOffscreen.cy, &m_pBackgroundBits);
    if (!m_hDcBackground || !m_hbmpBackground) return nullptr;
    HGDIOBJ old = SelectObject(m_hDcBackground, m_hbmpBackground);
    memset(m_pBackgroundBits, 0, static_cast<size_t>(m_szOffscreen.cx) * m_szOffscreen.cy * 4);
    const RECT area = LayeredRootRect(client);
    CUIRender::DrawImageInfo(m_hDcBackground, this, area, area, &m_diLayered);
    GdiFlush();
    SelectObject(m_hDcBackground, old);
    return m_pBackgroundBits;
}

void CPaintManagerUI::PrintNativeChildren(const RECT& paint) {
    for (int i = m_aNativeWindow.Count() - 1; i >= 0; --i) {
        HWND child = static_cast<HWND>(m_aNativeWindow[i]);
        if (!IsWindow(child)) {
            m_aNativeWindow.RemoveAt(i);
            m_aNativeWindowControl.RemoveAt(i);
        }
    }
    for (int i = 0; i < m_aNativeWindow.Count(); ++i) {
        HWND child = static_cast<HWND>(m_aNativeWindow[i]);
        if (!IsWindowVisible(child)) continue;
        RECT rect = {};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, m_hWndPaint, reinterpret_cast<POINT*>(&rect), 2);
        RECT overlap = {};
        if (!IntersectRects(overlap, rect, paint)) continue;
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        DWORD* bits = nullptr;
        HDC childDc = CreateCompatibleDC(m_hDcPaint);
        HBITMAP bitmap = CreateTopDownBitmap(m_hDcPaint, width, height, &bits);
        if (childDc && bitmap) {
            HGDIOBJ old = SelectObject(childDc, bitmap);
            SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(childDc),
                         PRF_CHECKVISIBLE | PRF_CLIENT | PRF_CHILDREN | PRF_OWNED);
            GdiFlush();
            for (int p = 0; p < width * height; ++p)
                if (bits[p]) bits[p] |= 0xFF000000;
            BitBlt(m_hDcOffscreen, rect.left, rect.top, width, height, childDc, 0, 0, SRCCOPY);
            SelectObject(childDc, old);
        }
        if (bitmap) DeleteObject(bitmap);
        if (childDc) DeleteDC(childDc);
    }
}

void CPaintManagerUI::OnPrintClient(HDC dc, LPARAM flags) {
    if (!m_pRoot || !dc) return;
    RECT client = {};
    GetClientRect(m_hWndPaint, &client);
    const int saved = SaveDC(dc);
    m_pRoot->Paint(dc, client, nullptr);
    RestoreDC(dc, saved);
    if (!(flags & PRF_CHILDREN)) return;
    for (HWND child = GetWindow(m_hWndPaint, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect = {};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, m_hWndPaint, reinterpret_cast<POINT*>(&rect), 2);
        POINT oldOrigin = {};
        SetWindowOrgEx(dc, -rect.left, -rect.top, &oldOrigin);
        SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags | PRF_NONCLIENT);
        SetWindowOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    }
}

void CPaintManagerUI::FreeOffscreen() {
    if (m_hbmpOffscreen) ForgetTopDownBitmap(m_hbmpOffscreen);
    if (m_hDcOffscreen) DeleteDC(m_hDcOffscreen);
    if (m_hbmpOffscreen) DeleteObject(m_hbmpOffscreen);
    if (m_hDcBackground) DeleteDC(m_hDcBackground);
    if (m_hbmpBackground) DeleteObject(m_hbmpBackground);
    m_hDcOffscreen = m_hDcBackground = nullptr;
    m_hbmpOffscreen = m_hbmpBackground = nullptr;
    m_pOffscreenBits = m_pBackgroundBits = nullptr;
    m_szOffscreen = {};
}

// ---------------------------------------------------------------------------------------------------
// Layered windows and opacity

void CPaintManagerUI::SetLayeredWindow(bool layered) {
    if (!m_hWndPaint || layered == m_bLayered) return;
    if (GetWindowLongW(m_hWndPaint, GWL_STYLE) & WS_CHILD) return;
    if (!UpdateLayeredWindowFunction()) return;
    // The layered style is set by the next paint, right before the first update of the picture. Taken
    // off now, it also drops a constant opacity given through SetLayeredWindowAttributes, after which
    // a window refuses every per-pixel update; per-pixel mode applies the opacity itself.
    SetWindowLongW(m_hWndPaint, GWL_EXSTYLE, GetWindowLongW(m_hWndPaint, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    m_bLayered = layered;
    if (!layered && m_nOpacity != 255) SetOpacity(m_nOpacity);
    if (m_pRoot) m_pRoot->NeedUpdate();
    m_bUpdateNeeded = true;
    Invalidate();
}

void CPaintManagerUI::SetLayeredImage(const wchar_t* image) {
    m_diLayered.Parse(image, nullptr, this);
    if (!m_diLayered.imageName.IsEmpty())  // loaded now, so that painting finds it
        GetOrLoadImage(m_diLayered.imageName.Data(), m_diLayered.resourceType.IsEmpty() ? nullptr : m_diLayered.resourceType.Data(),
                       m_diLayered.mask);
    m_bLayeredChanged = true;
    Invalidate();
}

void CPaintManagerUI::SetLayeredInset(const RECT& inset) {
    m_rcLayeredInset = inset;
    m_bLayeredChanged = true;
    Invalidate();
}

void CPaintManagerUI::SetLayeredOpacity(BYTE opacity) {
    m_nOpacity = opacity;
    m_bLayeredChanged = true;
    Invalidate();
}

void CPaintManagerUI::SetOpacity(BYTE opacity) {
    m_nOpacity = opacity;
    if (!m_hWndPaint) return;
    if (m_bLayered) {
        // Per-pixel mode: the opacity goes with each update of the bitmap.
        Invalidate();
        return;
    }
    static const auto setAttributes = reinterpret_cast<SetLayeredWindowAttributesFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"User32.dll"), "SetLayeredWindowAttributes")));
    if (!setAttributes) return;
    SetWindowLongW(m_hWndPaint, GWL_EXSTYLE, GetWindowLongW(m_hWndPaint, GWL_EXSTYLE) | WS_EX_LAYERED);
    setAttributes(m_hWndPaint, 0, opacity, LWA_ALPHA);
}

// ---------------------------------------------------------------------------------------------------
// Drag and drop

void CPaintManagerUI::StartDrag() {
    if (!m_hDragBitmap) return;
    ReleaseCapture();
    m_bMouseCapture = false;
    // The creator holds the first reference of each, for the whole drag.
    auto* source = new CIDropSource;
    source->AddRef();
    auto* data = new CIDataObject(source);
    data->AddRef();

    FORMATETC bitmapFormat = {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI};
    STGMEDIUM bitmapMedium = {};
    bitmapMedium.tymed = TYMED_GDI;
    bitmapMedium.hBitmap = static_cast<HBITMAP>(OleDuplicateData(m_hDragBitmap, CF_BITMAP, 0));
    data->SetData(&bitmapFormat, &bitmapMedium, TRUE);

    BITMAP info = {};
    GetObjectW(m_hDragBitmap, sizeof info, &info);
    HDC metaDc = CreateEnhMetaFileW(m_hDcPaint, nullptr, nullptr, nullptr);
    if (metaDc) {
        HDC bitmapDc = CreateCompatibleDC(m_hDcPaint);
        HGDIOBJ old = SelectObject(bitmapDc, m_hDragBitmap);
        BitBlt(metaDc, 0, 0, info.bmWidth, info.bmHeight, bitmapDc, 0, 0, SRCCOPY);
        SelectObject(bitmapDc, old);
        DeleteDC(bitmapDc);
        FORMATETC metaFormat = {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
        STGMEDIUM metaMedium = {};
        metaMedium.tymed = TYMED_ENHMF;
        metaMedium.hEnhMetaFile = CloseEnhMetaFile(metaDc);
        data->SetData(&metaFormat, &metaMedium, TRUE);
    }
    {
        CDragSourceHelper helper;
        helper.InitializeFromBitmap(m_hDragBitmap, POINT{info.bmWidth / 2, info.bmHeight / 2},
                                    RECT{0, 0, info.bmWidth, info.bmHeight}, data);
        DWORD effect = DROPEFFECT_NONE;
        DoDragDrop(data, source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
    }
    data->Release();
    source->Release();
}

ULONG CPaintManagerUI::AddRef() { return ++m_refCount; }

// The manager is a member of its window object: a count that reaches 0 never deletes it.
ULONG CPaintManagerUI::Release() { return m_refCount ? --m_refCount : 0; }

bool CPaintManagerUI::OnDrop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect) {
    return HandleDrop(format, medium, effect);
}

// The application uses no dropped data: nothing is accepted, and whatever arrives is released.
bool CPaintManagerUI::HandleDrop(FORMATETC*, STGMEDIUM*, DWORD*) { return true; }

// The object registered with OLE for a manager's window. It lives by its own reference count; once the
// manager lets it go it answers every drag with "no drop".
class CDropTargetProxy : public IDropTarget {
public:
    explicit CDropTargetProxy(CPaintManagerUI* owner) : m_owner(owner) {}
    virtual ~CDropTargetProxy() = default;
    void Detach() { m_owner = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDropTarget)) return E_NOINTERFACE;
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refCount; }
    ULONG STDMETHODCALLTYPE Release() override {
        if (m_refCount == 0) return 0;
        if (--m_refCount) return m_refCount;
        delete this;
        return 0;
    }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override {
        return m_owner ? m_owner->DragEnter(data, keys, point, effect) : Refuse(effect);
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override {
        return m_owner ? m_owner->DragOver(keys, point, effect) : Refuse(effect);
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return m_owner ? m_owner->DragLeave() : S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override {
        return m_owner ? m_owner->Drop(data, keys, point, effect) : Refuse(effect);
    }

private:
    static HRESULT Refuse(DWORD* effect) {
        if (effect) *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    CPaintManagerUI* m_owner;
    ULONG m_refCount = 1;  // the manager's
};

void CPaintManagerUI::RegisterDropTarget() {
    if (m_pDropTarget || !m_hWndPaint) return;
    SetTargetWindow(m_hWndPaint);
    auto* proxy = new CDropTargetProxy(this);
    if (SUCCEEDED(RegisterDragDrop(m_hWndPaint, proxy)))
        m_pDropTarget = proxy;
    else
        proxy->Release();
}

void CPaintManagerUI::RevokeDropTarget() {
    if (!m_pDropTarget) return;
    if (m_hWndPaint && IsWindow(m_hWndPaint)) RevokeDragDrop(m_hWndPaint);
    m_pDropTarget->Detach();
    m_pDropTarget->Release();
    m_pDropTarget = nullptr;
}

}  // namespace SkinUI
