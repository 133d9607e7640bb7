// Virtual device behaviour.
#include "sim/device_model.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace plindar {

namespace {

constexpr size_t kMaxPrefixBytes = 5;

uint64_t MacKey(const mac_address& mac) {
    uint64_t key = 0;
    for (uint8_t byte : mac) {
        key = (key << 8) | byte;
    }
    return key;
}

std::string ExpandPattern(const std::string& pattern, uint32_t index, const mac_address& mac) {
    char number[16];
    std::snprintf(number, sizeof(number), "%06u", index);
    char hex[13];
    std::snprintf(hex, sizeof(hex), "%02X%02X%02X%02X%02X%02X", mac[0], mac[1], mac[2], mac[3],
                  mac[4], mac[5]);
    std::string text;
    for (size_t i = 0; i < pattern.size();) {
        if (pattern.compare(i, 3, "{n}") == 0) {
            text += number;
            i += 3;
        } else if (pattern.compare(i, 5, "{mac}") == 0) {
            text += hex;
            i += 5;
        } else {
            text += pattern[i++];
        }
    }
    return text;
}

// Lengthens (or cuts) a text to exactly `width` bytes, so it fills its field.
std::string FillToWidth(std::string text, size_t width) {
    static const char kFiller[] = "abcdefghijklmnopqrstuvwxyz";
    for (size_t i = 0; text.size() < width; ++i) {
        text += kFiller[i % (sizeof(kFiller) - 1)];
    }
    text.resize(width);
    return text;
}

// The text value of "key":"value" in a one-line JSON object without escapes, as
// the anti-theft command is built; "" when the key is missing.
std::string JsonStringValue(const std::string& json, const std::string& key) {
    std::string marker = "\"" + key + "\":\"";
    size_t start = json.find(marker);
    if (start == std::string::npos) {
        return "";
    }
    start += marker.size();
    size_t end = json.find('"', start);
    return end == std::string::npos ? std::string() : json.substr(start, end - start);
}

}  // namespace

bool ParseMacPrefix(const std::string& text, std::vector<uint8_t>* prefix) {
    std::vector<uint8_t> bytes;
    size_t i = 0;
    while (i < text.size()) {
        if (i + 2 > text.size() || !std::isxdigit(static_cast<unsigned char>(text[i])) ||
            !std::isxdigit(static_cast<unsigned char>(text[i + 1]))) {
            return false;
        }
        bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
        i += 2;
        if (i < text.size()) {
            if (text[i] != ':' && text[i] != '-') {
                return false;
            }
            ++i;
            if (i == text.size()) {
                return false;
            }
        }
    }
    if (bytes.empty() || bytes.size() > kMaxPrefixBytes) {
        return false;
    }
    *prefix = bytes;
    return true;
}

std::string CDeviceModel::ValidateOptions(const sim_device_options& options) {
    if (options.mac_prefix.empty() || options.mac_prefix.size() > kMaxPrefixBytes) {
        return "the MAC prefix must have 1 to 5 bytes";
    }
    if (options.count == 0) {
        return "the device count must be at least 1";
    }
    size_t index_bytes = kMacLength - options.mac_prefix.size();
    uint64_t capacity = index_bytes >= 4 ? 0xFFFFFFFFull : (1ull << (8 * index_bytes)) - 1;
    if (options.count > capacity) {
        return "too many devices for the MAC prefix";
    }
    auto probability_ok = [](double p) { return p >= 0.0 && p <= 1.0; };
    if (!probability_ok(options.receive_loss) || !probability_ok(options.send_loss) ||
        !probability_ok(options.receive_duplicate) || !probability_ok(options.send_duplicate)) {
        return "loss and duplication rates must lie between 0 and 1";
    }
    if (options.ack_after_copies == 0) {
        return "a chunk needs at least one copy to be acknowledged";
    }
    return "";
}

CDeviceModel::CDeviceModel(const sim_device_options& options)
    : options_(options), random_(options.seed) {
    devices_.reserve(options.count);
    for (uint32_t index = 1; index <= options.count; ++index) {
        sim_device device{};
        size_t prefix = std::min(options.mac_prefix.size(), kMaxPrefixBytes);
        std::copy_n(options.mac_prefix.begin(), prefix, device.mac.begin());
        uint64_t value = index;
        for (size_t pos = kMacLength; pos > prefix; --pos) {
            device.mac[pos - 1] = static_cast<uint8_t>(value & 0xFF);
            value >>= 8;
        }
        device.ssid2 = ExpandPattern(options.ssid2_pattern, index, device.mac);
        device.ssid5 = ExpandPattern(options.ssid5_pattern, index, device.mac);
        device.wpakey2 = ExpandPattern(options.wpakey2_pattern, index, device.mac);
        device.wpakey5 = ExpandPattern(options.wpakey5_pattern, index, device.mac);
        if (options.fill_fields) {
            device.ssid2 = FillToWidth(device.ssid2, kSsidFieldWidth);
            device.ssid5 = FillToWidth(device.ssid5, kSsidFieldWidth);
            device.wpakey2 = FillToWidth(device.wpakey2, kWpaKeyFieldWidth);
            device.wpakey5 = FillToWidth(device.wpakey5, kWpaKeyFieldWidth);
        }
        index_by_mac_[MacKey(device.mac)] = devices_.size();
        devices_.push_back(std::move(device));
        device_state state;
        state.lock_code = options.lock_code;
        states_.push_back(std::move(state));
    }
}

const sim_device* CDeviceModel::FindDevice(const mac_address& mac) const {
    auto found = index_by_mac_.find(MacKey(mac));
    return found == index_by_mac_.end() ? nullptr : &devices_[found->second];
}

bool CDeviceModel::Chance(double probability) {
    if (probability <= 0.0) {
        return false;
    }
    return std::uniform_real_distribution<double>(0.0, 1.0)(random_) < probability;
}

void CDeviceModel::Schedule(clock::time_point due, const transmit_frame_stu& frame,
                            OutgoingKind kind) {
    bool exempt = kind == OUT_ANSWER && options_.lossless_discovery;
    int copies = !exempt && Chance(options_.send_duplicate) ? 2 : 1;
    for (int copy = 0; copy < copies; ++copy) {
        if (!exempt && Chance(options_.send_loss)) {
            ++stats_.frames_lost_outbound;
            continue;
        }
        if (kind == OUT_ACK) {
            ++stats_.acks_sent;
        } else if (kind == OUT_REPORT) {
            ++stats_.reports_sent;
        }
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&frame);
        outbox_.push(
            scheduled_frame{due, next_order_++, std::vector<uint8_t>(bytes, bytes + kFrameSize)});
    }
}

void CDeviceModel::AnswerDiscover(const sim_device& device, const transmit_frame_stu& request,
                                  clock::time_point now) {
    device_info_texts texts{device.ssid2.c_str(), device.ssid5.c_str(), device.wpakey2.c_str(),
                            device.wpakey5.c_str()};
    transmit_frame_stu answer = BuildDiscoverAnswer(device.mac, FrameSource(request), texts);
    ++stats_.answers_scheduled;
    for (uint32_t copy = 0; copy <= options_.duplicate_answers; ++copy) {
        Schedule(now + options_.answer_delay, answer, OUT_ANSWER);
    }
}

void CDeviceModel::OnFrame(const uint8_t* bytes, size_t length, clock::time_point now) {
    transmit_frame_stu frame = ParseFrame(bytes, length);
    if (ReadU16(frame.ether_type) != kEtherType) {
        return;
    }
    mac_address destination = FrameDestination(frame);
    bool broadcast = destination == mac_address{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    uint16_t type = ReadU16(frame.type);
    uint16_t code = ReadU16(frame.code);
    bool is_discover = type == FRAME_TYPE_DISCOVER && code == CODE_DISCOVER_REQ;

    if (broadcast) {
        if (!is_discover) {
            return;
        }
        for (const sim_device& device : devices_) {
            ++stats_.frames_received;
            if (!options_.lossless_discovery && Chance(options_.receive_loss)) {
                ++stats_.frames_lost_inbound;
                continue;
            }
            AnswerDiscover(device, frame, now);
        }
        return;
    }
    const sim_device* device = FindDevice(destination);
    if (device == nullptr) {
        return;
    }
    size_t index = static_cast<size_t>(device - devices_.data());
    // The link may hand a device the same frame twice.
    int copies = Chance(options_.receive_duplicate) ? 2 : 1;
    for (int copy = 0; copy < copies; ++copy) {
        ++stats_.frames_received;
        if (Chance(options_.receive_loss)) {
            ++stats_.frames_lost_inbound;
            continue;
        }
        if (is_discover) {
            AnswerDiscover(*device, frame, now);
        } else {
            HandleDeviceFrame(index, frame, now);
        }
    }
}

void CDeviceModel::HandleDeviceFrame(size_t index, const transmit_frame_stu& frame,
                                     clock::time_point now) {
    uint16_t type = ReadU16(frame.type);
    uint16_t code = ReadU16(frame.code);
    if ((type == FRAME_TYPE_PARA && code == CODE_PARA_FILE) ||
        (type == FRAME_TYPE_LOGO && code == CODE_LOGO_FILE)) {
        OnFileChunk(index, frame, now);
    } else if (type == FRAME_TYPE_ANTITHEFT && code == CODE_ANTITHEFT_CMD) {
        OnCommand(index, frame, now);
    }
}

void CDeviceModel::SendAck(size_t index, const transmit_frame_stu& frame, uint16_t sequence,
                           clock::time_point now) {
    transmit_frame_stu ack;
    std::memset(&ack, 0, sizeof(ack));
    SetFrameHeader(&ack, FrameSource(frame), devices_[index].mac);
    WriteU16(ack.type, ReadU16(frame.type));
    WriteU16(ack.code, CODE_ACK);
    auto due = now + options_.ack_delay;
    if (options_.stale_acks) {
        WriteU16(ack.sequence, static_cast<uint16_t>(sequence - 1));
        Schedule(due, ack, OUT_ACK);
    }
    WriteU16(ack.sequence, options_.wildcard_acks ? kSequenceWildcard : sequence);
    Schedule(due, ack, OUT_ACK);
}

void CDeviceModel::OnFileChunk(size_t index, const transmit_frame_stu& frame,
                               clock::time_point now) {
    device_state& device = states_[index];
    uint16_t type = ReadU16(frame.type);
    uint16_t sequence = ReadU16(frame.sequence);
    uint16_t position = ReadU16(frame.position);
    size_t length = std::min<size_t>(ReadU16(frame.data_length), kChunkDataSize);
    ++stats_.chunks_received;
    ++device.copies_received[(static_cast<uint32_t>(type) << 16) | sequence];
    if (options_.silent) {
        return;
    }
    transfer_state& transfer = type == FRAME_TYPE_PARA ? device.para : device.logo;

    const uint8_t* data = frame.data;
    // A copy of the chunk accepted last: the sender did not get its acknowledgement
    // (or the link doubled the frame). After the last chunk this is only told apart
    // from a new one-chunk transfer by its content, within the duplicate window.
    bool repeat_of_last =
        transfer.chunks > 0 && sequence == transfer.last_sequence &&
        (transfer.active ||
         (now - transfer.completed_at < options_.duplicate_window &&
          position == transfer.last_position &&
          (sequence != 1 || std::equal(data, data + length, transfer.last_chunk.begin(),
                                       transfer.last_chunk.end()))));
    bool completes = false;
    if (!repeat_of_last) {
        bool starts = position == POSITION_FIRST || (position == POSITION_LAST && sequence == 1);
        bool next = transfer.active && sequence == SequenceForChunk(transfer.chunks + 1);
        if (!starts && !next) {
            ++stats_.chunks_out_of_order;
            return;  // a gap: wait for the sender to resend what is missing
        }
        if (starts) {
            transfer = transfer_state{};
            transfer.active = true;
        }
        transfer.data.insert(transfer.data.end(), data, data + length);
        transfer.last_chunk.assign(data, data + length);
        transfer.chunks++;
        transfer.last_sequence = sequence;
        transfer.last_position = position;
        transfer.copies.clear();
        completes = position == POSITION_LAST;
    }
    // The acknowledgement leaves before the device applies what it received, so
    // the result report can never overtake it.
    if (++transfer.copies[sequence] >= options_.ack_after_copies) {
        SendAck(index, frame, sequence, now);
    }
    if (completes) {
        transfer.active = false;
        transfer.completed = true;
        transfer.completed_at = now;
        bool ok = type == FRAME_TYPE_PARA ? !options_.fail_para : !options_.fail_logo;
        Complete(index, type, transfer.data, ok, FrameSource(frame), now);
        transfer.data.clear();
        transfer.data.shrink_to_fit();
    }
}

void CDeviceModel::OnCommand(size_t index, const transmit_frame_stu& frame, clock::time_point now) {
    device_state& device = states_[index];
    uint16_t sequence = ReadU16(frame.sequence);
    ++stats_.chunks_received;
    ++device.copies_received[(static_cast<uint32_t>(FRAME_TYPE_ANTITHEFT) << 16) | sequence];
    if (options_.silent) {
        return;
    }
    size_t length = std::min<size_t>(ReadU16(frame.data_length), kChunkDataSize);
    const char* data = reinterpret_cast<const char*>(frame.data);
    std::string command(data, strnlen(data, length));

    bool repeat = device.has_command && command == device.last_command &&
                  now - device.command_at < options_.duplicate_window;
    if (!repeat) {
        device.has_command = true;
        device.last_command = command;
        device.command_at = now;
        device.command_copies = 0;
    }
    if (++device.command_copies >= options_.ack_after_copies) {
        SendAck(index, frame, sequence, now);
    }
    if (!repeat) {
        // A device keeps the first lock code it is given and refuses any other.
        std::string lock = JsonStringValue(command, "Lockcode");
        bool ok = device.lock_code.empty() || device.lock_code == lock;
        if (ok && device.lock_code.empty()) {
            device.lock_code = lock;
        }
        Complete(index, FRAME_TYPE_ANTITHEFT, std::vector<uint8_t>(command.begin(), command.end()),
                 ok, FrameSource(frame), now);
    }
}

void CDeviceModel::Complete(size_t index, uint16_t type, const std::vector<uint8_t>& content,
                            bool ok, const mac_address& report_to, clock::time_point now) {
    ++stats_.transfers_completed;
    if (!options_.store_dir.empty()) {
        StoreContent(index, type, content);
    }
    if (options_.record_transfers) {
        completed_.push_back(sim_transfer_record{devices_[index].mac, type, content});
    }
    static constexpr uint16_t kReportCodes[][2] = {
        /* FRAME_TYPE_DISCOVER */ {0, 0},
        /* FRAME_TYPE_PARA */ {CODE_PARA_FAIL, CODE_PARA_OK},
        /* FRAME_TYPE_LOGO */ {CODE_LOGO_FAIL, CODE_LOGO_OK},
        /* FRAME_TYPE_ANTITHEFT */ {CODE_ANTITHEFT_FAIL, CODE_ANTITHEFT_OK},
    };
    transmit_frame_stu report;
    std::memset(&report, 0, sizeof(report));
    // Reports go to whoever sent the content.
    SetFrameHeader(&report, report_to, devices_[index].mac);
    WriteU16(report.type, type);
    WriteU16(report.code, kReportCodes[type][ok ? 1 : 0]);
    for (uint32_t copy = 0; copy < options_.report_copies; ++copy) {
        Schedule(now + options_.report_delay, report, OUT_REPORT);
    }
}

void CDeviceModel::StoreContent(size_t index, uint16_t type, const std::vector<uint8_t>& content) {
    static const char* const kStoreNames[] = {"discover", "para", "logo", "antitheft"};
    std::string mac = FormatMacText(devices_[index].mac);
    mac.erase(std::remove(mac.begin(), mac.end(), ':'), mac.end());
    std::string folder = options_.store_dir + "/" + mac;
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    uint32_t number = ++states_[index].stored[type];
    std::string path = folder + "/" + kStoreNames[type] + "." + std::to_string(number);
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(content.data(), 1, content.size(), file);
        std::fclose(file);
    }
}

uint32_t CDeviceModel::CopiesReceived(const mac_address& device, uint16_t type,
                                      uint16_t sequence) const {
    const sim_device* found = FindDevice(device);
    if (found == nullptr) {
        return 0;
    }
    const device_state& state = states_[static_cast<size_t>(found - devices_.data())];
    auto copies = state.copies_received.find((static_cast<uint32_t>(type) << 16) | sequence);
    return copies == state.copies_received.end() ? 0 : copies->second;
}

std::string CDeviceModel::LockCode(const mac_address& device) const {
    const sim_device* found = FindDevice(device);
    return found ? states_[static_cast<size_t>(found - devices_.data())].lock_code : std::string();
}

std::optional<CDeviceModel::clock::time_point> CDeviceModel::NextDue() const {
    if (outbox_.empty()) {
        return std::nullopt;
    }
    return outbox_.top().due;
}

bool CDeviceModel::PopDue(clock::time_point now, std::vector<uint8_t>* frame) {
    if (outbox_.empty() || outbox_.top().due > now) {
        return false;
    }
    *frame = outbox_.top().bytes;
    outbox_.pop();
    return true;
}

}  // namespace plindar
