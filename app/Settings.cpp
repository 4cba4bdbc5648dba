#include "Settings.h"

#include <io.h>
#include <shlobj.h>
#include <windows.h>

std::wstring CurrentDirectory() {
    wchar_t folder[MAX_PATH] = L"";
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, folder);
    return length > 0 && length < MAX_PATH ? std::wstring(folder) : std::wstring();
}

std::wstring SettingsPathIn(const std::wstring& folder) {
    const std::wstring base = folder.empty() ? CurrentDirectory() : folder;
    return base + L"\\velmor.ini";
}

std::wstring SettingsFilePath() {
    wchar_t folder[MAX_PATH] = L"";
    if (SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) folder[0] = 0;
    return SettingsPathIn(folder);
}

int ReadSettingInt(const wchar_t* key, int defaultValue) {
    return static_cast<int>(GetPrivateProfileIntW(L"config", key, defaultValue, SettingsFilePath().c_str()));
}

bool WriteSettingText(const wchar_t* key, const wchar_t* value) {
    return WritePrivateProfileStringW(L"config", key, value, SettingsFilePath().c_str()) != FALSE;
}

int GetConfigLanguage() { return ReadSettingInt(L"lan", 0); }

const wchar_t* LanguagePackForSetting(int value) {
    switch (value) {
    case 0: return L"en";
    case 1: return L"cn_zh";
    case 2: return L"ru";
    default: return L"en";  // a hand-edited value means the default
    }
}

bool IsFileInCurrentDir(const wchar_t* name) {
    const std::wstring path = CurrentDirectory() + L"\\" + name;
    return _waccess(path.c_str(), 0) == 0;
}
