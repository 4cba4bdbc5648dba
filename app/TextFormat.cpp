#include "TextFormat.h"

#include "Settings.h"

#include <windows.h>

#include <cwctype>
#include <vector>

namespace {

// Widths and precisions above this are refused: the C runtime fails on huge ones (%.65535d), and no
// language text needs more than a few places.
constexpr int kMaxFieldSize = 64;

// Skips a run of digits; false when their value is above the bound.
bool SkipFieldSize(const wchar_t*& p) {
    int value = 0;
    for (; iswdigit(*p); ++p) {
        value = value * 10 + (*p - L'0');
        if (value > kMaxFieldSize) return false;
    }
    return true;
}

// The conversion letters of a format in order ('d' for %d and %i, the letter otherwise); false for a
// conversion this checker does not accept (widths from arguments or above the bound, %n, an unfinished
// one).
bool CollectConversions(const wchar_t* format, std::wstring* letters) {
    for (const wchar_t* p = format; *p; ++p) {
        if (*p != L'%') continue;
        ++p;
        if (*p == L'%') continue;
        while (*p == L'-' || *p == L'+' || *p == L' ' || *p == L'#' || *p == L'0') ++p;
        if (!SkipFieldSize(p)) return false;
        if (*p == L'.') {
            ++p;
            if (!SkipFieldSize(p)) return false;
        }
        if (*p == L'l' || *p == L'h') ++p;
        switch (*p) {
        case L'd':
        case L'i': letters->push_back(L'd'); break;
        case L's':
        case L'u':
        case L'x':
        case L'X':
        case L'f':
        case L'g': letters->push_back(*p); break;
        default: return false;  // '*', 'n', 'p', end of text and anything unknown
        }
    }
    return true;
}

}  // namespace

bool FormatHasConversions(const wchar_t* format, const wchar_t* expected) {
    if (!format || !expected) return false;
    std::wstring letters;
    return CollectConversions(format, &letters) && letters == expected;
}

std::wstring FormatIntegers(const wchar_t* format, const int* values, int count) {
    if (!format) format = L"";
    const std::wstring expected(static_cast<size_t>(count > 0 ? count : 0), L'd');
    wchar_t buffer[1024];
    std::wstring result;
    if (FormatHasConversions(format, expected.c_str())) {
        const int v[4] = {count > 0 ? values[0] : 0, count > 1 ? values[1] : 0, count > 2 ? values[2] : 0,
                          count > 3 ? values[3] : 0};
        if (count <= 4 && _snwprintf(buffer, 1023, format, v[0], v[1], v[2], v[3]) >= 0) {
            buffer[1023] = 0;
            return buffer;
        }
    }
    result = format;
    for (int i = 0; i < count; ++i) result += L" " + std::to_wstring(values[i]);
    return result;
}

std::wstring TempFolderPath() {
    wchar_t folder[MAX_PATH + 1] = L"";
    DWORD length = GetEnvironmentVariableW(L"TMP", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) length = GetTempPathW(MAX_PATH, folder);
    std::wstring result = length > 0 && length < MAX_PATH ? std::wstring(folder, length) : CurrentDirectory();
    if (result.empty() || result.back() != L'\\') result += L'\\';
    return result;
}

std::wstring TempFilePath(const wchar_t* fileName) {
    const std::wstring path = TempFolderPath() + fileName;
    return path.size() < MAX_PATH ? path : std::wstring();
}
