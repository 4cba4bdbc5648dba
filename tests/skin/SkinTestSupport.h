#pragma once
// Shared by the skin tests: the embedded skin opened once, entries of the archive as text, and the
// "${key}" placeholders and image names a layout mentions.
#include <set>
#include <string>
#include <vector>

namespace SkinTest {

// The archive entry as UTF-16 text (empty when missing).
std::wstring ReadEntryText(const wchar_t* name);
// Every "${...}" placeholder in a text.
std::set<std::wstring> TextKeys(const std::wstring& text);
// Every image file a layout names ("file='img/x.png'" in image descriptions, or a bare "img/x.png").
std::set<std::wstring> ImageFiles(const std::wstring& text);
// The layout files of the skin: the entries of the resource table and the files the windows build by
// path (the channel sub-layout and the four menus).
std::vector<std::wstring> SkinLayoutFiles();

}  // namespace SkinTest
