#include "ForceUpdateImages.h"

#include "TextFormat.h"
#include "base/Log.h"

#include <windows.h>

#include <cstdio>

int ExtractResourceToTemp(const wchar_t* fileName, std::wstring& outPath, const wchar_t* resourceName,
                          const wchar_t* resourceType) {
    outPath = TempFilePath(fileName);
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, resourceName, resourceType);
    if (!found) {
        LogPrintW(L"firmware image %ls (%ls) is not built into this program\n", resourceName, resourceType);
        return 1;
    }
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) return 2;
    const DWORD size = SizeofResource(module, found);
    if (size == 0) return 3;
    const void* bytes = LockResource(loaded);
    if (!bytes) return 4;
    FILE* file = outPath.empty() ? nullptr : _wfopen(outPath.c_str(), L"wb");
    if (!file) {
        LogPrintW(L"firmware image %ls: %ls cannot be created\n", resourceName, outPath.c_str());
        return 5;
    }
    const size_t written = fwrite(bytes, 1, size, file);
    const bool closed = fclose(file) == 0;
    if (written != size || !closed) return 6;
    return 0;
}

int PrepareForceUpdateImages(const wchar_t* mcuResource, const wchar_t* flashResource, std::wstring& mcuPath,
                             std::wstring& flashPath) {
    int error = ExtractResourceToTemp(L"MCU_UPG.bin", mcuPath, mcuResource, kFirmwareResourceType);
    if (error == 0) {
        const int flashError = ExtractResourceToTemp(L"FLASH_UPG.bin", flashPath, flashResource, kFirmwareResourceType);
        if (flashError != 0) error = flashError + 6;
    } else {
        flashPath = TempFilePath(L"FLASH_UPG.bin");
    }
    if (error != 0) {
        // Half a pair is no use, and a stale file from an earlier run must not be taken for this one's.
        if (!mcuPath.empty()) DeleteFileW(mcuPath.c_str());
        if (!flashPath.empty()) DeleteFileW(flashPath.c_str());
    }
    return error;
}
