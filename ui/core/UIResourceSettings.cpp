#include "UIResourceSettings.h"

#include "base/Log.h"

#include <string>

namespace SkinUI {

namespace {

constexpr wchar_t kMemoryArchiveName[] = L"membuffer";

struct Settings {
    HINSTANCE moduleInstance = nullptr;
    HINSTANCE resourceModule = nullptr;
    CUIString resourceFolder;
    int sourceKind = UIRES_FOLDER;
    CUIString archiveName;
    bool archiveCached = false;
    CUIString archivePassword;
    ZipHandle* archive = nullptr;
};

Settings& State() {
    static Settings settings;
    return settings;
}

bool EndsWithSeparator(const CUIString& text) {
    int length = text.Length();
    return length > 0 && (text[length - 1] == L'\\' || text[length - 1] == L'/');
}

// The archive reader takes passwords in the ANSI code page; an empty one means none.
std::string NarrowPassword(const wchar_t* password) { return WideToNarrow(password, CP_ACP); }

const char* PasswordOrNull(const std::string& password) { return password.empty() ? nullptr : password.c_str(); }

bool ReadWholeFile(const wchar_t* path, unsigned maxSize, std::vector<BYTE>& out) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(file, nullptr);
    bool ok = size != INVALID_FILE_SIZE && size > 0 && size <= maxSize;
    if (ok) {
        out.resize(size);
        DWORD got = 0;
        ok = ReadFile(file, out.data(), size, &got, nullptr) && got == size;
    }
    CloseHandle(file);
    return ok;
}

}  // namespace

void CUIResourceSettings::SetModuleInstance(HINSTANCE instance) { State().moduleInstance = instance; }

HINSTANCE CUIResourceSettings::GetModuleInstance() { return State().moduleInstance; }

void CUIResourceSettings::SetResourceModule(HINSTANCE module) { State().resourceModule = module; }

HINSTANCE CUIResourceSettings::GetResourceModule() {
    return State().resourceModule ? State().resourceModule : State().moduleInstance;
}

CUIString CUIResourceSettings::GetModuleFolder() {
    if (!State().moduleInstance) return CUIString();
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(State().moduleInstance, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return CUIString();
        if (n < path.size()) break;
        path.resize(path.size() * 2);  // cut: try a bigger buffer
    }
    CUIString folder(path.data());
    return folder.Prefix(folder.ReverseFind(L'\\') + 1);
}

CUIString CUIResourceSettings::GetCurrentPath() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetCurrentDirectoryW(MAX_PATH, path);
    return (n == 0 || n >= MAX_PATH) ? CUIString() : CUIString(path);
}

bool CUIResourceSettings::SetCurrentPath(const wchar_t* path) { return path && SetCurrentDirectoryW(path); }

void CUIResourceSettings::SetResourceFolder(const wchar_t* folder) {
    CUIString& target = State().resourceFolder;
    target = folder;
    if (!target.IsEmpty() && !EndsWithSeparator(target)) target += L'\\';
}

const CUIString& CUIResourceSettings::GetResourceFolder() { return State().resourceFolder; }

void CUIResourceSettings::SetResourceSourceKind(int kind) { State().sourceKind = kind; }

int CUIResourceSettings::GetResourceSourceKind() { return State().sourceKind; }

bool CUIResourceSettings::OpenResourceArchiveFromMemory(const void* data, unsigned size, const wchar_t* password) {
    Settings& s = State();
    CloseResourceArchive();
    s.archiveName = kMemoryArchiveName;
    s.archiveCached = true;
    s.archivePassword = password;
    s.archive = OpenZip(data, size, PasswordOrNull(NarrowPassword(password)));
    if (!s.archive) LogPrintW(L"CUIResourceSettings: cannot open the archive in memory (%u bytes)\n", size);
    return s.archive != nullptr;
}

bool CUIResourceSettings::OpenResourceArchiveFile(const wchar_t* name, bool cache, const wchar_t* password) {
    Settings& s = State();
    if (s.archiveName == name && s.archiveCached == cache) return !cache || s.archive != nullptr;
    CloseResourceArchive();
    s.archiveName = name;
    s.archiveCached = cache;
    s.archivePassword = password;
    if (!cache) return true;
    CUIString path = s.resourceFolder + name;
    s.archive = OpenZip(path.Data(), PasswordOrNull(NarrowPassword(password)));
    if (!s.archive) LogPrintW(L"CUIResourceSettings: cannot open the archive %ls\n", path.Data());
    return s.archive != nullptr;
}

void CUIResourceSettings::CloseResourceArchive() {
    Settings& s = State();
    if (s.archive) CloseZip(s.archive);
    s.archive = nullptr;
}

const CUIString& CUIResourceSettings::GetArchiveName() { return State().archiveName; }

bool CUIResourceSettings::IsArchiveCached() { return State().archiveCached; }

ZipHandle* CUIResourceSettings::GetArchiveHandle() { return State().archive; }

const CUIString& CUIResourceSettings::GetArchivePassword() { return State().archivePassword; }

ArchiveReadResult CUIResourceSettings::ReadArchiveEntry(const wchar_t* name, unsigned maxSize,
                                                        std::vector<BYTE>& out) {
    out.clear();
    Settings& s = State();
    if (s.archiveName.IsEmpty()) return ArchiveReadResult::NoArchive;

    ZipHandle* archive = s.archive;
    bool openedHere = false;
    if (!archive) {
        CUIString path = s.resourceFolder + s.archiveName;
        archive = OpenZip(path.Data(), PasswordOrNull(NarrowPassword(s.archivePassword.Data())));
        if (!archive) return ArchiveReadResult::OpenFailed;
        openedHere = true;
    }

    CUIString entryName(name);
    entryName.ReplaceAll(L"\\", L"/");
    ArchiveReadResult result = ArchiveReadResult::Ok;
    int index = -1;
    ZipEntry entry;
    if (FindZipItem(archive, entryName.Data(), true, &index, &entry) != ZR_OK || index < 0) {
        result = ArchiveReadResult::NotFound;
    } else if (entry.uncompressedSize == 0) {
        result = ArchiveReadResult::Empty;
    } else if (entry.uncompressedSize > maxSize) {
        result = ArchiveReadResult::TooLarge;
    } else {
        out.resize(entry.uncompressedSize);
        ZipResult unzipped = UnzipItem(archive, index, out.data(), entry.uncompressedSize);
        if (unzipped != ZR_OK && unzipped != ZR_MORE) {
            out.clear();
            result = ArchiveReadResult::UnzipFailed;
        }
    }
    if (openedHere) CloseZip(archive);
    return result;
}

bool CUIResourceSettings::ReadSkinFile(const wchar_t* name, unsigned maxSize, std::vector<BYTE>& out) {
    if (!name || !*name) return false;
    if (State().archiveName.IsEmpty()) {
        CUIString path = State().resourceFolder + name;
        if (ReadWholeFile(path.Data(), maxSize, out)) return true;
    } else if (ReadArchiveEntry(name, maxSize, out) == ArchiveReadResult::Ok) {
        return true;
    }
    return ReadWholeFile(name, maxSize, out);
}

}  // namespace SkinUI
