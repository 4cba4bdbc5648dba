#pragma once
// The settings file "velmor.ini" (section "config") in the all-users application-data folder, or in the
// current directory when that folder cannot be found, and the interface language stored in it.
#include <string>

// "<folder>\velmor.ini"; an empty folder means the current directory. Built anew at every access.
std::wstring SettingsPathIn(const std::wstring& folder);
std::wstring SettingsFilePath();

int ReadSettingInt(const wchar_t* key, int defaultValue);
bool WriteSettingText(const wchar_t* key, const wchar_t* value);

// The "lan" value: 0 English, 1 Chinese, 2 Russian.
int GetConfigLanguage();
// The language pack of a "lan" value ("en", "cn_zh", "ru"); any other value means the default, "en".
const wchar_t* LanguagePackForSetting(int value);

// True when the named file exists in the current directory (marker files such as "savelog.ini").
bool IsFileInCurrentDir(const wchar_t* name);
std::wstring CurrentDirectory();
