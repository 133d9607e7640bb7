// Building and parsing frames of the device protocol.
#include "protocol/frame_format.h"

#include <algorithm>
#include <cstring>

namespace plindar {

namespace {

// Copies a text into a frame field; a text as long as the field or longer fills
// the field to its last byte, as devices are allowed to.
void FillDeviceField(char* field, size_t width, const char* text) {
    if (text == nullptr) {
        return;
    }
    size_t length = std::min(std::strlen(text), width);
    std::memcpy(field, text, length);
}

}  // namespace

transmit_frame_stu ParseFrame(const uint8_t* bytes, size_t length) {
    transmit_frame_stu frame;
    std::memset(&frame, 0, sizeof(frame));
    if (bytes != nullptr) {
        std::memcpy(&frame, bytes, std::min(length, kFrameSize));
    }
    return frame;
}

void SetFrameHeader(transmit_frame_stu* frame, const mac_address& destination,
                    const mac_address& source) {
    std::memcpy(frame->destination, destination.data(), kMacLength);
    std::memcpy(frame->source, source.data(), kMacLength);
    WriteU16(frame->ether_type, kEtherType);
}

mac_address FrameSource(const transmit_frame_stu& frame) {
    mac_address mac;
    std::memcpy(mac.data(), frame.source, kMacLength);
    return mac;
}

mac_address FrameDestination(const transmit_frame_stu& frame) {
    mac_address mac;
    std::memcpy(mac.data(), frame.destination, kMacLength);
    return mac;
}

transmit_frame_stu BuildDiscoverRequest(const mac_address& adapter) {
    transmit_frame_stu frame;
    std::memset(&frame, 0, sizeof(frame));
    mac_address broadcast;
    broadcast.fill(0xFF);
    SetFrameHeader(&frame, broadcast, adapter);
    WriteU16(frame.type, FRAME_TYPE_DISCOVER);
    WriteU16(frame.sequence, 0);
    WriteU16(frame.code, CODE_DISCOVER_REQ);
    WriteU16(frame.transfer_count, 0);
    return frame;
}

transmit_frame_stu BuildDiscoverAnswer(const mac_address& device, const mac_address& adapter,
                                       const device_info_texts& texts) {
    transmit_frame_stu frame;
    std::memset(&frame, 0, sizeof(frame));
    SetFrameHeader(&frame, adapter, device);
    WriteU16(frame.type, FRAME_TYPE_DISCOVER);
    WriteU16(frame.code, CODE_ACK);
    FillDeviceField(frame.ssid2, sizeof(frame.ssid2), texts.ssid2);
    FillDeviceField(frame.ssid5, sizeof(frame.ssid5), texts.ssid5);
    FillDeviceField(frame.wpakey2, sizeof(frame.wpakey2), texts.wpakey2);
    FillDeviceField(frame.wpakey5, sizeof(frame.wpakey5), texts.wpakey5);
    return frame;
}

uint16_t SequenceForChunk(uint32_t chunk_count) {
    uint16_t low = static_cast<uint16_t>(chunk_count & 0xFFFF);
    return low == 0 ? kSequenceWildcard : low;
}

uint16_t PositionForChunk(uint64_t before, uint64_t after, uint64_t length) {
    if (after == length) {
        return POSITION_LAST;
    }
    return before == 0 ? POSITION_FIRST : POSITION_MIDDLE;
}

uint64_t ChunkCountForLength(uint64_t length) {
    return length == 0 ? 1 : (length + kChunkDataSize - 1) / kChunkDataSize;
}

}  // namespace plindar
