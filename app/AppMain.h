#pragma once
// The application's start-up and shut-down, shared by the product program and its emulated variant.
#include <windows.h>

class HidBackend;

struct AppOptions {
    const wchar_t* skinPassword = L"";  // of the skin archive embedded as "IDR_ZIPRES" of type "ZIPRES"
    HidBackend* hid = nullptr;          // null: the real amplifier through hidapi
    int forcedDpi = 0;          // 0: the automatic choice from the screen size
};

// Opens the skin archive held in the resources (resource "IDR_ZIPRES" of type "ZIPRES") with its password
// and loads its resource table; false when the resource or the archive cannot be read.
bool InitSkinResource(const wchar_t* password);

// Start-up, message loop and shut-down; the process's exit code.
int RunApplication(HINSTANCE instance, const AppOptions& options);

// Starts this program once more (after a display change), closing the handles it gets; false when the
// process could not be created.
bool StartSuccessorProcess();
