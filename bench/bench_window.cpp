// Figures of the window program: time from start to the main window shown,
// resident memory of the idle window and the CPU it uses while idle.
//
//   bench_window [--runs N] [--idle SECONDS] [--devices N]
//
// Runs the staged plindar on a simulated segment, on the offscreen platform unless
// QT_QPA_PLATFORM or DISPLAY says otherwise, each run in a fresh program folder.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using steady = std::chrono::steady_clock;

constexpr char kShownLine[] = "main window shown";
constexpr auto kLogPoll = std::chrono::milliseconds(2);
constexpr auto kStartLimit = std::chrono::seconds(30);

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// utime + stime of a process, in seconds.
double CpuSeconds(pid_t pid) {
    std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    size_t end = stat.rfind(')');
    if (end == std::string::npos) {
        return -1;
    }
    std::istringstream fields(stat.substr(end + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // Fields after the name start at 3 (state); utime is 14 and stime 15.
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index == 14)
            utime = std::stoull(field);
        if (index == 15)
            stime = std::stoull(field);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

long ResidentKiB(pid_t pid) {
    std::istringstream status(ReadFile("/proc/" + std::to_string(pid) + "/status"));
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

struct run_figures {
    double shown_ms = -1;
    long rss_kib = -1;
    double idle_cpu_s = -1;
};

run_figures RunOnce(const std::string& program, const std::string& home, int devices,
                    int idle_seconds) {
    run_figures figures;
    std::vector<std::string> args = {program, "--simulate", std::to_string(devices), "--home",
                                     home};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const auto started = steady::now();
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        std::perror("posix_spawn");
        return figures;
    }
    const std::string log = home + "/Diagnostic.log";
    while (steady::now() - started < kStartLimit) {
        if (ReadFile(log).find(kShownLine) != std::string::npos) {
            figures.shown_ms =
                std::chrono::duration<double, std::milli>(steady::now() - started).count();
            break;
        }
        std::this_thread::sleep_for(kLogPoll);
    }
    if (figures.shown_ms >= 0 && idle_seconds > 0) {
        // Let start-up settle before measuring what the idle window costs.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        figures.rss_kib = ResidentKiB(pid);
        double before = CpuSeconds(pid);
        std::this_thread::sleep_for(std::chrono::seconds(idle_seconds));
        figures.idle_cpu_s = CpuSeconds(pid) - before;
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5, idle = 60, devices = 24;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string name = argv[i];
        int value = std::atoi(argv[i + 1]);
        if (name == "--runs")
            runs = value;
        if (name == "--idle")
            idle = value;
        if (name == "--devices")
            devices = value;
    }
    if (std::getenv("DISPLAY") == nullptr && std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    char runtime[] = "/tmp/plindar-bench-XXXXXX";
    if (mkdtemp(runtime) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    setenv("XDG_RUNTIME_DIR", runtime, 1);
    const std::string program = std::string(PLINDAR_STAGE_DIR) + "/plindar";
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    std::printf("platform: %s, %d simulated devices\n", platform ? platform : "xcb", devices);

    std::vector<double> shown;
    for (int run = 0; run < runs; ++run) {
        std::string home = std::string(runtime) + "/home" + std::to_string(run);
        // Only the last run idles: start-up is what the others measure.
        run_figures figures = RunOnce(program, home, devices, run == runs - 1 ? idle : 0);
        if (figures.shown_ms < 0) {
            std::printf("run %d: the window was not shown within %lld s\n", run,
                        static_cast<long long>(kStartLimit.count()));
            return 1;
        }
        shown.push_back(figures.shown_ms);
        std::printf("run %d: window shown after %.0f ms\n", run, figures.shown_ms);
        if (figures.rss_kib >= 0) {
            std::printf("idle window: resident %.1f MiB, CPU %.3f s over %d s\n",
                        figures.rss_kib / 1024.0, figures.idle_cpu_s, idle);
        }
    }
    std::sort(shown.begin(), shown.end());
    std::printf("start to window shown: median %.0f ms, best %.0f ms, worst %.0f ms\n",
                shown[shown.size() / 2], shown.front(), shown.back());
    std::string cleanup = std::string("rm -rf ") + runtime;
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
