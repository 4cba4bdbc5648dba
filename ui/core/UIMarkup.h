#pragma once
// CUIMarkup: a minimal XML reader for layouts, language files and the resource index. The document is
// read into one UTF-16 buffer and parsed in place: names and values are terminated where they stand and a
// flat table of element records points into the text. No DTD, no namespaces, attribute values only in
// double quotes, the five predefined entities.
// CUIMarkupNode is a light handle on one element; it maps the element's attributes on first use.
#include <windows.h>

namespace SkinUI {

class CUIMarkup;

class CUIMarkupNode {
public:
    enum { kMaxAttributes = 64 };

    CUIMarkupNode() = default;
    CUIMarkupNode(CUIMarkup* owner, int element);

    bool IsValid() const { return m_owner != nullptr; }
    CUIMarkupNode GetParent() const;
    CUIMarkupNode GetSibling() const;
    CUIMarkupNode GetChild() const;
    CUIMarkupNode GetChild(const wchar_t* name) const;  // first child of that name, ignoring case
    bool HasChildren() const;

    const wchar_t* GetName() const;
    const wchar_t* GetValue() const;  // the element's data text, up to its first child or end tag

    // Attribute names compare ignoring letter case. At most 64 attributes are seen.
    bool HasAttributes();
    bool HasAttribute(const wchar_t* name);
    int GetAttributeCount();
    const wchar_t* GetAttributeName(int index);
    const wchar_t* GetAttributeValue(int index);         // "" out of range
    const wchar_t* GetAttributeValue(const wchar_t* name);  // "" when absent
    bool GetAttributeValue(int index, wchar_t* buffer, int size);
    bool GetAttributeValue(const wchar_t* name, wchar_t* buffer, int size);

private:
    struct Attribute {
        ULONG name;
        ULONG value;
    };

    void MapAttributes();
    int FindAttribute(const wchar_t* name);
    const wchar_t* TextAt(ULONG offset) const;

    int m_element = 0;
    int m_attributeCount = 0;
    Attribute m_attributes[kMaxAttributes];
    CUIMarkup* m_owner = nullptr;
};

class CUIMarkup {
    friend class CUIMarkupNode;

public:
    enum Encoding { kEncodingUtf8 = 0, kEncodingUtf16 = 1, kEncodingAnsi = 2 };
    enum {
        kMaxFileSize = 0x400000,  // 4 MiB
        kMaxDepth = 256,          // deeper nesting is refused
        kErrorUnits = 100,
        kLocationUnits = 50
    };

    explicit CUIMarkup(const wchar_t* xml = nullptr);
    ~CUIMarkup();
    CUIMarkup(const CUIMarkup&) = delete;
    CUIMarkup& operator=(const CUIMarkup&) = delete;

    bool Load(const wchar_t* xml);
    // UTF-8 (a leading byte-order mark is skipped), the ANSI code page, or UTF-16 with a byte-order mark.
    bool LoadFromMem(const BYTE* bytes, DWORD size, int encoding = kEncodingUtf8);
    // From the resource archive when one is set, else from the resource folder.
    bool LoadFromFile(const wchar_t* name, int encoding = kEncodingUtf8);
    void Release();
    bool IsValid() const { return m_elements != nullptr; }

    void SetPreserveWhitespace(bool preserve) { m_preserveWhitespace = preserve; }
    void GetLastErrorMessage(wchar_t* buffer, int size) const;
    void GetLastErrorLocation(wchar_t* buffer, int size) const;
    const wchar_t* GetLastErrorMessage() const { return m_errorText; }
    const wchar_t* GetLastErrorLocation() const { return m_errorLocation; }

    CUIMarkupNode GetRoot();

private:
    struct Element {
        ULONG name;     // offset of the element name in the text
        ULONG child;    // first child, 0 for none
        ULONG sibling;  // next sibling, 0 for none
        ULONG parent;
        ULONG data;     // offset of the data text
    };

    bool Parse();
    bool ParseLevel(wchar_t*& p, ULONG parent, int depth);
    bool ParseElement(wchar_t*& p, ULONG element, int depth);
    bool ParseAttributes(wchar_t*& p);
    bool ParseCloseTag(wchar_t*& p, ULONG element);
    // Decodes entities of the text up to the end unit, copying left; returns where the decoded text
    // ends (its terminator goes there) and leaves p on the end unit or the terminator of the document.
    wchar_t* DecodeText(wchar_t*& p, wchar_t* dest, wchar_t end);
    ULONG AddElement(ULONG name, ULONG parent);
    bool Fail(const wchar_t* message, const wchar_t* location);
    void SetError(const wchar_t* message, const wchar_t* location);
    bool LoadOwnedText(wchar_t* text);

    wchar_t* m_text = nullptr;
    Element* m_elements = nullptr;
    ULONG m_elementCount = 0;
    ULONG m_elementCapacity = 0;
    bool m_preserveWhitespace = true;
    wchar_t m_errorText[kErrorUnits] = {};
    wchar_t m_errorLocation[kLocationUnits] = {};
};

}  // namespace SkinUI
