// The atoi rule shared by settings, batch-sheet cells and template numbers.
#include "records/decimal_text.h"

#include <gtest/gtest.h>

#include <climits>

namespace plindar {
namespace {

TEST(DecimalText, NumbersAreReadTheWayAtoiReadsThemAndHeldAtTheIntRange) {
    const struct {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"", 0},
        {"abc", 0},
        {"0", 0},
        {"4094", 4094},
        {"600px", 600},
        {" 12a", 12},
        {" \t-42x", -42},
        {"\t\n-5", -5},
        {"+7", 7},
        {"- 5", 0},
        {"12 34", 12},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"99999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-99999999999999999999", INT_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseAtoi(c.text), c.expected) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace plindar
