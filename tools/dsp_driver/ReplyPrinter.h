#pragma once
// Stands in for the reply windows: prints every decoded reply (its message, sub-command and the fields
// of its record or its value) and frees the record as a receiving window would.
#include "device/ReplyPoster.h"

#include <cstdio>
#include <string>

std::string DescribeReply(UINT message, WPARAM wParam, LPARAM lParam);

class ReplyPrinter final : public ReplyPoster {
public:
    explicit ReplyPrinter(FILE* out) : mOut(out) {}
    bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    FILE* mOut;
};
