#include "ValueRanges.h"

#include <cwchar>
#include <cwctype>
#include <string>

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

const wchar_t* SkipDigits(const wchar_t* at) {
    while (IsDigit(*at)) ++at;
    return at;
}

int DigitValue(wchar_t c, int base) {
    int value = -1;
    if (IsDigit(c)) value = c - L'0';
    else if (c >= L'a' && c <= L'f') value = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F') value = c - L'A' + 10;
    return value < base ? value : -1;
}

// The end of the number that starts at `at` (after blanks), or null when none starts there.
const wchar_t* NumberEnd(const wchar_t* at) {
    if (*at == L'+' || *at == L'-') ++at;
    const wchar_t* whole = SkipDigits(at);
    const bool hasWhole = whole != at;
    const wchar_t* end = whole;
    if (*end == L'.') end = SkipDigits(end + 1);
    if (!hasWhole && end - whole < 2) return nullptr;  // neither "5" nor ".5"
    // "0x10" is no decimal number; "3,5" is read differently in different countries.
    if (*end == L'x' || *end == L'X' || (*end == L',' && IsDigit(end[1]))) return nullptr;
    if (*end == L'e' || *end == L'E') {
        const wchar_t* exponent = end + 1;
        if (*exponent == L'+' || *exponent == L'-') ++exponent;
        if (IsDigit(*exponent)) end = SkipDigits(exponent);
    }
    return end;
}

}  // namespace

bool ReadNumberText(const wchar_t* text, double low, double high, double* value) {
    if (!text) return false;
    const wchar_t* start = text;
    while (iswspace(*start)) ++start;
    const wchar_t* end = NumberEnd(start);
    if (!end) return false;
    // Only the checked digits reach the library, which gives infinity for what a double cannot hold.
    const std::wstring number(start, end);
    double read = wcstod(number.c_str(), nullptr);
    if (read == 0) read = 0;  // "-0" shows as 0
    if (value) *value = read < low ? low : (read > high ? high : read);
    return true;
}

bool ReadIntegerText(const wchar_t* text, int32_t low, int32_t high, int32_t* value) {
    double read = 0;
    if (!ReadNumberText(text, low, high, &read)) return false;
    if (value) *value = static_cast<int32_t>(read);  // within [low, high], so it fits
    return true;
}

uint32_t ReadWordDigits(const wchar_t*& at, int base) {
    uint64_t sum = 0;
    for (int digit; (digit = DigitValue(*at, base)) >= 0; ++at) {
        sum = sum * base + digit;
        if (sum > UINT32_MAX) sum = UINT32_MAX + 1ull;  // held just above the word: no wrap however long
    }
    return sum > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(sum);
}
