// One device's job for one transmit worker: where to send and what.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "protocol/mac_text.h"

namespace plindar {

enum TransmitJobKind : int32_t {
    JOB_LOGO = 1,
    JOB_PARA = 2,
    JOB_LOGO_AND_PARA = 3,  // also what any unknown kind does
    JOB_ANTITHEFT = 4,
};

constexpr size_t kJobPathSize = 260;
constexpr size_t kJobCommandSize = 512;

// Zero-filled before it is written. The first three fields are the first 14 bytes
// of every frame the job sends.
struct transmit_job_stu {
    uint8_t destination[6];
    uint8_t source[6];
    uint8_t ether_type[2];
    int32_t kind;
    char para_path[kJobPathSize];
    char logo_path[kJobPathSize];
    char command[kJobCommandSize];
};

// A job with its header and kind; paths and command still empty.
transmit_job_stu MakeTransmitJob(const mac_address& device, const mac_address& adapter,
                                 TransmitJobKind kind);

// Writes a path or command into its field. A text that does not fit is refused
// (false, field left empty), never cut: a cut path would name another file and a
// cut command would be malformed.
bool SetJobText(char* field, size_t width, std::string_view text);
template <size_t N>
bool SetJobText(char (&field)[N], std::string_view text) {
    return SetJobText(field, N, text);
}

// The job kind the customization mode maps to: 1 logo only, 2 configuration only,
// anything else both.
TransmitJobKind JobKindForCustomizeMode(int mode);

}  // namespace plindar
