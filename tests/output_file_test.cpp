// SPDX-License-Identifier: GPL-3.0-or-later
// What an export does to the files around it: the SoundFont is never its
// target, a replaced file keeps its mode and its symlink, and a process
// stopped halfway leaves the old target and nothing else.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "export/export_files.h"
#include "export/sample_source.h"
#include "export/write_stuff.h"
#include "load_helpers.h"

namespace zelvo::testing {
namespace {

namespace fs = std::filesystem;
using Temporary = AtomicOutputFile::Temporary;

// One instrument whose sample data fills more than two copy blocks.
constexpr std::uint32_t kBigPoints = 3 * kSampleCopyBlockBytes / 2;  // three blocks of bytes
constexpr std::uint64_t kBigWaveBytes = 69766 + 2 * std::uint64_t{kBigPoints};

std::string BigFile() {
    Sf2Builder b;
    b.Sample({.name = "Big", .end = kBigPoints}).Instrument({"Big", {{{SampleId(0)}}}});
    return b.SamplePoints(std::vector<std::int16_t>(kBigPoints, 0x1234)).Build();
}

class OutputFile : public ::testing::Test {
protected:
    // The export's message, or "" when it wrote its file.
    std::string Export(const fs::path& target) {
        try {
            ExportInstrumentToWave(f_.model, 1, f_.Path(), target.string());
        } catch (const ExportError& e) {
            EXPECT_EQ(e.kind(), ExportError::Kind::Failed);
            return e.what();
        }
        return "";
    }
    fs::path Folder() const { return f_.file.folder(); }

    const OpenedFile f_{BigFile()};
};

// The SoundFont is refused under every spelling and link; another file a
// target names is replaced, keeping its mode; what is no file is refused.
TEST_F(OutputFile, TargetsAreRefusedOrReplaced) {
    const fs::path sf2 = f_.file.path();
    fs::create_directory(Folder() / "sub");
    fs::create_symlink(sf2, Folder() / "self.s1m");
    fs::create_hard_link(sf2, Folder() / "hard.s1m");
    for (const fs::path& target : {sf2, Folder() / "sub" / ".." / "test.sf2", fs::relative(sf2),
                                   Folder() / "self.s1m", Folder() / "hard.s1m"}) {
        EXPECT_EQ(Export(target), "Cannot write " + target.string() + ": it is the SoundFont being exported");
    }
    EXPECT_TRUE(ReadWholeFile(sf2) == f_.bytes);

    std::ofstream(Folder() / "old.s1m") << "old";
    fs::permissions(Folder() / "old.s1m", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("old.s1m", Folder() / "link.s1m");
    fs::create_symlink("new.s1m", Folder() / "dangling.s1m");
    const std::string longest = std::string(251, 'n') + ".s1m";  // the file system's 255 bytes
    for (const std::string name : {"link.s1m", "dangling.s1m", longest.c_str()})
        EXPECT_EQ(Export(Folder() / name), "") << name;
    EXPECT_TRUE(fs::is_symlink(Folder() / "link.s1m") && fs::is_symlink(Folder() / "dangling.s1m"));
    for (const std::string name : {"old.s1m", "new.s1m", longest.c_str()})
        EXPECT_EQ(fs::file_size(Folder() / name), kBigWaveBytes) << name;
    const mode_t umask = ::umask(0);
    ::umask(umask);
    EXPECT_EQ(fs::status(Folder() / "old.s1m").permissions(), fs::perms(0600));
    EXPECT_EQ(fs::status(Folder() / "new.s1m").permissions(), fs::perms(0666 & ~umask));

    fs::create_directory(Folder() / "folder.s1m");
    ASSERT_EQ(::mkfifo((Folder() / "fifo.s1m").c_str(), 0600), 0);
    EXPECT_EQ(Export(Folder() / "folder.s1m"), (Folder() / "folder.s1m").string() + " is a folder");
    EXPECT_EQ(Export(Folder() / "fifo.s1m"), "Cannot write " + (Folder() / "fifo.s1m").string() +
                                                 ": it is a FIFO, not a regular file");
    EXPECT_EQ(FileNames(Folder()), (std::vector<std::string>{"dangling.s1m", "fifo.s1m", "folder.s1m", "hard.s1m",
                                                             "link.s1m", "new.s1m", longest, "old.s1m",
                                                             "self.s1m", "sub", "test.sf2"}));
}

constexpr rlim_t kSizeLimit = 100000;  // inside the sample data

// Exports the source's instrument to target in a child process, stopped once
// part of the sample data is written by signal, or by a file-size limit while
// writing (signal 0); returns the names the target's folder holds while the
// child waits for its signal, and checks how it ended.
std::vector<std::string> ExportAndStop(const OpenedFile& source, const fs::path& target, int signal,
                                       Temporary temporary) {
    int ready[2];
    EXPECT_EQ(::pipe(ready), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        // As in a program run from a terminal, whatever the test runner set.
        for (const int s : {SIGINT, SIGTERM, SIGHUP}) ::signal(s, SIG_DFL);
        const rlimit limit{kSizeLimit, kSizeLimit};
        if (signal == 0) ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            const WavePlan plan = PlanWaveFile(source.model, 1);
            SampleSource in(source.model, source.Path());
            AtomicOutputFile out(target.string(), in.identity(), temporary);
            out.Write(std::string(69766, '\0'));
            WriteWaveSampleData(plan, in, out,
                                [&](std::uint64_t written, std::uint64_t) {
                                    if (written == 0 || signal == 0) return;
                                    if (::write(ready[1], "w", 1) != 1) ::_exit(5);
                                    for (;;) ::pause();
                                });
            out.Commit();
        } catch (const ExportError& e) {
            ::_exit(std::string_view(e.what()).ends_with(": File too large") ? 3 : 4);
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    std::vector<std::string> during;
    char written = 0;
    if (::read(ready[0], &written, 1) == 1) {
        during = FileNames(target.parent_path());
        ::kill(pid, signal);
    }
    ::close(ready[0]);
    // One still running after ten seconds is killed, and so fails its check.
    int status = 0;
    for (int tries = 0; ::waitpid(pid, &status, WNOHANG) != pid; ++tries) {
        if (tries == 1000) ::kill(pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(signal ? WIFSIGNALED(status) && WTERMSIG(status) == signal
                       : WIFEXITED(status) && WEXITSTATUS(status) == 3) << "status " << status;
    return during;
}

// SIGKILL cannot be caught: only the unnamed file escapes it.
TEST_F(OutputFile, AnExportStoppedHalfwayLeavesTheOldTargetAndNothingElse) {
    const fs::path target = Folder() / "out.s1m";
    std::ofstream(target) << "old";
    const std::vector<std::string> before = FileNames(Folder());
    for (const Temporary temporary : {Temporary::Unnamed, Temporary::Named}) {
        const bool named = temporary == Temporary::Named;
        for (const int signal : {SIGTERM, SIGKILL, SIGINT, SIGHUP, 0}) {
            if (named && signal == SIGKILL) continue;
            SCOPED_TRACE("signal " + std::to_string(signal) + (named ? ", named" : ", unnamed"));
            const std::vector<std::string> during = ExportAndStop(f_, target, signal, temporary);
            // The fallback's file shows under its hidden name, O_TMPFILE's never;
            // a file-size limit stops the child before it signals.
            EXPECT_EQ(during.size(), signal ? before.size() + named : 0);
            EXPECT_EQ(FileNames(Folder()), before);
            EXPECT_EQ(ReadWholeFile(target), "old");
        }
    }
}

}  // namespace
}  // namespace zelvo::testing
