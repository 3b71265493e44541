// The two files of an export. Every failure throws ExportError(Failed) with
// the file's path and the system's reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelvo {

// A file read by position, for the sample points of a SoundFont.
class InputFile {
public:
    explicit InputFile(std::string path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Reads exactly size bytes from byte offset; a file that ends first is a failure.
    void ReadAt(std::uint64_t offset, char* data, std::size_t size) const;

private:
    std::string path_;
    int fd_ = -1;
};

// Output written under a temporary name beside the target and renamed over
// it by Commit, so that readers never see a partial file and a failed
// export leaves an existing file as it was. Removed when not committed.
class AtomicOutputFile {
public:
    explicit AtomicOutputFile(std::string target);
    ~AtomicOutputFile();
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

    void Write(const char* data, std::size_t size);
    void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
    void Commit();

    const std::string& temporaryPath() const { return temporary_; }

private:
    [[noreturn]] void Fail(const std::string& reason) const;

    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    bool committed_ = false;
};

}  // namespace zelvo
