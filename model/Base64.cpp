#include "model/Base64.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// 6-bit value of an alphabet character, -1 for "=", -2 for every byte to skip.
int SextetOf(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    if (c == '=') return -1;
    return -2;
}

}  // namespace

bool Base64Encode(const uint8_t* bytes, size_t n, char* out, size_t* size) {
    if (!out || !size || *size == 0 || *size < (n + 2) / 3 * 4 + 1) return false;
    size_t w = 0;
    for (size_t i = 0; i < n; i += 3) {
        uint32_t group = uint32_t(bytes[i]) << 16;
        if (i + 1 < n) group |= uint32_t(bytes[i + 1]) << 8;
        if (i + 2 < n) group |= bytes[i + 2];
        out[w++] = kAlphabet[(group >> 18) & 63];
        out[w++] = kAlphabet[(group >> 12) & 63];
        out[w++] = i + 1 < n ? kAlphabet[(group >> 6) & 63] : '=';
        out[w++] = i + 2 < n ? kAlphabet[group & 63] : '=';
    }
    out[w] = 0;
    *size = w;
    return true;
}

bool Base64EncodeToString(const uint8_t* bytes, size_t n, std::string& out) {
    out.clear();
    size_t size = (n + 2) / 3 * 4 + 1;
    std::vector<char> text(size);
    Base64Encode(bytes, n, text.data(), &size);
    out.assign(text.data(), size);
    return true;
}

bool Base64Decode(const std::string& text, uint8_t* out, size_t* size) {
    // Each "=" lowers the bytes that every later group yields; the count is deliberately not reset
    // per group. A group still stores at least its first byte, so the bound check must count that
    // byte too, or crafted padding would write past the output.
    int yield = 3;
    uint32_t group = 0;
    int counted = 0;
    size_t written = 0;
    for (unsigned char c : text) {
        int sextet = SextetOf(c);
        if (sextet == -2) continue;
        if (sextet == -1) {
            --yield;
            sextet = 0;
        }
        group = (group << 6) | uint32_t(sextet);
        if (++counted < 4) continue;
        size_t stored = size_t(std::clamp(yield, 1, 3));
        if (written + stored > *size) return false;
        out[written++] = uint8_t(group >> 16);
        if (stored > 1) out[written++] = uint8_t(group >> 8);
        if (stored > 2) out[written++] = uint8_t(group);
        group = 0;
        counted = 0;
    }
    *size = written;
    return true;
}

std::string WideToAnsi(const wchar_t* text) {
    int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::vector<char> buffer(n);
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, buffer.data(), n, nullptr, nullptr) <= 0) return std::string();
    return std::string(buffer.data());
}
