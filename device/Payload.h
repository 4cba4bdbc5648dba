#pragma once
// A request payload being filled byte by byte. Its capacity is the builder's block size (never more
// than a frame holds); writes past it are counted as an overflow and the payload is then refused
// instead of overrunning anything.
#include "device/HidPacket.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

class Payload {
public:
    explicit Payload(size_t capacity = HidPacket::kMaxRequestPayload)
        : mCapacity(std::min(capacity, HidPacket::kMaxRequestPayload)) {}

    Payload& U8(uint32_t value) {
        if (mSize < mCapacity) {
            mBytes[mSize++] = static_cast<uint8_t>(value);
        } else {
            mOverflow = true;
        }
        return *this;
    }
    Payload& BE16(uint32_t value) { return U8(value >> 8).U8(value); }
    Payload& LE32(uint32_t value) { return U8(value).U8(value >> 8).U8(value >> 16).U8(value >> 24); }
    Payload& Bytes(const uint8_t* bytes, size_t count) {
        for (size_t i = 0; i < count; ++i) U8(bytes[i]);
        return *this;
    }

    const uint8_t* Data() const { return mBytes.data(); }
    uint8_t Size() const { return static_cast<uint8_t>(mSize); }
    bool Overflowed() const { return mOverflow; }
    uint8_t operator[](size_t i) const { return mBytes[i]; }

private:
    std::array<uint8_t, HidPacket::kMaxRequestPayload> mBytes{};
    size_t mCapacity;
    size_t mSize = 0;
    bool mOverflow = false;
};

// Number of channels in the inclusive range x..y; an inverted range has none.
inline int RangeCount(uint8_t first, uint8_t last) { return last >= first ? last - first + 1 : 0; }
