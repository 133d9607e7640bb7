// The atoi rule for whole numbers typed as text.
#include "records/decimal_text.h"

namespace plindar {

namespace {

constexpr int kDecimalBase = 10;

bool IsAtoiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int32_t ParseAtoi(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && IsAtoiSpace(text[at])) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    // Accumulated as a magnitude one beyond INT32_MAX so that INT32_MIN is reachable.
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    int64_t magnitude = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        magnitude = magnitude * kDecimalBase + (text[at] - '0');
        if (magnitude > limit) {
            magnitude = limit;
        }
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace plindar
