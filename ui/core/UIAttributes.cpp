#include "UIAttributes.h"

#include "UIString.h"

#include <cwchar>

namespace SkinUI {

namespace {

// After a number, one separator character is stepped over, but never the terminator.
const wchar_t* SkipSeparator(const wchar_t* p) { return *p ? p + 1 : p; }

struct CursorName {
    const wchar_t* name;
    WORD id;
};

constexpr CursorName kCursors[] = {
    {L"arrow", 32512},    {L"ibeam", 32513},    {L"wait", 32514},   {L"cross", 32515},
    {L"uparrow", 32516},  {L"size", 32640},     {L"icon", 32641},   {L"sizenwse", 32642},
    {L"sizenesw", 32643}, {L"sizewe", 32644},   {L"sizens", 32645}, {L"sizeall", 32646},
    {L"no", 32648},       {L"hand", 32649},
};

// Applies one floatalign keyword; unknown words leave the bits as they are.
UINT ApplyFloatAlignToken(const CUIString& token, UINT align) {
    if (token.CompareIgnoreCase(L"null") == 0) return 0;
    if (token.CompareIgnoreCase(L"left") == 0) return align & ~(UIFLOAT_CENTER | UIFLOAT_RIGHT);
    if (token.CompareIgnoreCase(L"center") == 0) return (align | UIFLOAT_CENTER) & ~UIFLOAT_RIGHT;
    if (token.CompareIgnoreCase(L"right") == 0) return (align | UIFLOAT_RIGHT) & ~UIFLOAT_CENTER;
    if (token.CompareIgnoreCase(L"top") == 0) return align & ~(UIFLOAT_VCENTER | UIFLOAT_BOTTOM);
    if (token.CompareIgnoreCase(L"vcenter") == 0) return (align | UIFLOAT_VCENTER) & ~UIFLOAT_BOTTOM;
    if (token.CompareIgnoreCase(L"bottom") == 0) return (align | UIFLOAT_BOTTOM) & ~UIFLOAT_VCENTER;
    return align;
}

bool IsFloatAlignSeparator(wchar_t ch) { return ch == L',' || ch == L' '; }

}  // namespace

void ParseIntList(const wchar_t* text, LONG* values, int count) {
    const wchar_t* p = text ? text : L"";
    for (int i = 0; i < count; ++i) {
        wchar_t* end = nullptr;
        values[i] = wcstol(p, &end, 10);
        p = SkipSeparator(end);
    }
}

RECT ParseRect(const wchar_t* text) {
    LONG v[4];
    ParseIntList(text, v, 4);
    return RECT{v[0], v[1], v[2], v[3]};
}

SIZE ParseSize(const wchar_t* text) {
    LONG v[2];
    ParseIntList(text, v, 2);
    return SIZE{v[0], v[1]};
}

void ParseDoubleList(const wchar_t* text, double* values, int count) {
    const wchar_t* p = text ? text : L"";
    for (int i = 0; i < count; ++i) {
        wchar_t* end = nullptr;
        values[i] = wcstod(p, &end);
        p = SkipSeparator(end);
    }
}

int ParseInt(const wchar_t* text) { return text ? static_cast<int>(wcstol(text, nullptr, 10)) : 0; }

DWORD ParseColor(const wchar_t* text, bool skipBlanks) {
    const wchar_t* p = text ? text : L"";
    if (skipBlanks) {
        while (*p && *p <= L' ') ++p;
    }
    if (*p == L'#') ++p;
    return static_cast<DWORD>(wcstoul(p, nullptr, 16));
}

bool IsTrue(const wchar_t* text) { return EqualsIgnoreCase(text, L"true"); }

UINT ParseFloatAlign(const wchar_t* text, UINT current) {
    const wchar_t* p = text ? text : L"";
    UINT align = current;
    while (*p) {
        while (IsFloatAlignSeparator(*p)) ++p;
        const wchar_t* start = p;
        while (*p && !IsFloatAlignSeparator(*p)) ++p;
        if (p > start) align = ApplyFloatAlignToken(CUIString(start, static_cast<int>(p - start)), align);
    }
    return align;
}

bool CursorFromName(const wchar_t* name, WORD* id) {
    for (const CursorName& cursor : kCursors) {
        if (EqualsIgnoreCase(name, cursor.name)) {
            *id = cursor.id;
            return true;
        }
    }
    return false;
}

}  // namespace SkinUI
