// Benchmark helpers.
#include "bench_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <malloc.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

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

double ProcessCpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return -1;
    }
    // The command name may hold blanks and parentheses; the fields after it do not.
    size_t close = line.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    std::istringstream fields(line.substr(close + 1));
    // After the name come fields 3 (state) to 13; utime and stime are 14 and 15.
    constexpr int kFieldsBeforeUtime = 11;
    std::string skip;
    for (int i = 0; i < kFieldsBeforeUtime; ++i) {
        fields >> skip;
    }
    unsigned long long user = 0, system = 0;
    if (!(fields >> user >> system)) {
        return -1;
    }
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

bool ResetPeakRss() {
    malloc_trim(0);
    // "5" resets the peak RSS (VmHWM) of the process to its current RSS.
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

double PeakRssSinceResetMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            constexpr double kKiBPerMiB = 1024.0;
            return std::stod(line.substr(6)) / kKiBPerMiB;
        }
    }
    return PeakRssMiB();
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

std::string StopChildAndCollect(pid_t pid, int out_fd) {
    kill(pid, SIGTERM);
    std::string output;
    char buffer[1024];
    // The pipe ends when the child exits; the wait is only a guard against a child
    // that ignores the request.
    constexpr int kExitWaitMs = 10000;
    for (;;) {
        pollfd wait{out_fd, POLLIN, 0};
        if (poll(&wait, 1, kExitWaitMs) <= 0) {
            break;
        }
        ssize_t got = read(out_fd, buffer, sizeof(buffer));
        if (got <= 0) {
            break;
        }
        output.append(buffer, static_cast<size_t>(got));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    close(out_fd);
    return output;
}

uint64_t InterfaceCounter(const std::string& interface, const std::string& counter) {
    std::ifstream file("/sys/class/net/" + interface + "/statistics/" + counter);
    uint64_t value = 0;
    file >> value;
    return file ? value : 0;
}

}  // namespace plindar::bench
