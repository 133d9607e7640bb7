// GIF89a encoder for palette animations: global colour table, one transparent index, looping.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace plindar {

// One full-size frame: a palette index per pixel, row by row, and how long it shows.
struct gif_frame_stu {
    std::vector<uint8_t> indices;
    uint16_t delay_cs = 0;  // hundredths of a second
};

struct gif_animation_stu {
    uint16_t width = 0;
    uint16_t height = 0;
    std::vector<std::array<uint8_t, 3>> palette;  // red, green, blue; 2 to 256 entries
    uint8_t transparent_index = 0;  // also the background colour of the logical screen
    std::vector<gif_frame_stu> frames;
};

// The file bytes: header, global colour table, a loop-forever block, then per frame a
// graphic control block (delay, transparency, restore to background) and the
// LZW-compressed indices. Every frame must hold width * height indices, each below
// the palette size; the function does not check, since only the skin generator feeds it.
std::string EncodeGif(const gif_animation_stu& animation);

}  // namespace plindar
