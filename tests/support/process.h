#pragma once

// Runs another program to completion and collects what it printed: the command-line tool under
// test, or an independent tool to check our output against. Header-only so that any test suite
// can use it without linking more.

#include "support/testenv.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace kelvara::test {

struct ProcessResult {
    int exitCode = -1; // -1 when the program could not run or did not exit normally
    std::string out;
    std::string err;
};

struct ProcessOptions {
    std::string directory;                                 // working directory; empty: ours
    std::map<std::string, std::optional<std::string>> env; // changes to our environment; nullopt removes
    bool closedStdout = false;   // standard output is a pipe nobody reads: the first write fails (SIGPIPE)
    std::string outputPath = {}; // standard output goes to this file (/dev/full); `out` is then empty
    std::optional<std::string> input = std::nullopt; // standard input holds this text; else it is /dev/null
};

inline std::string ReadTextFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {})
{
    static int counter = 0;
    const std::string base =
        TestRoot() + "/process-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    const std::string outPath = base + ".out";
    const std::string errPath = base + ".err";
    const std::string inPath = base + ".in";
    if (options.input)
        std::ofstream(inPath, std::ios::binary) << *options.input;

    std::map<std::string, std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const auto eq = entry.find('=');
        if (eq != std::string::npos)
            env[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [name, value] : options.env) {
        if (value)
            env[name] = *value;
        else
            env.erase(name);
    }
    std::vector<std::string> envStrings;
    for (const auto& [name, value] : env)
        envStrings.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& s : envStrings)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char*> argp;
    for (auto& s : args)
        argp.push_back(s.data());
    argp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, options.input ? inPath.c_str() : "/dev/null", O_RDONLY, 0);
    int pipeEnds[2] = {-1, -1};
    if (options.closedStdout && ::pipe(pipeEnds) == 0) {
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    } else if (!options.outputPath.empty()) {
        posix_spawn_file_actions_addopen(&actions, 1, options.outputPath.c_str(), O_WRONLY, 0);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!options.directory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, options.directory.c_str());
    pid_t pid = 0;
    ProcessResult result;
    const int rc = posix_spawnp(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (pipeEnds[0] >= 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
    }
    if (rc != 0) {
        result.err = "cannot start " + argv[0];
        return result;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return result;
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    result.out = ReadTextFile(outPath);
    result.err = ReadTextFile(errPath);
    ::unlink(outPath.c_str());
    ::unlink(errPath.c_str());
    ::unlink(inPath.c_str());
    return result;
}

// Whether `program` can be found in PATH.
inline bool HaveProgram(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && ::access((dir + "/" + program).c_str(), X_OK) == 0)
            return true;
    return false;
}

} // namespace kelvara::test
