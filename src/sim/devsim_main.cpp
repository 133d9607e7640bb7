// plindar-devsim: plays a batch of virtual devices on a real network interface.
#include <charconv>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "protocol/pcap_link.h"
#include "sim/device_runner.h"

using namespace plindar;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitBadUsage = 2;
// The device side answers whole batches at once and must not drop requests.
constexpr int kDeviceBufferBytes = 8 * 1024 * 1024;

const char kUsage[] =
    "Usage: plindar-devsim --interface IF [options]\n"
    "\n"
    "Plays virtual devices on network interface IF (for example one end of a veth pair)\n"
    "until interrupted. Needs root or the capture capability.\n"
    "\n"
    "Options:\n"
    "  --count N            number of devices (default 1)\n"
    "  --mac-prefix P       leading MAC bytes, e.g. 02:5A:00 (default); the device index fills the "
    "rest\n"
    "  --answer-delay-ms T  delay before a device answers (default 0)\n"
    "  --rx-loss R          chance 0..1 that a frame to a device is lost (default 0)\n"
    "  --tx-loss R          chance 0..1 that a frame from a device is lost (default 0)\n"
    "  --lossless-discovery keep discovery frames out of the losses and duplications\n"
    "  --duplicate N        extra copies of every discovery answer (default 0)\n"
    "  --seed S             seed of the random losses (default 1)\n"
    "  --ssid2 P, --ssid5 P, --key2 P, --key5 P\n"
    "                       texts the devices report; {n} is the index, {mac} the MAC\n"
    "  --fill-fields        make every reported text fill its whole field, unterminated\n"
    "\n"
    "Transfers:\n"
    "  --ack-delay-ms T     delay before a chunk is acknowledged (default 0)\n"
    "  --report-delay-ms T  delay between the last chunk and the result report (default 0)\n"
    "  --report-copies N    send every result report N times (default 1)\n"
    "  --rx-dup R, --tx-dup R\n"
    "                       chance 0..1 that a frame to / from a device is duplicated\n"
    "  --fail-config        report failure (5) for configuration files\n"
    "  --fail-logo          report failure (7) for logos\n"
    "  --silent             never acknowledge anything\n"
    "  --ack-after K        acknowledge a chunk only from its K-th copy on\n"
    "  --stale-acks         send the previous chunk's number before every acknowledgement\n"
    "  --wildcard-acks      acknowledge with sequence 0xFFFF\n"
    "  --lockcode CODE      devices start bound to this lock code\n"
    "  --store DIR          write every received file and command to DIR/<mac>/\n";

template <typename T>
bool ParseValue(const std::string& text, T* value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, *value);
    return ec == std::errc() && ptr == end && !text.empty();
}

bool ParseArguments(const std::vector<std::string>& args, std::string* interface,
                    sim_device_options* options, std::string* error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool* flag = arg == "--fill-fields"          ? &options->fill_fields
                     : arg == "--fail-config"        ? &options->fail_para
                     : arg == "--fail-logo"          ? &options->fail_logo
                     : arg == "--silent"             ? &options->silent
                     : arg == "--stale-acks"         ? &options->stale_acks
                     : arg == "--wildcard-acks"      ? &options->wildcard_acks
                     : arg == "--lossless-discovery" ? &options->lossless_discovery
                                                     : nullptr;
        if (flag != nullptr) {
            *flag = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            *error = arg.rfind("--", 0) == 0 ? arg + " needs a value" : "unexpected '" + arg + "'";
            return false;
        }
        const std::string& value = args[++i];
        bool ok = true;
        if (arg == "--interface") {
            *interface = value;
        } else if (arg == "--count") {
            ok = ParseValue(value, &options->count);
        } else if (arg == "--mac-prefix") {
            ok = ParseMacPrefix(value, &options->mac_prefix);
        } else if (arg == "--answer-delay-ms") {
            int64_t millis = 0;
            ok = ParseValue(value, &millis) && millis >= 0;
            options->answer_delay = std::chrono::milliseconds(millis);
        } else if (arg == "--rx-loss") {
            ok = ParseValue(value, &options->receive_loss);
        } else if (arg == "--tx-loss") {
            ok = ParseValue(value, &options->send_loss);
        } else if (arg == "--duplicate") {
            ok = ParseValue(value, &options->duplicate_answers);
        } else if (arg == "--seed") {
            ok = ParseValue(value, &options->seed);
        } else if (arg == "--ack-delay-ms" || arg == "--report-delay-ms") {
            int64_t millis = 0;
            ok = ParseValue(value, &millis) && millis >= 0;
            (arg == "--ack-delay-ms" ? options->ack_delay : options->report_delay) =
                std::chrono::milliseconds(millis);
        } else if (arg == "--report-copies") {
            ok = ParseValue(value, &options->report_copies);
        } else if (arg == "--rx-dup") {
            ok = ParseValue(value, &options->receive_duplicate);
        } else if (arg == "--tx-dup") {
            ok = ParseValue(value, &options->send_duplicate);
        } else if (arg == "--ack-after") {
            ok = ParseValue(value, &options->ack_after_copies) && options->ack_after_copies > 0;
        } else if (arg == "--lockcode") {
            options->lock_code = value;
        } else if (arg == "--store") {
            options->store_dir = value;
        } else if (arg == "--ssid2") {
            options->ssid2_pattern = value;
        } else if (arg == "--ssid5") {
            options->ssid5_pattern = value;
        } else if (arg == "--key2") {
            options->wpakey2_pattern = value;
        } else if (arg == "--key5") {
            options->wpakey5_pattern = value;
        } else {
            *error = "unknown option '" + arg + "'";
            return false;
        }
        if (!ok) {
            *error = "bad value '" + value + "' for " + arg;
            return false;
        }
    }
    if (interface->empty()) {
        *error = "--interface is required";
        return false;
    }
    *error = CDeviceModel::ValidateOptions(*options);
    return error->empty();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return kExitOk;
        }
    }
    std::string interface;
    sim_device_options options;
    std::string error;
    if (!ParseArguments(args, &interface, &options, &error)) {
        std::cerr << "plindar-devsim: " << error << "\nTry 'plindar-devsim --help'.\n";
        return kExitBadUsage;
    }

    // Signals are taken synchronously by the main thread; every other thread
    // inherits the blocked mask, so a stop request never lands mid-send.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    CPcapLinkProvider provider;
    link_open_options link_options;
    link_options.buffer_bytes = kDeviceBufferBytes;
    LinkOpenError open_error = LinkOpenError::None;
    std::unique_ptr<CLinkHandle> handle =
        provider.Open(interface, link_options, &open_error, &error);
    if (!handle) {
        std::cerr << "plindar-devsim: cannot open '" << interface << "': " << error
                  << (open_error == LinkOpenError::PermissionDenied
                          ? "\nRun as root or give the program the capture capability."
                          : "")
                  << "\n";
        return kExitBadUsage;
    }
    CDeviceRunner runner(std::move(handle), options);
    if (!runner.Start(&error)) {
        std::cerr << "plindar-devsim: " << error << "\n";
        return kExitFailed;
    }
    std::cout << "plindar-devsim: " << options.count << " devices on " << interface << ", ready"
              << std::endl;

    int received_signal = 0;
    sigwait(&stop_signals, &received_signal);
    runner.Stop();
    sim_runner_stats stats = runner.Stats();
    std::cout << "plindar-devsim: stopped; frames received " << stats.model.frames_received
              << ", sent " << stats.frames_sent << ", lost in " << stats.model.frames_lost_inbound
              << ", lost out " << stats.model.frames_lost_outbound << ", chunks "
              << stats.model.chunks_received << ", acks " << stats.model.acks_sent << ", reports "
              << stats.model.reports_sent << ", transfers " << stats.model.transfers_completed
              << ", out of order " << stats.model.chunks_out_of_order << ", send failures "
              << stats.send_failures << ", receive errors " << stats.receive_errors << std::endl;
    return kExitOk;
}
