#include "FirmwareTestSupport.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

Bytes Pattern(size_t size, uint8_t seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 13 + (i >> 8));
    return bytes;
}

static void AppendBe32(Bytes& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

Bytes Wrapper(uint8_t id, uint8_t model, const Bytes& head, const Bytes& image, const Bytes& tail) {
    Bytes out{id, model};
    out.insert(out.end(), head.begin(), head.end());
    out.insert(out.end(), image.begin(), image.end());
    out.insert(out.end(), tail.begin(), tail.end());
    uint32_t sum = 0;
    for (uint8_t b : out) sum += b;
    AppendBe32(out, sum);
    return out;
}

Bytes Combined(uint8_t head0, uint8_t head1, const std::vector<uint32_t>& sizes, const std::vector<Bytes>& wrappers) {
    Bytes out{head0, head1, static_cast<uint8_t>(sizes.size())};
    for (uint32_t size : sizes) AppendBe32(out, size);
    for (const Bytes& w : wrappers) out.insert(out.end(), w.begin(), w.end());
    return out;
}

// ---- TempDir ----

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    wchar_t dir[MAX_PATH];
    _snwprintf(dir, MAX_PATH, L"%lsvelmor_fw_%lu_%d\\", base, GetCurrentProcessId(), ++counter);
    dir[MAX_PATH - 1] = 0;
    mDir = dir;
    CreateDirectoryW(mDir.c_str(), nullptr);
}

TempDir::~TempDir() {
    for (const std::wstring& file : mFiles) DeleteFileW(file.c_str());
    RemoveDirectoryW(mDir.c_str());
}

std::wstring TempDir::Write(const std::wstring& name, const Bytes& bytes) {
    const std::wstring path = mDir + name;
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f != nullptr) {
        if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    mFiles.push_back(path);
    return path;
}

// ---- HidRecorder ----

HidHandle* HidRecorder::Open(uint16_t v, uint16_t p, const wchar_t* s) {
    HidHandle* handle = mInner.Open(v, p, s);
    if (handle != nullptr) ++opens;
    return handle;
}

int HidRecorder::Write(HidHandle* d, const uint8_t* data, size_t length) {
    events.push_back({true, Bytes(data, data + length)});
    return mInner.Write(d, data, length);
}

int HidRecorder::ReadTimeout(HidHandle* d, uint8_t* data, size_t length, int t) {
    const int n = mInner.ReadTimeout(d, data, length, t);
    if (n > 0) events.push_back({false, Bytes(data, data + n)});
    return n;
}

void HidRecorder::Close(HidHandle* d) {
    ++closes;
    mInner.Close(d);
}

Request RequestOf(const Bytes& report) {
    Request r{report[4], report[5], {}};
    const size_t length = report[3] >= 3 ? report[3] - 3u : 0u;
    r.payload.assign(report.begin() + 7, report.begin() + 7 + length);
    return r;
}

// ---- UpgradeRig ----

UpgradeRig::UpgradeRig() {
    link.SetDeviceProfile(94, 10, 10, 0, 0);
    link.OpenHIDDevice();
}

std::vector<Request> UpgradeRig::Requests() const {
    std::vector<Request> out;
    for (const auto& event : hid.events)
        if (event.write) out.push_back(RequestOf(event.bytes));
    return out;
}

std::vector<int> UpgradeRig::Pump(int limit) {
    std::vector<int> values;
    for (int i = 0; i < limit; ++i) {
        values.push_back(link.UpgradeProgress());
        if (values.back() > 100) break;
    }
    return values;
}

std::vector<int> Distinct(const std::vector<int>& values) {
    std::vector<int> out;
    for (int v : values)
        if (out.empty() || out.back() != v) out.push_back(v);
    return out;
}
