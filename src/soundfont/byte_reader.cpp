// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundfont/byte_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "soundfont/errors.h"

namespace zelvo {

ByteReader::ByteReader(std::istream& in) : in_(in) {
    const auto start = in_.tellg();
    in_.seekg(0, std::ios::end);
    const auto end = in_.tellg();
    in_.seekg(start);
    if (start < 0 || end < start) throw FileAccessError(std::strerror(errno ? errno : EIO));
    base_ = static_cast<std::uint64_t>(start);
    size_ = static_cast<std::uint64_t>(end - start);
}

void ByteReader::Require(std::uint64_t n) const {
    if (n > Remaining()) {
        const std::string inside = chunk_.empty() ? "" : " inside the " + chunk_ + " chunk";
        throw MalformedFileError("the file ends early" + inside, offset_);
    }
}

void ByteReader::Fill(std::size_t atLeast) {
    if (Buffered() >= atLeast) return;
    const std::size_t kept = Buffered();
    std::memmove(buffer_.data(), buffer_.data() + pos_, kept);
    pos_ = 0;
    end_ = kept;
    const auto wanted = static_cast<std::streamsize>(
        std::min<std::uint64_t>(buffer_.size() - kept, Remaining() - kept));
    in_.read(buffer_.data() + kept, wanted);
    end_ += static_cast<std::size_t>(in_.gcount());
    if (Buffered() < atLeast) throw FileAccessError(std::strerror(errno ? errno : EIO));
}

std::uint8_t ByteReader::ReadByte() {
    Require(1);
    Fill(1);
    ++offset_;
    return static_cast<std::uint8_t>(buffer_[pos_++]);
}

std::uint16_t ByteReader::ReadWord() {
    Require(2);
    Fill(2);
    const auto* b = reinterpret_cast<const unsigned char*>(buffer_.data() + pos_);
    pos_ += 2;
    offset_ += 2;
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t ByteReader::ReadLong() {
    Require(4);
    Fill(4);
    const auto* b = reinterpret_cast<const unsigned char*>(buffer_.data() + pos_);
    pos_ += 4;
    offset_ += 4;
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::string ByteReader::ReadText(std::size_t n) {
    Require(n);
    std::string text;
    text.reserve(n);
    while (text.size() < n) {
        Fill(1);
        const std::size_t take = std::min(n - text.size(), Buffered());
        text.append(buffer_.data() + pos_, take);
        pos_ += take;
        offset_ += take;
    }
    return text;
}

void ByteReader::ExpectChunkId(std::string_view id) {
    const std::uint64_t at = offset_;
    const std::string found = ReadText(id.size());
    if (found != id) throw ChunkIdError(std::string(id), found, at);
}

std::string ByteReader::PeekText(std::size_t n) {
    n = static_cast<std::size_t>(std::min<std::uint64_t>(n, Remaining()));
    if (n == 0) return {};
    Fill(n);
    return std::string(buffer_.data() + pos_, n);
}

void ByteReader::Skip(std::uint64_t n) {
    Require(n);
    if (n <= Buffered()) {
        pos_ += static_cast<std::size_t>(n);
    } else {
        offset_ += n;
        pos_ = end_ = 0;
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(base_ + offset_));
        if (!in_) throw FileAccessError(std::strerror(errno ? errno : EIO));
        return;
    }
    offset_ += n;
}

}  // namespace zelvo
