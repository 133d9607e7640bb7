// MAC text formatting and parsing.
#include "protocol/mac_text.h"

#include <cstdio>

namespace plindar {

namespace {

std::string FormatWith(const char* format, const uint8_t* mac) {
    char text[18];
    std::snprintf(text, sizeof(text), format, mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return text;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string FormatMacText(const uint8_t* mac) {
    return FormatWith("%02X:%02X:%02X:%02X:%02X:%02X", mac);
}

std::string FormatMacTextLower(const uint8_t* mac) {
    return FormatWith("%02x:%02x:%02x:%02x:%02x:%02x", mac);
}

bool ParseMacText(std::string_view text, mac_address* mac) {
    if (text.size() != 17) {
        return false;
    }
    mac_address parsed{};
    for (size_t i = 0; i < kMacLength; ++i) {
        int high = HexValue(text[i * 3]);
        int low = HexValue(text[i * 3 + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        if (i + 1 < kMacLength && text[i * 3 + 2] != ':' && text[i * 3 + 2] != '-') {
            return false;
        }
        parsed[i] = static_cast<uint8_t>(high * 16 + low);
    }
    *mac = parsed;
    return true;
}

}  // namespace plindar
