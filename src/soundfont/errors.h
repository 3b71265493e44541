// SPDX-License-Identifier: GPL-3.0-or-later
// Typed failures of the reader. Each carries the 0-based file offset where
// the failing read or the faulty chunk began, so a message can say where a
// file broke.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace zelvo {

class SoundFontError : public std::runtime_error {
public:
    SoundFontError(const std::string& what, std::uint64_t offset)
        : std::runtime_error(what), offset_(offset) {}
    std::uint64_t offset() const { return offset_; }

private:
    std::uint64_t offset_;
};

// A chunk id other than the one the fixed chunk order expects.
class ChunkIdError : public SoundFontError {
public:
    ChunkIdError(std::string expected, std::string found, std::uint64_t offset);
    const std::string& expected() const { return expected_; }
    const std::string& found() const { return found_; }

private:
    std::string expected_;
    std::string found_;
};

// Any other fault: the file ends early, indices run backwards, a chunk holds
// more or fewer records than its indices call for, or reaches past its list.
class MalformedFileError : public SoundFontError {
public:
    using SoundFontError::SoundFontError;
};

// The file could not be opened or read; what() holds the system's reason.
class FileAccessError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The fixed message of a wrong chunk id; callers end the program after it.
inline constexpr const char* kChunkIdMessage = "Error in SoundFont File. Program will End";

// "Error in SoundFont File: <what> (at byte offset N)", for every SoundFontError.
std::string DescribeError(const SoundFontError& error);

}  // namespace zelvo
