// The folder where a fuzz target writes the files it hands to the
// file-opening code: one per process, so parallel jobs never share a file,
// and removed when the process ends normally.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace zelvo::fuzzing {

class WorkFolder {
public:
    WorkFolder()
        : path_(std::filesystem::temp_directory_path() / ("zelvo-fuzz-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path_);
    }
    ~WorkFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Created on the first input, removed at exit.
inline const WorkFolder& ProcessFolder() {
    static const WorkFolder folder;
    return folder;
}

}  // namespace zelvo::fuzzing
