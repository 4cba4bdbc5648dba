#pragma once
// Language texts that are used as printf formats, and temporary file paths. A translation is data: it is
// checked before it becomes a format, so a stray conversion cannot read arguments that are not there.
#include <string>

// True when the format's conversions are exactly the given sequence, e.g. L"dddd" for four integers
// (%d or %i, optionally with flags, width and precision, each at most 64) or L"sd" for a text and an integer; "%%" is allowed anywhere.
bool FormatHasConversions(const wchar_t* format, const wchar_t* expected);

// The format filled with integers when it has exactly that many integer conversions; else the format
// text followed by the values, so nothing is lost and nothing is misread.
std::wstring FormatIntegers(const wchar_t* format, const int* values, int count);

// The folder for temporary files with a trailing backslash: %TMP% when it is set and fits, else the
// system's temporary folder (GetTempPathW), else the current directory.
std::wstring TempFolderPath();
// A file name inside that folder; empty when the result would not fit in MAX_PATH.
std::wstring TempFilePath(const wchar_t* fileName);
