#include "UIString.h"

#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <utility>

namespace SkinUI {

namespace {

const wchar_t* OrEmpty(const wchar_t* text) { return text ? text : L""; }

// Length of at most n units of text (n < 0: the whole text); never reads past the terminator.
int BoundedLength(const wchar_t* text, int n) {
    if (n < 0) return static_cast<int>(wcslen(text));
    return static_cast<int>(wcsnlen(text, static_cast<size_t>(n)));
}

wchar_t* AllocUnits(int length) {
    return static_cast<wchar_t*>(malloc((static_cast<size_t>(length) + 1) * sizeof(wchar_t)));
}

// Lower-cases one unit: ASCII directly, everything else through the system's case tables.
wchar_t FoldCase(wchar_t ch) {
    if (ch < 0x80) return (ch >= L'A' && ch <= L'Z') ? static_cast<wchar_t>(ch + 32) : ch;
    return static_cast<wchar_t>(reinterpret_cast<uintptr_t>(CharLowerW(reinterpret_cast<LPWSTR>(ch))));
}

}  // namespace

int CompareIgnoreCase(const wchar_t* a, const wchar_t* b) {
    a = OrEmpty(a);
    b = OrEmpty(b);
    for (;; ++a, ++b) {
        wchar_t ca = FoldCase(*a);
        wchar_t cb = FoldCase(*b);
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
}

bool EqualsIgnoreCase(const wchar_t* a, const wchar_t* b) { return CompareIgnoreCase(a, b) == 0; }

std::string WideToNarrow(const wchar_t* text, unsigned codePage) {
    if (!text) return std::string();
    int n = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return std::string();
    std::string narrow(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text, -1, &narrow[0], n, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(n) - 1);
    return narrow;
}

CUIString::CUIString() { SetEmpty(); }

CUIString::CUIString(const CUIString& other) {
    SetEmpty();
    Assign(other.m_data);
}

CUIString::CUIString(CUIString&& other) noexcept {
    SetEmpty();
    *this = std::move(other);
}

CUIString::CUIString(const wchar_t* text, int length) {
    SetEmpty();
    Assign(text, length);
}

CUIString::CUIString(wchar_t ch) {
    m_data = m_buffer;
    m_buffer[0] = ch;
    m_buffer[1] = 0;
}

CUIString::CUIString(const char* narrow) {
    SetEmpty();
    AppendNarrow(narrow);
}

CUIString::~CUIString() {
    if (!IsInline()) free(m_data);
}

void CUIString::SetEmpty() {
    m_data = m_buffer;
    m_buffer[0] = 0;
}

bool CUIString::Overlaps(const wchar_t* text) const {
    auto p = reinterpret_cast<uintptr_t>(text);
    auto begin = reinterpret_cast<uintptr_t>(m_data);
    auto end = reinterpret_cast<uintptr_t>(m_data + Length());
    return p >= begin && p <= end;
}

void CUIString::Assign(const wchar_t* text, int n) {
    text = OrEmpty(text);
    if (Overlaps(text)) {  // a part of this string: copy it out before the storage changes
        CUIString copy(text, n);
        *this = std::move(copy);
        return;
    }
    int length = BoundedLength(text, n);
    if (length <= kMaxInlineLength) {
        if (!IsInline()) free(m_data);
        m_data = m_buffer;
    } else if (IsInline() || length > Length()) {
        wchar_t* block = AllocUnits(length);
        if (!block) return;  // out of memory: the old text stays
        if (!IsInline()) free(m_data);
        m_data = block;
    }
    wmemcpy(m_data, text, static_cast<size_t>(length));
    m_data[length] = 0;
}

void CUIString::Clear() {
    if (!IsInline()) free(m_data);
    SetEmpty();
}

void CUIString::Append(const wchar_t* text, int n) {
    if (n <= 0) return;
    if (Overlaps(text)) {
        CUIString copy(text, n);
        Append(copy.m_data, n);
        return;
    }
    int length = Length();
    int total = length + n;
    if (total <= kMaxInlineLength) {
        if (!IsInline()) {  // shortened in place earlier: come back to the inline buffer
            wmemcpy(m_buffer, m_data, static_cast<size_t>(length));
            free(m_data);
            m_data = m_buffer;
        }
    } else {
        wchar_t* block = AllocUnits(total);
        if (!block) return;
        wmemcpy(block, m_data, static_cast<size_t>(length));
        if (!IsInline()) free(m_data);
        m_data = block;
    }
    wmemcpy(m_data + length, text, static_cast<size_t>(n));
    m_data[total] = 0;
}

void CUIString::AppendNarrow(const char* narrow) {
    if (!narrow || !*narrow) return;
    int units = MultiByteToWideChar(CP_ACP, 0, narrow, -1, nullptr, 0);
    if (units <= 1) return;
    wchar_t local[kInlineUnits];
    wchar_t* wide = units <= kInlineUnits ? local : AllocUnits(units);
    if (!wide) return;
    MultiByteToWideChar(CP_ACP, 0, narrow, -1, wide, units);
    Append(wide, units - 1);
    if (wide != local) free(wide);
}

CUIString& CUIString::operator=(const CUIString& other) {
    if (this != &other) Assign(other.m_data);
    return *this;
}

CUIString& CUIString::operator=(CUIString&& other) noexcept {
    if (this == &other) return *this;
    if (!IsInline()) free(m_data);
    if (other.IsInline()) {
        m_data = m_buffer;
        wmemcpy(m_buffer, other.m_buffer, static_cast<size_t>(other.Length()) + 1);
    } else {
        m_data = other.m_data;  // take the heap block
    }
    other.SetEmpty();
    return *this;
}

CUIString& CUIString::operator=(const wchar_t* text) {
    Assign(text);
    return *this;
}

CUIString& CUIString::operator=(wchar_t ch) {
    wchar_t text[2] = {ch, 0};
    Assign(text, 1);
    return *this;
}

CUIString& CUIString::operator+=(const CUIString& other) {
    Append(other.m_data, other.Length());
    return *this;
}

CUIString& CUIString::operator+=(const wchar_t* text) {
    if (text) Append(text, static_cast<int>(wcslen(text)));
    return *this;
}

CUIString& CUIString::operator+=(wchar_t ch) {
    if (ch) Append(&ch, 1);
    return *this;
}

CUIString& CUIString::operator+=(const char* narrow) {
    AppendNarrow(narrow);
    return *this;
}

CUIString CUIString::operator+(const CUIString& other) const {
    CUIString result(*this);
    result += other;
    return result;
}

CUIString CUIString::operator+(const wchar_t* text) const {
    CUIString result(*this);
    result += text;
    return result;
}

CUIString CUIString::operator+(wchar_t ch) const {
    CUIString result(*this);
    result += ch;
    return result;
}

CUIString CUIString::operator+(const char* narrow) const {
    CUIString result(*this);
    result += narrow;
    return result;
}

int CUIString::Compare(const wchar_t* text) const { return wcscmp(m_data, OrEmpty(text)); }

int CUIString::CompareIgnoreCase(const wchar_t* text) const { return SkinUI::CompareIgnoreCase(m_data, text); }

int CUIString::Length() const { return static_cast<int>(wcslen(m_data)); }

int CUIString::Find(const wchar_t* text, int start) const {
    if (start < 0 || start > Length()) return -1;
    const wchar_t* found = wcsstr(m_data + start, OrEmpty(text));
    return found ? static_cast<int>(found - m_data) : -1;
}

int CUIString::Find(wchar_t ch, int start) const {
    if (ch == 0 || start < 0 || start >= Length()) return -1;
    const wchar_t* found = wcschr(m_data + start, ch);
    return found ? static_cast<int>(found - m_data) : -1;
}

int CUIString::ReverseFind(wchar_t ch) const {
    if (ch == 0) return -1;
    const wchar_t* found = wcsrchr(m_data, ch);
    return found ? static_cast<int>(found - m_data) : -1;
}

CUIString CUIString::Prefix(int n) const {
    int length = Length();
    if (n < 0) n = 0;
    if (n > length) n = length;
    return CUIString(m_data, n);
}

CUIString CUIString::Suffix(int n) const {
    int length = Length();
    if (n < 0) n = 0;
    if (n > length) n = length;
    return CUIString(m_data + length - n, n);
}

CUIString CUIString::Substring(int pos, int length) const {
    int total = Length();
    if (pos < 0) pos = 0;
    if (pos >= total) return CUIString();
    if (length < 0 || length > total - pos) length = total - pos;
    return CUIString(m_data + pos, length);
}

void CUIString::ToLower() {
    int length = Length();
    if (length > 0) CharLowerBuffW(m_data, static_cast<DWORD>(length));
}

int CUIString::ReplaceAll(const wchar_t* from, const wchar_t* to) {
    if (!from || !*from) return 0;
    to = OrEmpty(to);
    int fromLength = static_cast<int>(wcslen(from));
    int toLength = static_cast<int>(wcslen(to));
    CUIString result;
    int count = 0;
    const wchar_t* rest = m_data;
    for (const wchar_t* hit = wcsstr(rest, from); hit; hit = wcsstr(rest, from)) {
        result.Append(rest, static_cast<int>(hit - rest));
        result.Append(to, toLength);
        rest = hit + fromLength;
        ++count;
    }
    if (count == 0) return 0;
    result.Append(rest, static_cast<int>(wcslen(rest)));
    *this = std::move(result);
    return count;
}

int CUIString::Format(const wchar_t* format, ...) {
    if (!format) {
        Clear();
        return 0;
    }
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    int length = _vscwprintf(format, measure);
    va_end(measure);
    wchar_t* buffer = length >= 0 ? AllocUnits(length) : nullptr;
    if (!buffer) {
        va_end(args);
        Clear();
        return 0;
    }
    _vsnwprintf(buffer, static_cast<size_t>(length) + 1, format, args);
    va_end(args);
    buffer[length] = 0;
    Assign(buffer, length);
    free(buffer);
    return length;
}

int CUIString::FormatShort(const wchar_t* format, ...) {
    if (!format) {
        Clear();
        return 0;
    }
    wchar_t buffer[kShortFormatUnits];
    va_list args;
    va_start(args, format);
    int written = _vsnwprintf(buffer, kShortFormatUnits - 1, format, args);
    va_end(args);
    if (written < 0 || written >= kShortFormatUnits - 1) buffer[kShortFormatUnits - 1] = 0;
    Assign(buffer);
    return Length();
}

}  // namespace SkinUI
