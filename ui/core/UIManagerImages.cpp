// CPaintManagerUI: images of the window set and the shared set, the cache of parsed image descriptions
// and the process-wide hue/saturation/lightness adjustment.
#include "UIManager.h"

#include "UIManagerShared.h"
#include "UIRender.h"
#include "UIRenderSurface.h"
#include "base/Log.h"

#include <algorithm>
#include <cstring>

namespace SkinUI {

namespace {

TImageRecord* ImageAt(const CUIStringMap& images, int index) {
    return static_cast<TImageRecord*>(images.Lookup(images.KeyAt(index), false));
}

constexpr int kMinDpiSuffix = 25;
constexpr int kMaxDpiSuffix = 400;

// "dir/a.b@150.png" -> "dir/a.b.png" and 150; false when the file name carries no scale before its
// extension.
bool SplitDpiSuffix(const wchar_t* name, CUIString& plain, int& percent) {
    const wchar_t* fileName = name;
    for (const wchar_t* p = name; *p; ++p)
        if (*p == L'/' || *p == L'\\') fileName = p + 1;
    const wchar_t* dot = wcsrchr(fileName, L'.');
    if (!dot) return false;
    const wchar_t* digits = dot;
    while (digits > fileName && digits[-1] >= L'0' && digits[-1] <= L'9') --digits;
    if (digits == dot || dot - digits > 4 || digits == fileName || digits[-1] != L'@') return false;
    percent = _wtoi(digits);
    if (percent < kMinDpiSuffix || percent > kMaxDpiSuffix) return false;
    const CUIString whole(name);
    plain = whole.Prefix(static_cast<int>(digits - 1 - name)) + whole.Substring(static_cast<int>(dot - name));
    return true;
}

// Where the centre of a destination pixel falls in the source, in pixels with 8 fraction bits, measured
// from the centre of the first source pixel (never before it).
int SourcePosition(int destination, int sourceSize, int destinationSize) {
    const long long centre = (2LL * destination + 1) * sourceSize * 128 / destinationSize;
    return std::max(0, static_cast<int>(centre) - 128);
}

// One channel of a premultiplied pixel (shift 0, 8, 16, 24) interpolated between four neighbours with
// 8-bit weights.
DWORD Blend4(DWORD a, DWORD b, DWORD c, DWORD d, DWORD fx, DWORD fy, int shift) {
    const DWORD top = ((a >> shift) & 0xFF) * (256 - fx) + ((b >> shift) & 0xFF) * fx;
    const DWORD bottom = ((c >> shift) & 0xFF) * (256 - fx) + ((d >> shift) & 0xFF) * fx;
    return ((top * (256 - fy) + bottom * fy + 32768) >> 16) << shift;
}

// A copy of an image scaled by percent with bilinear filtering of its premultiplied pixels, so that a
// skin without pictures for this scale still shows its pictures at the right size.
TImageRecord* ScaleImage(const TImageRecord& source, int percent) {
    if (!source.bitmap || source.width <= 0 || source.height <= 0) return nullptr;
    const int width = std::max(1, MulDiv(source.width, percent, 100));
    const int height = std::max(1, MulDiv(source.height, percent, 100));
    BYTE* bits = nullptr;
    HBITMAP bitmap = CUIRender::CreateARGB32Bitmap(nullptr, width, height, &bits, true);
    if (!bitmap) return nullptr;
    GdiFlush();
    const auto* in = reinterpret_cast<const DWORD*>(source.currentPixels);
    auto* out = reinterpret_cast<DWORD*>(bits);
    for (int y = 0; y < height; ++y) {
        const int sy = SourcePosition(y, source.height, height);
        const int y0 = std::min(sy >> 8, source.height - 1);
        const int y1 = std::min(y0 + 1, source.height - 1);
        const DWORD fy = static_cast<DWORD>(sy & 0xFF);
        for (int x = 0; x < width; ++x) {
            const int sx = SourcePosition(x, source.width, width);
            const int x0 = std::min(sx >> 8, source.width - 1);
            const int x1 = std::min(x0 + 1, source.width - 1);
            const DWORD fx = static_cast<DWORD>(sx & 0xFF);
            const DWORD a = in[y0 * source.width + x0], b = in[y0 * source.width + x1];
            const DWORD c = in[y1 * source.width + x0], d = in[y1 * source.width + x1];
            out[y * width + x] = Blend4(a, b, c, d, fx, fy, 0) | Blend4(a, b, c, d, fx, fy, 8) |
                                 Blend4(a, b, c, d, fx, fy, 16) | Blend4(a, b, c, d, fx, fy, 24);
        }
    }
    RememberTopDownBitmap(bitmap, bits);
    auto* image = new TImageRecord;
    image->bitmap = bitmap;
    image->currentPixels = bits;
    image->width = width;
    image->height = height;
    image->hasAlpha = source.hasAlpha;
    return image;
}

TImageRecord* LoadExactly(const wchar_t* name, const wchar_t* type, DWORD mask, HINSTANCE instance) {
    if (!type || !*type) return CUIRender::LoadImage(name, nullptr, mask, instance);
    // A typed image is a numeric resource id.
    if (name[0] < L'0' || name[0] > L'9') return nullptr;
    return CUIRender::LoadImage(static_cast<UINT>(_wtoi(name)), type, mask, instance);
}

// "101@150" -> "101" and 150: a resource id asked for at a scale. Resources have no copies per scale.
bool SplitResourceDpiSuffix(const wchar_t* name, CUIString& id, int& percent) {
    const wchar_t* at = wcschr(name, L'@');
    if (!at || at == name || at[1] < L'0' || at[1] > L'9') return false;
    for (const wchar_t* p = at + 1; *p; ++p)
        if (*p < L'0' || *p > L'9' || p - at > 3) return false;
    percent = _wtoi(at + 1);
    if (percent < kMinDpiSuffix || percent > kMaxDpiSuffix) return false;
    id = CUIString(name).Prefix(static_cast<int>(at - name));
    return true;
}

TImageRecord* LoadScaled(const CUIString& plain, const wchar_t* type, int percent, DWORD mask, HINSTANCE instance) {
    TImageRecord* original = LoadExactly(plain.Data(), type, mask, instance);
    if (!original) return nullptr;
    TImageRecord* scaled = ScaleImage(*original, percent);
    CUIRender::FreeImage(original);
    if (!scaled) LogPrintW(L"CPaintManagerUI: image \"%ls\" could not be scaled\n", plain.Data());
    return scaled;
}

// Away from 100 % images are asked for under their scaled names ("card@150.png"); a skin that has no
// file of that name gets its plain picture ("card.png") scaled instead. A resource id ("101@150") is
// always its one picture scaled.
TImageRecord* LoadNamed(const wchar_t* name, const wchar_t* type, DWORD mask, HINSTANCE instance) {
    CUIString plain;
    int percent = 0;
    if (type && *type) {
        if (SplitResourceDpiSuffix(name, plain, percent)) return LoadScaled(plain, type, percent, mask, instance);
        return LoadExactly(name, type, mask, instance);
    }
    if (TImageRecord* image = LoadExactly(name, nullptr, mask, instance)) return image;
    if (!SplitDpiSuffix(name, plain, percent)) return nullptr;
    return LoadScaled(plain, nullptr, percent, mask, instance);
}

// With an HSL copy the record keeps the unadjusted pixels, and follows the process-wide adjustment.
void PrepareHsl(TImageRecord& image, bool hslCopy) {
    if (!hslCopy || !image.currentPixels) return;
    const size_t bytes = static_cast<size_t>(image.width) * image.height * 4;
    image.sourcePixels = new BYTE[bytes];
    GdiFlush();
    memcpy(image.sourcePixels, image.currentPixels, bytes);
    image.useHSL = true;
    const SharedResources& shared = Shared();
    if (shared.useHSL) CUIRender::AdjustImage(true, &image, shared.hue, shared.saturation, shared.lightness);
}

void AdjustImages(const CUIStringMap& images) {
    const SharedResources& shared = Shared();
    for (int i = 0; i < images.Count(); ++i)
        CUIRender::AdjustImage(shared.useHSL, ImageAt(images, i), shared.hue, shared.saturation, shared.lightness);
}

}  // namespace

CUIString DrawInfoKey(const wchar_t* image, const wchar_t* modify) {
    CUIString key(image);
    key += L'\x01';
    key += modify;
    return key;
}

void CPaintManagerUI::FreeImageMap(CUIStringMap& images) {
    for (int i = 0; i < images.Count(); ++i) CUIRender::FreeImage(ImageAt(images, i));
    images.RemoveAll();
}

TImageRecord* CPaintManagerUI::AddImage(const wchar_t* name, const wchar_t* type, DWORD mask, bool hslCopy,
                                        bool shared, HINSTANCE instance) {
    if (!name || !*name) return nullptr;
    TImageRecord* image = LoadNamed(name, type, mask, instance);
    if (!image) return nullptr;
    image->resourceType = type;
    image->mask = mask;
    PrepareHsl(*image, hslCopy);
    CUIStringMap& images = TargetSet(shared).images;
    if (auto* old = static_cast<TImageRecord*>(images.Lookup(name))) {
        CUIRender::FreeImage(old);
        images.Remove(name);
    }
    if (!images.Insert(name, image)) {
        CUIRender::FreeImage(image);
        return nullptr;
    }
    return image;
}

TImageRecord* CPaintManagerUI::GetImageRecord(const wchar_t* name) const {
    if (!name) return nullptr;
    auto* image = static_cast<TImageRecord*>(m_resources.images.Lookup(name));
    return image ? image : static_cast<TImageRecord*>(Shared().set.images.Lookup(name));
}

TImageRecord* CPaintManagerUI::GetOrLoadImage(const wchar_t* name, const wchar_t* type, DWORD mask, bool hslCopy,
                                              HINSTANCE instance) {
    TImageRecord* image = GetImageRecord(name);
    return image ? image : AddImage(name, type, mask, hslCopy, false, instance);
}

void CPaintManagerUI::RemoveImage(const wchar_t* name, bool shared) {
    CUIStringMap& images = shared ? Shared().set.images : m_resources.images;
    auto* image = name ? static_cast<TImageRecord*>(images.Lookup(name)) : nullptr;
    if (!image) return;
    CUIRender::FreeImage(image);
    images.Remove(name);
}

void CPaintManagerUI::RemoveAllImages(bool shared) { FreeImageMap(shared ? Shared().set.images : m_resources.images); }

// Loads the image again (after a DPI change) into the existing record; false leaves the record empty
// when its bitmap was already freed.
bool CPaintManagerUI::ReloadImage(TImageRecord& image, const wchar_t* name) {
    TImageRecord* fresh = LoadNamed(name, image.resourceType.Data(), image.mask, nullptr);
    if (!fresh) return false;
    const bool hslCopy = image.useHSL;
    CUIRender::FreeImage(&image, false);
    image.bitmap = fresh->bitmap;
    image.currentPixels = fresh->currentPixels;
    image.width = fresh->width;
    image.height = fresh->height;
    image.hasAlpha = fresh->hasAlpha;
    image.useHSL = false;
    delete fresh;
    PrepareHsl(image, hslCopy);
    return true;
}

void CPaintManagerUI::ReloadImages() {
    RemoveAllDrawInfos();
    CUIStringMap& images = m_resources.images;
    for (int i = images.Count() - 1; i >= 0; --i) {
        CUIString name = images.KeyAt(i);
        TImageRecord* image = ImageAt(images, i);
        if (!image) continue;
        CUIRender::FreeImage(image, false);  // the window's copy goes first
        if (!ReloadImage(*image, name.Data())) {
            delete image;
            images.Remove(name.Data());
        }
    }
    if (m_hWndPaint) InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

void CPaintManagerUI::ReloadSharedImages() {
    CUIStringMap& images = Shared().set.images;
    for (int i = 0; i < images.Count(); ++i) {
        TImageRecord* image = ImageAt(images, i);
        if (image) ReloadImage(*image, images.KeyAt(i));  // a failure keeps the old image
    }
}

const TImageDrawInfo* CPaintManagerUI::GetImageDrawInfo(const wchar_t* image, const wchar_t* modify) {
    if ((!image || !*image) && (!modify || !*modify)) return nullptr;
    const CUIString key = DrawInfoKey(image, modify);
    auto* info = static_cast<TImageDrawInfo*>(m_resources.drawInfos.Lookup(key.Data()));
    if (info) return info;
    info = new TImageDrawInfo;
    info->Parse(image, modify, this);
    m_resources.drawInfos.Insert(key.Data(), info);
    return info;
}

void CPaintManagerUI::RemoveImageDrawInfo(const wchar_t* image, const wchar_t* modify) {
    const CUIString key = DrawInfoKey(image, modify);
    auto* info = static_cast<TImageDrawInfo*>(m_resources.drawInfos.Lookup(key.Data()));
    if (!info) return;
    delete info;
    m_resources.drawInfos.Remove(key.Data());
}

void CPaintManagerUI::FreeDrawInfoMap() {
    CUIStringMap& infos = m_resources.drawInfos;
    for (int i = 0; i < infos.Count(); ++i)
        delete static_cast<TImageDrawInfo*>(infos.Lookup(infos.KeyAt(i), false));
    infos.RemoveAll();
}

void CPaintManagerUI::RemoveAllDrawInfos() { FreeDrawInfoMap(); }

void CPaintManagerUI::SetHSL(bool use, short hue, short saturation, short lightness) {
    SharedResources& shared = Shared();
    if (!shared.useHSL && !use) return;
    hue = std::max<short>(0, std::min<short>(hue, 360));
    saturation = std::max<short>(0, std::min<short>(saturation, 200));
    lightness = std::max<short>(0, std::min<short>(lightness, 200));
    // Switching the adjustment off has to restore the images too.
    const bool changed = shared.useHSL != use || shared.hue != hue || shared.saturation != saturation ||
                         shared.lightness != lightness;
    shared.useHSL = use;
    if (!changed) return;
    shared.hue = hue;
    shared.saturation = saturation;
    shared.lightness = lightness;
    AdjustImages(shared.set.images);
    for (int i = 0; i < shared.managers.Count(); ++i) {
        auto* manager = static_cast<CPaintManagerUI*>(shared.managers[i]);
        AdjustImages(manager->m_resources.images);
        if (manager->m_hWndPaint) InvalidateRect(manager->m_hWndPaint, nullptr, FALSE);
    }
}

bool CPaintManagerUI::GetHSL(short* hue, short* saturation, short* lightness) {
    const SharedResources& shared = Shared();
    if (hue) *hue = shared.hue;
    if (saturation) *saturation = shared.saturation;
    if (lightness) *lightness = shared.lightness;
    return shared.useHSL;
}

}  // namespace SkinUI
