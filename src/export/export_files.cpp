// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/export_files.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "export/export_error.h"
#include "soundfont/errors.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void ThrowFailed(const std::string& what, const std::string& path,
                              const std::string& reason) {
    throw ExportError(ExportError::Kind::Failed, what + " " + path + ": " + reason);
}

std::string SystemReason() {
    return std::strerror(errno);
}

// --- Removing a named temporary file when a signal stops the program ---

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr std::size_t kStopSignalCount = std::size(kStopSignals);
constexpr std::size_t kRemovalSlots = 4;

// A signal handler can reach only static storage, so the temporary files
// that exist at this moment, and what the signals did before, live here.
struct SignalState {
    std::atomic<bool> armed[kRemovalSlots];
    char paths[kRemovalSlots][PATH_MAX];
    struct sigaction previousStop[kStopSignalCount];
    bool installed[kStopSignalCount];
    struct sigaction previousFileSize;
    int scopes;  // output files alive; changed on the one thread that exports
};
constinit SignalState state{};

extern "C" void RemoveTemporariesAndStop(int signal) {
    for (std::size_t s = 0; s < kRemovalSlots; ++s) {
        if (state.armed[s].load()) ::unlink(state.paths[s]);
    }
    // The signal's usual action ends the program once this handler returns.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// Stop signals held back while a temporary name is created and recorded,
// so that no name exists unrecorded.
class BlockedStopSignals {
public:
    BlockedStopSignals() {
        sigset_t stop;
        sigemptyset(&stop);
        for (const int s : kStopSignals) sigaddset(&stop, s);
        pthread_sigmask(SIG_BLOCK, &stop, &previous_);
    }
    ~BlockedStopSignals() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    BlockedStopSignals(const BlockedStopSignals&) = delete;
    BlockedStopSignals& operator=(const BlockedStopSignals&) = delete;

private:
    sigset_t previous_;
};

// Records path for removal by a stop signal; returns its slot, or -1 when
// all are taken (the name is then removed only by its owner).
int RecordTemporary(const std::string& path) {
    if (path.size() >= PATH_MAX) return -1;
    for (std::size_t s = 0; s < kRemovalSlots; ++s) {
        if (state.armed[s].load()) continue;
        std::memcpy(state.paths[s], path.c_str(), path.size() + 1);
        state.armed[s].store(true);
        return static_cast<int>(s);
    }
    return -1;
}

void ForgetTemporary(int slot) {
    if (slot >= 0) state.armed[static_cast<std::size_t>(slot)].store(false);
}

// A short hidden name in folder, so that a target name of the file system's
// full 255 bytes still leaves room for it.
std::string TemporaryNameIn(const std::string& folder) {
    static constexpr int kSuffixDigits = 8;
    std::random_device random;
    std::uniform_int_distribution<int> digit(0, 15);
    std::string name = ".zelvo-";
    for (int i = 0; i < kSuffixDigits; ++i) name += "0123456789abcdef"[digit(random)];
    return (fs::path(folder) / name).string();
}

// The file a path names once its symlinks are followed; a path that does
// not exist or cannot be examined is returned as it is, for the caller's
// own checks to report.
std::string FollowSymlinks(std::string path) {
    static constexpr int kMaxLinks = 40;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string link(PATH_MAX, '\0');
        const ssize_t size = ::readlink(path.c_str(), link.data(), link.size());
        if (size < 0) return path;
        link.resize(static_cast<std::size_t>(size));
        path = fs::path(link).is_absolute() ? link : (fs::path(path).parent_path() / link).string();
    }
    return path;
}

}  // namespace

// While an output file exists: SIGXFSZ ignored, and stop signals that would
// end the program remove its named temporary file first.
class AtomicOutputFile::SignalScope {
public:
    SignalScope() {
        if (state.scopes++ > 0) return;
        struct sigaction handler {};
        handler.sa_handler = RemoveTemporariesAndStop;
        sigemptyset(&handler.sa_mask);
        for (std::size_t i = 0; i < kStopSignalCount; ++i) {
            // A signal the program ignores or handles itself stays so.
            sigaction(kStopSignals[i], nullptr, &state.previousStop[i]);
            state.installed[i] = state.previousStop[i].sa_handler == SIG_DFL;
            if (state.installed[i]) sigaction(kStopSignals[i], &handler, nullptr);
        }
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGXFSZ, &ignore, &state.previousFileSize);
    }
    ~SignalScope() {
        if (--state.scopes > 0) return;
        for (std::size_t i = 0; i < kStopSignalCount; ++i) {
            if (state.installed[i]) sigaction(kStopSignals[i], &state.previousStop[i], nullptr);
        }
        sigaction(SIGXFSZ, &state.previousFileSize, nullptr);
    }
    SignalScope(const SignalScope&) = delete;
    SignalScope& operator=(const SignalScope&) = delete;
};

InputFile::InputFile(std::string path) : path_(std::move(path)) {
    try {
        fd_ = OpenRegularFile(path_);
    } catch (const FileAccessError& e) {
        ThrowFailed("Cannot open the SoundFont", path_, e.what());
    }
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0) ThrowFailed("Cannot open the SoundFont", path_, SystemReason());
    identity_ = {st.st_dev, st.st_ino};
}

void InputFile::ReadAt(std::uint64_t offset, char* data, std::size_t size) const {
    while (size > 0) {
        const ssize_t got = ::pread(fd_.get(), data, size, static_cast<off_t>(offset));
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

AtomicOutputFile::AtomicOutputFile(std::string target, std::optional<FileIdentity> source,
                                   Temporary temporary)
    : target_(std::move(target)), resolved_(FollowSymlinks(target_)) {
    const fs::path folder = fs::path(resolved_).parent_path();
    folder_ = folder.empty() ? "." : folder.string();
    CheckTarget(source);
    signals_ = std::make_unique<SignalScope>();
#ifdef O_TMPFILE
    if (temporary == Temporary::Unnamed) {
        fd_ = FileDescriptor(::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    }
#endif
    if (fd_.get() < 0) OpenNamedTemporary();
    if (keptMode_ && ::fchmod(fd_.get(), *keptMode_) != 0) Fail(SystemReason());
}

AtomicOutputFile::~AtomicOutputFile() {
    fd_ = FileDescriptor();
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    ForgetTemporary(slot_);
}

void AtomicOutputFile::CheckTarget(const std::optional<FileIdentity>& source) {
    struct stat st {};
    if (::stat(resolved_.c_str(), &st) != 0) {
        if (errno != ENOENT) Fail(SystemReason());
        return;  // a new file
    }
    if (S_ISDIR(st.st_mode)) throw ExportError(ExportError::Kind::Failed, target_ + " is a folder");
    if (!S_ISREG(st.st_mode)) Fail("it is " + FileTypeText(st.st_mode) + ", not a regular file");
    if (source && *source == FileIdentity{st.st_dev, st.st_ino}) {
        Fail("it is the SoundFont being exported");
    }
    // Replacing the file by renaming would bypass a write-protected target.
    if (::access(resolved_.c_str(), W_OK) != 0) Fail(SystemReason());
    keptMode_ = st.st_mode & 07777;
}

void AtomicOutputFile::OpenNamedTemporary() {
    static constexpr int kAttempts = 16;
    int error = EEXIST;
    for (int attempt = 0; attempt < kAttempts && error == EEXIST; ++attempt) {
        const std::string name = TemporaryNameIn(folder_);
        const BlockedStopSignals blocked;
        fd_ = FileDescriptor(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd_.get() < 0) {
            error = errno;
            continue;
        }
        temporary_ = name;
        slot_ = RecordTemporary(name);
        return;
    }
    Fail(std::strerror(error));
}

void AtomicOutputFile::Write(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd_.get(), data, size);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) Fail(SystemReason());
        data += put;
        size -= static_cast<std::size_t>(put);
    }
}

// Gives the unnamed file a name: the target's own for a new file, else a
// temporary one for Commit to rename over the target, as a link never
// replaces a file. Returns whether the file is in place.
bool AtomicOutputFile::LinkIntoPlace() {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_.get());
    const auto link = [&](const std::string& to) {
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            return 0;
        }
        const int error = errno;
        // Without /proc, the form that needs privileges.
        if (error != ENOENT || ::access("/proc/self/fd", F_OK) == 0) return error;
        return ::linkat(fd_.get(), "", AT_FDCWD, to.c_str(), AT_EMPTY_PATH) == 0 ? 0 : errno;
    };
    if (!keptMode_) {
        const int error = link(resolved_);
        if (error == 0) return true;
        if (error != EEXIST) Fail(std::strerror(error));
    }
    static constexpr int kAttempts = 16;
    int error = EEXIST;
    for (int attempt = 0; attempt < kAttempts && error == EEXIST; ++attempt) {
        const std::string name = TemporaryNameIn(folder_);
        const BlockedStopSignals blocked;
        error = link(name);
        if (error == 0) {
            temporary_ = name;
            slot_ = RecordTemporary(name);
            return false;
        }
    }
    Fail(std::strerror(error));
}

void AtomicOutputFile::Commit() {
    const bool inPlace = temporary_.empty() && LinkIntoPlace();
    // A full disk can show only when the file is closed (network file systems).
    if (::close(fd_.release()) != 0) {
        const std::string reason = SystemReason();
        if (inPlace) ::unlink(resolved_.c_str());
        Fail(reason);
    }
    if (inPlace) return;
    if (::rename(temporary_.c_str(), resolved_.c_str()) != 0) Fail(SystemReason());
    temporary_.clear();
    ForgetTemporary(std::exchange(slot_, -1));
}

void AtomicOutputFile::Fail(const std::string& reason) const {
    ThrowFailed("Cannot write", target_, reason);
}

}  // namespace zelvo
