// Receive path: reports through the ring into the frame parser; each good frame decoded exactly once,
// whatever splits, merges, corrupts or oversizes the stream around it.
#include "device/DeviceMessages.h"
#include "device/DeviceTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// A frame whose decoding is easy to see: the main mute value, posted as WM_DSP_VALUE (4, value).
Bytes MuteFrame(uint8_t value) { return ReplyBytes(1, {4, 0xDD, value}); }

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

class ReceivePath : public ::testing::Test {
protected:
    LinkFixture f;

    // Mute values decoded so far, in order.
    std::vector<LPARAM> Decoded() {
        std::vector<LPARAM> values;
        for (const auto& p : f.poster.Of(WM_DSP_VALUE, 4)) values.push_back(p.lParam);
        return values;
    }
    // Queues the stream as 64-byte reports and reads each of them.
    void ReadStream(const Bytes& stream) {
        const size_t reports = Reports(stream).size();
        f.hid.QueueInput(stream);
        for (size_t i = 0; i < reports; ++i) ASSERT_EQ(1u, f.link.ReadHIDData(buffer, 10000));
    }
    uint8_t buffer[65] = {};
};

TEST_F(ReceivePath, ParserWalksItsStatesThroughAShortFrame) {
    // AA 55 02 01 05 F8: length 2, type 1, one data byte, right checksum.
    const uint8_t frame[] = {0xAA, 0x55, 0x02, 0x01, 0x05, 0xF8};
    const uint8_t expected[] = {1, 2, 3, 4, 5, 0};
    uint8_t state = 0;
    for (size_t i = 0; i < sizeof frame; ++i) {
        state = f.link.FrameParser(state, frame[i]);
        EXPECT_EQ(expected[i], state) << "after byte " << i;
    }
    const uint8_t data[] = {0x05};
    EXPECT_EQ(0xF8, static_cast<uint8_t>(f.link.packet_checksum(2, 1, data)));

    EXPECT_EQ(0, f.link.FrameParser(0, 0x55)) << "idle skips anything but AA";
    EXPECT_EQ(1, f.link.FrameParser(1, 0xAA)) << "waiting for 55 skips a second AA";
    EXPECT_EQ(1, f.link.FrameParser(1, 0x00));
    EXPECT_EQ(0, f.link.FrameParser(2, 0x00)) << "length 0 is dropped at once";
    EXPECT_EQ(0, f.link.FrameParser(2, 62)) << "a length above 61 is dropped at once";
    EXPECT_EQ(3, f.link.FrameParser(2, 61));
}

TEST_F(ReceivePath, SyncBytesAreFoundPastNoise) {
    ReadStream(Concat({{0xAA, 0x00}, MuteFrame(1), {0xAA, 0xAA}, MuteFrame(2)}));
    // AA 00 55...: the 00 is skipped while waiting for 55; AA AA 55...: the second AA likewise.
    Bytes skipped = MuteFrame(3);
    skipped.insert(skipped.begin() + 1, 0x00);
    ReadStream(skipped);
    EXPECT_EQ((std::vector<LPARAM>{1, 2, 3}), Decoded());
}

TEST_F(ReceivePath, SplitMergedCorruptAndOversizedFramesLeaveEachGoodFrameDecodedOnce) {
    // Two frames in one report.
    ReadStream(Concat({MuteFrame(1), MuteFrame(2)}));
    EXPECT_EQ((std::vector<LPARAM>{1, 2}), Decoded());

    // A frame that starts at the end of one report and ends in the next completes on the second read.
    Bytes straddling(60, 0x00);
    const Bytes split = MuteFrame(3);
    straddling.insert(straddling.end(), split.begin(), split.end());
    f.hid.QueueInput(straddling);
    ASSERT_EQ(1u, f.link.ReadHIDData(buffer, 10000));
    EXPECT_EQ(2u, Decoded().size());
    ASSERT_EQ(1u, f.link.ReadHIDData(buffer, 10000));
    EXPECT_EQ(3u, Decoded().size());

    // A wrong checksum drops that frame only.
    Bytes corrupt = MuteFrame(9);
    corrupt.back() ^= 0x01;
    ReadStream(Concat({corrupt, MuteFrame(4)}));

    // Lengths 0 and 62 cannot be frames: they must not swallow the good frames right behind them.
    ReadStream(Concat({{0xAA, 0x55, 0x00}, MuteFrame(5), {0xAA, 0x55, 62, 0x01}, MuteFrame(6)}));
    ReadStream(MuteFrame(7));
    EXPECT_EQ((std::vector<LPARAM>{1, 2, 3, 4, 5, 6, 7}), Decoded());
}

TEST_F(ReceivePath, LongestFrameSpansTwoReportsAndDecodes) {
    Bytes data{4, 0xDD, 8};
    data.resize(60, 0x11);  // L = 61: type and 60 data bytes
    const Bytes frame = ReplyBytes(1, data);
    ASSERT_EQ(65u, frame.size());
    ReadStream(frame);
    EXPECT_EQ((std::vector<LPARAM>{8}), Decoded());
}

TEST_F(ReceivePath, RandomStreamsThroughTheWrappingRingDecodeEveryFrameInOrder) {
    std::mt19937 random(1234);
    std::vector<LPARAM> sent;
    Bytes stream;
    for (int i = 0; i < 400; ++i) {  // several times the ring's 1024 bytes
        const int junk = random() % 5;
        for (int j = 0; j < junk; ++j) stream.push_back(static_cast<uint8_t>(random() % 0xA0));  // never AA
        const uint8_t value = static_cast<uint8_t>(random());
        const Bytes frame = MuteFrame(value);
        stream.insert(stream.end(), frame.begin(), frame.end());
        sent.push_back(value);
    }
    // Reports are 64 bytes each, so frames straddle report boundaries wherever the junk puts them.
    ReadStream(stream);
    EXPECT_EQ(sent, Decoded());
}

TEST_F(ReceivePath, ReadsWithoutInputOrDeviceReturnZero) {
    EXPECT_EQ(0u, f.link.ReadHIDData(buffer, 500));
    EXPECT_EQ(500, f.hid.ReplyWaits().back());
    f.link.CloseHIDDevice(false);
    const int readsBefore = f.hid.reads;
    EXPECT_EQ(0u, f.link.ReadHIDData(buffer, 10000));
    EXPECT_EQ(readsBefore, f.hid.reads) << "a closed link does not touch the backend";
}

TEST_F(ReceivePath, AFrameCutOffBeforeAReconnectDoesNotEatTheFirstReply) {
    const Bytes frame = MuteFrame(1);
    f.hid.QueueInput(Bytes(frame.begin(), frame.begin() + 5));
    ASSERT_EQ(1u, f.link.ReadHIDData(buffer, 10000));
    f.link.CloseHIDDevice(false);
    f.link.OpenHIDDevice();
    ReadStream(MuteFrame(2));
    EXPECT_EQ((std::vector<LPARAM>{2}), Decoded());
}

}  // namespace
