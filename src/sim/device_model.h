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
    // Keep discovery out of the losses above, so that a lossy test of transfers
    // still finds every device in one scan.
    bool lossless_discovery = false;
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

    // Transfers. A device acknowledges each chunk it accepts (after `ack_delay`),
    // reassembles the file or command and, `report_delay` after the last chunk,
    // sends its result report `report_copies` times.
    std::chrono::microseconds ack_delay{0};
    std::chrono::microseconds report_delay{0};
    uint32_t report_copies = 1;
    // Chance that a frame is duplicated on its way into a device, and out of it.
    double receive_duplicate = 0.0;
    double send_duplicate = 0.0;
    bool fail_para = false;         // report 5 instead of 6 for configuration files
    bool fail_logo = false;         // report 7 instead of 8 for logos
    bool silent = false;            // never acknowledge anything (answers discovery)
    uint32_t ack_after_copies = 1;  // acknowledge a chunk only from its K-th copy on
    bool stale_acks = false;        // send the previous chunk's number before every ack
    bool wildcard_acks = false;     // acknowledge with sequence 0xFFFF
    // A device started with a lock code refuses anti-theft commands with another.
    std::string lock_code;
    // Where to write every received file and command (one folder per device);
    // empty: nowhere.
    std::string store_dir;
    // Keep every completed transfer in memory for CompletedTransfers().
    bool record_transfers = false;
    // A copy of the last chunk or command arriving within this window after the
    // transfer completed is a retransmission (its acknowledgement was lost), not a
    // new transfer.
    std::chrono::milliseconds duplicate_window{6000};
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
    uint64_t chunks_received = 0;  // transfer frames, duplicates included
    uint64_t acks_sent = 0;        // acknowledgements put on the wire
    uint64_t reports_sent = 0;     // result reports put on the wire
    uint64_t transfers_completed = 0;
    uint64_t chunks_out_of_order = 0;  // neither the next chunk nor a new transfer: ignored
};

// One file or command a device received completely.
struct sim_transfer_record {
    mac_address device;
    uint16_t type;
    std::vector<uint8_t> content;
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
    // How many copies of chunk `sequence` of transfer type `type` reached a device.
    uint32_t CopiesReceived(const mac_address& device, uint16_t type, uint16_t sequence) const;
    // The lock code a device holds now ("" when none).
    std::string LockCode(const mac_address& device) const;
    // Completed transfers, in order (only with record_transfers).
    const std::vector<sim_transfer_record>& CompletedTransfers() const { return completed_; }

private:
    // Reassembly of one file transfer type on one device.
    struct transfer_state {
        bool active = false;
        uint32_t chunks = 0;  // chunks accepted so far
        uint16_t last_sequence = 0;
        uint16_t last_position = 0;
        std::vector<uint8_t> data;
        std::vector<uint8_t> last_chunk;
        bool completed = false;  // the last transfer of this type ended
        clock::time_point completed_at{};
        std::unordered_map<uint16_t, uint32_t> copies;  // per sequence, this transfer
    };
    struct device_state {
        std::string lock_code;
        transfer_state para;
        transfer_state logo;
        std::string last_command;
        bool has_command = false;
        clock::time_point command_at{};
        uint32_t command_copies = 0;
        std::unordered_map<uint32_t, uint32_t> copies_received;  // (type << 16 | seq)
        uint32_t stored[4] = {0, 0, 0, 0};                       // files written per type
    };
    enum OutgoingKind { OUT_ANSWER, OUT_ACK, OUT_REPORT };

    void OnFileChunk(size_t index, const transmit_frame_stu& frame, clock::time_point now);
    void OnCommand(size_t index, const transmit_frame_stu& frame, clock::time_point now);
    void SendAck(size_t index, const transmit_frame_stu& frame, uint16_t sequence,
                 clock::time_point now);
    void Complete(size_t index, uint16_t type, const std::vector<uint8_t>& content, bool ok,
                  const mac_address& report_to, clock::time_point now);
    void StoreContent(size_t index, uint16_t type, const std::vector<uint8_t>& content);
    void HandleDeviceFrame(size_t index, const transmit_frame_stu& frame, clock::time_point now);
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
    void Schedule(clock::time_point due, const transmit_frame_stu& frame, OutgoingKind kind);
    void AnswerDiscover(const sim_device& device, const transmit_frame_stu& request,
                        clock::time_point now);

    sim_device_options options_;
    std::vector<sim_device> devices_;
    std::vector<device_state> states_;
    std::vector<sim_transfer_record> completed_;
    std::unordered_map<uint64_t, size_t> index_by_mac_;
    std::priority_queue<scheduled_frame, std::vector<scheduled_frame>, std::greater<>> outbox_;
    uint64_t next_order_ = 0;
    std::mt19937_64 random_;
    sim_model_stats stats_;
};

}  // namespace plindar
