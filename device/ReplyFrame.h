#pragma once
// Read-only view of a reply frame's data bytes (data[0] sub-command, data[1] optype, values after).
// Decoders take every index and count from the device; the view keeps them inside the frame.
#include <cstddef>
#include <cstdint>

class ReplyFrame {
public:
    ReplyFrame(const uint8_t* data, size_t length) : mData(data), mLength(data != nullptr ? length : 0) {}

    size_t Length() const { return mLength; }
    // True when data[0 .. count-1] all lie inside the frame.
    bool Has(size_t count) const { return count <= mLength; }
    // A byte past the frame reads as 0; callers test Has() before using values.
    uint8_t operator[](size_t i) const { return i < mLength ? mData[i] : 0; }
    uint16_t BE16(size_t at) const { return static_cast<uint16_t>((*this)[at] << 8 | (*this)[at + 1]); }
    uint32_t LE32(size_t at) const {
        return static_cast<uint32_t>((*this)[at]) | static_cast<uint32_t>((*this)[at + 1]) << 8 |
               static_cast<uint32_t>((*this)[at + 2]) << 16 | static_cast<uint32_t>((*this)[at + 3]) << 24;
    }
    // How many of `wanted` items of itemSize bytes, the first at `first`, lie wholly inside the frame.
    int ItemsInside(size_t first, size_t itemSize, int wanted) const {
        if (wanted <= 0 || itemSize == 0 || first >= mLength) return 0;
        const size_t inside = (mLength - first) / itemSize;
        return inside < static_cast<size_t>(wanted) ? static_cast<int>(inside) : wanted;
    }

private:
    const uint8_t* mData;
    size_t mLength;
};
