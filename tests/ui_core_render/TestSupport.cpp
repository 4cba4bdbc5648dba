#include "TestSupport.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>

namespace TestSupport {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutBytes(std::vector<uint8_t>& out, const std::string& s) { out.insert(out.end(), s.begin(), s.end()); }
void PutBytes(std::vector<uint8_t>& out, const std::vector<uint8_t>& s) { out.insert(out.end(), s.begin(), s.end()); }

std::string RawDeflate(const std::string& data) {
    z_stream s = {};
    deflateInit2(&s, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&s, static_cast<uLong>(data.size())) + 16, '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef*>(&out[0]);
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

struct Keys {
    uint32_t k[3] = {305419896u, 591751049u, 878082192u};
    const z_crc_t* table = get_crc_table();
    uint32_t Crc(uint32_t c, uint8_t b) const { return table[(c ^ b) & 0xff] ^ (c >> 8); }
    void Update(uint8_t p) {
        k[0] = Crc(k[0], p);
        k[1] = (k[1] + (k[0] & 0xff)) * 134775813u + 1;
        k[2] = Crc(k[2], static_cast<uint8_t>(k[1] >> 24));
    }
    uint8_t Encrypt(uint8_t p) {
        uint32_t t = (k[2] & 0xffff) | 2;
        uint8_t c = p ^ static_cast<uint8_t>((t * (t ^ 1)) >> 8);
        Update(p);
        return c;
    }
};

std::string Encrypt(const std::string& password, uint8_t check, const std::string& payload) {
    Keys keys;
    for (char c : password) keys.Update(static_cast<uint8_t>(c));
    std::string plain;
    for (int i = 0; i < 11; ++i) plain += static_cast<char>(i * 37 + 5);
    plain += static_cast<char>(check);
    plain += payload;
    std::string out;
    for (char c : plain) out += static_cast<char>(keys.Encrypt(static_cast<uint8_t>(c)));
    return out;
}

}  // namespace

ZipLayout BuildZip(const std::vector<ZipMember>& entries) {
    ZipLayout layout;
    std::vector<uint8_t> central;
    for (const ZipMember& e : entries) {
        const uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size()));
        std::string payload = e.deflate ? RawDeflate(e.data) : e.data;
        uint16_t flag = 0;
        if (!e.password.empty()) {
            flag |= 1;
            if (e.dataDescriptorFlag) flag |= 8;
            uint8_t check = static_cast<uint8_t>(e.dataDescriptorFlag ? e.dosTime >> 8 : crc >> 24);
            payload = Encrypt(e.password, check, payload);
        }
        const uint32_t size = static_cast<uint32_t>(e.declaredSize >= 0 ? e.declaredSize : e.data.size());
        const uint16_t method = e.deflate ? 8 : 0;

        layout.localOffsets.push_back(layout.bytes.size());
        std::vector<uint8_t>& out = layout.bytes;
        Put32(out, 0x04034b50);
        Put16(out, 20);
        Put16(out, flag);
        Put16(out, method);
        Put16(out, e.dosTime);
        Put16(out, e.dosDate);
        Put32(out, crc);
        Put32(out, static_cast<uint32_t>(payload.size()));
        Put32(out, size);
        Put16(out, static_cast<uint32_t>(e.name.size()));
        Put16(out, static_cast<uint32_t>(e.localExtra.size()));
        PutBytes(out, e.name);
        PutBytes(out, e.localExtra);
        PutBytes(out, payload);

        Put32(central, 0x02014b50);
        Put16(central, e.madeBy);
        Put16(central, 20);
        Put16(central, flag);
        Put16(central, method);
        Put16(central, e.dosTime);
        Put16(central, e.dosDate);
        Put32(central, crc);
        Put32(central, static_cast<uint32_t>(payload.size()));
        Put32(central, size);
        Put16(central, static_cast<uint32_t>(e.name.size()));
        Put16(central, static_cast<uint32_t>(e.centralExtra.size()));
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put32(central, e.externalAttributes);
        Put32(central, static_cast<uint32_t>(layout.localOffsets.back()));
        PutBytes(central, e.name);
        PutBytes(central, e.centralExtra);
    }
    layout.centralOffset = layout.bytes.size();
    PutBytes(layout.bytes, central);
    layout.endOffset = layout.bytes.size();
    Put32(layout.bytes, 0x06054b50);
    Put16(layout.bytes, 0);
    Put16(layout.bytes, 0);
    Put16(layout.bytes, static_cast<uint32_t>(entries.size()));
    Put16(layout.bytes, static_cast<uint32_t>(entries.size()));
    Put32(layout.bytes, static_cast<uint32_t>(central.size()));
    Put32(layout.bytes, static_cast<uint32_t>(layout.centralOffset));
    Put16(layout.bytes, 0);
    return layout;
}

std::string ExtendedTimeField(uint8_t flags, uint32_t modification, uint32_t access, uint32_t creation) {
    std::vector<uint8_t> data;
    data.push_back(flags);
    if (flags & 1) Put32(data, modification);
    if (flags & 2) Put32(data, access);
    if (flags & 4) Put32(data, creation);
    std::vector<uint8_t> field;
    Put16(field, 0x5455);
    Put16(field, static_cast<uint32_t>(data.size()));
    PutBytes(field, data);
    return std::string(field.begin(), field.end());
}

namespace {
void PngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    auto be32 = [&](uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
    };
    be32(static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    be32(crc32(0, body.data(), static_cast<uInt>(body.size())));
}

std::vector<uint8_t> PngStart(uint32_t width, uint32_t height) {
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> ihdr;
    for (uint32_t v : {width, height})
        for (int s = 24; s >= 0; s -= 8) ihdr.push_back(static_cast<uint8_t>(v >> s));
    for (uint8_t b : {8, 6, 0, 0, 0}) ihdr.push_back(b);
    PngChunk(out, "IHDR", ihdr);
    return out;
}
}  // namespace

std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint32_t>& rgba) {
    std::vector<uint8_t> out = PngStart(width, height);
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            uint32_t p = rgba[y * width + x];
            for (int s = 24; s >= 0; s -= 8) raw.push_back(static_cast<uint8_t>(p >> s));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9);
    packed.resize(packedSize);
    PngChunk(out, "IDAT", packed);
    PngChunk(out, "IEND", {});
    return out;
}

std::vector<uint8_t> PngHeaderOnly(uint32_t width, uint32_t height) {
    std::vector<uint8_t> out = PngStart(width, height);
    PngChunk(out, "IDAT", {0x78, 0x9c, 0x03, 0x00});
    PngChunk(out, "IEND", {});
    return out;
}

GuardedBuffer::GuardedBuffer(const void* data, size_t size) : size_(size) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const size_t page = info.dwPageSize;
    const size_t dataPages = (size + page - 1) / page;
    base_ = VirtualAlloc(nullptr, (dataPages + 1) * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    uint8_t* bytes = static_cast<uint8_t*>(base_);
    DWORD old;
    VirtualProtect(bytes + dataPages * page, page, PAGE_NOACCESS, &old);
    uint8_t* start = bytes + dataPages * page - size;
    if (size) memcpy(start, data, size);
    data_ = start;
}

GuardedBuffer::~GuardedBuffer() {
    if (base_) VirtualFree(base_, 0, MEM_RELEASE);
}

Canvas::Canvas(int width, int height, uint32_t fill) : width_(width), height_(height) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels_ = static_cast<uint32_t*>(bits);
    old_ = SelectObject(dc_, bitmap_);
    Fill(fill);
}

Canvas::~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

uint32_t Canvas::At(int x, int y) const {
    GdiFlush();
    return pixels_[y * width_ + x];
}

void Canvas::Fill(uint32_t argb) {
    GdiFlush();
    for (int i = 0; i < width_ * height_; ++i) pixels_[i] = argb;
}

Watchdog::Watchdog(unsigned seconds, const char* what) : seconds_(seconds), what_(what) {
    done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &Watchdog::Watch, this, 0, nullptr);
}

Watchdog::~Watchdog() {
    SetEvent(done_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(done_);
}

DWORD WINAPI Watchdog::Watch(void* self) {
    auto* dog = static_cast<Watchdog*>(self);
    if (WaitForSingleObject(dog->done_, dog->seconds_ * 1000) == WAIT_TIMEOUT) {
        fprintf(stderr, "Watchdog: '%s' did not return within %u s\n", dog->what_, dog->seconds_);
        fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    return 0;
}

std::vector<uint8_t> LoadResourceBytes(const wchar_t* name, const wchar_t* type) {
    HRSRC found = FindResourceW(nullptr, name, type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(nullptr, found);
    const uint8_t* bytes = static_cast<const uint8_t*>(LockResource(loaded));
    DWORD size = SizeofResource(nullptr, found);
    return bytes ? std::vector<uint8_t>(bytes, bytes + size) : std::vector<uint8_t>();
}

std::wstring UniqueTempPath(const wchar_t* stem) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    static LONG counter = 0;
    wchar_t name[MAX_PATH];
    swprintf(name, MAX_PATH, L"%ls%ls_%lu_%lu_%ld", dir, stem, GetCurrentProcessId(), GetTickCount(),
             InterlockedIncrement(&counter));
    return name;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = bytes.empty() || WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    return WriteFileBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::vector<uint8_t> bytes(GetFileSize(h, nullptr));
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(h);
    bytes.resize(got);
    return bytes;
}

bool RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = path + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryW(path.c_str()) != 0;
}

}  // namespace TestSupport
