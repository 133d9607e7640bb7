// One discovered device as the transmit manager's device table holds it.
#pragma once

#include <cstddef>

namespace plindar {

constexpr size_t kMacTextSize = 18;
constexpr size_t kDateTextSize = 32;

// Zero-terminated narrow texts; the last four fields are the 200 bytes of device
// information from the discovery answer copied unchanged, so a device that fills
// a field to its last byte leaves it without a terminator (read it with
// ReadFixedText).
struct ap_discover_stu {
    char mac[kMacTextSize];
    char date[kDateTextSize];
    char ssid2[34];
    char ssid5[34];
    char wpakey2[66];
    char wpakey5[66];
};

static_assert(sizeof(ap_discover_stu) == kMacTextSize + kDateTextSize + 200);

}  // namespace plindar
