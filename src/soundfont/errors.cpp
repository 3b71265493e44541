// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundfont/errors.h"

#include <cstdio>

namespace zelvo {
namespace {

// File bytes as a readable text: printable ASCII as is, others as \xNN.
std::string Printable(const std::string& bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') {
            out += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        }
    }
    return out;
}

}  // namespace

ChunkIdError::ChunkIdError(std::string expected, std::string found, std::uint64_t offset)
    : SoundFontError("expected chunk id \"" + expected + "\", found \"" + Printable(found) + "\"",
                     offset),
      expected_(std::move(expected)),
      found_(std::move(found)) {}

std::string DescribeError(const SoundFontError& error) {
    return std::string("Error in SoundFont File: ") + error.what() + " (at byte offset " +
           std::to_string(error.offset()) + ")";
}

}  // namespace zelvo
