// GIF89a encoder for palette animations: global colour table, one transparent index, looping.
//
// Written here rather than taken from an image tool so that the committed animation
// is byte for byte what this code makes, whatever tool versions a machine has.
//
//   "GIF89a" | screen: width, height, flags, background, aspect | colour table
//   | 21 FF 0B "NETSCAPE2.0" 03 01 loops 00
//   | per frame: 21 F9 04 flags delay transparent 00 | 2C 0 0 w h 00 | min-code-size
//     data sub-blocks (at most 255 bytes each) 00
//   | 3B
#include "skin/gif_writer.h"

#include <algorithm>
#include <unordered_map>

namespace plindar {
namespace {

constexpr char kSignature[] = "GIF89a";
constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kGraphicControlLabel = 0xF9;
constexpr uint8_t kApplicationLabel = 0xFF;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr char kLoopApplication[] = "NETSCAPE2.0";
constexpr uint16_t kLoopForever = 0;

// Screen flags: a global table follows; 8 bits per primary in the source.
constexpr uint8_t kGlobalTableFlag = 0x80;
constexpr uint8_t kColourResolution = 0x70;
// Graphic control flags: dispose by restoring the background, so a transparent pixel
// never shows what the previous frame drew there; bit 0 marks the transparent index.
constexpr uint8_t kRestoreToBackground = 2 << 2;
constexpr uint8_t kTransparentFlag = 0x01;

constexpr int kMaxCodeBits = 12;
constexpr int kMaxCodes = 1 << kMaxCodeBits;
constexpr int kSmallestMinCodeSize = 2;  // the format's floor, even for two colours
constexpr size_t kSubBlockSize = 255;

void PutByte(std::string& out, unsigned value) {
    out.push_back(static_cast<char>(value & 0xFF));
}
void PutWord(std::string& out, unsigned value) {
    PutByte(out, value);
    PutByte(out, value >> 8);
}

// Bits of the colour table: the table holds 2^bits entries, the palette padded with black.
int TableBits(size_t palette_size) {
    int bits = 1;
    while ((size_t{1} << bits) < palette_size) {
        ++bits;
    }
    return bits;
}

// Codes are packed least significant bit first, as the format requires.
class BitPacker {
public:
    void Put(unsigned code, int width) {
        buffer_ |= static_cast<uint32_t>(code) << used_;
        used_ += width;
        while (used_ >= 8) {
            bytes_.push_back(static_cast<char>(buffer_ & 0xFF));
            buffer_ >>= 8;
            used_ -= 8;
        }
    }
    std::string Finish() {
        if (used_ > 0) {
            bytes_.push_back(static_cast<char>(buffer_ & 0xFF));
        }
        return bytes_;
    }

private:
    std::string bytes_;
    uint32_t buffer_ = 0;
    int used_ = 0;
};

std::string Compress(const std::vector<uint8_t>& indices, int min_code_size) {
    const unsigned clear = 1u << min_code_size;
    const unsigned end = clear + 1;
    const unsigned first_free = clear + 2;
    BitPacker packer;
    std::unordered_map<uint32_t, unsigned> table;  // (prefix code << 8 | index) -> code
    unsigned next = first_free;
    int width = min_code_size + 1;
    packer.Put(clear, width);
    if (indices.empty()) {
        packer.Put(end, width);
        return packer.Finish();
    }
    unsigned prefix = indices[0];
    for (size_t i = 1; i < indices.size(); ++i) {
        const uint32_t key = (static_cast<uint32_t>(prefix) << 8) | indices[i];
        const auto found = table.find(key);
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        packer.Put(prefix, width);
        if (next < kMaxCodes) {
            table.emplace(key, next++);
            // The decoder adds each entry one code later than we do, so it widens its
            // codes only once the table holds one entry more than the width can name.
            if (next > (1u << width) && width < kMaxCodeBits) {
                ++width;
            }
        } else {
            // Table full: start a fresh one rather than keep coding without learning.
            packer.Put(clear, width);
            table.clear();
            next = first_free;
            width = min_code_size + 1;
        }
        prefix = indices[i];
    }
    packer.Put(prefix, width);
    packer.Put(end, width);
    return packer.Finish();
}

void PutSubBlocks(std::string& out, const std::string& data) {
    for (size_t at = 0; at < data.size(); at += kSubBlockSize) {
        const size_t length = std::min(kSubBlockSize, data.size() - at);
        PutByte(out, static_cast<unsigned>(length));
        out.append(data, at, length);
    }
    PutByte(out, 0);
}

}  // namespace

std::string EncodeGif(const gif_animation_stu& animation) {
    std::string out(kSignature);
    const int table_bits = TableBits(animation.palette.size());
    PutWord(out, animation.width);
    PutWord(out, animation.height);
    PutByte(out, kGlobalTableFlag | kColourResolution | (table_bits - 1));
    PutByte(out, animation.transparent_index);
    PutByte(out, 0);  // square pixels
    for (size_t i = 0; i < (size_t{1} << table_bits); ++i) {
        const std::array<uint8_t, 3> colour =
            i < animation.palette.size() ? animation.palette[i] : std::array<uint8_t, 3>{};
        for (uint8_t primary : colour) {
            PutByte(out, primary);
        }
    }

    PutByte(out, kExtensionIntroducer);
    PutByte(out, kApplicationLabel);
    PutByte(out, sizeof(kLoopApplication) - 1);
    out.append(kLoopApplication);
    PutByte(out, 3);
    PutByte(out, 1);  // sub-block id of the loop count
    PutWord(out, kLoopForever);
    PutByte(out, 0);

    const int min_code_size = std::max(kSmallestMinCodeSize, table_bits);
    for (const gif_frame_stu& frame : animation.frames) {
        PutByte(out, kExtensionIntroducer);
        PutByte(out, kGraphicControlLabel);
        PutByte(out, 4);
        PutByte(out, kRestoreToBackground | kTransparentFlag);
        PutWord(out, frame.delay_cs);
        PutByte(out, animation.transparent_index);
        PutByte(out, 0);

        PutByte(out, kImageSeparator);
        PutWord(out, 0);
        PutWord(out, 0);
        PutWord(out, animation.width);
        PutWord(out, animation.height);
        PutByte(out, 0);  // no local table, not interlaced
        PutByte(out, min_code_size);
        PutSubBlocks(out, Compress(frame.indices, min_code_size));
    }
    PutByte(out, kTrailer);
    return out;
}

}  // namespace plindar
