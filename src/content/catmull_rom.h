// Separable Catmull-Rom (bicubic) resampling of 32-bit ARGB pixels, with no imaging library.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plindar {

// Rows of 0xAARRGGBB pixels with colour premultiplied by alpha. Premultiplied values
// keep the colour of fully transparent pixels from bleeding into their neighbours.
struct argb_source_stu {
    const uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    ptrdiff_t stride = 0;  // pixels from the start of one row to the next
};

struct argb_target_stu {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    ptrdiff_t stride = 0;
};

// The part of the source, in source pixels (fractions allowed; 0,0 is the top-left
// corner of the first pixel), that is stretched over the whole target.
struct resample_window_stu {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

// The Catmull-Rom cubic (B = 0, C = 0.5); zero from distance 2 on.
double CatmullRomWeight(double distance);

// Pixel centres are mapped onto each other (half-pixel offset). When the window
// shrinks along an axis the kernel is widened by the reduction factor so every source
// pixel contributes; weights are normalised, and taps beyond the source repeat its
// edge pixels. False, with the target untouched, for empty or non-finite sizes.
bool ResampleCatmullRom(const argb_source_stu& source, const resample_window_stu& window,
                        const argb_target_stu& target);

}  // namespace plindar
