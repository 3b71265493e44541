#include "export/export_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "export/write_stuff.h"

namespace zelvo {
namespace {

[[noreturn]] void ThrowFailed(const std::string& what, const std::string& path,
                              const std::string& reason) {
    throw ExportError(ExportError::Kind::Failed, what + " " + path + ": " + reason);
}

std::string SystemReason() {
    return std::strerror(errno);
}

// A name no other export picks at the same moment: the target's own name,
// hidden, with a random suffix.
std::string TemporaryNameBeside(const std::string& target) {
    static constexpr int kSuffixDigits = 12;
    std::random_device random;
    std::uniform_int_distribution<std::uint64_t> digits(0, 15);
    std::string suffix;
    for (int i = 0; i < kSuffixDigits; ++i) suffix += "0123456789abcdef"[digits(random)];
    const std::filesystem::path path(target);
    const std::filesystem::path name = "." + path.filename().string() + "." + suffix + ".tmp";
    return (path.parent_path() / name).string();
}

}  // namespace

InputFile::InputFile(std::string path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) ThrowFailed("Cannot open the SoundFont", path_, SystemReason());
}

InputFile::~InputFile() {
    if (fd_ >= 0) ::close(fd_);
}

void InputFile::ReadAt(std::uint64_t offset, char* data, std::size_t size) const {
    while (size > 0) {
        const ssize_t got = ::pread(fd_, data, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ThrowFailed("Cannot read the SoundFont", path_, SystemReason());
        if (got == 0) {
            ThrowFailed("Cannot read the SoundFont", path_,
                        "the file ends before its sample data does");
        }
        data += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
}

AtomicOutputFile::AtomicOutputFile(std::string target) : target_(std::move(target)) {
    // Replacing the file by renaming would bypass a write-protected target.
    if (::access(target_.c_str(), W_OK) != 0 && errno != ENOENT) Fail(SystemReason());
    static constexpr int kAttempts = 16;
    for (int attempt = 0; attempt < kAttempts && fd_ < 0; ++attempt) {
        temporary_ = TemporaryNameBeside(target_);
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
        temporary_.clear();
        Fail(SystemReason());
    }
}

AtomicOutputFile::~AtomicOutputFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

void AtomicOutputFile::Write(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd_, data, size);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) Fail(SystemReason());
        data += put;
        size -= static_cast<std::size_t>(put);
    }
}

void AtomicOutputFile::Commit() {
    const int fd = fd_;
    fd_ = -1;
    // A full disk can show only when the file is closed (network file systems).
    if (::close(fd) != 0) Fail(SystemReason());
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) Fail(SystemReason());
    committed_ = true;
}

void AtomicOutputFile::Fail(const std::string& reason) const {
    ThrowFailed("Cannot write", target_, reason);
}

}  // namespace zelvo
