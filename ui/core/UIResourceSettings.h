#pragma once
// Process-wide resource location of the skin: module instance, resource module and folder, where the
// skin comes from, and the resource archive with its run-time password. Set once at start-up on the UI
// thread before the first window; read by the markup reader, the text resource, images and fonts.
// CPaintManagerUI forwards its static accessors here.
#include "UIArchive.h"
#include "UIString.h"

#include <windows.h>

#include <vector>

namespace SkinUI {

enum UIResourceSourceKind {
    UIRES_FOLDER = 1,           // loose files below the resource folder
    UIRES_ARCHIVE_FILE = 2,     // an archive file in the resource folder
    UIRES_RESOURCE = 3,         // Win32 resources of the resource module
    UIRES_ARCHIVE_RESOURCE = 4  // an archive held in a Win32 resource, opened from memory
};

// Outcome of reading one whole entry of the resource archive.
enum class ArchiveReadResult {
    Ok,
    NoArchive,   // no archive name is set
    OpenFailed,  // the archive cannot be opened
    NotFound,    // no such entry
    Empty,       // the entry has size 0
    TooLarge,    // bigger than the caller's limit
    UnzipFailed  // extraction failed (wrong password, corrupt data)
};

class CUIResourceSettings {
public:
    static void SetModuleInstance(HINSTANCE instance);
    static HINSTANCE GetModuleInstance();
    static void SetResourceModule(HINSTANCE module);
    static HINSTANCE GetResourceModule();  // the module instance when none was set
    // Path of the module file up to and including its last backslash; empty without a module instance.
    static CUIString GetModuleFolder();
    static CUIString GetCurrentPath();
    static bool SetCurrentPath(const wchar_t* path);
    // A backslash is appended unless the text is empty or already ends in a backslash or slash.
    static void SetResourceFolder(const wchar_t* folder);
    static const CUIString& GetResourceFolder();
    static void SetResourceSourceKind(int kind);
    static int GetResourceSourceKind();

    // Opens (and caches) the archive held in memory; the block must outlive it. Archive name "membuffer".
    static bool OpenResourceArchiveFromMemory(const void* data, unsigned size, const wchar_t* password);
    // Sets the archive file below the resource folder; with cache it is opened once and kept open,
    // otherwise each read opens and closes it. Nothing happens when name and cache flag are unchanged.
    static bool OpenResourceArchiveFile(const wchar_t* name, bool cache, const wchar_t* password);
    // Closes a cached archive (shutdown). The name stays, so reads fall back to opening the file.
    static void CloseResourceArchive();
    static const CUIString& GetArchiveName();
    static bool IsArchiveCached();
    static ZipHandle* GetArchiveHandle();
    static const CUIString& GetArchivePassword();

    // Reads one whole entry: backslashes in name become slashes and letter case is ignored. Uses the
    // cached archive or opens and closes the named one with the password. Entries above maxSize bytes
    // are refused.
    static ArchiveReadResult ReadArchiveEntry(const wchar_t* name, unsigned maxSize, std::vector<BYTE>& out);
    // A whole skin file (image, font): from the archive when one is set, else from the resource folder;
    // failing that, the name itself as a path. Empty files and those above maxSize bytes count as missing.
    static bool ReadSkinFile(const wchar_t* name, unsigned maxSize, std::vector<BYTE>& out);
};

}  // namespace SkinUI
