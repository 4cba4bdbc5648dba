#include "UIMarkup.h"

#include "UIResourceSettings.h"
#include "UIString.h"

#include <climits>
#include <cstdlib>
#include <cwchar>
#include <vector>

// In-place layout after parsing, for one element:
//   - its name is moved one unit left, over its "<", and terminated where its last letter was;
//   - each attribute becomes  name NUL  blanks  '"' value NUL  blanks  (the opening quote stays as the
//     marker of the value, "=" and the closing quote turn into the terminator or blanks);
//   - its data text is moved one unit left, over the ">" of the start tag, and terminated; an empty
//     element's data is the terminator written over its "/".
// So the attributes of an element lie between the end of its name and its data offset, and decoding
// never has to write over the "<" of the next tag.

namespace SkinUI {

namespace {

constexpr ULONG kFirstCapacity = 500;

struct Entity {
    const wchar_t* text;
    int length;
    wchar_t ch;
};

constexpr Entity kEntities[] = {
    {L"&amp;", 5, L'&'}, {L"&apos;", 6, L'\''}, {L"&lt;", 4, L'<'}, {L"&gt;", 4, L'>'}, {L"&quot;", 6, L'"'},
};

bool IsBlank(wchar_t ch) { return ch != 0 && ch <= L' '; }

void SkipWhitespace(wchar_t*& p) {
    while (IsBlank(*p)) ++p;
}

void SkipWhitespace(const wchar_t* text, ULONG& pos, ULONG end) {
    while (pos < end && IsBlank(text[pos])) ++pos;
}

// Leaves p behind the first occurrence of terminator, or on the end of the text.
void SkipPast(wchar_t*& p, const wchar_t* terminator) {
    const wchar_t* found = wcsstr(p, terminator);
    p = found ? const_cast<wchar_t*>(found) + wcslen(terminator) : p + wcslen(p);
}

void CopyCut(wchar_t* out, int size, const wchar_t* text) {
    if (!out || size <= 0) return;
    int i = 0;
    for (; text && text[i] && i < size - 1; ++i) out[i] = text[i];
    out[i] = 0;
}

void FillBlanks(wchar_t* from, wchar_t* to) {
    for (wchar_t* p = from; p < to; ++p) *p = L' ';
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// CUIMarkup

CUIMarkup::CUIMarkup(const wchar_t* xml) {
    if (xml) Load(xml);
}

CUIMarkup::~CUIMarkup() { Release(); }

void CUIMarkup::Release() {
    free(m_text);
    free(m_elements);
    m_text = nullptr;
    m_elements = nullptr;
    m_elementCount = 0;
    m_elementCapacity = 0;
}

void CUIMarkup::SetError(const wchar_t* message, const wchar_t* location) {
    CopyCut(m_errorText, kErrorUnits, message);
    CopyCut(m_errorLocation, kLocationUnits, location);
}

bool CUIMarkup::Fail(const wchar_t* message, const wchar_t* location) {
    SetError(message, location);
    Release();
    return false;
}

void CUIMarkup::GetLastErrorMessage(wchar_t* buffer, int size) const { CopyCut(buffer, size, m_errorText); }

void CUIMarkup::GetLastErrorLocation(wchar_t* buffer, int size) const { CopyCut(buffer, size, m_errorLocation); }

bool CUIMarkup::Load(const wchar_t* xml) {
    Release();
    if (!xml) xml = L"";
    size_t length = wcslen(xml);
    auto* text = static_cast<wchar_t*>(malloc((length + 1) * sizeof(wchar_t)));
    if (!text) return Fail(L"Out of memory", L"");
    wmemcpy(text, xml, length + 1);
    return LoadOwnedText(text);
}

bool CUIMarkup::LoadOwnedText(wchar_t* text) {
    m_text = text;
    return Parse();
}

bool CUIMarkup::LoadFromMem(const BYTE* bytes, DWORD size, int encoding) {
    Release();
    if (!bytes) size = 0;
    if (size > static_cast<DWORD>(INT_MAX) - 2) return Fail(L"File too large", L"");

    wchar_t* text = nullptr;
    if (encoding == kEncodingUtf16) {
        bool littleEndian = size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
        bool bigEndian = size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF;
        if (!littleEndian && !bigEndian) return Fail(L"UTF-16 text without byte-order mark", L"");
        DWORD units = (size - 2) / 2;  // a trailing odd byte is not a unit
        text = static_cast<wchar_t*>(malloc((static_cast<size_t>(units) + 1) * sizeof(wchar_t)));
        if (!text) return Fail(L"Out of memory", L"");
        const BYTE* source = bytes + 2;
        for (DWORD i = 0; i < units; ++i) {
            BYTE first = source[2 * i];
            BYTE second = source[2 * i + 1];
            text[i] = littleEndian ? static_cast<wchar_t>(first | (second << 8))
                                   : static_cast<wchar_t>((first << 8) | second);
        }
        text[units] = 0;
    } else {
        UINT codePage = encoding == kEncodingAnsi ? CP_ACP : CP_UTF8;
        if (codePage == CP_UTF8 && size > 2 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
            bytes += 3;
            size -= 3;
        }
        auto source = reinterpret_cast<const char*>(bytes);
        int units = size ? MultiByteToWideChar(codePage, 0, source, static_cast<int>(size), nullptr, 0) : 0;
        if (size && units <= 0) return Fail(L"Could not convert the text", L"");
        text = static_cast<wchar_t*>(malloc((static_cast<size_t>(units) + 1) * sizeof(wchar_t)));
        if (!text) return Fail(L"Out of memory", L"");
        if (units) MultiByteToWideChar(codePage, 0, source, static_cast<int>(size), text, units);
        text[units] = 0;
    }
    return LoadOwnedText(text);
}

bool CUIMarkup::LoadFromFile(const wchar_t* name, int encoding) {
    Release();
    if (!name || !*name) return Fail(L"Error opening file", L"");

    if (!CUIResourceSettings::GetArchiveName().IsEmpty()) {
        std::vector<BYTE> bytes;
        switch (CUIResourceSettings::ReadArchiveEntry(name, kMaxFileSize, bytes)) {
        case ArchiveReadResult::Ok:
            return LoadFromMem(bytes.data(), static_cast<DWORD>(bytes.size()), encoding);
        case ArchiveReadResult::NotFound:
            return Fail(L"Could not find ziped file", name);
        case ArchiveReadResult::Empty:
            return Fail(L"File is empty", name);
        case ArchiveReadResult::TooLarge:
            return Fail(L"File too large", name);
        case ArchiveReadResult::UnzipFailed:
            return Fail(L"Could not unzip file", name);
        default:
            return Fail(L"Error opening zip file", CUIResourceSettings::GetArchiveName().Data());
        }
    }

    CUIString path = CUIResourceSettings::GetResourceFolder() + name;
    HANDLE file = CreateFileW(path.Data(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail(L"Error opening file", path.Data());
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    if (size == 0 && high == 0) {
        CloseHandle(file);
        return Fail(L"File is empty", path.Data());
    }
    if (high != 0 || size > kMaxFileSize) {
        CloseHandle(file);
        return Fail(L"File too large", path.Data());
    }
    std::vector<BYTE> bytes(size);
    DWORD read = 0;
    BOOL ok = ReadFile(file, bytes.data(), size, &read, nullptr);
    CloseHandle(file);
    if (!ok || read != size) return Fail(L"Could not read file", path.Data());
    return LoadFromMem(bytes.data(), size, encoding);
}

CUIMarkupNode CUIMarkup::GetRoot() {
    if (!m_elements || m_elementCount < 2) return CUIMarkupNode();
    return CUIMarkupNode(this, 1);
}

ULONG CUIMarkup::AddElement(ULONG name, ULONG parent) {
    if (m_elementCount >= m_elementCapacity) {
        ULONG capacity = m_elementCapacity / 2 + m_elementCapacity + kFirstCapacity;
        auto* grown = static_cast<Element*>(realloc(m_elements, static_cast<size_t>(capacity) * sizeof(Element)));
        if (!grown) return 0;
        m_elements = grown;
        m_elementCapacity = capacity;
    }
    ULONG index = m_elementCount++;
    m_elements[index] = Element{name, 0, 0, parent, 0};
    return index;
}

bool CUIMarkup::Parse() {
    m_errorText[0] = 0;
    m_errorLocation[0] = 0;
    m_elementCount = 0;
    AddElement(0, 0);  // record 0: the dummy parent of the root
    if (!m_text || !m_elements) return Fail(L"Out of memory", L"");
    wchar_t* p = m_text;
    return ParseLevel(p, 0, 0);
}

bool CUIMarkup::ParseLevel(wchar_t*& p, ULONG parent, int depth) {
    if (depth >= kMaxDepth) return Fail(L"Elements nested too deeply", p);
    ULONG previous = 0;
    for (;;) {
        SkipWhitespace(p);
        // Only the root may lack its end tag.
        if (*p == 0) return parent <= 1 ? true : Fail(L"Expected start tag", p);
        if (*p != L'<') return Fail(L"Expected start tag", p);
        if (p[1] == L'/') return parent != 0 ? true : Fail(L"Unmatched closing tag", p);
        if (p[1] == L'!') {
            bool comment = p[2] == L'-' && p[3] == L'-';
            p += comment ? 4 : 2;
            SkipPast(p, comment ? L"-->" : L"->");
            continue;
        }
        if (p[1] == L'?') {
            p += 2;
            SkipPast(p, L"?>");
            continue;
        }
        ULONG element = AddElement(static_cast<ULONG>(p - m_text), parent);
        if (element == 0) return Fail(L"Out of memory", p);
        if (previous) {
            m_elements[previous].sibling = element;
        } else {
            m_elements[parent].child = element;
        }
        previous = element;
        if (!ParseElement(p, element, depth)) return false;
    }
}

bool CUIMarkup::ParseElement(wchar_t*& p, ULONG element, int depth) {
    wchar_t* lessThan = p;
    wchar_t* name = p + 1;
    wchar_t* q = name;
    while (*q > L' ' && *q != L'/' && *q != L'>') ++q;
    if (q == name) return Fail(L"Error parsing element name", name);
    size_t nameLength = static_cast<size_t>(q - name);
    wmemmove(lessThan, name, nameLength);
    lessThan[nameLength] = 0;
    p = q;

    if (!ParseAttributes(p)) return false;
    if (*p == L'/') {
        if (p[1] != L'>') return Fail(L"Expected start-tag closing", p);
        m_elements[element].data = static_cast<ULONG>(p - m_text);
        *p = 0;
        p += 2;
        return true;
    }
    if (*p != L'>') return Fail(L"Expected start-tag closing", p);

    wchar_t* data = p++;
    m_elements[element].data = static_cast<ULONG>(data - m_text);
    wchar_t* end = DecodeText(p, data, L'<');
    *end = 0;
    FillBlanks(end + 1, p);
    if (*p == 0) return element == 1 ? true : Fail(L"Expected end-tag start", p);
    if (*p != L'<') return Fail(L"Expected end-tag start", p);
    if (p[1] != L'/') {
        if (!ParseLevel(p, element, depth + 1)) return false;
        if (*p == 0) return true;  // the root's end tag is missing: accepted
    }
    return ParseCloseTag(p, element);
}

bool CUIMarkup::ParseAttributes(wchar_t*& p) {
    for (;;) {
        SkipWhitespace(p);
        if (*p == 0 || *p == L'/' || *p == L'>') return true;
        wchar_t* name = p;
        while (*p > L' ' && *p != L'=') ++p;
        wchar_t stop = *p;
        if (p == name || stop == 0) return Fail(L"Error while parsing attributes", name);
        *p++ = 0;
        if (stop != L'=') {
            SkipWhitespace(p);
            if (*p != L'=') return Fail(L"Error while parsing attributes", p);
            *p++ = L' ';
        }
        SkipWhitespace(p);
        if (*p != L'"') return Fail(L"Expected attribute value", p);
        wchar_t* value = ++p;  // the opening quote stays: it marks the value for the attribute walk
        wchar_t* end = DecodeText(p, value, L'"');
        if (*p != L'"') return Fail(L"Error while parsing attribute string", value);
        *end = 0;
        FillBlanks(end + 1, p + 1);
        ++p;
    }
}

bool CUIMarkup::ParseCloseTag(wchar_t*& p, ULONG element) {
    wchar_t* at = p;
    p += 2;
    const wchar_t* name = m_text + m_elements[element].name;
    size_t length = wcslen(name);
    if (wcsncmp(p, name, length) != 0) return Fail(L"Unmatched closing tag", at);
    p += length;
    SkipWhitespace(p);
    if (*p != L'>') return Fail(L"Unmatched closing tag", at);
    ++p;
    return true;
}

wchar_t* CUIMarkup::DecodeText(wchar_t*& p, wchar_t* dest, wchar_t end) {
    while (*p && *p != end) {
        if (*p == L'&') {
            const Entity* match = nullptr;
            for (const Entity& entity : kEntities) {
                if (wcsncmp(p, entity.text, static_cast<size_t>(entity.length)) == 0) {
                    match = &entity;
                    break;
                }
            }
            if (match) {
                *dest++ = match->ch;
                p += match->length;
            } else {
                *dest++ = *p++;  // not an entity: the "&" stays
            }
        } else if (*p == L' ') {
            *dest++ = *p++;
            if (!m_preserveWhitespace) SkipWhitespace(p);
        } else {
            *dest++ = *p++;
        }
    }
    return dest;
}

// ---------------------------------------------------------------------------------------------------
// CUIMarkupNode

CUIMarkupNode::CUIMarkupNode(CUIMarkup* owner, int element) : m_element(element), m_owner(owner) {
    if (!owner || !owner->m_elements || element <= 0 || static_cast<ULONG>(element) >= owner->m_elementCount) {
        m_owner = nullptr;
        m_element = 0;
    }
}

const wchar_t* CUIMarkupNode::TextAt(ULONG offset) const { return m_owner->m_text + offset; }

CUIMarkupNode CUIMarkupNode::GetParent() const {
    if (!m_owner) return CUIMarkupNode();
    return CUIMarkupNode(m_owner, static_cast<int>(m_owner->m_elements[m_element].parent));
}

CUIMarkupNode CUIMarkupNode::GetSibling() const {
    if (!m_owner) return CUIMarkupNode();
    return CUIMarkupNode(m_owner, static_cast<int>(m_owner->m_elements[m_element].sibling));
}

CUIMarkupNode CUIMarkupNode::GetChild() const {
    if (!m_owner) return CUIMarkupNode();
    return CUIMarkupNode(m_owner, static_cast<int>(m_owner->m_elements[m_element].child));
}

CUIMarkupNode CUIMarkupNode::GetChild(const wchar_t* name) const {
    for (CUIMarkupNode child = GetChild(); child.IsValid(); child = child.GetSibling()) {
        if (EqualsIgnoreCase(child.GetName(), name)) return child;
    }
    return CUIMarkupNode();
}

bool CUIMarkupNode::HasChildren() const { return m_owner && m_owner->m_elements[m_element].child != 0; }

const wchar_t* CUIMarkupNode::GetName() const {
    return m_owner ? TextAt(m_owner->m_elements[m_element].name) : L"";
}

const wchar_t* CUIMarkupNode::GetValue() const {
    return m_owner ? TextAt(m_owner->m_elements[m_element].data) : L"";
}

void CUIMarkupNode::MapAttributes() {
    m_attributeCount = 0;
    if (!m_owner) return;
    const CUIMarkup::Element& element = m_owner->m_elements[m_element];
    const wchar_t* text = m_owner->m_text;
    ULONG pos = element.name + static_cast<ULONG>(wcslen(text + element.name)) + 1;
    ULONG end = element.data;
    while (pos < end && m_attributeCount < kMaxAttributes) {
        SkipWhitespace(text, pos, end);
        if (pos >= end || text[pos] == 0) break;
        ULONG name = pos;
        pos += static_cast<ULONG>(wcslen(text + pos)) + 1;
        SkipWhitespace(text, pos, end);
        if (pos >= end || text[pos] != L'"') break;
        ULONG value = ++pos;
        pos += static_cast<ULONG>(wcslen(text + pos)) + 1;
        m_attributes[m_attributeCount++] = Attribute{name, value};
    }
}

int CUIMarkupNode::FindAttribute(const wchar_t* name) {
    if (!m_owner || !name) return -1;
    if (m_attributeCount == 0) MapAttributes();
    for (int i = 0; i < m_attributeCount; ++i) {
        if (EqualsIgnoreCase(TextAt(m_attributes[i].name), name)) return i;
    }
    return -1;
}

bool CUIMarkupNode::HasAttributes() { return GetAttributeCount() > 0; }

bool CUIMarkupNode::HasAttribute(const wchar_t* name) { return FindAttribute(name) >= 0; }

int CUIMarkupNode::GetAttributeCount() {
    if (!m_owner) return 0;
    if (m_attributeCount == 0) MapAttributes();
    return m_attributeCount;
}

const wchar_t* CUIMarkupNode::GetAttributeName(int index) {
    if (index < 0 || index >= GetAttributeCount()) return L"";
    return TextAt(m_attributes[index].name);
}

const wchar_t* CUIMarkupNode::GetAttributeValue(int index) {
    if (index < 0 || index >= GetAttributeCount()) return L"";
    return TextAt(m_attributes[index].value);
}

const wchar_t* CUIMarkupNode::GetAttributeValue(const wchar_t* name) {
    int index = FindAttribute(name);
    return index < 0 ? L"" : TextAt(m_attributes[index].value);
}

bool CUIMarkupNode::GetAttributeValue(int index, wchar_t* buffer, int size) {
    if (index < 0 || index >= GetAttributeCount()) return false;
    CopyCut(buffer, size, TextAt(m_attributes[index].value));
    return true;
}

bool CUIMarkupNode::GetAttributeValue(const wchar_t* name, wchar_t* buffer, int size) {
    int index = FindAttribute(name);
    if (index < 0) return false;
    CopyCut(buffer, size, TextAt(m_attributes[index].value));
    return true;
}

}  // namespace SkinUI
