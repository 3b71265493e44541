// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundfont/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "soundfont/errors.h"

namespace zelvo {

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.release();
    }
    return *this;
}

std::string FileTypeText(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISLNK(mode)) return "a symbolic link";
    return S_ISREG(mode) ? "a regular file" : "a special file";
}

FileDescriptor OpenRegularFile(const std::string& path) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) throw FileAccessError(std::strerror(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throw FileAccessError(std::strerror(errno));
    if (!S_ISREG(st.st_mode)) {
        throw FileAccessError("it is " + FileTypeText(st.st_mode) + ", not a regular file");
    }
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        throw FileAccessError(std::strerror(errno));
    }
    return fd;
}

RegularFileStream::RegularFileStream(const std::string& path)
    : buffer_(OpenRegularFile(path).release(), std::ios::in), stream_(&buffer_) {}

}  // namespace zelvo
