// When a scan is over, and when it asks again.
#include "protocol/scan_completion.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace plindar {
namespace {

struct scan_outcome {
    int done_at = 0;  // tick at which the scan ended, 0 if it did not within the limit
    std::vector<int> rediscover_at;
};

scan_outcome Play(const std::function<int(int)>& count_at_tick, int limit = 60) {
    CScanCompletion completion;
    scan_outcome outcome;
    for (int tick = 1; tick <= limit; ++tick) {
        ScanStep step = completion.OnTick(count_at_tick(tick));
        if (step == ScanStep::SendDiscover) {
            outcome.rediscover_at.push_back(tick);
        }
        if (step == ScanStep::Done) {
            outcome.done_at = tick;
            break;
        }
    }
    return outcome;
}

TEST(ScanCompletion, EndsAtTheFirstMultipleOfFourWithoutANewDeviceAndAsksAgainEveryTwelve) {
    const struct {
        const char* name;
        std::function<int(int)> count;
        int done_at;
        std::vector<int> rediscover_at;
    } cases[] = {
        {"silent segment", [](int) { return 0; }, 4, {}},
        {"all answered at once", [](int) { return 40; }, 4, {}},
        {"answers until tick 9", [](int t) { return std::min(t, 9) * 10; }, 16, {12}},
        {"a new device every tick", [](int t) { return t; }, 0, {12, 24, 36, 48, 60}},
        {"one late device at tick 3", [](int t) { return t >= 3 ? 1 : 0; }, 8, {}},
    };
    for (const auto& c : cases) {
        scan_outcome outcome = Play(c.count);
        EXPECT_EQ(outcome.done_at, c.done_at) << c.name;
        EXPECT_EQ(outcome.rediscover_at, c.rediscover_at) << c.name;
    }
}

}  // namespace
}  // namespace plindar
