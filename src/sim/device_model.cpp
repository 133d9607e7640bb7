// Virtual device behaviour.
#include "sim/device_model.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

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
    if (!probability_ok(options.receive_loss) || !probability_ok(options.send_loss)) {
        return "loss rates must lie between 0 and 1";
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

void CDeviceModel::Schedule(clock::time_point due, const transmit_frame_stu& frame) {
    if (Chance(options_.send_loss)) {
        ++stats_.frames_lost_outbound;
        return;
    }
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&frame);
    outbox_.push(
        scheduled_frame{due, next_order_++, std::vector<uint8_t>(bytes, bytes + kFrameSize)});
}

void CDeviceModel::AnswerDiscover(const sim_device& device, const transmit_frame_stu& request,
                                  clock::time_point now) {
    device_info_texts texts{device.ssid2.c_str(), device.ssid5.c_str(), device.wpakey2.c_str(),
                            device.wpakey5.c_str()};
    transmit_frame_stu answer = BuildDiscoverAnswer(device.mac, FrameSource(request), texts);
    ++stats_.answers_scheduled;
    for (uint32_t copy = 0; copy <= options_.duplicate_answers; ++copy) {
        Schedule(now + options_.answer_delay, answer);
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
            if (Chance(options_.receive_loss)) {
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
    ++stats_.frames_received;
    if (Chance(options_.receive_loss)) {
        ++stats_.frames_lost_inbound;
        return;
    }
    if (is_discover) {
        AnswerDiscover(*device, frame, now);
    }
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
