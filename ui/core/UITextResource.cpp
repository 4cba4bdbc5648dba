#include "UITextResource.h"

#include "UIResourceSettings.h"

#include "base/Log.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>

namespace SkinUI {

namespace {

constexpr wchar_t kKeyPrefix[] = L"${";
constexpr wchar_t kLineBreakMark[] = L"{\\n}";

std::atomic<CTextResource*> gInstance{nullptr};
std::mutex gInstanceMutex;

bool IsXmlText(const wchar_t* source) { return source && source[0] == L'<'; }

bool IsResourceId(const wchar_t* source) { return reinterpret_cast<uintptr_t>(source) < 0x10000; }

}  // namespace

CTextResource* CTextResource::GetInstance() {
    CTextResource* instance = gInstance.load(std::memory_order_acquire);
    if (instance) return instance;
    std::lock_guard<std::mutex> lock(gInstanceMutex);
    instance = gInstance.load(std::memory_order_relaxed);
    if (!instance) {
        instance = new CTextResource();
        gInstance.store(instance, std::memory_order_release);
    }
    return instance;
}

void CTextResource::Release() {
    std::lock_guard<std::mutex> lock(gInstanceMutex);
    delete gInstance.exchange(nullptr);
}

CTextResource::CTextResource() = default;

CTextResource::~CTextResource() {
    for (CUIStringMap& texts : m_packTexts) FreeTexts(texts);
    FreeTexts(m_imagePaths);
    FreeTexts(m_layoutPaths);
}

void CTextResource::FreeTexts(CUIStringMap& map) {
    for (int i = 0; const wchar_t* key = map.KeyAt(i); ++i) delete static_cast<CUIString*>(map.Lookup(key, false));
    map.RemoveAll();
}

bool CTextResource::LoadMarkup(CUIMarkup& markup, const wchar_t* source, const wchar_t* resourceType) {
    if (IsResourceId(source)) {
        if (!source) return false;
        HINSTANCE module = CUIResourceSettings::GetResourceModule();
        HRSRC found = FindResourceW(module, source, resourceType);
        HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        if (!bytes) return false;
        return markup.LoadFromMem(static_cast<const BYTE*>(bytes), SizeofResource(module, found));
    }
    return IsXmlText(source) ? markup.Load(source) : markup.LoadFromFile(source);
}

bool CTextResource::LoadLanguage(const wchar_t* source, const wchar_t* packName) {
    if (m_packCount >= kMaxPacks) {
        LogPrintW(L"CTextResource::LoadLanguage: no room for pack %ls\n", packName ? packName : L"");
        return false;
    }
    CUIMarkup markup;
    if (!source || !LoadMarkup(markup, source, nullptr) || !markup.GetRoot().IsValid()) {
        LogPrintW(L"CTextResource::LoadLanguage: %ls: %ls\n", IsXmlText(source) || IsResourceId(source) ? L"(text)" : source,
                  markup.GetLastErrorMessage());
        return false;
    }
    int pack = m_packCount++;
    m_currentPack = pack;
    m_packNames[pack] = packName;
    ReadPack(markup.GetRoot(), m_packTexts[pack]);
    markup.Release();
    OfferKeysToQuery(m_packTexts[pack]);
    return true;
}

void CTextResource::ReadPack(CUIMarkupNode root, CUIStringMap& texts) {
    for (CUIMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        if (!EqualsIgnoreCase(node.GetName(), L"Text")) continue;
        if (!node.HasAttribute(L"id") || !node.HasAttribute(L"value")) continue;
        const wchar_t* id = node.GetAttributeValue(L"id");
        const wchar_t* value = node.GetAttributeValue(L"value");
        if (auto* text = static_cast<CUIString*>(texts.Lookup(id))) {
            *text = value;
        } else if (auto* fresh = new (std::nothrow) CUIString(value)) {
            if (!texts.Insert(id, fresh)) delete fresh;
        }
    }
}

void CTextResource::OfferKeysToQuery(CUIStringMap& texts) {
    if (!m_textQuery) return;
    // Without move-to-front, so the walk by position sees every key once.
    for (int i = 0; const wchar_t* key = texts.KeyAt(i); ++i) {
        if (const wchar_t* answer = m_textQuery->QueryControlText(key, 0)) {
            *static_cast<CUIString*>(texts.Lookup(key, false)) = answer;
        }
    }
}

void CTextResource::SelectLanguage(const wchar_t* packName) {
    for (int i = 0; i < m_packCount; ++i) {
        if (m_packNames[i].CompareIgnoreCase(packName) == 0) m_currentPack = i;
    }
}

CUIString CTextResource::GetLanguage() const { return m_packCount ? m_packNames[m_currentPack] : CUIString(); }

CUIString CTextResource::GetText(const wchar_t* key, int type) {
    if (!key || !*key) return CUIString();
    if (wcsncmp(key, kKeyPrefix, 2) != 0) return CUIString(key);

    CUIString result;
    const auto* found = m_packCount ? static_cast<CUIString*>(m_packTexts[m_currentPack].Lookup(key)) : nullptr;
    if (found) {
        result = *found;
    } else if (const wchar_t* answer = m_textQuery ? m_textQuery->QueryControlText(key, type) : nullptr) {
        result = answer;
    } else {
        result = key;
    }
    result.ReplaceAll(kLineBreakMark, L"\n");
    return result;
}

bool CTextResource::LoadResourceTable(const wchar_t* source, const wchar_t* resourceType) {
    if (!LoadMarkup(m_markup, source, resourceType)) {
        LogPrintW(L"CTextResource::LoadResourceTable: %ls\n", m_markup.GetLastErrorMessage());
        return false;
    }
    ReadResourceEntries(m_markup.GetRoot());
    m_markup.Release();
    return true;
}

void CTextResource::ReadResourceEntries(CUIMarkupNode parent) {
    for (CUIMarkupNode node = parent.GetChild(); node.IsValid(); node = node.GetSibling()) {
        if (node.HasChildren()) {
            ReadResourceEntries(node);  // groups may nest; the markup reader bounds the depth
            continue;
        }
        bool image = EqualsIgnoreCase(node.GetName(), L"Image");
        if (!image && !EqualsIgnoreCase(node.GetName(), L"Xml")) continue;
        if (!node.HasAttribute(L"id") || !node.HasAttribute(L"path")) continue;
        CUIStringMap& table = image ? m_imagePaths : m_layoutPaths;
        const wchar_t* id = node.GetAttributeValue(L"id");
        if (table.Lookup(id)) continue;  // the first registration wins
        auto* path = new (std::nothrow) CUIString(node.GetAttributeValue(L"path"));
        if (path && !table.Insert(id, path)) delete path;
    }
}

const wchar_t* CTextResource::GetImagePath(const wchar_t* id) {
    auto* path = static_cast<CUIString*>(m_imagePaths.Lookup(id));
    return path ? path->Data() : nullptr;
}

const wchar_t* CTextResource::GetLayoutPath(const wchar_t* id) {
    auto* path = static_cast<CUIString*>(m_layoutPaths.Lookup(id));
    return path ? path->Data() : nullptr;
}

}  // namespace SkinUI
