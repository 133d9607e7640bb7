// MAC addresses and their two text forms (upper case keys everything; lower case
// appears only in the listener's capture filter and in adapter display texts).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace plindar {

constexpr size_t kMacLength = 6;
using mac_address = std::array<uint8_t, kMacLength>;

// "%02X:%02X:%02X:%02X:%02X:%02X"
std::string FormatMacText(const uint8_t* mac);
inline std::string FormatMacText(const mac_address& mac) {
    return FormatMacText(mac.data());
}

// "%02x:%02x:%02x:%02x:%02x:%02x"
std::string FormatMacTextLower(const uint8_t* mac);
inline std::string FormatMacTextLower(const mac_address& mac) {
    return FormatMacTextLower(mac.data());
}

// Accepts six hex pairs separated by ':' or '-', either case; nothing else.
bool ParseMacText(std::string_view text, mac_address* mac);

}  // namespace plindar
