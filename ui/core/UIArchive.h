#pragma once
// Resource archive reader: a handle-based layer over minizip for the skin archive (layouts, images and
// language files), which may be held in memory, in a file or behind an open file handle, and whose entries
// may be protected by the traditional zip password scheme. The password is always a run-time argument.
//
// Every public operation stores its result as the process-wide last result and returns it. Not
// thread-safe: the UI thread owns the archive.
#include <windows.h>

#include <cstdint>

namespace SkinUI {

using ZipResult = uint32_t;

enum : ZipResult {
    ZR_OK = 0x00000000,
    ZR_NODUPH = 0x00000100,     // couldn't duplicate handle
    ZR_NOFILE = 0x00000200,     // couldn't create/open file
    ZR_NOALLOC = 0x00000300,    // failed to allocate memory
    ZR_WRITE = 0x00000400,      // error writing to file
    ZR_NOTFOUND = 0x00000500,   // file not found in the zipfile
    ZR_MORE = 0x00000600,       // still more data to unzip
    ZR_CORRUPT = 0x00000700,    // zipfile is corrupt or not a zipfile
    ZR_READ = 0x00000800,       // error reading file
    ZR_PASSWORD = 0x00001000,   // correct password required
    ZR_ARGS = 0x00010000,       // caller: faulty arguments
    ZR_NOTMMAP = 0x00020000,
    ZR_MEMSIZE = 0x00030000,
    ZR_FAILED = 0x00040000,
    ZR_ENDED = 0x00050000,
    ZR_MISSIZE = 0x00060000,
    ZR_PARTIALUNZ = 0x00070000,
    ZR_ZMODE = 0x00080000,      // caller: mixing creation and opening of zip (wrong or stale handle)
    ZR_NOTINITED = 0x01000000,
    ZR_SEEK = 0x02000000,
    ZR_NOCHANGE = 0x04000000,
    ZR_FLATE = 0x05000000,      // an internal error during flation
    ZR_RECENT = 0x00000001      // ZipResultText only: the last result of any operation
};

constexpr uint32_t kZipKindUnzip = 1;

struct TUnzip;

// What callers hold: {kind, archive}. Only handles returned by OpenZip and not yet closed are accepted.
struct ZipHandle {
    uint32_t kind = kZipKindUnzip;
    TUnzip* unzip = nullptr;
};

// The description of one entry. For the query of index -1, index holds the number of entries.
struct ZipEntry {
    int index = 0;
    wchar_t name[MAX_PATH] = {};
    DWORD attributes = 0;        // FILE_ATTRIBUTE_* bits: read-only, hidden, system, directory, archive
    FILETIME accessTime = {};    // UTC
    FILETIME creationTime = {};
    FILETIME modificationTime = {};
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
};

// Opening. The memory block is not copied and must outlive the handle. Null on failure (the reason is
// the last result).
ZipHandle* OpenZip(const void* data, unsigned size, const char* password);
ZipHandle* OpenZip(const wchar_t* fileName, const char* password);
// The archive may begin at the handle's current position; the handle stays the caller's.
ZipHandle* OpenZip(HANDLE file, const char* password);
ZipResult CloseZip(ZipHandle* handle);

ZipResult FindZipItem(ZipHandle* handle, const wchar_t* name, bool ignoreCase, int* index, ZipEntry* entry);
ZipResult GetZipEntry(ZipHandle* handle, int index, ZipEntry* entry);

// Unpacks into memory: ZR_MORE when the buffer filled before the entry ended (the next call goes on
// where this one stopped), ZR_OK at the end.
ZipResult UnzipItem(ZipHandle* handle, int index, void* buffer, unsigned size);
// Unpacks to a file under the base directory (directories are created) or to an open handle.
ZipResult UnzipItem(ZipHandle* handle, int index, const wchar_t* fileName);
ZipResult UnzipItem(ZipHandle* handle, int index, HANDLE file);
ZipResult SetZipBaseDir(ZipHandle* handle, const wchar_t* directory);

// Copies at most length - 1 characters and a terminator; returns the full text length.
unsigned ZipResultText(ZipResult code, wchar_t* buffer, unsigned length);
bool IsZipHandleU(ZipHandle* handle);

// Reduces a stored entry name to a relative path that cannot leave the output directory: drive
// prefixes and leading separators are dropped, a ".." component drops itself and everything before it,
// "." components are dropped and ':' becomes '_'.
void SanitizeZipEntryName(const wchar_t* stored, wchar_t* out, unsigned outLength);

}  // namespace SkinUI
