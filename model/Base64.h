#pragma once
// Base64 (standard alphabet, "=" padding) for the scene names in whole profiles, and the conversion of
// wide text to the ANSI code page.
#include <cstddef>
#include <cstdint>
#include <string>

// Writes the text and a NUL; *size holds the room on entry and the text length (NUL not counted) on
// success. Refused, with nothing written, when the text and its NUL do not fit.
bool Base64Encode(const uint8_t* bytes, size_t n, char* out, size_t* size);
bool Base64EncodeToString(const uint8_t* bytes, size_t n, std::string& out);
// Skips every byte outside the alphabet. Returns false, keeping the whole groups that fitted, when the
// text decodes to more than *size bytes; never writes past *size bytes.
bool Base64Decode(const std::string& text, uint8_t* out, size_t* size);

std::string WideToAnsi(const wchar_t* text);
