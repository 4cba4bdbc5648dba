#pragma once
// CUIString: the framework's UTF-16 string. Every control keeps its name, text, tooltip and image
// descriptions in one, so short texts (up to 62 units) live in an inline buffer and never touch the heap.
// Wide text arguments may be null, which reads as the empty text.
// Format and FormatShort take Microsoft CRT formats: %ls is wide text, %hs narrow text.
#include <string>

namespace SkinUI {

class CUIString {
public:
    enum {
        kInlineUnits = 64,      // size of the inline buffer
        kMaxInlineLength = 62,  // longer texts go to a heap block of 2 * length + 2 bytes
        kShortFormatUnits = 64  // buffer of FormatShort; the result keeps at most 63 units
    };

    CUIString();
    CUIString(const CUIString& other);
    CUIString(CUIString&& other) noexcept;
    CUIString(const wchar_t* text, int length = -1);
    explicit CUIString(wchar_t ch);
    CUIString(const char* narrow);  // converted with the ANSI code page
    ~CUIString();

    // Copies n units (n < 0: up to the terminator; never past it) and terminates.
    void Assign(const wchar_t* text, int n = -1);
    void Clear();

    CUIString& operator=(const CUIString& other);
    CUIString& operator=(CUIString&& other) noexcept;
    CUIString& operator=(const wchar_t* text);
    CUIString& operator=(wchar_t ch);

    CUIString& operator+=(const CUIString& other);
    CUIString& operator+=(const wchar_t* text);
    CUIString& operator+=(wchar_t ch);
    CUIString& operator+=(const char* narrow);
    CUIString operator+(const CUIString& other) const;
    CUIString operator+(const wchar_t* text) const;
    CUIString operator+(wchar_t ch) const;
    CUIString operator+(const char* narrow) const;

    bool operator==(const wchar_t* text) const { return Compare(text) == 0; }
    bool operator!=(const wchar_t* text) const { return Compare(text) != 0; }
    bool operator<(const wchar_t* text) const { return Compare(text) < 0; }
    bool operator<=(const wchar_t* text) const { return Compare(text) <= 0; }
    bool operator>(const wchar_t* text) const { return Compare(text) > 0; }
    bool operator>=(const wchar_t* text) const { return Compare(text) >= 0; }
    bool operator==(const CUIString& other) const { return Compare(other.m_data) == 0; }
    bool operator!=(const CUIString& other) const { return Compare(other.m_data) != 0; }
    bool operator<(const CUIString& other) const { return Compare(other.m_data) < 0; }

    // Code-unit order, case-sensitive / ignoring letter case; < 0, 0 or > 0.
    int Compare(const wchar_t* text) const;
    int CompareIgnoreCase(const wchar_t* text) const;

    int Length() const;
    bool IsEmpty() const { return m_data[0] == 0; }
    const wchar_t* Data() const { return m_data; }

    // Unchecked element access: the index is the caller's responsibility.
    wchar_t operator[](int index) const { return m_data[index]; }
    wchar_t GetAt(int index) const { return m_data[index]; }
    void SetAt(int index, wchar_t ch) { m_data[index] = ch; }

    // -1 when absent or when start lies outside the text (for one unit, start == length is refused too).
    int Find(const wchar_t* text, int start = 0) const;
    int Find(wchar_t ch, int start = 0) const;
    int ReverseFind(wchar_t ch) const;

    CUIString Prefix(int n) const;
    CUIString Suffix(int n) const;
    CUIString Substring(int pos, int length = -1) const;

    void ToLower();
    // Replaces every occurrence left to right, never searching inside inserted text; returns the count.
    int ReplaceAll(const wchar_t* from, const wchar_t* to);

    int Format(const wchar_t* format, ...);
    int FormatShort(const wchar_t* format, ...);

private:
    bool IsInline() const { return m_data == m_buffer; }
    bool Overlaps(const wchar_t* text) const;
    void SetEmpty();
    void Append(const wchar_t* text, int n);
    void AppendNarrow(const char* narrow);

    wchar_t* m_data;
    wchar_t m_buffer[kInlineUnits];
};

// Case-insensitive comparison of two wide texts (null reads as empty), as CUIString::CompareIgnoreCase.
int CompareIgnoreCase(const wchar_t* a, const wchar_t* b);
bool EqualsIgnoreCase(const wchar_t* a, const wchar_t* b);

// Wide text in a narrow code page (CP_ACP, CP_UTF8, ...); null reads as empty.
std::string WideToNarrow(const wchar_t* text, unsigned codePage);

}  // namespace SkinUI
