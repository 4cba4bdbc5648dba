// CPaintManagerUI: images of the window set and the shared set, the cache of parsed image descriptions
// and the process-wide hue/saturation/lightness adjustment.
#include "UIManager.h"

#include "UIManagerShared.h"
#include "UIRender.h"

#include <algorithm>
#include <cstring>

namespace SkinUI {

namespace {

TImageRecord* ImageAt(const CUIStringMap& images, int index) {
    return static_cast<TImageRecord*>(images.Lookup(images.KeyAt(index), false));
}

TImageRecord* LoadNamed(const wchar_t* name, const wchar_t* type, DWORD mask, HINSTANCE instance) {
    if (!type || !*type) return CUIRender::LoadImage(name, nullptr, mask, instance);
    // A typed image is a numeric resource id.
    if (name[0] < L'0' || name[0] > L'9') return nullptr;
    return CUIRender::LoadImage(static_cast<UINT>(_wtoi(name)), type, mask, instance);
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
