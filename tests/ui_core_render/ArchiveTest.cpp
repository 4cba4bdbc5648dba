// Resource archive reader: the encrypted skin packed at build time, hand-built archives with unsafe
// names and damaged structures, handle checks and unpacking to files.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "UIArchive.h"
#include "ui_core_render/TestSupport.h"

using namespace SkinUI;
using namespace TestSupport;

namespace {

std::vector<uint8_t> Skin() { return LoadResourceBytes(L"IDR_ZIPRES", L"ZIPRES"); }

std::wstring Slashes(std::wstring name) {
    std::replace(name.begin(), name.end(), L'\\', L'/');
    return name;
}

ZipResult ReadWhole(ZipHandle* zip, int index, std::string& out) {
    ZipEntry entry;
    ZipResult r = GetZipEntry(zip, index, &entry);
    if (r != ZR_OK) return r;
    out.assign(entry.uncompressedSize, '\0');
    if (out.empty()) out.resize(1);
    return UnzipItem(zip, index, &out[0], static_cast<unsigned>(out.size()));
}

FILETIME FromUnix(uint32_t t) {
    uint64_t v = t * 10000000ull + 116444736000000000ull;
    return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}

FILETIME FromDos(uint16_t date, uint16_t time) {
    FILETIME local, utc;
    DosDateTimeToFileTime(date, time, &local);
    LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

std::string ZipText(ZipResult code) {
    wchar_t text[80];
    ZipResultText(code, text, 80);
    return std::string(text, text + wcslen(text));
}

}  // namespace

TEST(ArchiveSkin, ReadsEncryptedEntriesOfThePackedSkin) {
    std::vector<uint8_t> skin = Skin();
    std::vector<uint8_t> mainXml = LoadResourceBytes(L"MAIN_XML", L"RAWFILE");
    ASSERT_FALSE(skin.empty());
    ASSERT_GT(mainXml.size(), 100u);
    ZipHandle* zip = OpenZip(skin.data(), static_cast<unsigned>(skin.size()), TEST_SKIN_PASSWORD);
    ASSERT_NE(zip, nullptr);

    ZipEntry all;
    EXPECT_EQ(GetZipEntry(zip, -1, &all), ZR_OK);
    EXPECT_EQ(all.index, 5);

    int index = -2;
    ZipEntry entry;
    ASSERT_EQ(FindZipItem(zip, Slashes(L"XML\\main.XML").c_str(), true, &index, &entry), ZR_OK);
    EXPECT_EQ(entry.index, index);
    EXPECT_STREQ(entry.name, L"xml/Main.xml");
    EXPECT_EQ(entry.uncompressedSize, mainXml.size());
    EXPECT_EQ(FindZipItem(zip, L"XML/main.XML", false, &index, nullptr), ZR_NOTFOUND);
    EXPECT_EQ(index, -1);
    ASSERT_EQ(FindZipItem(zip, L"xml/Main.xml", false, &index, nullptr), ZR_OK);

    std::string whole;
    ASSERT_EQ(ReadWhole(zip, index, whole), ZR_OK);
    EXPECT_EQ(whole, std::string(mainXml.begin(), mainXml.end()));

    // Two pieces: the first call leaves the entry open, the second finishes it.
    std::string first(60, '\0'), rest(mainXml.size() - 60, '\0');
    EXPECT_EQ(UnzipItem(zip, index, &first[0], 60), ZR_MORE);
    EXPECT_EQ(UnzipItem(zip, index, &rest[0], static_cast<unsigned>(rest.size())), ZR_OK);
    EXPECT_EQ(first + rest, whole);

    // A stored image.
    ASSERT_EQ(FindZipItem(zip, L"IMG/NINE.PNG", true, &index, &entry), ZR_OK);
    std::string png;
    ASSERT_EQ(ReadWhole(zip, index, png), ZR_OK);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ(static_cast<uint8_t>(png[19]), 12);  // IHDR width

    EXPECT_EQ(FindZipItem(zip, L"img/missing.png", true, &index, &entry), ZR_NOTFOUND);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(entry.index, -1);
    EXPECT_EQ(CloseZip(zip), ZR_OK);
}

TEST(ArchiveSkin, WrongOrMissingPasswordIsRefused) {
    std::vector<uint8_t> skin = Skin();
    for (const char* password : {"maple-river-stonez", "", static_cast<const char*>(nullptr)}) {
        ZipHandle* zip = OpenZip(skin.data(), static_cast<unsigned>(skin.size()), password);
        ASSERT_NE(zip, nullptr);  // the directory itself is not encrypted
        for (const wchar_t* name : {L"xml/Main.xml", L"img/nine.png"}) {
            int index = -1;
            ASSERT_EQ(FindZipItem(zip, name, true, &index, nullptr), ZR_OK);
            std::string data;
            EXPECT_EQ(ReadWhole(zip, index, data), ZR_PASSWORD) << name;
            EXPECT_EQ(ZipText(ZR_RECENT), "Correct password required");
        }
        CloseZip(zip);
    }
}

TEST(ArchiveSkin, FileAndHandleSourcesReadTheSame) {
    std::vector<uint8_t> skin = Skin();
    std::vector<uint8_t> mainXml = LoadResourceBytes(L"MAIN_XML", L"RAWFILE");
    const std::wstring path = UniqueTempPath(L"skinzip");
    ASSERT_TRUE(WriteFileBytes(path, skin));
    ZipHandle* zip = OpenZip(path.c_str(), TEST_SKIN_PASSWORD);
    ASSERT_NE(zip, nullptr);
    int index = -1;
    std::string data;
    ASSERT_EQ(FindZipItem(zip, L"xml/main.xml", true, &index, nullptr), ZR_OK);
    EXPECT_EQ(ReadWhole(zip, index, data), ZR_OK);
    EXPECT_EQ(data, std::string(mainXml.begin(), mainXml.end()));
    CloseZip(zip);

    // An archive that starts in the middle of a file, read through the caller's handle.
    std::vector<uint8_t> padded(100 + skin.size(), 'x');
    std::copy(skin.begin(), skin.end(), padded.begin() + 100);
    ASSERT_TRUE(WriteFileBytes(path, padded));
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetFilePointer(file, 100, nullptr, FILE_BEGIN);
    zip = OpenZip(file, TEST_SKIN_PASSWORD);
    ASSERT_NE(zip, nullptr);
    ASSERT_EQ(FindZipItem(zip, L"xml/Main.xml", false, &index, nullptr), ZR_OK);
    EXPECT_EQ(ReadWhole(zip, index, data), ZR_OK);
    EXPECT_EQ(data, std::string(mainXml.begin(), mainXml.end()));
    CloseZip(zip);
    EXPECT_TRUE(CloseHandle(file));  // still the caller's
    DeleteFileW(path.c_str());

    EXPECT_EQ(OpenZip(path.c_str(), TEST_SKIN_PASSWORD), nullptr);
    EXPECT_EQ(ZipText(ZR_RECENT), "Couldn't create/open file");
}

TEST(ArchiveHandles, NullClosedAndForeignHandles) {
    std::vector<uint8_t> skin = Skin();
    ZipHandle* zip = OpenZip(skin.data(), static_cast<unsigned>(skin.size()), TEST_SKIN_PASSWORD);
    ASSERT_NE(zip, nullptr);
    EXPECT_TRUE(IsZipHandleU(zip));
    ZipEntry entry;
    char buffer[8];
    EXPECT_EQ(GetZipEntry(nullptr, 0, &entry), ZR_ARGS);
    EXPECT_EQ(UnzipItem(nullptr, 0, buffer, 8), ZR_ARGS);
    EXPECT_EQ(CloseZip(nullptr), ZR_ARGS);
    EXPECT_EQ(GetZipEntry(zip, 5, &entry), ZR_ARGS);
    EXPECT_EQ(GetZipEntry(zip, -2, &entry), ZR_ARGS);
    EXPECT_EQ(UnzipItem(zip, 7, buffer, 8), ZR_ARGS);

    ZipHandle foreign{2, nullptr};
    EXPECT_EQ(GetZipEntry(&foreign, 0, &entry), ZR_ZMODE);
    EXPECT_FALSE(IsZipHandleU(&foreign));
    EXPECT_FALSE(IsZipHandleU(nullptr));

    EXPECT_EQ(CloseZip(zip), ZR_OK);
    EXPECT_FALSE(IsZipHandleU(zip));
    EXPECT_EQ(GetZipEntry(zip, 0, &entry), ZR_ZMODE);
    EXPECT_EQ(CloseZip(zip), ZR_ZMODE);
}

TEST(ArchiveHandles, ResultTexts) {
    EXPECT_EQ(ZipText(0x1000), "Correct password required");
    EXPECT_EQ(ZipText(0x600), "Still more data to unzip");
    EXPECT_EQ(ZipText(0x12345), "unknown zip result code");
    wchar_t small[5] = {L'#', L'#', L'#', L'#', L'#'};
    EXPECT_EQ(ZipResultText(0x1000, small, 0), 25u);  // nothing written
    EXPECT_EQ(small[0], L'#');
    EXPECT_EQ(ZipResultText(0x1000, small, 5), 25u);
    EXPECT_STREQ(small, L"Corr");
}

TEST(ArchiveEntries, NamesAreReducedToSafeRelativePaths) {
    const std::vector<std::pair<std::string, const wchar_t*>> cases = {
            {"C:/a/b.txt", L"a/b.txt"},       {"/x.txt", L"x.txt"},         {"../../x.txt", L"x.txt"},
            {"a/../../x.txt", L"x.txt"},      {"..\\..\\x", L"x"},          {"d:\\dir\\f.txt", L"dir\\f.txt"},
            {"a/./b.txt", L"a/b.txt"},        {"dir/f:ads", L"dir/f_ads"},  {"\\\\c:/y", L"y"}};
    std::vector<ZipMember> members;
    for (const auto& c : cases) members.push_back(ZipMember{c.first, "data"});
    members.push_back(ZipMember{std::string(300, 'n'), "long"});
    ZipLayout zipBytes = BuildZip(members);
    GuardedBuffer memory(zipBytes.bytes.data(), zipBytes.bytes.size());
    ZipHandle* zip = OpenZip(memory.data(), static_cast<unsigned>(memory.size()), nullptr);
    ASSERT_NE(zip, nullptr);
    for (size_t i = 0; i < cases.size(); ++i) {
        ZipEntry entry;
        ASSERT_EQ(GetZipEntry(zip, static_cast<int>(i), &entry), ZR_OK);
        EXPECT_STREQ(entry.name, cases[i].second) << cases[i].first;
    }
    // Lookups use the stored name.
    int index = -1;
    EXPECT_EQ(FindZipItem(zip, L"C:/a/b.txt", false, &index, nullptr), ZR_OK);
    EXPECT_EQ(index, 0);
    ZipEntry longEntry;
    ASSERT_EQ(GetZipEntry(zip, static_cast<int>(cases.size()), &longEntry), ZR_OK);
    EXPECT_EQ(wcslen(longEntry.name), static_cast<size_t>(MAX_PATH - 1));
    EXPECT_EQ(FindZipItem(zip, std::wstring(300, L'n').c_str(), false, &index, nullptr), ZR_NOTFOUND);
    CloseZip(zip);
}

TEST(ArchiveEntries, AttributesTimesAndSizes) {
    ZipMember dosFile{"dos.txt", "x"};
    dosFile.madeBy = 0x0014;
    dosFile.externalAttributes = 0x21;
    ZipMember dosHidden{"hidden.txt", "x"};
    dosHidden.madeBy = 0x000B;
    dosHidden.externalAttributes = 0x06;
    ZipMember unixDir{"dir/", ""};
    unixDir.externalAttributes = 0x41ED0000;
    ZipMember unixReadOnly{"ro.txt", "x"};
    unixReadOnly.externalAttributes = 0x81240000;
    ZipMember allTimes{"times.txt", std::string(500, 'z'), true};
    allTimes.localExtra = ExtendedTimeField(7, 1700000000, 1700000100, 1700000200);
    ZipMember modOnly{"mod.txt", "x"};
    modOnly.localExtra = std::string("xy\x02\x00" "ab", 6) + ExtendedTimeField(1, 1600000000, 0, 0);
    ZipMember overlong{"overlong.txt", "x"};
    overlong.localExtra = std::string("UT\x0d\x00\x07\x01\x02\x03\x04", 9);  // claims 13 bytes, has 5

    ZipLayout bytes = BuildZip({dosFile, dosHidden, unixDir, unixReadOnly, allTimes, modOnly, overlong});
    ZipHandle* zip = OpenZip(bytes.bytes.data(), static_cast<unsigned>(bytes.bytes.size()), nullptr);
    ASSERT_NE(zip, nullptr);
    ZipEntry e;
    ASSERT_EQ(GetZipEntry(zip, 0, &e), ZR_OK);
    EXPECT_EQ(e.attributes, DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_EQ(GetZipEntry(zip, 1, &e), ZR_OK);
    EXPECT_EQ(e.attributes, DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_EQ(GetZipEntry(zip, 2, &e), ZR_OK);
    EXPECT_EQ(e.attributes, DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_EQ(GetZipEntry(zip, 3, &e), ZR_OK);
    EXPECT_EQ(e.attributes, DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    const FILETIME dos = FromDos(0x5A21, 0x6000);
    EXPECT_TRUE(SameTime(e.modificationTime, dos));
    EXPECT_TRUE(SameTime(e.accessTime, dos));

    ASSERT_EQ(GetZipEntry(zip, 4, &e), ZR_OK);
    EXPECT_TRUE(SameTime(e.modificationTime, FromUnix(1700000000)));
    EXPECT_TRUE(SameTime(e.accessTime, FromUnix(1700000100)));
    EXPECT_TRUE(SameTime(e.creationTime, FromUnix(1700000200)));
    EXPECT_EQ(e.uncompressedSize, 500u);
    EXPECT_LT(e.compressedSize, 100u);

    ASSERT_EQ(GetZipEntry(zip, 5, &e), ZR_OK);  // an unknown record first, then "UT"
    EXPECT_TRUE(SameTime(e.modificationTime, FromUnix(1600000000)));
    EXPECT_TRUE(SameTime(e.creationTime, dos));
    ASSERT_EQ(GetZipEntry(zip, 6, &e), ZR_OK);
    EXPECT_TRUE(SameTime(e.modificationTime, dos));
    CloseZip(zip);
}

TEST(ArchiveEntries, EncryptedEntriesCheckTheirPassword) {
    const std::string text = "The quick brown fox jumps over the lazy dog. 0123456789 abcdefghij";
    ZipMember stored{"stored.txt", text};
    stored.password = "pw-123";
    ZipMember deflated{"deflated.txt", text + text + text, true};
    deflated.password = "pw-123";
    ZipMember described{"descriptor.txt", text};
    described.password = "pw-123";
    described.dataDescriptorFlag = true;
    ZipMember plain{"plain.txt", text};
    ZipLayout bytes = BuildZip({stored, deflated, described, plain});

    ZipHandle* zip = OpenZip(bytes.bytes.data(), static_cast<unsigned>(bytes.bytes.size()), "pw-123");
    ASSERT_NE(zip, nullptr);
    std::string data;
    EXPECT_EQ(ReadWhole(zip, 0, data), ZR_OK);
    EXPECT_EQ(data, text);
    EXPECT_EQ(ReadWhole(zip, 1, data), ZR_OK);
    EXPECT_EQ(data, text + text + text);
    EXPECT_EQ(ReadWhole(zip, 2, data), ZR_OK);
    EXPECT_EQ(data, text);
    EXPECT_EQ(ReadWhole(zip, 3, data), ZR_OK);  // a password does not garble an unencrypted entry
    EXPECT_EQ(data, text);
    CloseZip(zip);

    zip = OpenZip(bytes.bytes.data(), static_cast<unsigned>(bytes.bytes.size()), "pw-124");
    ASSERT_NE(zip, nullptr);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadWhole(zip, i, data), ZR_PASSWORD) << i;
    EXPECT_EQ(ReadWhole(zip, 3, data), ZR_OK);
    CloseZip(zip);
}

TEST(ArchiveRobustness, DamagedArchivesFailCleanly) {
    const std::string text(200, 'q');
    ZipMember stored{"s.txt", text};
    ZipMember deflated{"d.txt", text + "tail", true};
    ZipMember lying{"lie.txt", "0123456789"};
    lying.declaredSize = 0xFFFFFFFF;
    ZipMember shortSize{"short.txt", "0123456789"};
    shortSize.declaredSize = 5;
    ZipLayout good = BuildZip({stored, deflated, lying, shortSize});

    std::vector<uint8_t> bad = good.bytes;
    bad[good.localOffsets[0] + 30 + 5 + 10] ^= 0x01;  // a byte of the stored data
    ZipHandle* zip = OpenZip(bad.data(), static_cast<unsigned>(bad.size()), nullptr);
    ASSERT_NE(zip, nullptr);
    std::string data;
    EXPECT_EQ(ReadWhole(zip, 0, data), ZR_CORRUPT);
    char ten[10];
    EXPECT_EQ(UnzipItem(zip, 2, ten, 10), ZR_MORE);
    EXPECT_NE(UnzipItem(zip, 2, ten, 10), ZR_OK);  // the data ends long before the promised size
    EXPECT_EQ(UnzipItem(zip, 3, ten, 10), ZR_CORRUPT);  // five bytes do not match the CRC
    CloseZip(zip);

    bad = good.bytes;
    bad[good.localOffsets[1] + 30 + 5 + 3] ^= 0x40;
    zip = OpenZip(bad.data(), static_cast<unsigned>(bad.size()), nullptr);
    ASSERT_NE(zip, nullptr);
    EXPECT_NE(ReadWhole(zip, 1, data), ZR_OK);
    CloseZip(zip);

    // A local header offset past the end: the directory opens, the entry does not.
    bad = good.bytes;
    bad[good.centralOffset + 42 + 3] = 0x70;
    zip = OpenZip(bad.data(), static_cast<unsigned>(bad.size()), nullptr);
    ASSERT_NE(zip, nullptr);
    ZipEntry entry;
    EXPECT_EQ(GetZipEntry(zip, 0, &entry), ZR_CORRUPT);
    EXPECT_EQ(ReadWhole(zip, 0, data), ZR_CORRUPT);
    CloseZip(zip);

    // A central directory offset past the end.
    bad = good.bytes;
    bad[good.endOffset + 16 + 3] = 0x7F;
    EXPECT_EQ(OpenZip(bad.data(), static_cast<unsigned>(bad.size()), nullptr), nullptr);

    std::vector<uint8_t> noZip(1000, 'x');
    EXPECT_EQ(OpenZip(noZip.data(), 1000, nullptr), nullptr);

    // Truncated anywhere before the end record's last field (the comment length, which reads as 0).
    for (size_t cut = 0; cut < good.endOffset + 20; cut += 7) {
        GuardedBuffer memory(good.bytes.data(), cut);
        ZipHandle* truncated = OpenZip(memory.data(), static_cast<unsigned>(cut), nullptr);
        EXPECT_EQ(truncated, nullptr) << cut;
        if (truncated) CloseZip(truncated);
    }
}

TEST(ArchiveRobustness, MutatedArchivesNeverReadOutOfBounds) {
    ZipMember a{"a/b.txt", std::string(300, 'a') + "xyz", true};
    a.localExtra = ExtendedTimeField(7, 1, 2, 3);
    ZipMember b{"c.txt", "hello hello hello"};
    b.password = "pw";
    ZipLayout good = BuildZip({a, b});
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    int opened = 0;
    for (int round = 0; round < 400; ++round) {
        std::vector<uint8_t> bytes = good.bytes;
        for (int k = 0; k < 3; ++k) bytes[(next() >> 8) % bytes.size()] = static_cast<uint8_t>(next() >> 16);
        GuardedBuffer memory(bytes.data(), bytes.size());
        ZipHandle* zip = OpenZip(memory.data(), static_cast<unsigned>(memory.size()), "pw");
        if (!zip) continue;
        ++opened;
        ZipEntry all;
        GetZipEntry(zip, -1, &all);
        for (int i = 0; i < all.index; ++i) {
            ZipEntry entry;
            GetZipEntry(zip, i, &entry);
            char out[400];
            while (UnzipItem(zip, i, out, sizeof out) == ZR_MORE) {
            }
        }
        EXPECT_EQ(CloseZip(zip), ZR_OK);
    }
    EXPECT_GT(opened, 0);
}

TEST(ArchiveUnpack, UnpacksToFilesUnderTheBaseDirectory) {
    ZipMember file{"sub/deeper/f.txt", "file contents", true};
    file.localExtra = ExtendedTimeField(1, 1650000000, 0, 0);
    ZipMember dir{"made/", ""};
    dir.externalAttributes = 0x41ED0000;
    ZipMember secret{"secret.txt", "hidden words"};
    secret.password = "right";
    ZipLayout bytes = BuildZip({file, dir, secret});
    ZipHandle* zip = OpenZip(bytes.bytes.data(), static_cast<unsigned>(bytes.bytes.size()), "wrong");
    ASSERT_NE(zip, nullptr);
    const std::wstring base = UniqueTempPath(L"unzip");
    ASSERT_EQ(SetZipBaseDir(zip, base.c_str()), ZR_OK);

    ZipEntry entry;
    ASSERT_EQ(GetZipEntry(zip, 0, &entry), ZR_OK);
    ASSERT_EQ(UnzipItem(zip, 0, entry.name), ZR_OK);
    const std::wstring out = base + L"\\sub\\deeper\\f.txt";
    std::vector<uint8_t> written = ReadFileBytes(out);
    EXPECT_EQ(std::string(written.begin(), written.end()), "file contents");
    HANDLE h = CreateFileW(out.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME modified = {};
    GetFileTime(h, nullptr, nullptr, &modified);
    CloseHandle(h);
    EXPECT_TRUE(SameTime(modified, FromUnix(1650000000)));

    ASSERT_EQ(GetZipEntry(zip, 1, &entry), ZR_OK);
    EXPECT_EQ(UnzipItem(zip, 1, entry.name), ZR_OK);
    DWORD attributes = GetFileAttributesW((base + L"\\made").c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));

    EXPECT_EQ(UnzipItem(zip, 2, L"secret.txt"), ZR_PASSWORD);
    EXPECT_EQ(GetFileAttributesW((base + L"\\secret.txt").c_str()), INVALID_FILE_ATTRIBUTES);

    const std::wstring target = base + L"\\to_handle.txt";
    h = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_EQ(UnzipItem(zip, 0, h), ZR_OK);
    EXPECT_TRUE(CloseHandle(h));
    written = ReadFileBytes(target);
    EXPECT_EQ(std::string(written.begin(), written.end()), "file contents");
    CloseZip(zip);
    EXPECT_TRUE(RemoveTree(base));
}
