#pragma once
// Reading a whole file and replacing a file safely, with wide paths.
#include <cstddef>
#include <memory>

// A real whole profile is about 170 KB; anything far larger is not one and would only cost memory.
constexpr size_t MaxReadFileBytes = 8u << 20;

// The whole file followed by a NUL, or null when it cannot be read whole or is larger than the limit.
std::unique_ptr<char[]> ReadFileToBuffer(const wchar_t* path);

// Writes a temporary file beside the target, checks every step and only then replaces the target, so
// a failure at any point leaves the previous file as it was and no temporary file behind.
bool WriteFileReplacing(const wchar_t* path, const char* data, size_t size);
