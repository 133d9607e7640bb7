// Child processes for end-to-end tests.
#include "support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace plindar::test {

namespace {

std::vector<char*> ArgvPointers(const std::vector<std::string>& argv) {
    std::vector<char*> pointers;
    for (const std::string& arg : argv) {
        pointers.push_back(const_cast<char*>(arg.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

int ExitCodeOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Reads what is available from fd into text; false at end of file or error.
bool ReadSome(int fd, std::string* text, int timeout_ms) {
    pollfd wait{fd, POLLIN, 0};
    if (poll(&wait, 1, timeout_ms) <= 0) {
        return true;
    }
    char buffer[4096];
    ssize_t got = read(fd, buffer, sizeof(buffer));
    if (got <= 0) {
        return false;
    }
    text->append(buffer, static_cast<size_t>(got));
    return true;
}

}  // namespace

std::string StagedProgram(const std::string& name) {
    const char* stage = std::getenv("PLINDAR_STAGE_DIR");
    std::string folder = stage ? stage : ".";
    return folder + "/" + name;
}

std::vector<std::string> CliCommand(const std::string& home, std::vector<std::string> args) {
    std::vector<std::string> argv = {StagedProgram("plindar-cli"), "--home", home};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

process_result RunProgram(const std::vector<std::string>& argv) {
    process_result result;
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<char*> args = ArgvPointers(argv);
    pid_t pid = -1;
    int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) {
        close(out[0]);
        close(err[0]);
        result.err = "cannot start " + argv[0] + ": " + std::strerror(spawned);
        return result;
    }
    bool out_open = true, err_open = true;
    while (out_open || err_open) {
        if (out_open)
            out_open = ReadSome(out[0], &result.out, 10);
        if (err_open)
            err_open = ReadSome(err[0], &result.err, 10);
    }
    close(out[0]);
    close(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exit_code = ExitCodeOf(status);
    return result;
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::vector<char*> args = ArgvPointers(argv);
    if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) {
        pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    out_fd_ = out[0];
}

BackgroundProcess::~BackgroundProcess() {
    Stop();
    if (out_fd_ >= 0) {
        close(out_fd_);
    }
}

bool BackgroundProcess::WaitForLine(const std::string& text, int limit_seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limit_seconds);
    while (seen_.find(text) == std::string::npos) {
        if (pid_ < 0 || std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        if (!ReadSome(out_fd_, &seen_, 100)) {
            return seen_.find(text) != std::string::npos;
        }
    }
    return true;
}

int BackgroundProcess::Stop(std::string* rest_of_output) {
    if (pid_ < 0) {
        return -1;
    }
    kill(pid_, SIGTERM);
    std::string rest;
    // A program that ignores the request for half a minute is hung: end it hard so
    // the test reports instead of hanging.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (ReadSome(out_fd_, &rest, 100)) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            break;
        }
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    if (rest_of_output) {
        *rest_of_output = rest;
    }
    return ExitCodeOf(status);
}

}  // namespace plindar::test
