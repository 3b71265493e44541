// Files of up to 8 GiB that hold little but a hole reading as zeros, opened
// through the real file-opening path: whatever sizes a file declares, its
// load ends quickly in memory bounded by what it really holds. libFuzzer's
// -timeout and -rss_limit_mb / -malloc_limit_mb make a slow or greedy load a
// finding; each input loads or raises the reader's typed errors.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "soundfont/errors.h"
#include "soundfont/loader.h"
#include "soundfont/memory_tree.h"
#include "sparse_input.h"
#include "work_folder.h"

namespace {

[[noreturn]] void HarnessFailure(const char* what) {
    std::perror(what);
    std::abort();
}

void WriteAt(int fd, std::string_view bytes, std::uint64_t at) {
    if (bytes.empty()) return;
    const ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(at));
    if (written != static_cast<ssize_t>(bytes.size())) HarnessFailure("pwrite");
}

// The bytes before the hole, the hole as the file's grown size, then the
// bytes after it: the hole takes no disk space.
void WriteSparseFile(const std::string& path, const zelvo::fuzzing::SparseInput& input) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) HarnessFailure("open");
    WriteAt(fd, input.bytes.substr(0, input.holeAt), 0);
    if (::ftruncate(fd, static_cast<off_t>(input.FileSize())) != 0) HarnessFailure("ftruncate");
    WriteAt(fd, input.bytes.substr(input.holeAt), input.holeAt + input.holeLength);
    if (::close(fd) != 0) HarnessFailure("close");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto input =
        zelvo::fuzzing::ParseSparseInput(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!input) return -1;  // too short to say where the hole goes; not kept in the corpus
    const std::string path = zelvo::fuzzing::ProcessFolder().File("sparse.sf2");
    WriteSparseFile(path, *input);
    zelvo::SoundFontModel model;
    zelvo::MemoryTree tree;
    try {
        zelvo::OpenSoundFont(model, path, tree);
    } catch (const zelvo::SoundFontError&) {
        if (model.PresetCount != 0 || !tree.nodes().empty()) __builtin_trap();
    }
    ::unlink(path.c_str());
    return 0;
}
