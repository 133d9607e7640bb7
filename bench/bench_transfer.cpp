// Transfers to a batch of devices: how fast files reach them, what silent devices
// cost while their retransmission budget runs out, and what hundreds of workers
// hold in memory. Prints figures beside their targets; asserts nothing.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "content/apply_jobs.h"
#include "protocol/ac_transmit_manage.h"
#include "protocol/pcap_link.h"
#include "records/sql_management.h"
#include "sim/simulated_network.h"

using namespace plindar;
using namespace plindar::bench;

namespace {

constexpr size_t kKiB = 1024;
constexpr double kBytesPerMiB = 1024.0 * 1024.0;
constexpr size_t kConfigBytes = 256 * kKiB;
constexpr size_t kLogoBytes = 10 * kKiB;
// One chunk: a silent device fails on the first, so more would change nothing.
constexpr size_t kSilentFileBytes = 1 * kKiB;
constexpr uint64_t kFileSeed = 20240611;

constexpr auto kDiscoveryLimit = std::chrono::seconds(30);
constexpr auto kRediscoverEvery = std::chrono::seconds(3);
constexpr auto kStorePollStep = std::chrono::milliseconds(1);
// Far above the longest case (the silent budget of about 5 s).
constexpr auto kJobLimit = std::chrono::seconds(120);

constexpr uint32_t kTargetDevices = 256;
constexpr double kTargetSeconds = 4.0;
constexpr double kTargetChunksPerSecond = 16000.0;
constexpr double kTargetSilentCpuSeconds = 2.0;
constexpr double kTargetMemoryMiB = 150.0;

enum CaseKind { CASE_CONFIG, CASE_LOGO, CASE_SILENT };

struct transfer_case {
    const char* name;
    CaseKind kind;
    uint32_t devices;
    TransmitJobKind job;
    size_t bytes;
};

const transfer_case kCases[] = {
    {"config", CASE_CONFIG, 1, JOB_PARA, kConfigBytes},
    {"config", CASE_CONFIG, 16, JOB_PARA, kConfigBytes},
    {"config", CASE_CONFIG, 64, JOB_PARA, kConfigBytes},
    {"config", CASE_CONFIG, 256, JOB_PARA, kConfigBytes},
    {"logo", CASE_LOGO, 256, JOB_LOGO, kLogoBytes},
    {"silent budget", CASE_SILENT, 256, JOB_PARA, kSilentFileBytes},
};

struct case_figures {
    const transfer_case* plan = nullptr;
    std::string problem;  // why the case could not run or ended early; "" when fine
    size_t devices = 0;   // found by discovery, and sent to
    size_t not_started = 0;
    double wall_seconds = 0;
    double cpu_seconds = 0;
    double far_cpu_seconds = -1;  // the simulator process's own, when it is one
    double peak_rss_mib = 0;
    double buffer_mib = 0;
    uint64_t chunks = 0;
    uint64_t frames = 0;
    uint64_t retransmissions = 0;
    uint64_t succeeded = 0;
    uint64_t failed = 0;
    uint64_t send_errors = 0;
    // What the far end and the link saw, shown when a loss-free case lost frames.
    std::string link_note;

    double ChunksPerSecond() const { return wall_seconds > 0 ? chunks / wall_seconds : 0; }
    double MemoryMiB() const { return peak_rss_mib + buffer_mib; }
};

std::string MakeFolder() {
    char pattern[] = "/tmp/plindar-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? std::string(made) + "/" : std::string();
}

bool WriteRandomFile(const std::string& path, size_t bytes, uint64_t seed) {
    std::mt19937_64 random(seed);
    std::vector<char> content(bytes);
    std::generate(content.begin(), content.end(), [&] { return static_cast<char>(random()); });
    std::ofstream out(path, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return static_cast<bool>(out);
}

// The files every case sends, written once.
struct bench_files {
    std::string folder;
    std::string config;
    std::string logo;
    std::string small;

    const std::string& For(const transfer_case& plan) const {
        switch (plan.kind) {
            case CASE_LOGO:
                return logo;
            case CASE_SILENT:
                return small;
            default:
                return config;
        }
    }
};

// Discovers the devices the way the operator would, so that the jobs go to the
// MACs the devices really answered with.
std::vector<std::string> DiscoverDevices(AcTransmitManage& manager, CSqlManagement& store,
                                         uint32_t wanted) {
    auto start = std::chrono::steady_clock::now();
    auto last_request = start - kRediscoverEvery;
    while (static_cast<uint32_t>(store.CountDevices()) < wanted &&
           std::chrono::steady_clock::now() - start < kDiscoveryLimit) {
        if (std::chrono::steady_clock::now() - last_request >= kRediscoverEvery) {
            manager.SendDiscover();
            last_request = std::chrono::steady_clock::now();
        }
        std::this_thread::sleep_for(kStorePollStep);
    }
    std::vector<ap_info_stu> rows;
    int total = 0, ok = 0, failed = 0;
    store.QueryDevices(&rows, &total, &ok, &failed, true, SORT_BY_MAC, "");
    std::vector<std::string> macs;
    for (const ap_info_stu& row : rows) {
        macs.emplace_back(row.mac);
    }
    return macs;
}

// One case on a link whose far end is already running. Fresh store and manager:
// the workers' counters add up over a manager's life.
case_figures RunCase(const transfer_case& plan, std::shared_ptr<CLinkProvider> link,
                     const std::string& device, const mac_address& adapter, const std::string& file,
                     pid_t far_end) {
    case_figures figures;
    figures.plan = &plan;
    std::string folder = MakeFolder();
    if (folder.empty()) {
        figures.problem = "cannot make a temporary folder";
        return figures;
    }
    {
        CSqlManagement store(folder, nullptr);
        AcTransmitManage manager(&store, link);
        manager.SetRunLogFolder(folder);
        manager.SetAdapterMac(adapter);
        manager.SetAdapterDeviceName(device);
        if (!manager.Init()) {
            figures.problem = "cannot listen on " + device;
        } else {
            std::vector<std::string> macs = DiscoverDevices(manager, store, plan.devices);
            figures.devices = macs.size();
            if (macs.size() < plan.devices) {
                figures.problem = "discovery found only " + std::to_string(macs.size()) + " of " +
                                  std::to_string(plan.devices) + " devices";
            }
            CTransmitWorkers& workers = manager.GetTransmitWorkers();
            transmit_counters& counters = workers.Counters();
            double cpu_start = CpuSeconds();
            double far_start = far_end > 0 ? ProcessCpuSeconds(far_end) : -1;
            auto start = std::chrono::steady_clock::now();
            apply_start started = SendFiles(manager, store, macs, plan.job, file, file);
            bool finished = workers.WaitAll(kJobLimit);
            figures.wall_seconds = SecondsSince(start);
            figures.cpu_seconds = CpuSeconds() - cpu_start;
            if (far_end > 0 && far_start >= 0) {
                double far_now = ProcessCpuSeconds(far_end);
                figures.far_cpu_seconds = far_now >= 0 ? far_now - far_start : -1;
            }
            if (!started.ok) {
                figures.problem = "the run did not start: " + started.message;
            } else if (!finished) {
                figures.problem = "workers still running after the limit";
            }
            figures.not_started = started.not_started.size();
            figures.buffer_mib =
                static_cast<double>(started.started.size()) * kWorkerBufferBytes / kBytesPerMiB;
            figures.chunks = counters.chunks_acknowledged.load();
            figures.frames = counters.frames_sent.load();
            figures.retransmissions = counters.retransmissions.load();
            figures.succeeded = counters.transfers_succeeded.load();
            figures.failed = counters.transfers_failed.load();
            figures.send_errors = counters.send_errors.load();
        }
    }
    std::filesystem::remove_all(folder);
    return figures;
}

std::string SizeText(size_t bytes) {
    return bytes % kKiB == 0 ? std::to_string(bytes / kKiB) + " KiB" : std::to_string(bytes) + " B";
}

void PrintHeader() {
    std::printf("%-14s %7s %8s %8s %9s %7s %8s %7s %8s %8s %7s %9s %8s\n", "case", "devices",
                "file", "wall s", "chunks/s", "CPU s", "RSS MiB", "buf MiB", "mem MiB", "frames",
                "retrans", "ok/failed", "devsim s");
}

void PrintRow(const case_figures& f) {
    char far[32] = "-";
    if (f.far_cpu_seconds >= 0) {
        std::snprintf(far, sizeof(far), "%.2f", f.far_cpu_seconds);
    }
    char outcome[32];
    std::snprintf(outcome, sizeof(outcome), "%llu/%llu",
                  static_cast<unsigned long long>(f.succeeded),
                  static_cast<unsigned long long>(f.failed));
    std::printf("%-14s %7zu %8s %8.3f %9.0f %7.2f %8.1f %7.1f %8.1f %8llu %7llu %9s %8s\n",
                f.plan->name, f.devices, SizeText(f.plan->bytes).c_str(), f.wall_seconds,
                f.ChunksPerSecond(), f.cpu_seconds, f.peak_rss_mib, f.buffer_mib, f.MemoryMiB(),
                static_cast<unsigned long long>(f.frames),
                static_cast<unsigned long long>(f.retransmissions), outcome, far);
    if (!f.problem.empty()) {
        std::printf("  note: %s\n", f.problem.c_str());
    }
    if (f.send_errors > 0) {
        std::printf("  note: %llu frames could not be sent\n",
                    static_cast<unsigned long long>(f.send_errors));
    }
    if (!f.link_note.empty()) {
        std::printf("  note: %s\n", f.link_note.c_str());
    }
    if (f.not_started > 0) {
        std::printf("  note: %zu workers could not be started\n", f.not_started);
    }
    std::fflush(stdout);
}

const char* Verdict(bool met) {
    return met ? "meets" : "misses";
}

void PrintTargets(const std::vector<case_figures>& rows, const char* link_note) {
    std::printf("targets%s:\n", link_note);
    for (const case_figures& f : rows) {
        if (f.plan->devices != kTargetDevices || !f.problem.empty()) {
            continue;
        }
        if (f.plan->kind == CASE_CONFIG) {
            std::printf(
                "  %u x 256 KiB: %.3f s (<= %.0f s) %s; %.0f chunks/s (>= %.0f) %s; "
                "%llu retransmissions (none) %s\n",
                kTargetDevices, f.wall_seconds, kTargetSeconds,
                Verdict(f.wall_seconds <= kTargetSeconds), f.ChunksPerSecond(),
                kTargetChunksPerSecond, Verdict(f.ChunksPerSecond() >= kTargetChunksPerSecond),
                static_cast<unsigned long long>(f.retransmissions),
                Verdict(f.retransmissions == 0));
        }
        if (f.plan->kind == CASE_SILENT) {
            std::printf("  %u silent devices: %.2f CPU-s (< %.0f) %s\n", kTargetDevices,
                        f.cpu_seconds, kTargetSilentCpuSeconds,
                        Verdict(f.cpu_seconds < kTargetSilentCpuSeconds));
        }
        std::printf(
            "  memory, %s with %zu workers: %.1f MiB RSS + %.1f MiB buffers = %.1f MiB "
            "(< %.0f) %s\n",
            f.plan->name, f.devices, f.peak_rss_mib, f.buffer_mib, f.MemoryMiB(), kTargetMemoryMiB,
            Verdict(f.MemoryMiB() < kTargetMemoryMiB));
    }
    std::fflush(stdout);
}

std::vector<case_figures> RunInProcess(const bench_files& files) {
    std::vector<case_figures> rows;
    for (const transfer_case& plan : kCases) {
        ResetPeakRss();
        sim_device_options options;
        options.count = plan.devices;
        options.lossless_discovery = true;
        options.silent = plan.kind == CASE_SILENT;
        case_figures figures;
        {
            CSimulatedNetwork network(options);
            std::string error;
            if (network.Start(&error)) {
                figures = RunCase(plan, network.Provider(), kSimAdapterName, kSimAdapterMac,
                                  files.For(plan), -1);
            } else {
                figures.plan = &plan;
                figures.problem = "the simulated segment did not start: " + error;
            }
            figures.peak_rss_mib = PeakRssSinceResetMiB();
        }
        PrintRow(figures);
        rows.push_back(figures);
    }
    return rows;
}

// Frames the kernel dropped on the veth pair, both ends, both directions.
struct link_drops {
    uint64_t host_rx = 0, host_tx = 0, devices_rx = 0, devices_tx = 0;
};

link_drops ReadLinkDrops(const BenchVeth& veth) {
    return link_drops{
        InterfaceCounter(veth.host, "rx_dropped"), InterfaceCounter(veth.host, "tx_dropped"),
        InterfaceCounter(veth.devices, "rx_dropped"), InterfaceCounter(veth.devices, "tx_dropped")};
}

// Where a frame of a loss-free case went missing: the veth counters, and the
// simulator's own closing figures (chunks it saw against acknowledgements sent).
std::string DescribeLoss(const link_drops& before, const link_drops& after,
                         const std::string& closing) {
    std::string stopped = closing;
    size_t line = stopped.find("stopped");
    if (line != std::string::npos) {
        stopped = stopped.substr(line);
    }
    while (!stopped.empty() && (stopped.back() == '\n' || stopped.back() == '\r')) {
        stopped.pop_back();
    }
    char text[160];
    std::snprintf(text, sizeof(text),
                  "veth drops during the case: host rx %llu tx %llu, devices rx %llu tx %llu; "
                  "devsim ",
                  static_cast<unsigned long long>(after.host_rx - before.host_rx),
                  static_cast<unsigned long long>(after.host_tx - before.host_tx),
                  static_cast<unsigned long long>(after.devices_rx - before.devices_rx),
                  static_cast<unsigned long long>(after.devices_tx - before.devices_tx));
    return text + stopped;
}

std::vector<case_figures> RunOverVeth(const bench_files& files, const BenchVeth& veth) {
    std::vector<case_figures> rows;
    auto link = std::make_shared<CPcapLinkProvider>();
    mac_address adapter{};
    for (const local_adapter_node& node : link->ListAdapters()) {
        if (std::string(node.info.adapter_name) == veth.host) {
            std::copy_n(node.info.hardware_address, kMacLength, adapter.begin());
        }
    }
    for (const transfer_case& plan : kCases) {
        ResetPeakRss();
        std::vector<std::string> argv = {std::string(PLINDAR_STAGE_DIR) + "/plindar-devsim",
                                         "--interface",
                                         veth.devices,
                                         "--count",
                                         std::to_string(plan.devices),
                                         "--lossless-discovery"};
        if (plan.kind == CASE_SILENT) {
            argv.push_back("--silent");
        }
        case_figures figures;
        int out_fd = -1;
        pid_t devsim = StartAndWait(argv, "ready", &out_fd);
        if (devsim < 0) {
            figures.plan = &plan;
            figures.problem = "could not start plindar-devsim";
        } else {
            link_drops before = ReadLinkDrops(veth);
            figures = RunCase(plan, link, veth.host, adapter, files.For(plan), devsim);
            link_drops after = ReadLinkDrops(veth);
            std::string closing = StopChildAndCollect(devsim, out_fd);
            if (plan.kind != CASE_SILENT && figures.retransmissions > 0) {
                figures.link_note = DescribeLoss(before, after, closing);
            }
        }
        figures.peak_rss_mib = PeakRssSinceResetMiB();
        PrintRow(figures);
        rows.push_back(figures);
    }
    return rows;
}

}  // namespace

int main() {
    bench_files files;
    files.folder = MakeFolder();
    if (files.folder.empty()) {
        std::printf("cannot make a temporary folder\n");
        return 1;
    }
    files.config = files.folder + "config.bin";
    files.logo = files.folder + "logo.bin";
    files.small = files.folder + "small.bin";
    if (!WriteRandomFile(files.config, kConfigBytes, kFileSeed) ||
        !WriteRandomFile(files.logo, kLogoBytes, kFileSeed + 1) ||
        !WriteRandomFile(files.small, kSilentFileBytes, kFileSeed + 2)) {
        std::printf("cannot write the files to send in %s\n", files.folder.c_str());
        std::filesystem::remove_all(files.folder);
        return 1;
    }

    std::printf(
        "Transfers: configuration file %s to 1..256 devices, logo %s to 256, and 256 "
        "silent devices (%s) waiting out the retransmission budget\n",
        SizeText(kConfigBytes).c_str(), SizeText(kLogoBytes).c_str(),
        SizeText(kSilentFileBytes).c_str());
    std::printf(
        "targets: %u x 256 KiB over veth in <= %.0f s (>= %.0f chunks/s) with no "
        "retransmission; %u silent devices < %.0f CPU-s; RSS + capture buffers < %.0f "
        "MiB with %u workers\n",
        kTargetDevices, kTargetSeconds, kTargetChunksPerSecond, kTargetDevices,
        kTargetSilentCpuSeconds, kTargetMemoryMiB, kTargetDevices);
    std::printf(
        "wall s and CPU s: from starting the jobs until every worker finished; CPU s "
        "is this process (user + system)\n");
    std::printf(
        "RSS MiB: peak of the case (high-water mark reset before it); buf MiB: workers x "
        "%d KiB of configured capture buffer; mem MiB: their sum\n",
        kWorkerBufferBytes / static_cast<int>(kKiB));

    std::printf("\nin-process segment (CPU s and RSS include the simulated devices)\n");
    PrintHeader();
    std::vector<case_figures> in_process = RunInProcess(files);
    PrintTargets(in_process,
                 " on the in-process segment (the speed target is for veth; shown "
                 "for comparison)");

    std::printf(
        "\nveth + plindar-devsim (CPU s is the sender alone; devsim s is the simulator's; "
        "libpcap maps every capture ring into this process, so RSS MiB already holds the "
        "rings and mem MiB counts them twice)\n");
    if (geteuid() != 0) {
        std::printf("skipped (needs root)\n");
    } else {
        BenchVeth veth;
        if (!veth.Ready()) {
            std::printf("skipped (the veth pair could not be made)\n");
        } else {
            PrintHeader();
            std::vector<case_figures> over_veth = RunOverVeth(files, veth);
            PrintTargets(over_veth, " over veth");
        }
    }
    std::filesystem::remove_all(files.folder);
    return 0;
}
