// Benchmark helpers.
#include "bench_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

extern char** environ;

namespace plindar::bench {

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double PeakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

BenchVeth::BenchVeth() : host("plbenchh"), devices("plbenchd") {
    if (geteuid() != 0) {
        return;
    }
    std::system(("ip link del " + host + " >/dev/null 2>&1").c_str());
    ready_ = std::system(("ip link add name " + host + " type veth peer name " + devices +
                          " && ip link set " + host + " up && ip link set " + devices + " up")
                             .c_str()) == 0;
}

BenchVeth::~BenchVeth() {
    if (ready_) {
        std::system(("ip link del " + host + " >/dev/null 2>&1").c_str());
    }
}

pid_t StartAndWait(const std::vector<std::string>& argv, const std::string& ready_text,
                   int* out_fd) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = -1;
    int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return -1;
    }
    std::string seen;
    char buffer[1024];
    while (seen.find(ready_text) == std::string::npos) {
        pollfd wait{out[0], POLLIN, 0};
        if (poll(&wait, 1, 10000) <= 0) {
            StopChild(pid, out[0]);
            return -1;
        }
        ssize_t got = read(out[0], buffer, sizeof(buffer));
        if (got <= 0) {
            StopChild(pid, out[0]);
            return -1;
        }
        seen.append(buffer, static_cast<size_t>(got));
    }
    *out_fd = out[0];
    return pid;
}

void StopChild(pid_t pid, int out_fd) {
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    close(out_fd);
}

}  // namespace plindar::bench
