// Discovery of a large batch: how fast answers become store rows, and what the
// device list's query of all rows costs. Prints figures; asserts nothing.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "bench_support.h"
#include "protocol/ac_transmit_manage.h"
#include "protocol/pcap_link.h"
#include "records/sql_management.h"
#include "sim/simulated_network.h"

using namespace plindar;
using namespace plindar::bench;

namespace {

constexpr int kDevices = 1000;
constexpr int kQueryRepeats = 20;
constexpr auto kGiveUp = std::chrono::seconds(30);

struct discovery_figures {
    int found = 0;
    double seconds_to_last_row = 0;
    double query_ms = 0;
};

std::string MakeFolder() {
    char pattern[] = "/tmp/plindar-bench-XXXXXX";
    return std::string(mkdtemp(pattern)) + "/";
}

discovery_figures Discover(std::shared_ptr<CLinkProvider> link, const std::string& device,
                           const mac_address& adapter_mac) {
    discovery_figures figures;
    std::string folder = MakeFolder();
    {
        CSqlManagement store(folder, nullptr);
        AcTransmitManage manager(&store, link);
        manager.SetAdapterMac(adapter_mac);
        manager.SetAdapterDeviceName(device);
        if (!manager.Init()) {
            std::fprintf(stderr, "cannot listen on %s\n", device.c_str());
            return figures;
        }
        auto start = std::chrono::steady_clock::now();
        manager.SendDiscover();
        // The scan's completion rule would wait whole seconds; here the clock stops
        // at the last row, polled finely.
        while (store.CountDevices() < kDevices &&
               std::chrono::steady_clock::now() - start < kGiveUp) {
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        figures.seconds_to_last_row = SecondsSince(start);
        figures.found = store.CountDevices();

        auto query_start = std::chrono::steady_clock::now();
        for (int i = 0; i < kQueryRepeats; ++i) {
            std::vector<ap_info_stu> rows;
            int total = 0, ok = 0, failed = 0;
            store.QueryDevices(&rows, &total, &ok, &failed, true, SORT_BY_MAC, "");
        }
        figures.query_ms = SecondsSince(query_start) * 1000.0 / kQueryRepeats;
    }
    std::filesystem::remove_all(folder);
    return figures;
}

void Print(const char* link, const discovery_figures& f) {
    std::printf("%-22s %6d %10.3f %10.0f %12.2f %10.1f\n", link, f.found, f.seconds_to_last_row,
                f.found / (f.seconds_to_last_row > 0 ? f.seconds_to_last_row : 1), f.query_ms,
                PeakRssMiB());
}

}  // namespace

int main() {
    std::printf("Discovery of %d devices\n", kDevices);
    std::printf("%-22s %6s %10s %10s %12s %10s\n", "link", "found", "seconds", "rows/s", "query ms",
                "peak MiB");

    {
        sim_device_options options;
        options.count = kDevices;
        CSimulatedNetwork network(options);
        std::string error;
        if (network.Start(&error)) {
            Print("in-process segment",
                  Discover(network.Provider(), kSimAdapterName, kSimAdapterMac));
        } else {
            std::printf("in-process segment: %s\n", error.c_str());
        }
    }

    BenchVeth veth;
    if (!veth.Ready()) {
        std::printf("veth + plindar-devsim: skipped (needs root and iproute2)\n");
        return 0;
    }
    int out_fd = -1;
    pid_t devsim = StartAndWait({std::string(PLINDAR_STAGE_DIR) + "/plindar-devsim", "--interface",
                                 veth.devices, "--count", std::to_string(kDevices)},
                                "ready", &out_fd);
    if (devsim < 0) {
        std::printf("veth + plindar-devsim: could not start the simulator\n");
        return 1;
    }
    auto link = std::make_shared<CPcapLinkProvider>();
    mac_address adapter{};
    for (const local_adapter_node& node : link->ListAdapters()) {
        if (std::string(node.info.adapter_name) == veth.host) {
            std::copy_n(node.info.hardware_address, kMacLength, adapter.begin());
        }
    }
    Print("veth + plindar-devsim", Discover(link, veth.host, adapter));
    StopChild(devsim, out_fd);
    return 0;
}
