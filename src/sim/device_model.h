// The virtual devices: how a batch of devices answers the protocol. The same
// model plays the devices in the in-process segment, in plindar-devsim on a real
// interface, and in the tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <queue>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "protocol/frame_format.h"
#include "protocol/mac_text.h"

namespace plindar {

struct sim_device_options {
    uint32_t count = 1;
    // Leading bytes of every device MAC; the index (from 1) fills the rest. The
    // default is locally administered, so it never clashes with real hardware.
    std::vector<uint8_t> mac_prefix = {0x02, 0x5A, 0x00};
    // Delay between a request reaching a device and its answer leaving it.
    std::chrono::microseconds answer_delay{0};
    // Chance that a frame is lost on its way into a device, and on its way out.
    double receive_loss = 0.0;
    double send_loss = 0.0;
    // Extra copies of every discovery answer a device sends.
    uint32_t duplicate_answers = 0;
    uint64_t seed = 1;
    // Texts reported in discovery answers; "{n}" becomes the device's index as six
    // digits and "{mac}" its MAC as twelve hex digits.
    std::string ssid2_pattern = "Zorvu_2G_{n}";
    std::string ssid5_pattern = "Zorvu_5G_{n}";
    std::string wpakey2_pattern = "key2-{mac}";
    std::string wpakey5_pattern = "key5-{mac}";
    // Make every text fill its whole field with no terminating zero, as a device
    // may legally do.
    bool fill_fields = false;
};

struct sim_device {
    mac_address mac;
    std::string ssid2;
    std::string ssid5;
    std::string wpakey2;
    std::string wpakey5;
};

struct sim_model_stats {
    uint64_t frames_received = 0;       // frames addressed to some device
    uint64_t frames_lost_inbound = 0;   // dropped by receive_loss
    uint64_t frames_lost_outbound = 0;  // dropped by send_loss
    uint64_t answers_scheduled = 0;
};

// Parses "02:5A:00" style prefixes of 1 to 5 bytes.
bool ParseMacPrefix(const std::string& text, std::vector<uint8_t>* prefix);

class CDeviceModel {
public:
    using clock = std::chrono::steady_clock;

    explicit CDeviceModel(const sim_device_options& options);

    // Checks options that would make an unusable batch (too many devices for the
    // prefix, probabilities outside 0..1); returns an explanation or "".
    static std::string ValidateOptions(const sim_device_options& options);

    // The capture filter a runner installs so that only protocol frames arrive.
    static const char* CaptureFilter() { return "ether proto 0x6262"; }

    // A frame seen on the segment; the frames devices send in return are queued.
    void OnFrame(const uint8_t* bytes, size_t length, clock::time_point now);

    // When the next queued frame is due, if any.
    std::optional<clock::time_point> NextDue() const;
    // Takes the next frame due at or before `now`.
    bool PopDue(clock::time_point now, std::vector<uint8_t>* frame);

    const std::vector<sim_device>& Devices() const { return devices_; }
    const sim_model_stats& Stats() const { return stats_; }

private:
    struct scheduled_frame {
        clock::time_point due;
        uint64_t order;  // keeps frames due at the same time in the order queued
        std::vector<uint8_t> bytes;
        bool operator>(const scheduled_frame& other) const {
            return due != other.due ? due > other.due : order > other.order;
        }
    };

    const sim_device* FindDevice(const mac_address& mac) const;
    bool Chance(double probability);
    void Schedule(clock::time_point due, const transmit_frame_stu& frame);
    void AnswerDiscover(const sim_device& device, const transmit_frame_stu& request,
                        clock::time_point now);

    sim_device_options options_;
    std::vector<sim_device> devices_;
    std::unordered_map<uint64_t, size_t> index_by_mac_;
    std::priority_queue<scheduled_frame, std::vector<scheduled_frame>, std::greater<>> outbox_;
    uint64_t next_order_ = 0;
    std::mt19937_64 random_;
    sim_model_stats stats_;
};

}  // namespace plindar
