// SPDX-License-Identifier: GPL-3.0-or-later
// The two files of an export. Every failure throws ExportError(Failed) with
// the file's path and the system's reason.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "soundfont/regular_file.h"

namespace zelvo {

// A file as the file system knows it, whatever path reaches it.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// A file read by position, for the sample points of a SoundFont.
class InputFile {
public:
    explicit InputFile(std::string path);

    // Reads exactly size bytes from byte offset; a file that ends first is a failure.
    void ReadAt(std::uint64_t offset, char* data, std::size_t size) const;

    FileIdentity identity() const { return identity_; }

private:
    std::string path_;
    FileDescriptor fd_;
    FileIdentity identity_;
};

// Output that appears under the target's name only when complete, so that
// readers never see a partial file and a failed or killed export leaves an
// existing file as it was.
//
// The bytes go to an unnamed file in the target's folder (O_TMPFILE), which
// vanishes with the process whatever stops it, and Commit links it into
// place. Where the file system cannot make unnamed files, a short hidden
// name is used instead, removed when the export fails and when SIGINT,
// SIGTERM or SIGHUP stops the program. SIGXFSZ is ignored meanwhile, so a
// file-size limit is a write error like a full disk.
//
// A symlinked target is followed: the file it names is replaced, keeping its
// permission bits. A target that is a folder, a special file or the file
// `source` is refused before anything is created.
class AtomicOutputFile {
public:
    enum class Temporary { Unnamed, Named };

    explicit AtomicOutputFile(std::string target, std::optional<FileIdentity> source = {},
                              Temporary temporary = Temporary::Unnamed);
    ~AtomicOutputFile();
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

    void Write(const char* data, std::size_t size);
    void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
    void Commit();

    // The named temporary file, empty while the output has no name.
    const std::string& temporaryPath() const { return temporary_; }

private:
    class SignalScope;

    void CheckTarget(const std::optional<FileIdentity>& source);
    void OpenNamedTemporary();
    bool LinkIntoPlace();
    [[noreturn]] void Fail(const std::string& reason) const;

    std::string target_;    // as given, for messages
    std::string resolved_;  // the file that is written: symlinks followed
    std::string folder_;
    std::optional<mode_t> keptMode_;  // the replaced file's permission bits
    std::string temporary_;
    int slot_ = -1;  // where a stop signal finds temporary_
    FileDescriptor fd_;
    std::unique_ptr<SignalScope> signals_;
};

}  // namespace zelvo
