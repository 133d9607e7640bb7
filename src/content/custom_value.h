// One device's personalised configuration values, also used for the template of
// values found in the chosen configuration file and for one row of the batch sheet.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plindar {

constexpr int kMaxWanEntries = 10;

// Zero-terminated narrow texts (UTF-8), fields in this order.
struct custom_value_stu {
    char mac[64];  // MAC text as written in the sheet's first column
    char WanName[kMaxWanEntries][64];
    char vid[kMaxWanEntries][64];
    char pppUser[kMaxWanEntries][64];
    char pppPassword[kMaxWanEntries][64];
    char ChannelMode[kMaxWanEntries][8];
    int32_t wanCount;
    char ssid_5g[33];
    char wlanPsk_5g[64];
    char ssid_2_4g[33];
    char wlanPsk_2_4g[64];
    char loid[32];
    char loidPassword[32];
    char loginPassword[32];
    char ploamPassword[34];
    int32_t dualBand;
};

}  // namespace plindar
