// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a file for reading without ever waiting on it: only a regular
// file is read; a FIFO, device, socket or folder is refused at once.
#pragma once

#include <sys/types.h>

#include <ext/stdio_filebuf.h>
#include <istream>
#include <string>
#include <utility>

namespace zelvo {

// An open file descriptor, closed by its owner.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;

    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_ = -1;
};

// What a file of this mode is, for a message: "a folder", "a FIFO", ...
std::string FileTypeText(mode_t mode);

// Opens path for reading. Throws FileAccessError with the system's reason,
// or with "it is a FIFO, not a regular file" and the like.
FileDescriptor OpenRegularFile(const std::string& path);

// A regular file as a seekable stream for the byte reader.
class RegularFileStream {
public:
    explicit RegularFileStream(const std::string& path);
    std::istream& stream() { return stream_; }

private:
    __gnu_cxx::stdio_filebuf<char> buffer_;  // owns and closes the descriptor
    std::istream stream_;
};

}  // namespace zelvo
