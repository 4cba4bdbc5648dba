#pragma once
// Files and resources for the markup and text-resource tests.
#include <windows.h>

#include <string>
#include <vector>

namespace BaseTest {

std::vector<BYTE> ResourceBytes(const wchar_t* name, const wchar_t* type);
// A fresh folder in the temp directory, ending in a backslash; removed (with its files) by the caller.
std::wstring MakeTempFolder(const wchar_t* stem);
void RemoveFolder(const std::wstring& folder);
bool WriteBytes(const std::wstring& path, const void* data, size_t size);
bool WriteText(const std::wstring& path, const std::string& utf8);

}  // namespace BaseTest
