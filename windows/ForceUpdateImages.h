#pragma once
// The firmware images the program carries for the forced update: resources of type "BIN" in its own
// module, written to temporary files for the forced-update window to send. A program built without
// them (this repository's) says which one is missing in the log and answers with the error code.
#include <string>

constexpr const wchar_t* kMcuImageResource = L"IDR_MCU_BIN";
constexpr const wchar_t* kFlashImageResource = L"IDR_FLASH_BIN";
constexpr const wchar_t* kFirmwareResourceType = L"BIN";

// Writes one resource to fileName in the temporary folder; outPath receives that path. 0 written; 1 the
// resource is not found; 2 it cannot be loaded; 3 it is empty; 4 it cannot be locked; 5 the file cannot
// be created; 6 fewer bytes were written than the resource holds.
int ExtractResourceToTemp(const wchar_t* fileName, std::wstring& outPath, const wchar_t* resourceName,
                          const wchar_t* resourceType);

// Both images as "MCU_UPG.bin" and "FLASH_UPG.bin": 0, or the MCU image's code (1..6), or the flash
// image's code + 6 (7..12); after an error neither file is left behind.
int PrepareForceUpdateImages(const wchar_t* mcuResource, const wchar_t* flashResource, std::wstring& mcuPath,
                             std::wstring& flashPath);
