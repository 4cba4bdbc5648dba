#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "model/Base64.h"

namespace {

constexpr uint8_t kGuard = 0xA5;

// Decodes into a 16-byte area followed by guard bytes; the guards must survive whatever the input.
struct Decoded {
    bool ok;
    size_t size;
    std::string bytes;  // the first `written` bytes of the area
};

Decoded DecodeInto16(const std::string& text) {
    std::vector<uint8_t> area(16 + 64, kGuard);
    size_t size = 16;
    bool ok = Base64Decode(text, area.data(), &size);
    for (size_t i = 16; i < area.size(); ++i) EXPECT_EQ(kGuard, area[i]) << "byte " << i << " written past the output";
    size_t written = 0;
    while (written < 16 && area[written] != kGuard) ++written;
    return {ok, size, std::string(area.begin(), area.begin() + written)};
}

std::string Encode(const std::string& bytes) {
    std::string out;
    Base64EncodeToString(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
    return out;
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

}  // namespace

TEST(Base64, EncodesRfcVectorsAndNameSlots) {
    const char* plain[] = {"", "f", "fo", "foo", "foob", "fooba", "foobar"};
    const char* text[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(text[i], Encode(plain[i]));
    EXPECT_EQ("UwBjAGUAbgBlACAAMQAAAA==", Encode(std::string("S\0c\0e\0n\0e\0 \0001\0\0\0\0\0", 16)));
    EXPECT_EQ("U2NlbmUgMQAAAAAAAAAAAA==", Encode(std::string("Scene 1\0\0\0\0\0\0\0\0\0", 16)));
    EXPECT_EQ("AAAAAAAAAAAAAAAAAAAAAA==", Encode(std::string(16, '\0')));
    EXPECT_EQ("/////////////////////w==", Encode(std::string(16, '\xFF')));
}

TEST(Base64, EncodeRefusesTooSmallBuffers) {
    uint8_t bytes[16] = {1, 2, 3};
    char out[32];
    size_t size = 24;
    std::fill(out, out + 32, 'x');
    EXPECT_FALSE(Base64Encode(bytes, 16, out, &size));
    EXPECT_EQ(24u, size);
    EXPECT_EQ('x', out[0]);
    size = 25;
    EXPECT_TRUE(Base64Encode(bytes, 16, out, &size));
    EXPECT_EQ(24u, size);
    EXPECT_EQ(0, out[24]);
    size = 0;
    EXPECT_FALSE(Base64Encode(bytes, 0, out, &size));
    size = 1;
    EXPECT_TRUE(Base64Encode(bytes, 0, out, &size));
    EXPECT_EQ(0u, size);
    EXPECT_EQ(0, out[0]);
    EXPECT_FALSE(Base64Encode(bytes, 1, nullptr, &size));
}

TEST(Base64, DecodesValidTextAndSkipsForeignBytes) {
    Decoded d = DecodeInto16("QUJDREVGR0hJSktMTU5PUA==");
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(16u, d.size);
    EXPECT_EQ("ABCDEFGHIJKLMNOP", d.bytes);
    d = DecodeInto16("QUJD\r\nREVG R0hJ\nSktMTU5PUA==");
    EXPECT_TRUE(d.ok);
    EXPECT_EQ("ABCDEFGHIJKLMNOP", d.bytes);
    d = DecodeInto16("Zm9v\xE9\xFF\x80YmFy");
    EXPECT_TRUE(d.ok);
    EXPECT_EQ("foobar", d.bytes);
    d = DecodeInto16("Zm9vYg");  // an incomplete last group is dropped
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(3u, d.size);
    EXPECT_EQ("foo", d.bytes);
    d = DecodeInto16("Zg==Zg==");
    EXPECT_EQ(2u, d.size);
    EXPECT_EQ("ff", d.bytes);
    d = DecodeInto16("====");
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(1u, d.size);
}

TEST(Base64, DecodeStopsAtTheOutputSize) {
    Decoded d = DecodeInto16("QUJDREVGR0hJSktMTU5PUFFS");  // 18 bytes
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(16u, d.size);  // unchanged on failure
    EXPECT_EQ("ABCDEFGHIJKLMNO", d.bytes);
    // Crafted padding used to drive the per-group count to zero and below, so each later group wrote
    // a byte past every bound check.
    d = DecodeInto16(std::string(20, 'A') + "====" + Repeat("AAAA", 4));
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(std::string(16, '\0'), d.bytes);
    d = DecodeInto16(std::string(20, 'A') + std::string(400, '=') + Repeat("QUFB", 500));
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(std::string(16, '\0'), d.bytes);
}

TEST(WideToAnsi, ConvertsInTheAnsiCodePage) {
    EXPECT_EQ("FW_MCU.BIN", WideToAnsi(L"FW_MCU.BIN"));
    EXPECT_EQ("", WideToAnsi(L""));
    if (GetACP() == 1252) {
        EXPECT_EQ("Caf\xE9.bin", WideToAnsi(L"Caf\u00E9.bin"));
        EXPECT_EQ("?.bin", WideToAnsi(L"\u4E2D.bin"));
    }
}
