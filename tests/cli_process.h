// SPDX-License-Identifier: GPL-3.0-or-later
// zelvo-cli run as a program: how it ended, what it wrote to standard error,
// its time and its peak memory.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "load_helpers.h"

namespace zelvo::testing {

struct ProgramRun {
    int status = -1;  // -1: ended by a signal, or killed after 30 seconds
    std::string err;
    double seconds = 0, cpuSeconds = 0;
    long peakKiB = 0;
};

// Standard output goes to outPath; no file written may grow past fileSizeLimit.
inline ProgramRun RunProgram(const std::vector<std::string>& args,
                             const std::string& outPath = "/dev/null",
                             rlim_t fileSizeLimit = RLIM_INFINITY) {
    const TempFile errFile("");
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errFile.path().c_str(), O_WRONLY | O_TRUNC);
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
            ::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            ::_exit(126);
        }
        std::vector<char*> argv{const_cast<char*>(ZELVO_CLI_PATH)};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(ZELVO_CLI_PATH, argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    for (int tries = 0; ::wait4(pid, &status, WNOHANG, &usage) != pid; ++tries) {
        if (tries == 3000) ::kill(pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ProgramRun run;
    if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    run.err = ReadWholeFile(errFile.path());
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.peakKiB = usage.ru_maxrss;
    return run;
}

}  // namespace zelvo::testing
