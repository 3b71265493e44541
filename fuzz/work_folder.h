// SPDX-License-Identifier: GPL-3.0-or-later
// The folder where a fuzz target writes the files it hands to the
// file-opening code: one per process, so parallel jobs never share a file,
// and removed when the process ends normally.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "soundfont/errors.h"
#include "soundfont/loader.h"
#include "soundfont/memory_tree.h"

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

// Writes the input to the file `name` of the process's folder and loads it as
// the Open command does: its path, or empty when the file is refused.
inline std::string LoadInput(const std::uint8_t* data, std::size_t size, const std::string& name,
                             SoundFontModel& model) {
    const std::string path = ProcessFolder().File(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data),
                                                static_cast<std::streamsize>(size));
    MemoryTree tree;
    try {
        OpenSoundFont(model, path, tree);
    } catch (const SoundFontError&) {
        return {};
    }
    return path;
}

}  // namespace zelvo::fuzzing
