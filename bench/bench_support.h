// Small helpers shared by the benchmark programs: clocks, memory, veth, children.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace plindar::bench {

double SecondsSince(std::chrono::steady_clock::time_point start);
// Peak resident set size of this process, in MiB.
double PeakRssMiB();
// CPU seconds (user + system) this process has used so far.
double CpuSeconds();

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

}  // namespace plindar::bench
