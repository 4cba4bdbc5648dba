// Image loading (decoding with stb_image into premultiplied DIBs), image descriptions and image drawing:
// nine-grid corners, tiling, fade, hole and clipping.
#include "UIImage.h"

#include "UIDpi.h"
#include "UIManager.h"
#include "UIRender.h"
#include "UIRenderSurface.h"
#include "UIResourceSettings.h"
#include "UITextResource.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cwchar>
#include <vector>

// The skin's images are PNG files; every other decoder stays out, and sizes are capped.
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 8192
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace SkinUI {

namespace {

const unsigned kMaxImageFileBytes = 32u << 20;
const int kMaxImagePixels = 4096 * 4096;

// ---- image descriptions

// Reads up to count decimal integers, each followed by one separator; missing values are 0 and the
// text is never read past its end.
void ParseIntegers(const wchar_t* text, LONG* out, int count) {
    const wchar_t* p = text;
    for (int i = 0; i < count; ++i) {
        out[i] = 0;
        if (!*p) continue;
        wchar_t* end = nullptr;
        out[i] = wcstol(p, &end, 10);
        p = end;
        if (*p) ++p;
    }
}

bool IsTrue(const wchar_t* value) { return EqualsIgnoreCase(value, L"true"); }

void ApplyPair(TImageDrawInfo& info, const CUIString& key, const wchar_t* value, const CUIDpi* dpi) {
    if (key == L"file" || key == L"res") {
        info.imageName = value;
    } else if (key == L"restype") {
        info.resourceType = value;
    } else if (key == L"dest" || key == L"source") {
        LONG v[4];
        ParseIntegers(value, v, 4);
        RECT rect = {v[0], v[1], v[2], v[3]};
        if (dpi) dpi->ScaleRect(&rect);
        (key == L"dest" ? info.dest : info.source) = rect;
    } else if (key == L"corner") {
        LONG v[4];
        ParseIntegers(value, v, 4);
        if (dpi) {  // border widths, each scaled on its own
            for (LONG& width : v) width = dpi->Scale(width);
        }
        info.corner = {v[0], v[1], v[2], v[3]};
    } else if (key == L"mask") {
        info.mask = wcstoul(value[0] == L'#' ? value + 1 : value, nullptr, 16);
    } else if (key == L"fade") {
        long fade = wcstol(value, nullptr, 10);
        info.fade = static_cast<BYTE>(std::max(0L, std::min(255L, fade)));
    } else if (key == L"hole") {
        info.hole = IsTrue(value);
    } else if (key == L"xtiled") {
        info.tiledX = IsTrue(value);
    } else if (key == L"ytiled") {
        info.tiledY = IsTrue(value);
    } else if (key == L"hsl") {
        info.hsl = IsTrue(value);
    } else if (key == L"iconsize") {
        LONG v[2];
        ParseIntegers(value, v, 2);
        info.iconSize = {v[0], v[1]};
    } else if (key == L"iconalign") {
        info.iconAlign = value;
    }
}

bool IsBlank(wchar_t c) { return c != 0 && c <= L' '; }

// key='value' pairs separated by blanks; anything malformed ends the scan, keeping what came before.
void ScanDescription(const wchar_t* text, TImageDrawInfo& info, const CUIDpi* dpi) {
    const wchar_t* p = text;
    while (p && *p) {
        while (IsBlank(*p)) ++p;
        const wchar_t* keyStart = p;
        while (*p && *p != L'=' && *p > L' ') ++p;
        CUIString key(keyStart, static_cast<int>(p - keyStart));
        while (IsBlank(*p)) ++p;
        if (*p != L'=') return;
        ++p;
        while (IsBlank(*p)) ++p;
        if (*p != L'\'') return;
        const wchar_t* valueStart = ++p;
        while (*p && *p != L'\'') ++p;
        if (*p != L'\'') return;
        CUIString value(valueStart, static_cast<int>(p - valueStart));
        ++p;
        if (!value.IsEmpty()) ApplyPair(info, key, value.Data(), dpi);
        if (!IsBlank(*p) || !p[1]) return;
    }
}

// ---- loading

bool ReadResource(const wchar_t* nameOrId, const wchar_t* type, HINSTANCE instance, std::vector<BYTE>& out) {
    HINSTANCE module = instance ? instance : CUIResourceSettings::GetResourceModule();
    HRSRC found = FindResourceW(module, nameOrId, type);
    if (!found) return false;
    DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const BYTE* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!bytes || size == 0 || size > kMaxImageFileBytes) return false;
    out.assign(bytes, bytes + size);
    FreeResource(loaded);
    return true;
}

bool ReadSkinImage(const wchar_t* name, std::vector<BYTE>& out) {
    return CUIResourceSettings::ReadSkinFile(name, kMaxImageFileBytes, out);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Image descriptions.

void TImageDrawInfo::Clear() { *this = TImageDrawInfo(); }

void TImageDrawInfo::Parse(const wchar_t* draw, const wchar_t* modify, CPaintManagerUI* manager) {
    Parse(draw, modify, manager ? manager->GetDpiScaler() : static_cast<const CUIDpi*>(nullptr));
}

void TImageDrawInfo::Parse(const wchar_t* draw, const wchar_t* modify, const CUIDpi* dpi) {
    Clear();
    drawText = draw;
    modifyText = modify;
    imageName = draw;
    ScanDescription(draw, *this, dpi);
    ScanDescription(modify, *this, dpi);
    if (!dpi || dpi->GetScale() == 100) return;
    if (resourceType.IsEmpty()) {
        imageName = InsertDpiSuffix(imageName.Data(), dpi->GetScale());
    } else {
        // A resource id has no extension to put the scale before: it goes after ("101@150").
        CUIString suffix;
        suffix.FormatShort(L"@%d", dpi->GetScale());
        imageName += suffix;
    }
}

CUIString InsertDpiSuffix(const wchar_t* name, int percent) {
    CUIString result(name);
    const wchar_t* lastSeparator = wcspbrk(name, L"/\\");
    for (const wchar_t* p = lastSeparator; p; p = wcspbrk(p + 1, L"/\\")) lastSeparator = p;
    const wchar_t* fileName = lastSeparator ? lastSeparator + 1 : name;
    const wchar_t* dot = wcsrchr(fileName, L'.');
    if (!dot) return result;
    const int at = static_cast<int>(dot - name);
    CUIString suffix;
    suffix.FormatShort(L"@%d", percent);
    return result.Prefix(at) + suffix + result.Substring(at);
}

// ---------------------------------------------------------------------------------------------------
// Loading.

TImageRecord* CUIRender::LoadImage(const wchar_t* name, const wchar_t* type, DWORD mask, HINSTANCE instance) {
    if (!name) return nullptr;
    std::vector<BYTE> bytes;
    if (type && *type) {
        if (!ReadResource(name, type, instance, bytes)) return nullptr;
    } else {
        // A language may register its own file for this image.
        const wchar_t* localised = CTextResource::GetInstance()->GetImagePath(name);
        if (!ReadSkinImage(localised ? localised : name, bytes)) return nullptr;
    }
    return DecodeImage(bytes.data(), bytes.size(), mask);
}

TImageRecord* CUIRender::LoadImage(UINT resourceId, const wchar_t* type, DWORD mask, HINSTANCE instance) {
    std::vector<BYTE> bytes;
    if (!type || !*type || !ReadResource(MAKEINTRESOURCEW(resourceId), type, instance, bytes)) return nullptr;
    return DecodeImage(bytes.data(), bytes.size(), mask);
}

TImageRecord* CUIRender::DecodeImage(const BYTE* data, size_t size, DWORD mask) {
    if (!data || size == 0 || size > kMaxImageFileBytes) return nullptr;
    int width = 0, height = 0, components = 0;
    stbi_uc* rgba = stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &components, 4);
    if (!rgba) return nullptr;
    if (width <= 0 || height <= 0 || width > kMaxImagePixels / height) {
        stbi_image_free(rgba);
        return nullptr;
    }
    BYTE* bits = nullptr;
    HBITMAP bitmap = CreateARGB32Bitmap(nullptr, width, height, &bits, true);
    if (!bitmap) {
        stbi_image_free(rgba);
        return nullptr;
    }
    bool hasAlpha = false;
    DWORD* out = reinterpret_cast<DWORD*>(bits);
    const stbi_uc* in = rgba;
    for (int i = 0; i < width * height; ++i, in += 4) {
        DWORD r = in[0], g = in[1], b = in[2], a = in[3];
        if (a < 255) {
            r = r * a / 255;
            g = g * a / 255;
            b = b * a / 255;
            hasAlpha = true;
        }
        DWORD pixel = a << 24 | r << 16 | g << 8 | b;
        if (pixel == mask) {
            pixel = 0;
            hasAlpha = true;
        }
        out[i] = pixel;
    }
    stbi_image_free(rgba);
    RememberTopDownBitmap(bitmap, bits);
    auto* image = new TImageRecord;
    image->bitmap = bitmap;
    image->currentPixels = bits;
    image->width = width;
    image->height = height;
    image->hasAlpha = hasAlpha;
    return image;
}

void CUIRender::FreeImage(TImageRecord* image, bool deleteRecord) {
    CUIPixelMemo::Clear();  // its handle may come back with other pixels
    if (!image) return;
    if (image->bitmap) {
        ForgetTopDownBitmap(image->bitmap);
        DeleteObject(image->bitmap);
    }
    delete[] image->sourcePixels;
    image->bitmap = nullptr;
    image->currentPixels = nullptr;  // the DIB's own memory
    image->sourcePixels = nullptr;
    if (deleteRecord) delete image;
}

Gdiplus::GpImage* CUIRender::LoadGdiplusImage(const wchar_t* description) {
    if (!description) return nullptr;
    TImageDrawInfo info;
    info.Parse(description, nullptr, static_cast<const CUIDpi*>(nullptr));
    std::vector<BYTE> bytes;
    if (!ReadSkinImage(info.imageName.Data(), bytes)) return nullptr;
    return LoadGdiplusImage(bytes.data(), bytes.size());
}

Gdiplus::GpImage* CUIRender::LoadGdiplusImage(const BYTE* data, size_t size) {
    if (!data || size == 0) return nullptr;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return nullptr;
    void* copy = GlobalLock(memory);
    memcpy(copy, data, size);
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK) {
        GlobalFree(memory);
        return nullptr;
    }
    Gdiplus::GpImage* image = nullptr;
    if (Gdiplus::DllExports::GdipLoadImageFromStream(stream, &image) != Gdiplus::Ok) image = nullptr;
    stream->Release();  // the image holds its own reference while it lives
    return image;
}

// ---------------------------------------------------------------------------------------------------
// The nine-grid blit.

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// What a part of the source holds: nothing to blend, only opaque pixels, or anything else.
enum class PartKind { Empty, Opaque, Mixed };

// The source's own pixels, read to find opaque and empty parts. GetObject does not tell a top-down
// bitmap from a bottom-up one, so a part counts as opaque (or empty) only when it is so read either way.
struct TSourcePixels {
    const BYTE* bits = nullptr;
    int width = 0, height = 0, stride = 0;
    bool topDown = false;  // known to be: an image of the manager's

    // Blends the part unstretched straight into a DIB target, as AlphaBlend would; false where GDI must.
    bool BlendInto(HDC target, const RECT& dst, const RECT& part) const {
        if (!bits || !topDown) return false;
        const DWORD* first = reinterpret_cast<const DWORD*>(bits + static_cast<size_t>(part.top) * stride) + part.left;
        return BlendOnto(target, dst.left, dst.top, first, stride / 4, Width(part), Height(part));
    }

    PartKind Kind(const RECT& part) const {
        if (!bits) return PartKind::Mixed;
        bool opaque = true, empty = true;
        for (int y = part.top; y < part.bottom && (opaque || empty); ++y) {
            for (int row : {y, height - 1 - y}) {
                const DWORD* pixel = reinterpret_cast<const DWORD*>(bits + static_cast<size_t>(row) * stride) + part.left;
                for (int x = 0; x < Width(part); ++x) {
                    const DWORD alpha = pixel[x] >> 24;
                    opaque = opaque && alpha == 0xFF;
                    empty = empty && pixel[x] == 0;
                }
            }
        }
        return empty ? PartKind::Empty : opaque ? PartKind::Opaque : PartKind::Mixed;
    }
};

struct BlitContext {
    HDC target;
    HDC memory;
    RECT paint;
    bool translucent;
    BLENDFUNCTION blend;
    TSourcePixels source;  // no bits: every translucent part is blended
    int stretchMode;       // the target's mode as it is now

    void UseStretchMode(int mode) {
        if (stretchMode == mode) return;
        SetStretchBltMode(target, mode);
        stretchMode = mode;
    }
};

void BlitPart(BlitContext& c, const RECT& dst, const RECT& src) {
    if (Width(dst) <= 0 || Height(dst) <= 0 || Width(src) <= 0 || Height(src) <= 0) return;
    RECT hit;
    if (!IntersectRects(hit, dst, c.paint)) return;
    const bool sameSize = Width(dst) == Width(src) && Height(dst) == Height(src);
    bool copy = !c.translucent;
    if (c.translucent) {
        // Unfaded, an opaque part blends to a copy of itself and an empty one to nothing. AlphaBlend
        // stretches pixel by pixel (colour-on-colour), so a stretched copy does the same.
        const PartKind kind = c.blend.SourceConstantAlpha == 255 ? c.source.Kind(src) : PartKind::Mixed;
        if (kind == PartKind::Empty) return;
        if (kind == PartKind::Opaque) {
            copy = true;
            if (!sameSize) c.UseStretchMode(COLORONCOLOR);
        } else {
            const bool unfaded = c.blend.SourceConstantAlpha == 255;
            if (!sameSize || !unfaded || !c.source.BlendInto(c.target, dst, src))
                AlphaBlend(c.target, dst.left, dst.top, Width(dst), Height(dst), c.memory, src.left, src.top,
                           Width(src), Height(src), c.blend);
            return;
        }
    } else if (!sameSize) {
        c.UseStretchMode(HALFTONE);
    }
    if (!copy) return;
    if (sameSize) {
        BitBlt(c.target, dst.left, dst.top, Width(dst), Height(dst), c.memory, src.left, src.top, SRCCOPY);
    } else {
        if (c.stretchMode == HALFTONE) SetBrushOrgEx(c.target, 0, 0, nullptr);
        StretchBlt(c.target, dst.left, dst.top, Width(dst), Height(dst), c.memory, src.left, src.top, Width(src),
                   Height(src), SRCCOPY);
    }
}

// Tiles keep the source's size along a tiled axis (the last one cut short) and stretch along the other.
void BlitMiddle(BlitContext& c, const RECT& dst, const RECT& src, bool tiledX, bool tiledY) {
    const int tileWidth = Width(src), tileHeight = Height(src);
    if (tileWidth <= 0 || tileHeight <= 0 || Width(dst) <= 0 || Height(dst) <= 0) return;
    const int countX = tiledX ? (Width(dst) + tileWidth - 1) / tileWidth : 1;
    const int countY = tiledY ? (Height(dst) + tileHeight - 1) / tileHeight : 1;
    for (int j = 0; j < countY; ++j) {
        RECT d = dst, s = src;
        if (tiledY) {
            d.top = dst.top + j * tileHeight;
            d.bottom = std::min<LONG>(d.top + tileHeight, dst.bottom);
            s.bottom = s.top + Height(d);
        }
        for (int i = 0; i < countX; ++i) {
            if (tiledX) {
                d.left = dst.left + i * tileWidth;
                d.right = std::min<LONG>(d.left + tileWidth, dst.right);
                s.right = s.left + Width(d);
            }
            BlitPart(c, d, s);
        }
    }
}

// Corners no wider than the smaller of source and destination, so no part gets a negative size.
void FitCorners(LONG& first, LONG& second, int limit) {
    first = std::max<LONG>(first, 0);
    second = std::max<LONG>(second, 0);
    limit = std::max(limit, 0);
    if (first + second <= limit) return;
    const LONG total = first + second;
    first = static_cast<LONG>(static_cast<long long>(first) * limit / total);
    second = limit - first;
}

// One memory DC kept for the source bitmaps of every blit (UI thread only), instead of one per call.
HDC SourceDc() {
    static HDC dc = CreateCompatibleDC(nullptr);
    return dc;
}

bool& SourceDcBusy() {
    static bool busy = false;
    return busy;
}

}  // namespace

void CUIRender::DrawImage(HDC hdc, HBITMAP bitmap, const RECT& rc, const RECT& paint, const RECT& sourceIn,
                          const RECT& cornersIn, bool alpha, BYTE fade, bool hole, bool tiledX, bool tiledY) {
    if (!hdc || !bitmap) return;
    DIBSECTION info = {};
    const int infoSize = GetObjectW(bitmap, sizeof info, &info);
    if (!infoSize) return;
    RECT src = {std::max<LONG>(sourceIn.left, 0), std::max<LONG>(sourceIn.top, 0),
                std::min<LONG>(sourceIn.right, info.dsBm.bmWidth),
                std::min<LONG>(sourceIn.bottom, std::abs(info.dsBm.bmHeight))};
    if (Width(src) <= 0 || Height(src) <= 0 || Width(rc) <= 0 || Height(rc) <= 0) return;
    RECT c = cornersIn;
    FitCorners(c.left, c.right, std::min(Width(src), Width(rc)));
    FitCorners(c.top, c.bottom, std::min(Height(src), Height(rc)));

    // The kept DC, unless it is in use already or missing.
    HDC memory = SourceDcBusy() ? nullptr : SourceDc();
    const bool ownDc = !memory;
    if (ownDc) memory = CreateCompatibleDC(hdc);
    if (!memory) return;
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    if (!oldBitmap) {
        if (ownDc) DeleteDC(memory);
        return;
    }
    if (!ownDc) SourceDcBusy() = true;
    BlitContext ctx = {hdc, memory, paint, alpha || fade < 255, {AC_SRC_OVER, 0, fade, AC_SRC_ALPHA}, {},
                       GetStretchBltMode(hdc)};
    const int oldMode = ctx.stretchMode;
    POINT oldOrigin = {};
    GetBrushOrgEx(hdc, &oldOrigin);
    if (infoSize == sizeof info && info.dsBm.bmBits && info.dsBm.bmBitsPixel == 32) {
        GdiFlush();
        ctx.source = {static_cast<const BYTE*>(info.dsBm.bmBits), info.dsBm.bmWidth, std::abs(info.dsBm.bmHeight),
                      info.dsBm.bmWidthBytes, IsRememberedTopDown(bitmap, info.dsBm.bmBits)};
    }
    const bool noCorners = c.left == 0 && c.top == 0 && c.right == 0 && c.bottom == 0;
    RECT part;
    if (!ctx.translucent && noCorners && Width(rc) == Width(src) && Height(rc) == Height(src)) {
        if (IntersectRects(part, rc, paint))
            BitBlt(hdc, part.left, part.top, Width(part), Height(part), memory, src.left + part.left - rc.left,
                   src.top + part.top - rc.top, SRCCOPY);
    } else {
        if (!hole) {
            const RECT middle = {rc.left + c.left, rc.top + c.top, rc.right - c.right, rc.bottom - c.bottom};
            const RECT middleSource = {src.left + c.left, src.top + c.top, src.right - c.right, src.bottom - c.bottom};
            BlitMiddle(ctx, middle, middleSource, tiledX, tiledY);
        }
        const LONG dx[4] = {rc.left, rc.left + c.left, rc.right - c.right, rc.right};
        const LONG dy[4] = {rc.top, rc.top + c.top, rc.bottom - c.bottom, rc.bottom};
        const LONG sx[4] = {src.left, src.left + c.left, src.right - c.right, src.right};
        const LONG sy[4] = {src.top, src.top + c.top, src.bottom - c.bottom, src.bottom};
        // Top row, the two sides of the middle row, bottom row; empty parts are skipped.
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                if (row == 1 && col == 1) continue;
                BlitPart(ctx, {dx[col], dy[row], dx[col + 1], dy[row + 1]}, {sx[col], sy[row], sx[col + 1], sy[row + 1]});
            }
        }
    }
    SetBrushOrgEx(hdc, oldOrigin.x, oldOrigin.y, nullptr);
    if (ctx.stretchMode != oldMode) SetStretchBltMode(hdc, oldMode);
    SelectObject(memory, oldBitmap);
    if (ownDc)
        DeleteDC(memory);
    else
        SourceDcBusy() = false;
}

// ---------------------------------------------------------------------------------------------------
// Drawing through the manager.

bool CUIRender::DrawImage(HDC hdc, CPaintManagerUI* manager, const RECT& item, const RECT& paint, const wchar_t* name,
                          const wchar_t* type, const RECT& dest, const RECT& sourceIn, const RECT& corners, DWORD mask,
                          BYTE fade, bool hole, bool tiledX, bool tiledY, HINSTANCE instance) {
    if (!manager || !name || !*name) return false;
    TImageRecord* image = manager->GetOrLoadImage(name, type && *type ? type : nullptr, mask, false, instance);
    if (!image) return false;
    RECT source = sourceIn;
    if (source.left == 0 && source.top == 0 && source.right == 0 && source.bottom == 0)
        source = {0, 0, image->width, image->height};
    source.right = std::min<LONG>(source.right, image->width);
    source.bottom = std::min<LONG>(source.bottom, image->height);
    RECT hit;
    if (!IntersectRects(hit, dest, item) || !IntersectRects(hit, dest, paint)) return true;
    const bool alpha = manager->IsLayeredWindow() || image->hasAlpha;
    // A whole image of the manager's, whose pixels only an HSL change alters, is a memo's call; a picture
    // as large as a panel's illustration is blended directly, its kept result would be a second copy of it.
    const long long kMaxMemoImagePixels = 32 * 1024;
    const long long area = static_cast<long long>(dest.right - dest.left) * (dest.bottom - dest.top);
    std::wstring key;
    if (EqualRect(&hit, &dest) && !image->useHSL && area <= kMaxMemoImagePixels) {
        const struct {
            HBITMAP bitmap;
            LONG width, height;
            RECT source, corners;
            BYTE alpha, fade, hole, tiledX, tiledY, unused[3];
        } call = {image->bitmap, dest.right - dest.left, dest.bottom - dest.top, source, corners,
                  alpha, fade, hole, tiledX, tiledY, {}};
        key.assign(L"image");
        key.append(reinterpret_cast<const wchar_t*>(&call), sizeof call / sizeof(wchar_t));
    }
    HDC memoTarget = key.empty() ? nullptr : hdc;  // before the key moves
    CUIPixelMemo memo(memoTarget, dest, std::move(key));
    if (memo.Done()) return true;
    DrawImage(hdc, image->bitmap, dest, paint, source, corners, alpha, fade, hole, tiledX, tiledY);
    memo.Keep();
    return true;
}

bool CUIRender::DrawImageInfo(HDC hdc, CPaintManagerUI* manager, const RECT& item, const RECT& paint,
                              const TImageDrawInfo* info, HINSTANCE instance) {
    if (!manager || !info) return false;
    RECT dest = item;
    const RECT& d = info->dest;
    if (d.left || d.top || d.right || d.bottom) {
        dest = {item.left + d.left, item.top + d.top, std::min<LONG>(item.right, item.left + d.right),
                std::min<LONG>(item.bottom, item.top + d.bottom)};
    }
    return DrawImage(hdc, manager, item, paint, info->imageName.Data(), info->resourceType.Data(), dest, info->source,
                     info->corner, info->mask, info->fade, info->hole, info->tiledX, info->tiledY, instance);
}

bool CUIRender::DrawImageString(HDC hdc, CPaintManagerUI* manager, const RECT& item, const RECT& paint,
                                const wchar_t* image, const wchar_t* modify, HINSTANCE instance) {
    if (!manager || !image) return false;
    return DrawImageInfo(hdc, manager, item, paint, manager->GetImageDrawInfo(image, modify), instance);
}

bool CUIRender::DrawIconImageString(HDC hdc, CPaintManagerUI* manager, const RECT& item, const RECT& paint,
                                    const wchar_t* image, const wchar_t* modify) {
    if (!manager || !image) return false;
    const TImageDrawInfo* info = manager->GetImageDrawInfo(image, modify);
    if (!info) return false;
    RECT dest = item;
    if (!info->iconAlign.IsEmpty()) MakeFitIconDest(item, info->iconSize, info->iconAlign.Data(), dest);
    return DrawImage(hdc, manager, item, paint, info->imageName.Data(), info->resourceType.Data(), dest, info->source,
                     info->corner, info->mask, info->fade, info->hole, info->tiledX, info->tiledY, nullptr);
}

bool CUIRender::MakeFitIconDest(const RECT& item, const SIZE& iconSize, const wchar_t* align, RECT& out) {
    const int spareX = Width(item) - iconSize.cx, spareY = Height(item) - iconSize.cy;
    POINT at;
    if (EqualsIgnoreCase(align, L"left"))
        at = {item.left, item.top};
    else if (EqualsIgnoreCase(align, L"center"))
        at = {item.left + spareX / 2, item.top + spareY / 2};
    else if (EqualsIgnoreCase(align, L"vcenter"))
        at = {item.left, item.top + spareY / 2};
    else if (EqualsIgnoreCase(align, L"hcenter"))
        at = {item.left + spareX / 2, item.top};
    else
        return true;
    out = {at.x, at.y, std::min<LONG>(at.x + iconSize.cx, item.right), std::min<LONG>(at.y + iconSize.cy, item.bottom)};
    return true;
}

}  // namespace SkinUI
