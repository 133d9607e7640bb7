// Small helpers shared by the benchmark programs: clocks, memory, veth, children.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace plindar::bench {

double SecondsSince(std::chrono::steady_clock::time_point start);
// Peak resident set size of this process, in MiB.
double PeakRssMiB();
// CPU seconds (user + system) this process has used so far.
double CpuSeconds();
// CPU seconds another process (e.g. a simulator child) has used so far; -1 when
// it cannot be read.
double ProcessCpuSeconds(pid_t pid);

// Starts a new peak-RSS window: freed heap is handed back first so that an earlier
// case's leftovers do not count, then the kernel's high-water mark is reset to the
// current RSS. False when the kernel refuses (the window then spans the process).
bool ResetPeakRss();
// The kernel's high-water mark of this process's RSS since the last reset, in MiB.
double PeakRssSinceResetMiB();

// A veth pair for the duration of a benchmark (root only).
class BenchVeth {
public:
    BenchVeth();
    ~BenchVeth();
    bool Ready() const { return ready_; }
    std::string host;
    std::string devices;

private:
    bool ready_ = false;
};

// Starts a program with its stdout on a pipe and waits for a line containing
// `ready_text`; -1 when it could not start or never got ready.
pid_t StartAndWait(const std::vector<std::string>& argv, const std::string& ready_text,
                   int* out_fd);
void StopChild(pid_t pid, int out_fd);
// The same, and returns whatever the child printed after its ready line (its
// closing figures, for instance).
std::string StopChildAndCollect(pid_t pid, int out_fd);

// A counter of /sys/class/net/IF/statistics (e.g. "rx_dropped"); 0 when unreadable.
uint64_t InterfaceCounter(const std::string& interface, const std::string& counter);

}  // namespace plindar::bench
