// CPaintManagerUI: default attribute lists, styles, default colours and the DPI re-scaling of resources.
#include "UIManager.h"

#include "UIManagerShared.h"
#include "UIRender.h"

namespace SkinUI {

namespace {

const wchar_t* TextAt(const CUIStringMap& map, const wchar_t* key) {
    auto* text = key ? static_cast<CUIString*>(map.Lookup(key)) : nullptr;
    return text ? text->Data() : nullptr;
}

bool RemoveText(CUIStringMap& map, const wchar_t* key) {
    auto* text = key ? static_cast<CUIString*>(map.Lookup(key)) : nullptr;
    if (!text) return false;
    delete text;
    return map.Remove(key);
}

// Not shared: the window's value. Shared: a window value still equal to the old shared one follows.
void SetDefaultColor(DWORD TResourceSet::*field, TResourceSet& window, DWORD color, bool shared) {
    if (!shared) {
        window.*field = color;
        return;
    }
    TResourceSet& common = Shared().set;
    if (window.*field == common.*field) window.*field = color;
    common.*field = color;
}

}  // namespace

void CPaintManagerUI::FreeTextMap(CUIStringMap& texts) {
    for (int i = 0; i < texts.Count(); ++i) delete static_cast<CUIString*>(texts.Lookup(texts.KeyAt(i), false));
    texts.RemoveAll();
}

// ---- default attribute lists: a new list replaces the old one

void CPaintManagerUI::AddDefaultAttributeList(const wchar_t* className, const wchar_t* list, bool shared) {
    if (!className || !*className) return;
    CUIStringMap& lists = TargetSet(shared).defaultAttributes;
    delete static_cast<CUIString*>(lists.Set(className, new CUIString(list)));
}

const wchar_t* CPaintManagerUI::GetClassDefaultAttributes(const wchar_t* className) const {
    const wchar_t* list = TextAt(m_resources.defaultAttributes, className);
    return list ? list : TextAt(Shared().set.defaultAttributes, className);
}

bool CPaintManagerUI::RemoveDefaultAttributeList(const wchar_t* className, bool shared) {
    return RemoveText(shared ? Shared().set.defaultAttributes : m_resources.defaultAttributes, className);
}

void CPaintManagerUI::RemoveAllDefaultAttributeList(bool shared) {
    FreeTextMap(shared ? Shared().set.defaultAttributes : m_resources.defaultAttributes);
}

// ---- styles: the first definition of a name stays

void CPaintManagerUI::AddStyle(const wchar_t* name, const wchar_t* list, bool shared) {
    if (!name || !*name) return;
    CUIStringMap& styles = TargetSet(shared).styles;
    if (styles.Lookup(name)) return;
    auto* text = new CUIString(list);
    if (!styles.Insert(name, text)) delete text;
}

const wchar_t* CPaintManagerUI::GetStyle(const wchar_t* name) const {
    const wchar_t* style = TextAt(m_resources.styles, name);
    return style ? style : TextAt(Shared().set.styles, name);
}

const CUIStringMap& CPaintManagerUI::GetStyles(bool shared) const {
    return shared ? Shared().set.styles : m_resources.styles;
}

bool CPaintManagerUI::RemoveStyle(const wchar_t* name, bool shared) {
    RemoveText(shared ? Shared().set.styles : m_resources.styles, name);
    return true;
}

void CPaintManagerUI::RemoveAllStyles(bool shared) { FreeTextMap(shared ? Shared().set.styles : m_resources.styles); }

// ---- default colours

void CPaintManagerUI::SetDefaultDisabledColor(DWORD color, bool shared) {
    SetDefaultColor(&TResourceSet::defaultDisabledColor, m_resources, color, shared);
}

void CPaintManagerUI::SetDefaultTextColor(DWORD color, bool shared) {
    SetDefaultColor(&TResourceSet::defaultTextColor, m_resources, color, shared);
}

void CPaintManagerUI::SetDefaultLinkColor(DWORD color, bool shared) {
    SetDefaultColor(&TResourceSet::defaultLinkColor, m_resources, color, shared);
}

void CPaintManagerUI::SetDefaultLinkHoverColor(DWORD color, bool shared) {
    SetDefaultColor(&TResourceSet::defaultLinkHoverColor, m_resources, color, shared);
}

void CPaintManagerUI::SetDefaultSelectedBkColor(DWORD color, bool shared) {
    SetDefaultColor(&TResourceSet::defaultSelectedBkColor, m_resources, color, shared);
}

// ---- DPI change

void CPaintManagerUI::ResetDpiAssets() {
    RemoveAllDrawInfos();
    FreeImageMap(m_resources.images);
    for (int i = 0; i < m_resources.fonts.Count(); ++i) {
        auto* font = static_cast<TFontRecord*>(m_resources.fonts.Lookup(m_resources.fonts.KeyAt(i), false));
        if (font) RebuildFont(*font);
    }
    if (!m_resources.defaultFont.faceName.IsEmpty()) RebuildFont(m_resources.defaultFont);
    for (auto& font : m_inlineFonts) RebuildFont(*font);
    // Shared fonts stay as they are for the other windows; this one makes its copies again on use.
    FreeSharedFontCopies();
}

}  // namespace SkinUI
