#pragma once
// Whole-process runs for the benchmarks of kelvara-cli: the program started with posix_spawn, its
// output thrown away, waited for to its end.

#include "kelvara/testpaths.h"

#include <chrono>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace kelvara::bench {

inline std::string CliPath()
{
    return std::string(KELVARA_BINARY_DIR) + "/src/cli/kelvara-cli";
}

struct RunResult {
    bool ok = false;    // started and ended with the expected exit status
    double seconds = 0; // wall time from start to end
    double cpuMs = 0;   // the child's own processor time, user and system
};

// Runs `args` (the program first) with standard input from `input`.
inline RunResult RunToEnd(std::vector<std::string> args, int expected = 0,
                          const std::string& input = "/dev/null")
{
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    RunResult result;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = 0;
    rusage usage{};
    result.ok = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
                ::wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) &&
                WEXITSTATUS(status) == expected;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.cpuMs = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

} // namespace kelvara::bench
