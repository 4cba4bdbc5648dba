#pragma once
// The value syntax of layout attributes, shared by controls, containers, layouts, the scroll bar and the
// window attributes of the dialog builder: numeric lists, colours, booleans and keyword sets.
//
// A numeric list is decimal numbers, each followed by exactly one separator character ("10,20,30,40").
// The readers stop at the end of the text: values that are not there read as 0, so a short list never
// makes them read beyond the string.
#include <windows.h>

namespace SkinUI {

// Reads up to count integers (base 10) into values; the missing ones become 0.
void ParseIntList(const wchar_t* text, LONG* values, int count);
RECT ParseRect(const wchar_t* text);  // l,t,r,b
SIZE ParseSize(const wchar_t* text);  // cx,cy
// The same with floating-point numbers.
void ParseDoubleList(const wchar_t* text, double* values, int count);
// One integer; text that does not parse gives 0.
int ParseInt(const wchar_t* text);

// Hexadecimal AARRGGBB with an optional leading "#". skipBlanks: characters up to code 32 before it are
// skipped first.
DWORD ParseColor(const wchar_t* text, bool skipBlanks = false);
// True exactly when the text is "true", ignoring letter case.
bool IsTrue(const wchar_t* text);

// Float alignment bits of a control.
enum : UINT {
    UIFLOAT_CENTER = 0x1,   // horizontal centre
    UIFLOAT_RIGHT = 0x2,
    UIFLOAT_VCENTER = 0x4,  // vertical centre
    UIFLOAT_BOTTOM = 0x8
};
// Applies the tokens of a "floatalign" value (separated by commas or blanks) to current.
UINT ParseFloatAlign(const wchar_t* text, UINT current);
// The system cursor id of a "cursor" value; false for an unknown name.
bool CursorFromName(const wchar_t* name, WORD* id);

}  // namespace SkinUI
