// Files that declare far more than they hold, or hold gigabytes of nothing:
// zelvo-cli must end on each with its memory bounded by what it really reads.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "sf2_builder.h"

namespace zelvo::testing {
namespace {

struct ChildRun {
    int status = -1;
    long peakKiB = 0;
};

// Runs `zelvo-cli tree FILE` in a fresh process and measures its peak memory.
ChildRun RunTree(const std::string& path) {
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execl(ZELVO_CLI_PATH, ZELVO_CLI_PATH, "tree", path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ChildRun run;
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKiB = usage.ru_maxrss;
    return run;
}

// A file of `bytes` whose size is `size`, the rest a hole that reads as zeros.
class SparseFile {
public:
    SparseFile(const std::string& bytes, off_t size) : file_(bytes, "sparse.sf2") {
        EXPECT_EQ(truncate(file_.path().c_str(), size), 0);
    }
    std::string path() const { return file_.path(); }

private:
    TempFile file_;
};

std::string Le32(std::uint32_t v) {
    std::string out;
    AppendLe(out, v, 4);
    return out;
}

constexpr off_t kGiB = off_t{1} << 30;
constexpr long kMemoryLimitKiB = 100 * 1024;

TEST(BoundedLoad, HugeDeclaredSizesEndQuicklyInLittleMemory) {
    const std::string riff = "RIFF" + Le32(0xFFFFFFF0) + "sfbk";
    // An INFO list of empty sub-chunks as long as a LIST can say.
    const SparseFile emptyInfo(riff + "LIST" + Le32(0xFFFFFF00) + "INFO", 5 * kGiB);
    // A 4 GB comment.
    const std::uint32_t comment = 0xF0000000;
    const SparseFile hugeComment(
        riff + "LIST" + Le32(comment + 12) + "INFO" + "ICMT" + Le32(comment), 5 * kGiB);
    // A preset header chunk of 110 million records.
    const std::string info = "LIST" + Le32(16) + "INFO" + "ifil" + Le32(4) + Le32(0x00010002);
    const std::string sdta = "LIST" + Le32(12) + "sdta" + "smpl" + Le32(0);
    const std::uint32_t phdr = 38u * 110'000'000u;
    const SparseFile manyPresets(
        riff + info + sdta + "LIST" + Le32(phdr + 12) + "pdta" + "phdr" + Le32(phdr), 5 * kGiB);

    for (const SparseFile* file : {&emptyInfo, &hugeComment, &manyPresets}) {
        const ChildRun run = RunTree(file->path());
        EXPECT_EQ(run.status, 1) << file->path();
        EXPECT_LT(run.peakKiB, kMemoryLimitKiB) << file->path();
    }
}

}  // namespace
}  // namespace zelvo::testing
