#pragma once
// CTextResource: the process-wide language texts and resource-name tables. Every visible text is written
// as a key "${name}" and resolved here against the current language pack (up to three packs, each from
// an XML language file), then against the application's fallback, else shown as the key itself.
// It also holds the resource index: image ids and layout ids mapped to their paths.
#include "UIMarkup.h"
#include "UIString.h"
#include "UIStringMap.h"

#include <windows.h>

namespace SkinUI {

// The application's text fallback: answers a text for a key (and type), or null.
class IQueryControlText {
public:
    virtual ~IQueryControlText() = default;
    virtual const wchar_t* QueryControlText(const wchar_t* key, int type) = 0;
};

class CTextResource {
public:
    enum { kMaxPacks = 3 };

    // Created on first use; Release destroys it (shutdown) and a later call creates a new one.
    static CTextResource* GetInstance();
    static void Release();

    // source: XML text (first character "<") or a file name read through the markup reader.
    bool LoadLanguage(const wchar_t* source, const wchar_t* packName);
    // Names compare ignoring case; the last match wins; an unknown name changes nothing.
    void SelectLanguage(const wchar_t* packName);
    CUIString GetLanguage() const;
    int GetPackCount() const { return m_packCount; }

    // "${key}" texts from the current pack, then the fallback, else the key itself; "{\n}" becomes a
    // line feed. Texts without the "${" prefix come back unchanged.
    CUIString GetText(const wchar_t* key, int type = 0);

    // source: XML text, a file name, or a Win32 resource id (below 0x10000) of the given type in the
    // resource module.
    bool LoadResourceTable(const wchar_t* source, const wchar_t* resourceType = nullptr);
    const wchar_t* GetImagePath(const wchar_t* id);
    const wchar_t* GetLayoutPath(const wchar_t* id);

    void SetTextQuery(IQueryControlText* query) { m_textQuery = query; }
    IQueryControlText* GetTextQuery() const { return m_textQuery; }

private:
    CTextResource();
    ~CTextResource();
    CTextResource(const CTextResource&) = delete;
    CTextResource& operator=(const CTextResource&) = delete;

    bool LoadMarkup(CUIMarkup& markup, const wchar_t* source, const wchar_t* resourceType);
    void ReadPack(CUIMarkupNode root, CUIStringMap& texts);
    void OfferKeysToQuery(CUIStringMap& texts);
    void ReadResourceEntries(CUIMarkupNode parent);
    static void FreeTexts(CUIStringMap& map);

    int m_currentPack = 0;
    int m_packCount = 0;
    CUIString m_packNames[kMaxPacks];
    CUIStringMap m_packTexts[kMaxPacks];
    IQueryControlText* m_textQuery = nullptr;
    CUIStringMap m_imagePaths;
    CUIStringMap m_layoutPaths;
    CUIMarkup m_markup;
};

}  // namespace SkinUI
