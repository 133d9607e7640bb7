// The device protocol's one frame layout: 1286 bytes, EtherType 0x6262, 16-bit
// numbers in network byte order, the same in both directions.
//
//   0       6       12   14   16   18   20   22                      222  224      260 1284 1286
//   +-------+-------+----+----+----+----+----+-----------------------+----+--------+------------+----+
//   |  dst  |  src  |6262|type|seq |code|cnt |   device info (200)   |pos |reserved|  data |len |
//   |  MAC  |  MAC  |    |    |    |    |    | ssid2 34  ssid5 34    |    |   36   |  1024      | |
//   |       |       |    |    |    |    |    | wpakey2 66 wpakey5 66 |    |        |            | |
//   +-------+-------+----+----+----+----+----+-----------------------+----+--------+------------+----+
//
// type/code say what a frame is (tables below); seq numbers the chunks of a
// transfer from 1; cnt is the transfer count (1, or 2 when a job sends a logo and
// a configuration file); pos marks first/middle/last chunk; len is how many bytes
// of data are meaningful. The device information is only filled in discovery
// answers. There is no checksum.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/mac_text.h"

namespace plindar {

constexpr size_t kFrameSize = 1286;
constexpr size_t kMaxEthernetFrame = 1514;
constexpr size_t kChunkDataSize = 1024;
constexpr uint16_t kEtherType = 0x6262;
constexpr uint16_t kSequenceWildcard = 0xFFFF;

// Frame types (offset 14).
enum FrameType : uint16_t {
    FRAME_TYPE_DISCOVER = 0,
    FRAME_TYPE_PARA = 1,
    FRAME_TYPE_LOGO = 2,
    FRAME_TYPE_ANTITHEFT = 3,
};

// Frame codes (offset 18).
enum FrameCode : uint16_t {
    CODE_DISCOVER_REQ = 1,
    CODE_PARA_FILE = 2,
    CODE_LOGO_FILE = 3,
    CODE_ACK = 4,
    CODE_PARA_FAIL = 5,
    CODE_PARA_OK = 6,
    CODE_LOGO_FAIL = 7,
    CODE_LOGO_OK = 8,
    CODE_ANTITHEFT_FAIL = 9,
    CODE_ANTITHEFT_OK = 10,
    CODE_ANTITHEFT_CMD = 11,
};

// Position field (offset 222) of transfer frames.
enum ChunkPosition : uint16_t {
    POSITION_MIDDLE = 0,
    POSITION_FIRST = 1,
    POSITION_LAST = 2,
};

constexpr size_t kSsidFieldWidth = 34;
constexpr size_t kWpaKeyFieldWidth = 66;
constexpr size_t kDeviceInfoSize = 200;

// Every member is a byte array so the struct has no padding and every field sits
// at its wire offset; numbers go through ReadU16/WriteU16.
struct transmit_frame_stu {
    uint8_t destination[6];
    uint8_t source[6];
    uint8_t ether_type[2];
    uint8_t type[2];
    uint8_t sequence[2];
    uint8_t code[2];
    uint8_t transfer_count[2];
    char ssid2[kSsidFieldWidth];
    char ssid5[kSsidFieldWidth];
    char wpakey2[kWpaKeyFieldWidth];
    char wpakey5[kWpaKeyFieldWidth];
    uint8_t position[2];
    uint8_t reserved[36];
    uint8_t data[kChunkDataSize];
    uint8_t data_length[2];
};

static_assert(sizeof(transmit_frame_stu) == kFrameSize);
static_assert(offsetof(transmit_frame_stu, type) == 14);
static_assert(offsetof(transmit_frame_stu, sequence) == 16);
static_assert(offsetof(transmit_frame_stu, code) == 18);
static_assert(offsetof(transmit_frame_stu, transfer_count) == 20);
static_assert(offsetof(transmit_frame_stu, ssid2) == 22);
static_assert(offsetof(transmit_frame_stu, ssid5) == 56);
static_assert(offsetof(transmit_frame_stu, wpakey2) == 90);
static_assert(offsetof(transmit_frame_stu, wpakey5) == 156);
static_assert(offsetof(transmit_frame_stu, position) == 222);
static_assert(offsetof(transmit_frame_stu, reserved) == 224);
static_assert(offsetof(transmit_frame_stu, data) == 260);
static_assert(offsetof(transmit_frame_stu, data_length) == 1284);
static_assert(offsetof(transmit_frame_stu, wpakey5) + kWpaKeyFieldWidth ==
              offsetof(transmit_frame_stu, ssid2) + kDeviceInfoSize);

inline uint16_t ReadU16(const uint8_t (&field)[2]) {
    return static_cast<uint16_t>((field[0] << 8) | field[1]);
}

inline void WriteU16(uint8_t (&field)[2], uint16_t value) {
    field[0] = static_cast<uint8_t>(value >> 8);
    field[1] = static_cast<uint8_t>(value & 0xFF);
}

// A received frame as the protocol reads it: a zeroed 1286-byte frame with the
// received bytes copied in. Shorter frames read as zero behind their end; longer
// ones are cut, so nothing past 1286 bytes is ever examined.
transmit_frame_stu ParseFrame(const uint8_t* bytes, size_t length);

// Writes the destination, source and EtherType (the first 14 bytes).
void SetFrameHeader(transmit_frame_stu* frame, const mac_address& destination,
                    const mac_address& source);

mac_address FrameSource(const transmit_frame_stu& frame);
mac_address FrameDestination(const transmit_frame_stu& frame);

// Broadcast request: type 0, sequence 0, code 1, transfer count 0, rest zero.
transmit_frame_stu BuildDiscoverRequest(const mac_address& adapter);

// The text fields a device reports about itself in a discovery answer.
struct device_info_texts {
    const char* ssid2;
    const char* ssid5;
    const char* wpakey2;
    const char* wpakey5;
};

// A device's answer to a discovery request. Texts longer than their field fill it
// completely with no terminating zero (as a device may do); readers must cope.
transmit_frame_stu BuildDiscoverAnswer(const mac_address& device, const mac_address& adapter,
                                       const device_info_texts& texts);

// Chunking of a file or command text into transfer frames.

// The sequence field of chunk number `chunk_count` (1-based): the count modulo
// 65536, with 0xFFFF written in place of 0.
uint16_t SequenceForChunk(uint32_t chunk_count);

// Position field of a chunk read from file offset `before` to `after` of a file of
// `length` bytes: 1 on the first chunk, 2 on the last (also when it is the only
// one, including an empty file), 0 between.
uint16_t PositionForChunk(uint64_t before, uint64_t after, uint64_t length);

// Number of frames a file of `length` bytes takes (an empty file still takes one).
uint64_t ChunkCountForLength(uint64_t length);

}  // namespace plindar
