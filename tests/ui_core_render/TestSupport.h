#pragma once
// Fixtures for the UI core tests: hand-built zip archives (for names, fields and damage that
// no zip tool writes), PNG files, buffers that fault on the first byte read past their end, 32-bit DIB
// canvases, embedded resources and unique temporary paths.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

// ---- zip archives
struct ZipMember {
    std::string name;
    std::string data;
    bool deflate = false;
    std::string password;            // non-empty: traditional encryption
    bool dataDescriptorFlag = false; // flag bit 3: the check byte is the time's high byte
    uint16_t madeBy = 0x0314;        // host 3 (Unix), version 2.0
    uint32_t externalAttributes = 0x81A40000;  // -rw-r--r--
    uint16_t dosTime = 0x6000;       // 12:00:00
    uint16_t dosDate = 0x5A21;       // 2025-01-01
    std::string localExtra;
    std::string centralExtra;
    int64_t declaredSize = -1;       // overrides the uncompressed size in both headers
};

struct ZipLayout {
    std::vector<uint8_t> bytes;
    std::vector<size_t> localOffsets;
    size_t centralOffset = 0;
    size_t endOffset = 0;  // end-of-central-directory record
};

ZipLayout BuildZip(const std::vector<ZipMember>& entries);
// A "UT" extra record with the given times (flags bit 0, 1, 2 for modification, access, creation).
std::string ExtendedTimeField(uint8_t flags, uint32_t modification, uint32_t access, uint32_t creation);

// ---- PNG files (RGBA, 8 bits per channel)
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint32_t>& rgba);  // 0xRRGGBBAA
// A PNG whose header claims the given size but carries almost no data.
std::vector<uint8_t> PngHeaderOnly(uint32_t width, uint32_t height);

// ---- memory that ends at an inaccessible page
class GuardedBuffer {
public:
    explicit GuardedBuffer(const void* data, size_t size);
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;
    ~GuardedBuffer();
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    void* base_ = nullptr;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// ---- a 32-bit top-down DIB selected into a memory DC
class Canvas {
public:
    Canvas(int width, int height, uint32_t fill = 0);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas();
    HDC dc() const { return dc_; }
    uint32_t At(int x, int y) const;           // 0xAARRGGBB as stored
    uint32_t Rgb(int x, int y) const { return At(x, y) & 0xFFFFFF; }
    void Fill(uint32_t argb);
    int width() const { return width_; }
    int height() const { return height_; }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* pixels_ = nullptr;
    int width_ = 0, height_ = 0;
};

// ---- ends the process when a guarded call does not return in time (a hang is a failure, not a wait)
class Watchdog {
public:
    Watchdog(unsigned seconds, const char* what);
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    ~Watchdog();

private:
    static DWORD WINAPI Watch(void* self);
    HANDLE done_ = nullptr;
    HANDLE thread_ = nullptr;
    unsigned seconds_;
    const char* what_;
};

// ---- resources and files
std::vector<uint8_t> LoadResourceBytes(const wchar_t* name, const wchar_t* type);
std::wstring UniqueTempPath(const wchar_t* stem);  // a fresh name in the temp folder, not created
bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::vector<uint8_t> ReadFileBytes(const std::wstring& path);
bool RemoveTree(const std::wstring& path);

}  // namespace TestSupport
