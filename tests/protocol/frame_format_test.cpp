// Frame layout, chunking rules and hostile-input parsing.
#include "protocol/frame_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "protocol/fixed_text.h"
#include "protocol/mac_text.h"

namespace plindar {
namespace {

const mac_address kAdapter = {0x02, 0x50, 0x4C, 0x44, 0x00, 0x01};
const mac_address kDevice = {0x02, 0x5A, 0x00, 0x00, 0x00, 0xAB};

const uint8_t* Bytes(const transmit_frame_stu& frame) {
    return reinterpret_cast<const uint8_t*>(&frame);
}

TEST(FrameFormat, DiscoverRequestHasEveryByteWhereTheDevicesLookForIt) {
    transmit_frame_stu frame = BuildDiscoverRequest(kAdapter);
    const uint8_t* b = Bytes(frame);
    std::vector<uint8_t> expected(kFrameSize, 0);
    std::memset(expected.data(), 0xFF, 6);
    std::memcpy(expected.data() + 6, kAdapter.data(), 6);
    expected[12] = 0x62;
    expected[13] = 0x62;
    expected[19] = CODE_DISCOVER_REQ;  // code 1, big-endian at offset 18
    EXPECT_EQ(std::vector<uint8_t>(b, b + kFrameSize), expected);
}

TEST(FrameFormat, NumbersAreBigEndianAtTheirOffsets) {
    transmit_frame_stu frame;
    std::memset(&frame, 0, sizeof(frame));
    WriteU16(frame.type, 0x0102);
    WriteU16(frame.sequence, 0x0304);
    WriteU16(frame.code, 0x0506);
    WriteU16(frame.transfer_count, 0x0708);
    WriteU16(frame.position, 0x090A);
    WriteU16(frame.data_length, 0x0400);
    const uint8_t* b = Bytes(frame);
    const struct {
        size_t offset;
        uint8_t high, low;
    } fields[] = {{14, 1, 2}, {16, 3, 4}, {18, 5, 6}, {20, 7, 8}, {222, 9, 10}, {1284, 4, 0}};
    for (const auto& field : fields) {
        EXPECT_EQ(b[field.offset], field.high) << "offset " << field.offset;
        EXPECT_EQ(b[field.offset + 1], field.low) << "offset " << field.offset;
    }
}

TEST(FrameFormat, DiscoverAnswerCarriesTheDeviceTextsInFrameOrder) {
    transmit_frame_stu frame =
        BuildDiscoverAnswer(kDevice, kAdapter, {"net-2g", "net-5g", "secret-2g", "secret-5g"});
    const char* b = reinterpret_cast<const char*>(Bytes(frame));
    EXPECT_STREQ(b + 22, "net-2g");
    EXPECT_STREQ(b + 56, "net-5g");
    EXPECT_STREQ(b + 90, "secret-2g");
    EXPECT_STREQ(b + 156, "secret-5g");
    EXPECT_EQ(ReadU16(frame.type), FRAME_TYPE_DISCOVER);
    EXPECT_EQ(ReadU16(frame.code), CODE_ACK);
    EXPECT_EQ(FrameSource(frame), kDevice);
    EXPECT_EQ(FrameDestination(frame), kAdapter);
}

TEST(FrameFormat, FullWidthAnswerTextsAreReadWithoutRunningIntoTheNextField) {
    std::string ssid(40, 'S');  // longer than the 34-byte field: fills it, no terminator
    std::string key(80, 'K');
    transmit_frame_stu frame =
        BuildDiscoverAnswer(kDevice, kAdapter, {ssid.c_str(), "next", key.c_str(), "last"});
    EXPECT_EQ(ReadFixedText(frame.ssid2), std::string(34, 'S'));
    EXPECT_EQ(ReadFixedText(frame.ssid5), "next");
    EXPECT_EQ(ReadFixedText(frame.wpakey2), std::string(66, 'K'));
    EXPECT_EQ(ReadFixedText(frame.wpakey5), "last");
}

TEST(FrameFormat, ShortFramesReadAsZeroBehindTheirEndAndLongOnesAreCut) {
    transmit_frame_stu sent = BuildDiscoverAnswer(kDevice, kAdapter, {"a", "b", "c", "d"});
    WriteU16(sent.data_length, 0x1234);

    // Cut after the code field: everything behind reads as zero.
    transmit_frame_stu short_frame = ParseFrame(Bytes(sent), 20);
    EXPECT_EQ(ReadU16(short_frame.code), CODE_ACK);
    EXPECT_EQ(ReadU16(short_frame.transfer_count), 0);
    EXPECT_EQ(ReadFixedText(short_frame.ssid2), "");
    EXPECT_EQ(ReadU16(short_frame.data_length), 0);

    // A frame longer than the layout: the extra bytes are never looked at.
    std::vector<uint8_t> oversized(Bytes(sent), Bytes(sent) + kFrameSize);
    oversized.resize(kMaxEthernetFrame, 0xEE);
    transmit_frame_stu long_frame = ParseFrame(oversized.data(), oversized.size());
    EXPECT_EQ(std::memcmp(&long_frame, &sent, kFrameSize), 0);

    transmit_frame_stu empty = ParseFrame(nullptr, 0);
    EXPECT_EQ(ReadU16(empty.ether_type), 0);
}

TEST(FrameFormat, SequenceNumbersWrapWithFFFFInPlaceOfZero) {
    const struct {
        uint32_t chunk;
        uint16_t field;
    } cases[] = {{1, 1},     {2, 2},           {65535, 65535},      {65536, 0xFFFF},
                 {65537, 1}, {131072, 0xFFFF}, {0x12345678, 0x5678}};
    for (const auto& c : cases) {
        EXPECT_EQ(SequenceForChunk(c.chunk), c.field) << "chunk " << c.chunk;
    }
}

// Walks a file the way the sender does and records (sequence, position, length).
struct chunk_row {
    uint16_t sequence;
    uint16_t position;
    uint64_t length;
    bool operator==(const chunk_row&) const = default;
};

std::vector<chunk_row> PlanFile(uint64_t file_length) {
    std::vector<chunk_row> rows;
    uint64_t offset = 0;
    uint32_t count = 0;
    do {
        uint64_t piece = std::min<uint64_t>(kChunkDataSize, file_length - offset);
        uint16_t position = PositionForChunk(offset, offset + piece, file_length);
        offset += piece;
        rows.push_back({SequenceForChunk(++count), position, piece});
    } while (offset < file_length);
    return rows;
}

TEST(FrameFormat, FilesAreCutInto1024ByteChunksWithFirstMiddleLastPositions) {
    const struct {
        uint64_t length;
        std::vector<chunk_row> chunks;
    } cases[] = {
        {0, {{1, POSITION_LAST, 0}}},
        {1, {{1, POSITION_LAST, 1}}},
        {1024, {{1, POSITION_LAST, 1024}}},
        {1025, {{1, POSITION_FIRST, 1024}, {2, POSITION_LAST, 1}}},
        {2048, {{1, POSITION_FIRST, 1024}, {2, POSITION_LAST, 1024}}},
        {3000, {{1, POSITION_FIRST, 1024}, {2, POSITION_MIDDLE, 1024}, {3, POSITION_LAST, 952}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlanFile(c.length), c.chunks) << "file of " << c.length << " bytes";
        EXPECT_EQ(ChunkCountForLength(c.length), c.chunks.size()) << c.length;
    }
}

TEST(FrameFormat, ChunkCountCoversTheWrapOfTheSequenceField) {
    const uint64_t length = 65536ull * kChunkDataSize;  // exactly 65536 chunks
    EXPECT_EQ(ChunkCountForLength(length), 65536u);
    EXPECT_EQ(SequenceForChunk(static_cast<uint32_t>(ChunkCountForLength(length))), 0xFFFF);
    EXPECT_EQ(PositionForChunk(length - kChunkDataSize, length, length), POSITION_LAST);
}

TEST(MacText, FormatsUpperForKeysAndLowerForFiltersAndParsesBoth) {
    EXPECT_EQ(FormatMacText(kDevice), "02:5A:00:00:00:AB");
    EXPECT_EQ(FormatMacTextLower(kDevice), "02:5a:00:00:00:ab");
    mac_address parsed{};
    ASSERT_TRUE(ParseMacText("02:5a:00:00:00:AB", &parsed));
    EXPECT_EQ(parsed, kDevice);
    for (const char* bad : {"", "02:5A:00:00:00", "02:5A:00:00:00:AB:", "02:5A:00:00:00:AG",
                            "02 5A 00 00 00 AB", "025A:00:00:00:AB0"}) {
        EXPECT_FALSE(ParseMacText(bad, &parsed)) << bad;
    }
}

TEST(FixedText, WritesAreCutOnCharacterBoundariesAndAlwaysTerminated) {
    char field[6];
    EXPECT_TRUE(WriteFixedText(field, "abcde"));
    EXPECT_STREQ(field, "abcde");
    EXPECT_FALSE(WriteFixedText(field, "abcdef"));
    EXPECT_STREQ(field, "abcde");
    // "a" then two 2-byte characters: the second cannot be split.
    EXPECT_FALSE(WriteFixedText(field, "a\xC3\xA9\xC3\xA9x"));
    EXPECT_STREQ(field, "a\xC3\xA9\xC3\xA9");
    EXPECT_FALSE(WriteFixedText(field, "ab\xE4\xB8\xAD\xE4\xB8\xAD"));
    EXPECT_STREQ(field, "ab\xE4\xB8\xAD");
    EXPECT_EQ(Utf8CharacterCount("a\xC3\xA9\xE4\xB8\xAD"), 3u);
}

}  // namespace
}  // namespace plindar
