// Whole numbers typed as text, read the way the C library's atoi reads them.
#pragma once

#include <cstdint>
#include <string_view>

namespace plindar {

// Leading white space skipped, an optional sign, then digits up to the first
// non-digit; no digits give 0. Values beyond the 32-bit range are held at its
// ends instead of wrapping. Settings, batch-sheet cells and the template's
// numbers all follow this rule.
int32_t ParseAtoi(std::string_view text);

}  // namespace plindar
