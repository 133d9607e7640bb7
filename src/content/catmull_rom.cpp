// Catmull-Rom resampling: weight tables per axis, a horizontal pass, then a vertical one.
#include "content/catmull_rom.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace plindar {

namespace {

constexpr int kChannels = 4;
constexpr int kChannelBits = 8;
constexpr float kChannelMax = 255.0f;
constexpr uint32_t kChannelMask = 0xFFu;
constexpr int kAlphaIndex = 3;  // channels are held as B, G, R, A (lowest byte first)

// The kernel reaches two source pixels each side at natural size.
constexpr double kKernelRadius = 2.0;

// Beyond this a window is a caller's mistake, not an image: its weight tables alone
// would run to hundreds of megabytes.
constexpr double kMaxWindowExtent = 1 << 20;

// Below this the weights of a tap list cannot be normalised meaningfully.
constexpr double kMinWeightSum = 1e-9;

// Catmull-Rom piece coefficients (B = 0, C = 0.5), inner and outer.
constexpr double kInnerCubic = 1.5;
constexpr double kInnerSquare = -2.5;
constexpr double kInnerConstant = 1.0;
constexpr double kOuterCubic = -0.5;
constexpr double kOuterSquare = 2.5;
constexpr double kOuterLinear = -4.0;
constexpr double kOuterConstant = 2.0;

// The source pixels one target pixel reads along one axis, with their weights.
struct tap_table {
    int taps_per_pixel = 0;
    std::vector<int> index;     // taps_per_pixel entries per target pixel, clamped
    std::vector<float> weight;  // same layout, summing to 1 per target pixel
    int lowest = 0;             // smallest index any tap reads
    int highest = 0;            // largest index any tap reads
};

tap_table BuildTaps(int source_size, double origin, double extent, int target_size) {
    tap_table table;
    const double step = extent / target_size;  // source pixels per target pixel
    const double spread = std::max(step, 1.0);
    const double support = kKernelRadius * spread;
    table.taps_per_pixel = static_cast<int>(std::ceil(2.0 * support)) + 1;
    const size_t entries = static_cast<size_t>(table.taps_per_pixel) * target_size;
    table.index.assign(entries, 0);
    table.weight.assign(entries, 0.0f);
    table.lowest = source_size - 1;
    table.highest = 0;

    std::vector<double> raw(table.taps_per_pixel);
    for (int out = 0; out < target_size; ++out) {
        const double centre = origin + (out + 0.5) * step;
        // The first source pixel whose centre (j + 0.5) lies within the support.
        const int first = static_cast<int>(std::floor(centre - support - 0.5)) + 1;
        double sum = 0;
        for (int t = 0; t < table.taps_per_pixel; ++t) {
            raw[t] = CatmullRomWeight((first + t + 0.5 - centre) / spread);
            sum += raw[t];
        }
        const size_t base = static_cast<size_t>(out) * table.taps_per_pixel;
        if (std::fabs(sum) < kMinWeightSum) {
            // Cannot happen for this kernel; fall back to the nearest pixel all the same.
            raw.assign(table.taps_per_pixel, 0.0);
            raw[table.taps_per_pixel / 2] = 1.0;
            sum = 1.0;
        }
        for (int t = 0; t < table.taps_per_pixel; ++t) {
            const int clamped = std::clamp(first + t, 0, source_size - 1);
            table.index[base + t] = clamped;
            table.weight[base + t] = static_cast<float>(raw[t] / sum);
            if (raw[t] != 0.0) {
                table.lowest = std::min(table.lowest, clamped);
                table.highest = std::max(table.highest, clamped);
            }
        }
    }
    return table;
}

uint8_t ToChannel(float value) {
    return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0f, kChannelMax)));
}

bool UsableExtent(double origin, double extent) {
    return std::isfinite(origin) && std::isfinite(extent) && extent > 0 &&
           extent <= kMaxWindowExtent && std::fabs(origin) <= kMaxWindowExtent;
}

}  // namespace

double CatmullRomWeight(double distance) {
    const double x = std::fabs(distance);
    if (x < 1.0) {
        return (kInnerCubic * x + kInnerSquare) * x * x + kInnerConstant;
    }
    if (x < kKernelRadius) {
        return ((kOuterCubic * x + kOuterSquare) * x + kOuterLinear) * x + kOuterConstant;
    }
    return 0.0;
}

bool ResampleCatmullRom(const argb_source_stu& source, const resample_window_stu& window,
                        const argb_target_stu& target) {
    if (source.pixels == nullptr || source.width <= 0 || source.height <= 0 ||
        source.stride < source.width || target.pixels == nullptr || target.width <= 0 ||
        target.height <= 0 || target.stride < target.width ||
        !UsableExtent(window.x, window.width) || !UsableExtent(window.y, window.height)) {
        return false;
    }
    const tap_table columns = BuildTaps(source.width, window.x, window.width, target.width);
    const tap_table rows = BuildTaps(source.height, window.y, window.height, target.height);

    // Horizontal pass over only the source rows the vertical pass will read; kept in
    // floating point so the negative lobes are not clipped between the passes.
    const int row_count = rows.highest - rows.lowest + 1;
    const size_t row_floats = static_cast<size_t>(target.width) * kChannels;
    std::vector<float> across(static_cast<size_t>(row_count) * row_floats, 0.0f);
    for (int r = 0; r < row_count; ++r) {
        const uint32_t* line = source.pixels + (rows.lowest + r) * source.stride;
        float* out = across.data() + r * row_floats;
        for (int x = 0; x < target.width; ++x) {
            std::array<float, kChannels> sum{};
            const size_t base = static_cast<size_t>(x) * columns.taps_per_pixel;
            for (int t = 0; t < columns.taps_per_pixel; ++t) {
                const float w = columns.weight[base + t];
                const uint32_t pixel = line[columns.index[base + t]];
                for (int c = 0; c < kChannels; ++c) {
                    sum[c] += w * static_cast<float>((pixel >> (c * kChannelBits)) & kChannelMask);
                }
            }
            std::copy(sum.begin(), sum.end(), out + x * kChannels);
        }
    }

    for (int y = 0; y < target.height; ++y) {
        uint32_t* line = target.pixels + y * target.stride;
        const size_t base = static_cast<size_t>(y) * rows.taps_per_pixel;
        for (int x = 0; x < target.width; ++x) {
            std::array<float, kChannels> sum{};
            for (int t = 0; t < rows.taps_per_pixel; ++t) {
                const float w = rows.weight[base + t];
                if (w == 0.0f) {
                    continue;  // its row may lie outside the band the first pass kept
                }
                const float* in = across.data() + (rows.index[base + t] - rows.lowest) * row_floats;
                for (int c = 0; c < kChannels; ++c) {
                    sum[c] += w * in[x * kChannels + c];
                }
            }
            const uint8_t alpha = ToChannel(sum[kAlphaIndex]);
            uint32_t pixel = static_cast<uint32_t>(alpha) << (kAlphaIndex * kChannelBits);
            for (int c = 0; c < kAlphaIndex; ++c) {
                // Overshoot may leave a colour above its alpha, which is no valid
                // premultiplied pixel.
                const uint8_t value = std::min(ToChannel(sum[c]), alpha);
                pixel |= static_cast<uint32_t>(value) << (c * kChannelBits);
            }
            line[x] = pixel;
        }
    }
    return true;
}

}  // namespace plindar
