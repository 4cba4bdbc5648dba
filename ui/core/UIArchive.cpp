#include "UIArchive.h"

#include "UIString.h"

#include <minizip/unzip.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace SkinUI {

// ---------------------------------------------------------------------------------------------------
// Byte source under minizip: an open handle or a memory block. Memory seeks outside the block fail and
// reads stop at its end, so a corrupt directory offset can never reach outside the buffer.

namespace {

struct ZipStream {
    bool fromHandle = false;
    bool seekable = false;
    HANDLE file = INVALID_HANDLE_VALUE;
    bool readError = false;
    int64_t startOffset = 0;
    bool closeOnRelease = false;
    const uint8_t* memory = nullptr;
    uint64_t length = 0;
    uint64_t position = 0;
};

voidpf ZCALLBACK StreamOpen(voidpf, const void* stream, int) { return const_cast<void*>(stream); }

uLong ZCALLBACK StreamRead(voidpf, voidpf stream, void* buffer, uLong size) {
    auto* s = static_cast<ZipStream*>(stream);
    if (s->fromHandle) {
        DWORD got = 0;
        if (!ReadFile(s->file, buffer, size, &got, nullptr)) {
            s->readError = true;
            return 0;
        }
        return got;
    }
    uint64_t left = s->position < s->length ? s->length - s->position : 0;
    uLong n = size < left ? size : static_cast<uLong>(left);
    if (n < size) s->readError = true;  // a short read is an error: minizip would take the missing bytes as 0
    memcpy(buffer, s->memory + s->position, n);
    s->position += n;
    return n;
}

uLong ZCALLBACK StreamWrite(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK StreamTell(voidpf, voidpf stream) {
    auto* s = static_cast<ZipStream*>(stream);
    if (!s->fromHandle) return s->position;
    if (!s->seekable) return 0;
    LARGE_INTEGER zero = {}, now = {};
    if (!SetFilePointerEx(s->file, zero, &now, FILE_CURRENT)) return 0;
    return static_cast<ZPOS64_T>(now.QuadPart - s->startOffset);
}

long ZCALLBACK StreamSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* s = static_cast<ZipStream*>(stream);
    const int64_t delta = static_cast<int64_t>(offset);
    if (s->fromHandle) {
        if (!s->seekable) return 29;
        LARGE_INTEGER to = {};
        DWORD method = FILE_BEGIN;
        switch (origin) {
            case ZLIB_FILEFUNC_SEEK_SET: to.QuadPart = s->startOffset + delta; break;
            case ZLIB_FILEFUNC_SEEK_CUR: to.QuadPart = delta; method = FILE_CURRENT; break;
            case ZLIB_FILEFUNC_SEEK_END: to.QuadPart = delta; method = FILE_END; break;
            default: return 19;
        }
        return SetFilePointerEx(s->file, to, nullptr, method) ? 0 : -1;
    }
    int64_t target;
    switch (origin) {
        case ZLIB_FILEFUNC_SEEK_SET: target = delta; break;
        case ZLIB_FILEFUNC_SEEK_CUR: target = static_cast<int64_t>(s->position) + delta; break;
        case ZLIB_FILEFUNC_SEEK_END: target = static_cast<int64_t>(s->length) + delta; break;
        default: return 19;
    }
    if (target < 0 || static_cast<uint64_t>(target) > s->length) return -1;
    s->position = static_cast<uint64_t>(target);
    return 0;
}

int ZCALLBACK StreamClose(voidpf, voidpf stream) {
    auto* s = static_cast<ZipStream*>(stream);
    if (s->closeOnRelease && s->file != INVALID_HANDLE_VALUE) CloseHandle(s->file);
    delete s;
    return 0;
}

int ZCALLBACK StreamError(voidpf, voidpf stream) {
    auto* s = static_cast<ZipStream*>(stream);
    return s->readError ? 1 : 0;
}

// Reads exactly size bytes at an archive position (minizip's view of positions).
bool StreamReadAt(ZipStream* s, ZPOS64_T position, void* buffer, uLong size) {
    if (StreamSeek(nullptr, s, position, ZLIB_FILEFUNC_SEEK_SET) != 0) return false;
    return StreamRead(nullptr, s, buffer, size) == size;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// The open archive.

struct TUnzip {
    struct Entry {
        std::string name;  // as stored (UTF-8), for lookups
        unz64_file_pos position{};
    };

    unzFile archive = nullptr;
    ZipStream* stream = nullptr;  // owned by minizip (released by unzClose)
    int openEntry = -1;
    bool openEncrypted = false;
    ZipEntry cachedEntry;
    int cachedIndex = -1;
    bool hasPassword = false;
    std::string password;
    std::vector<uint8_t> unpackBuffer;
    std::wstring baseDirectory;
    std::vector<Entry> entries;

    int Count() const { return static_cast<int>(entries.size()); }
};

namespace {

ZipResult g_lastResult = ZR_OK;

ZipResult Store(ZipResult result) {
    g_lastResult = result;
    return result;
}

// Handles are checked against this list, so a closed handle is refused without touching freed memory.
std::vector<ZipHandle*>& LiveHandles() {
    static std::vector<ZipHandle*> handles;
    return handles;
}

ZipResult CheckHandle(ZipHandle* handle) {
    if (!handle) return ZR_ARGS;
    auto& live = LiveHandles();
    if (std::find(live.begin(), live.end(), handle) == live.end()) return ZR_ZMODE;
    if (handle->kind != kZipKindUnzip || !handle->unzip) return ZR_ZMODE;
    return ZR_OK;
}

bool EndsWithSeparator(const std::wstring& text) {
    return !text.empty() && (text.back() == L'\\' || text.back() == L'/');
}

std::wstring CurrentDirectoryWithSeparator() {
    DWORD need = GetCurrentDirectoryW(0, nullptr);
    std::wstring dir(need, L'\0');
    DWORD got = need ? GetCurrentDirectoryW(need, &dir[0]) : 0;
    dir.resize(got < need ? got : 0);
    if (!EndsWithSeparator(dir)) dir += L'\\';
    return dir;
}

std::wstring Utf8ToWide(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(n > 0 ? n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

bool NamesEqual(const std::string& a, const std::string& b, bool ignoreCase) {
    if (a.size() != b.size()) return false;
    if (!ignoreCase) return a == b;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
        if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
        if (x != y) return false;
    }
    return true;
}

// Reads the whole central directory once, so that entries are reached directly by index.
ZipResult BuildEntryTable(TUnzip& z) {
    int err = unzGoToFirstFile(z.archive);
    while (err == UNZ_OK) {
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(z.archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
            return ZR_CORRUPT;
        TUnzip::Entry entry;
        entry.name.assign(info.size_filename, '\0');
        if (info.size_filename &&
                unzGetCurrentFileInfo64(z.archive, nullptr, &entry.name[0], info.size_filename + 1, nullptr, 0,
                                        nullptr, 0) != UNZ_OK)
            return ZR_CORRUPT;
        if (unzGetFilePos64(z.archive, &entry.position) != UNZ_OK) return ZR_CORRUPT;
        z.entries.push_back(std::move(entry));
        err = unzGoToNextFile(z.archive);
    }
    return err == UNZ_END_OF_LIST_OF_FILE ? ZR_OK : ZR_CORRUPT;
}

ZipHandle* OpenOverStream(ZipStream* stream, const char* password) {
    auto z = std::make_unique<TUnzip>();
    z->hasPassword = password != nullptr;
    if (password) z->password = password;
    z->baseDirectory = CurrentDirectoryWithSeparator();

    zlib_filefunc64_def io = {StreamOpen, StreamRead, StreamWrite, StreamTell, StreamSeek, StreamClose,
                              StreamError, nullptr};
    z->archive = unzOpen2_64(stream, &io);  // minizip releases the stream, also on failure
    if (!z->archive) {
        Store(ZR_NOFILE);
        return nullptr;
    }
    z->stream = stream;
    ZipResult table = BuildEntryTable(*z);
    if (table != ZR_OK) {
        unzClose(z->archive);
        Store(table);
        return nullptr;
    }
    auto* handle = new ZipHandle{kZipKindUnzip, z.release()};
    LiveHandles().push_back(handle);
    Store(ZR_OK);
    return handle;
}

void CloseOpenEntry(TUnzip& z) {
    if (z.openEntry < 0) return;
    unzCloseCurrentFile(z.archive);
    z.openEntry = -1;
}

// ---- traditional (PKWARE) decryption of the 12-byte header, to check the password before reading.

struct CryptKeys {
    uint32_t key[3] = {305419896u, 591751049u, 878082192u};
    const z_crc_t* table = get_crc_table();

    uint32_t Crc(uint32_t c, uint8_t b) const { return table[(c ^ b) & 0xff] ^ (c >> 8); }
    void Update(uint8_t plain) {
        key[0] = Crc(key[0], plain);
        key[1] = (key[1] + (key[0] & 0xff)) * 134775813u + 1;
        key[2] = Crc(key[2], static_cast<uint8_t>(key[1] >> 24));
    }
    uint8_t Decrypt(uint8_t cipher) {
        uint32_t t = (key[2] & 0xffff) | 2;
        uint8_t plain = cipher ^ static_cast<uint8_t>((t * (t ^ 1)) >> 8);
        Update(plain);
        return plain;
    }
};

// minizip does not look at the check byte; without this a wrong password returns garbage for a stored
// entry and a confusing inflate error for a deflated one.
ZipResult CheckPassword(TUnzip& z, const unz_file_info64& info) {
    if (unzOpenCurrentFile2(z.archive, nullptr, nullptr, 1) != UNZ_OK) return ZR_CORRUPT;
    ZPOS64_T dataStart = unzGetCurrentFileZStreamPos64(z.archive);
    unzCloseCurrentFile(z.archive);
    uint8_t header[12];
    if (info.compressed_size < sizeof header || !StreamReadAt(z.stream, dataStart, header, sizeof header))
        return ZR_CORRUPT;
    CryptKeys keys;
    for (char c : z.password) keys.Update(static_cast<uint8_t>(c));
    uint8_t check = 0;
    for (uint8_t byte : header) check = keys.Decrypt(byte);
    // With a data descriptor (flag bit 3) the CRC is not known in advance and the time is used instead.
    uint8_t expected = (info.flag & 8) ? static_cast<uint8_t>(info.dosDate >> 8)
                                       : static_cast<uint8_t>(info.crc >> 24);
    return check == expected ? ZR_OK : ZR_PASSWORD;
}

// Bad data in an encrypted entry cannot be told apart from a wrong password.
ZipResult DataFailure(const TUnzip& z, ZipResult plainFailure) {
    return z.openEncrypted ? ZR_PASSWORD : plainFailure;
}

ZipResult OpenEntryData(TUnzip& z, int index) {
    CloseOpenEntry(z);
    if (unzGoToFilePos64(z.archive, &z.entries[index].position) != UNZ_OK) return ZR_CORRUPT;
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(z.archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return ZR_CORRUPT;
    const bool encrypted = (info.flag & 1) != 0;
    if (encrypted) {
        if (!z.hasPassword) return ZR_PASSWORD;
        ZipResult check = CheckPassword(z, info);
        if (check != ZR_OK) return check;
    }
    if (unzOpenCurrentFilePassword(z.archive, encrypted ? z.password.c_str() : nullptr) != UNZ_OK)
        return ZR_CORRUPT;
    z.openEntry = index;
    z.openEncrypted = encrypted;
    return ZR_OK;
}

// Closes the entry after its last byte; minizip checks the CRC here.
ZipResult FinishEntry(TUnzip& z) {
    int err = unzCloseCurrentFile(z.archive);
    z.openEntry = -1;
    if (err == UNZ_OK) return ZR_OK;
    return DataFailure(z, err == UNZ_CRCERROR ? ZR_CORRUPT : ZR_FLATE);
}

// ---- entry description

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(Le16(p)) | static_cast<uint32_t>(Le16(p + 2)) << 16;
}

FILETIME UnixTimeToFileTime(uint32_t seconds) {
    uint64_t t = static_cast<uint64_t>(seconds) * 10000000ull + 116444736000000000ull;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(t);
    ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
    return ft;
}

// The "UT" extended-timestamp record: flags, then modification, access and creation times as present.
void ApplyExtendedTimes(const std::vector<uint8_t>& extra, ZipEntry& entry) {
    size_t pos = 0;
    while (pos + 4 <= extra.size()) {
        uint16_t tag = Le16(&extra[pos]);
        size_t length = Le16(&extra[pos + 2]);
        pos += 4;
        if (length > extra.size() - pos) return;
        if (tag == 0x5455) {
            if (length < 1) return;
            const size_t end = pos + length;
            const uint8_t flags = extra[pos];
            size_t at = pos + 1;
            FILETIME* targets[3] = {&entry.modificationTime, &entry.accessTime, &entry.creationTime};
            for (int bit = 0; bit < 3; ++bit) {
                if (!(flags & (1 << bit))) continue;
                if (at + 4 > end) return;
                *targets[bit] = UnixTimeToFileTime(Le32(&extra[at]));
                at += 4;
            }
            return;
        }
        pos += length;
    }
}

DWORD EntryAttributes(const unz_file_info64& info) {
    const unsigned host = (info.version >> 8) & 0xff;
    const uint32_t external = static_cast<uint32_t>(info.external_fa);
    bool readOnly, hidden = false, system = false, directory, archive = true;
    if (host == 0 || host == 7 || host == 11 || host == 14) {  // MS-DOS, Mac, NTFS, VFAT
        readOnly = external & 0x01;
        hidden = external & 0x02;
        system = external & 0x04;
        directory = external & 0x10;
        archive = external & 0x20;
    } else {  // Unix-style mode in the upper 16 bits
        readOnly = !(external & (1u << 23));
        directory = external & (1u << 30);
    }
    DWORD attributes = 0;
    if (directory) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (archive) attributes |= FILE_ATTRIBUTE_ARCHIVE;
    if (hidden) attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (readOnly) attributes |= FILE_ATTRIBUTE_READONLY;
    if (system) attributes |= FILE_ATTRIBUTE_SYSTEM;
    return attributes;
}

ZipResult DescribeEntry(TUnzip& z, int index, ZipEntry* out) {
    if (index < -1 || index >= z.Count()) return ZR_ARGS;
    CloseOpenEntry(z);
    if (index != -1 && index == z.cachedIndex) {
        *out = z.cachedEntry;
        return ZR_OK;
    }
    ZipEntry entry;
    if (index == -1) {
        entry.index = z.Count();
        *out = entry;
        return ZR_OK;
    }
    const TUnzip::Entry& stored = z.entries[index];
    unz_file_info64 info;
    if (unzGoToFilePos64(z.archive, &stored.position) != UNZ_OK ||
            unzGetCurrentFileInfo64(z.archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return ZR_CORRUPT;
    // A raw open checks the local header; then the local extra field is read.
    if (unzOpenCurrentFile2(z.archive, nullptr, nullptr, 1) != UNZ_OK) return ZR_CORRUPT;
    std::vector<uint8_t> extra;
    int extraSize = unzGetLocalExtrafield(z.archive, nullptr, 0);
    if (extraSize > 0) {
        extra.resize(extraSize);
        if (unzGetLocalExtrafield(z.archive, extra.data(), extraSize) != extraSize) extraSize = -1;
    }
    unzCloseCurrentFile(z.archive);
    if (extraSize < 0) return ZR_READ;

    entry.index = index;
    SanitizeZipEntryName(Utf8ToWide(stored.name).c_str(), entry.name, MAX_PATH);
    entry.attributes = EntryAttributes(info);
    entry.compressedSize = static_cast<uint32_t>(std::min<ZPOS64_T>(info.compressed_size, 0xFFFFFFFFu));
    entry.uncompressedSize = static_cast<uint32_t>(std::min<ZPOS64_T>(info.uncompressed_size, 0xFFFFFFFFu));
    FILETIME local = {}, utc = {};
    DosDateTimeToFileTime(HIWORD(info.dosDate), LOWORD(info.dosDate), &local);
    LocalFileTimeToFileTime(&local, &utc);
    entry.accessTime = entry.creationTime = entry.modificationTime = utc;
    ApplyExtendedTimes(extra, entry);

    z.cachedEntry = entry;
    z.cachedIndex = index;
    *out = entry;
    return ZR_OK;
}

// ---- unpacking

ZipResult UnzipToMemory(TUnzip& z, int index, void* buffer, unsigned size) {
    if (index < 0 || index >= z.Count() || !buffer || size == 0) return ZR_ARGS;
    if (index != z.openEntry) {
        ZipResult opened = OpenEntryData(z, index);
        if (opened != ZR_OK) return opened;
    }
    int got = unzReadCurrentFile(z.archive, buffer, size);
    if (got < 0) {
        ZipResult failure = DataFailure(z, ZR_FLATE);
        CloseOpenEntry(z);
        return failure;
    }
    if (unzeof(z.archive)) return FinishEntry(z);
    if (got > 0 && static_cast<unsigned>(got) == size) return ZR_MORE;
    // The data ended before the size the directory promised.
    ZipResult failure = DataFailure(z, got > 0 ? ZR_CORRUPT : ZR_FLATE);
    CloseOpenEntry(z);
    return failure;
}

bool IsAbsolutePath(const std::wstring& path) {
    if (!path.empty() && (path[0] == L'\\' || path[0] == L'/')) return true;
    return path.size() >= 2 && path[1] == L':';
}

bool DirectoryExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates base, then base + each level of path from the outermost.
bool MakeDirectoryPath(const std::wstring& base, const std::wstring& path) {
    if (base.size() >= MAX_PATH || path.size() >= MAX_PATH) return false;
    if (!base.empty() && !DirectoryExists(base)) CreateDirectoryW(base.c_str(), nullptr);
    if (path.empty()) return true;
    size_t cut = path.find_last_of(L"/\\");
    if (cut != std::wstring::npos && cut > 0 && !MakeDirectoryPath(base, path.substr(0, cut))) return false;
    std::wstring full = base + path;
    if (!DirectoryExists(full)) CreateDirectoryW(full.c_str(), nullptr);
    return DirectoryExists(full);
}

ZipResult WriteEntryData(TUnzip& z, int index, HANDLE out) {
    ZipResult opened = OpenEntryData(z, index);
    if (opened != ZR_OK) return opened;
    const unsigned kPiece = 16384;
    if (z.unpackBuffer.size() < kPiece) z.unpackBuffer.resize(kPiece);
    for (;;) {
        int got = unzReadCurrentFile(z.archive, z.unpackBuffer.data(), kPiece);
        if (got < 0 || (got == 0 && !unzeof(z.archive))) {
            ZipResult failure = DataFailure(z, ZR_FLATE);
            CloseOpenEntry(z);
            return failure;
        }
        DWORD written = 0;
        if (got > 0 && (!WriteFile(out, z.unpackBuffer.data(), got, &written, nullptr) ||
                        written != static_cast<DWORD>(got))) {
            CloseOpenEntry(z);
            return ZR_WRITE;
        }
        if (unzeof(z.archive)) return FinishEntry(z);
    }
}

ZipResult UnzipToFile(TUnzip& z, int index, const wchar_t* fileName, HANDLE handle) {
    CloseOpenEntry(z);
    if (index < 0 || index >= z.Count()) return ZR_ARGS;
    ZipEntry entry;
    ZipResult described = DescribeEntry(z, index, &entry);
    if (described != ZR_OK) return described;

    std::wstring path;
    if (fileName) {
        std::wstring name = fileName;
        size_t cut = name.find_last_of(L"/\\");
        std::wstring directory = cut == std::wstring::npos ? std::wstring() : name.substr(0, cut);
        std::wstring file = cut == std::wstring::npos ? name : name.substr(cut + 1);
        if (IsAbsolutePath(name)) {
            path = name;
        } else {
            if (!MakeDirectoryPath(z.baseDirectory, directory)) return ZR_NOFILE;
            path = z.baseDirectory + (directory.empty() ? file : directory + L'\\' + file);
        }
    }
    if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (!fileName) return ZR_OK;
        CreateDirectoryW(path.c_str(), nullptr);
        return DirectoryExists(path) ? ZR_OK : ZR_NOFILE;
    }

    HANDLE out = handle;
    if (fileName) {
        DWORD flags = entry.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                          FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
        out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          flags ? flags : FILE_ATTRIBUTE_NORMAL, nullptr);
        if (out == INVALID_HANDLE_VALUE) return ZR_NOFILE;
    }
    ZipResult result = WriteEntryData(z, index, out);
    if (result == ZR_OK)
        SetFileTime(out, &entry.creationTime, &entry.accessTime, &entry.modificationTime);
    if (fileName) {
        CloseHandle(out);
        if (result != ZR_OK) {  // leave no half-written file behind
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
    }
    return result;
}

struct ResultText {
    ZipResult code;
    const wchar_t* text;
};

const ResultText kResultTexts[] = {
        {ZR_OK, L"Success"},
        {ZR_NODUPH, L"Culdn't duplicate handle"},
        {ZR_NOFILE, L"Couldn't create/open file"},
        {ZR_NOALLOC, L"Failed to allocate memory"},
        {ZR_WRITE, L"Error writing to file"},
        {ZR_NOTFOUND, L"File not found in the zipfile"},
        {ZR_MORE, L"Still more data to unzip"},
        {ZR_CORRUPT, L"Zipfile is corrupt or not a zipfile"},
        {ZR_READ, L"Error reading file"},
        {ZR_PASSWORD, L"Correct password required"},
        {ZR_ARGS, L"Caller: faulty arguments"},
        {ZR_NOTMMAP, L"Caller: can only get memory of a memory zipfile"},
        {ZR_MEMSIZE, L"Caller: not enough space allocated for memory zipfile"},
        {ZR_FAILED, L"Caller: there was a previous error"},
        {ZR_ENDED, L"Caller: additions to the zip have already been ended"},
        {ZR_MISSIZE, L"Zip-bug: the anticipated size turned out wrong"},
        {ZR_PARTIALUNZ, L"Caller: the file had already been partially unzipped"},
        {ZR_ZMODE, L"Caller: mixing creation and opening of zip"},
        {ZR_NOTINITED, L"Zip-bug: internal initialisation not completed"},
        {ZR_SEEK, L"Zip-bug: trying to seek the unseekable"},
        {ZR_NOCHANGE, L"Zip-bug: tried to change mind, but not allowed"},
        {ZR_FLATE, L"Zip-bug: an internal error during flation"},
};

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Public operations.

void SanitizeZipEntryName(const wchar_t* stored, wchar_t* out, unsigned outLength) {
    if (!out || outLength == 0) return;
    std::wstring name = stored ? stored : L"";
    // Leading drive prefixes and separators, as often as they appear.
    for (bool changed = true; changed;) {
        changed = false;
        if (name.size() >= 2 && name[1] == L':') {
            name.erase(0, 2);
            changed = true;
        }
        while (!name.empty() && (name[0] == L'\\' || name[0] == L'/')) {
            name.erase(0, 1);
            changed = true;
        }
    }
    // A ".." component drops everything before it; "." and empty components are dropped. A kept
    // component keeps the separator that followed it.
    std::wstring clean;
    size_t pos = 0;
    while (pos < name.size()) {
        size_t cut = name.find_first_of(L"/\\", pos);
        std::wstring part = name.substr(pos, cut == std::wstring::npos ? std::wstring::npos : cut - pos);
        if (part == L"..") clean.clear();
        bool skip = part.empty() || part == L"." || part == L"..";
        if (!skip) {
            std::replace(part.begin(), part.end(), L':', L'_');
            clean += part;
            if (cut != std::wstring::npos) clean += name[cut];
        }
        if (cut == std::wstring::npos) break;
        pos = cut + 1;
    }
    size_t n = std::min<size_t>(clean.size(), outLength - 1);
    wmemcpy(out, clean.data(), n);
    out[n] = L'\0';
}

ZipHandle* OpenZip(const void* data, unsigned size, const char* password) {
    if (!data || size == 0) {
        Store(ZR_ARGS);
        return nullptr;
    }
    auto* stream = new ZipStream;
    stream->memory = static_cast<const uint8_t*>(data);
    stream->length = size;
    return OpenOverStream(stream, password);
}

ZipHandle* OpenZip(const wchar_t* fileName, const char* password) {
    if (!fileName) {
        Store(ZR_ARGS);
        return nullptr;
    }
    HANDLE file = CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Store(ZR_NOFILE);
        return nullptr;
    }
    auto* stream = new ZipStream;
    stream->fromHandle = true;
    stream->seekable = true;
    stream->file = file;
    stream->closeOnRelease = true;
    return OpenOverStream(stream, password);
}

ZipHandle* OpenZip(HANDLE file, const char* password) {
    if (!file || file == INVALID_HANDLE_VALUE) {
        Store(ZR_ARGS);
        return nullptr;
    }
    LARGE_INTEGER zero = {}, start = {};
    if (!SetFilePointerEx(file, zero, &start, FILE_CURRENT)) {
        Store(ZR_SEEK);
        return nullptr;
    }
    auto* stream = new ZipStream;
    stream->fromHandle = true;
    stream->seekable = true;
    stream->file = file;
    stream->startOffset = start.QuadPart;
    return OpenOverStream(stream, password);
}

ZipResult CloseZip(ZipHandle* handle) {
    ZipResult check = CheckHandle(handle);
    if (check != ZR_OK) return Store(check);
    auto& live = LiveHandles();
    live.erase(std::find(live.begin(), live.end(), handle));
    TUnzip* z = handle->unzip;
    CloseOpenEntry(*z);
    int err = unzClose(z->archive);
    delete z;
    delete handle;
    return Store(err == UNZ_OK ? ZR_OK : ZR_READ);
}

ZipResult FindZipItem(ZipHandle* handle, const wchar_t* name, bool ignoreCase, int* index, ZipEntry* entry) {
    ZipResult check = CheckHandle(handle);
    if (check != ZR_OK) return Store(check);
    if (!name) return Store(ZR_ARGS);
    TUnzip& z = *handle->unzip;
    const std::string wanted = WideToNarrow(name, CP_UTF8);
    int found = -1;
    if (wanted.size() <= MAX_PATH) {
        for (int i = 0; i < z.Count(); ++i) {
            if (NamesEqual(z.entries[i].name, wanted, ignoreCase)) {
                found = i;
                break;
            }
        }
    }
    if (index) *index = found;
    if (found < 0) {
        if (entry) {
            *entry = ZipEntry();
            entry->index = -1;
        }
        return Store(ZR_NOTFOUND);
    }
    CloseOpenEntry(z);
    if (!entry) return Store(ZR_OK);
    return Store(DescribeEntry(z, found, entry));
}

ZipResult GetZipEntry(ZipHandle* handle, int index, ZipEntry* entry) {
    ZipResult check = CheckHandle(handle);
    if (check != ZR_OK) return Store(check);
    if (!entry) return Store(ZR_ARGS);
    entry->uncompressedSize = 0;
    entry->index = 0;
    entry->name[0] = L'\0';
    return Store(DescribeEntry(*handle->unzip, index, entry));
}

ZipResult UnzipItem(ZipHandle* handle, int index, void* buffer, unsigned size) {
    ZipResult check = CheckHandle(handle);
    if (check != ZR_OK) return Store(check);
    return Store(UnzipToMemory(*handle->unzip, index, buffer, size));
}

ZipResult UnzipItem(ZipHandle* handle, int index, const wchar_t* fileName) {
    ZipResult check = CheckHandle(handle);
    if (check != ZR_OK) return Store(check);
    if (!fileName || !*fileName) return Store(ZR_ARGS);
    return Store(UnzipToFile(*handle->unzip, index, fileName, INVALID_HANDLE_VALUE));
}

ZipResult UnzipItem(ZipHandle* handle, int index, HANDLE file) {
    ZipResult check = CheckHandle(handle);
    if (check != ZR_OK) return Store(check);
    if (!file || file == INVALID_HANDLE_VALUE) return Store(ZR_ARGS);
    return Store(UnzipToFile(*handle->unzip, index, nullptr, file));
}

ZipResult SetZipBaseDir(ZipHandle* handle, const wchar_t* directory) {
    ZipResult check = CheckHandle(handle);
    if (check != ZR_OK) return Store(check);
    if (!directory) return Store(ZR_ARGS);
    std::wstring base = directory;
    if (!EndsWithSeparator(base)) base += L'\\';
    handle->unzip->baseDirectory = base;
    return Store(ZR_OK);
}

unsigned ZipResultText(ZipResult code, wchar_t* buffer, unsigned length) {
    if (code == ZR_RECENT) code = g_lastResult;
    const wchar_t* text = L"unknown zip result code";
    for (const ResultText& entry : kResultTexts) {
        if (entry.code == code) text = entry.text;
    }
    const unsigned full = static_cast<unsigned>(wcslen(text));
    if (buffer && length > 0) {
        unsigned n = std::min(full, length - 1);
        wmemcpy(buffer, text, n);
        buffer[n] = L'\0';
    }
    return full;
}

bool IsZipHandleU(ZipHandle* handle) { return CheckHandle(handle) == ZR_OK; }

}  // namespace SkinUI
