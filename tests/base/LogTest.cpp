#include "base/Log.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>
#include <regex>
#include <string>
#include <thread>

namespace {

std::string ReadAll(const wchar_t* path) {
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string out;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
    CloseHandle(h);
    return out;
}

std::string Narrow(const std::string& utf16) {  // ASCII-only UTF-16LE to bytes
    std::string out;
    for (size_t i = 0; i + 1 < utf16.size(); i += 2) out.push_back(utf16[i]);
    return out;
}

class LogTest : public ::testing::Test {
protected:
    const wchar_t* path = L"log_test_save.log";
    void TearDown() override {
        LogCloseFile();
        LogTimestampEnabled = 1;
        DeleteFileW(path);
    }
};

TEST_F(LogTest, OffWritesNothingAndReturnsZero) {
    LogCloseFile();
    DeleteFileW(path);
    EXPECT_EQ(0, LogPrintW(L"hello %d\n", 5));
    EXPECT_EQ(0, LogPrintA("hello %d\n", 5));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path));
}

TEST_F(LogTest, StampedAndUnstampedLinesMixNarrowAndWide) {
    ASSERT_TRUE(LogOpenFile(path));
    EXPECT_EQ(6, LogPrintA("a=%d%%\n", 42));
    LogTimestampEnabled = 0;
    LogPrintA("%02x ", 0xAB);
    LogPrintA("\n");
    LogTimestampEnabled = 1;
    LogCloseFile();
    std::string text = ReadAll(path);
    std::regex expected(R"(\[\d\d:\d\d:\d\d\.\d\d\d\] a=42%\nab \n)");
    EXPECT_TRUE(std::regex_match(text, expected)) << text;
}

TEST_F(LogTest, AnUnstampedDumpOnOneThreadLeavesOtherThreadsStamped) {
    ASSERT_TRUE(LogOpenFile(path));
    std::mutex lock;
    std::condition_variable changed;
    int step = 0;
    auto waitFor = [&](int wanted) {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [&] { return step >= wanted; });
    };
    auto advance = [&] {
        std::lock_guard<std::mutex> guard(lock);
        ++step;
        changed.notify_all();
    };
    std::thread dumper([&] {
        LogPrintA("dump: ");
        {
            LogUnstampedScope unstamped;
            LogPrintA("aa ");
            advance();  // another thread writes its line while this dump is half done
            waitFor(2);
            LogPrintA("bb\n");
        }
        LogPrintA("after\n");
    });
    waitFor(1);
    LogPrintA("other\n");
    advance();
    dumper.join();
    LogCloseFile();
    const std::string text = ReadAll(path);
    const std::string stamp = R"(\[\d\d:\d\d:\d\d\.\d\d\d\] )";
    std::regex expected(stamp + "dump: aa " + stamp + "other\nbb\n" + stamp + "after\n");
    EXPECT_TRUE(std::regex_match(text, expected)) << text;
}

TEST_F(LogTest, WideLinesAreUtf16AndUseMicrosoftStringFormats) {
    ASSERT_TRUE(LogOpenFile(path));
    LogTimestampEnabled = 0;
    LogPrintW(L"Manufacturer String: %ls, %hs\n", L"wide", "narrow");
    LogCloseFile();
    EXPECT_EQ("Manufacturer String: wide, narrow\n", Narrow(ReadAll(path)));
}

TEST_F(LogTest, FlushesAfterTwelfthLineThenEveryEleventh) {
    ASSERT_TRUE(LogOpenFile(path));
    LogTimestampEnabled = 0;
    for (int i = 1; i <= 11; ++i) LogPrintA("x");
    EXPECT_EQ("", ReadAll(path));
    LogPrintA("x");
    EXPECT_EQ(std::string(12, 'x'), ReadAll(path));
    for (int i = 1; i <= 10; ++i) LogPrintA("y");
    EXPECT_EQ(std::string(12, 'x'), ReadAll(path));
    LogPrintA("y");
    EXPECT_EQ(std::string(12, 'x') + std::string(11, 'y'), ReadAll(path));
}

TEST_F(LogTest, OverlongLineIsCutWithoutOverflow) {
    ASSERT_TRUE(LogOpenFile(path));
    LogTimestampEnabled = 0;
    std::string longText(5000, 'z');
    LogPrintA("%s", longText.c_str());
    LogCloseFile();
    EXPECT_EQ(std::string(1023, 'z'), ReadAll(path));
}

TEST(LogConversion, AnsiAndWideRoundTrip) {
    wchar_t wide[32];
    AnsiToWideBuf("Scene 1", wide);
    EXPECT_STREQ(L"Scene 1", wide);
    char narrow[32];
    WideToAnsiBuf(L"Scene 2", narrow);
    EXPECT_STREQ("Scene 2", narrow);
}

}  // namespace
