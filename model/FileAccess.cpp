#include "model/FileAccess.h"

#include <windows.h>

#include <string>

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE h) : handle_(h) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    bool Close() {
        if (!IsOpen()) return true;
        bool ok = CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE handle_;
};

std::wstring DirectoryOf(const wchar_t* path) {
    std::wstring p(path);
    size_t slash = p.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    if (slash == 0 || (slash == 2 && p[1] == L':')) return p.substr(0, slash + 1);  // a root keeps its slash
    return p.substr(0, slash);
}

bool WriteAll(HANDLE file, const char* data, size_t size) {
    while (size > 0) {
        DWORD chunk = size > (1u << 20) ? (1u << 20) : DWORD(size);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written != chunk) return false;
        data += chunk;
        size -= chunk;
    }
    return true;
}

bool WriteNewFile(const wchar_t* path, const char* data, size_t size) {
    FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) return false;
    bool ok = WriteAll(file.Get(), data, size) && FlushFileBuffers(file.Get());
    return file.Close() && ok;
}

}  // namespace

std::unique_ptr<char[]> ReadFileToBuffer(const wchar_t* path) {
    FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) return nullptr;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 || size.QuadPart > LONGLONG(MaxReadFileBytes))
        return nullptr;
    DWORD total = DWORD(size.QuadPart);
    std::unique_ptr<char[]> buffer(new char[total + 1]);
    DWORD read = 0;
    while (read < total) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), buffer.get() + read, total - read, &got, nullptr) || got == 0) return nullptr;
        read += got;
    }
    buffer[total] = 0;
    return buffer;
}

bool WriteFileReplacing(const wchar_t* path, const char* data, size_t size) {
    if (path == nullptr || *path == 0) return false;  // no file chosen: nothing to write to
    // A read-only profile is not to be overwritten, whether or not a rename would be allowed to.
    DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    wchar_t temp[MAX_PATH];
    if (!GetTempFileNameW(DirectoryOf(path).c_str(), L"vlm", 0, temp)) return false;
    if (WriteNewFile(temp, data, size) &&
        MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temp);
    return false;
}
