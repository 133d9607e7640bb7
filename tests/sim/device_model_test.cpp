// The device model: addresses, answers, losses, duplicates and delays.
#include "sim/device_model.h"

#include <gtest/gtest.h>

#include <set>

#include "protocol/fixed_text.h"

namespace plindar {
namespace {

using clock_type = CDeviceModel::clock;
const mac_address kAdapter = {0x02, 0x50, 0x4C, 0x44, 0x00, 0x01};

std::vector<transmit_frame_stu> Drain(CDeviceModel& model, clock_type::time_point now) {
    std::vector<transmit_frame_stu> frames;
    std::vector<uint8_t> bytes;
    while (model.PopDue(now, &bytes)) {
        frames.push_back(ParseFrame(bytes.data(), bytes.size()));
    }
    return frames;
}

void Broadcast(CDeviceModel& model, clock_type::time_point now) {
    transmit_frame_stu request = BuildDiscoverRequest(kAdapter);
    model.OnFrame(reinterpret_cast<const uint8_t*>(&request), kFrameSize, now);
}

TEST(DeviceModel, DevicesGetDistinctMacsUnderThePrefixAndAnswerABroadcast) {
    sim_device_options options;
    options.count = 300;  // crosses a byte boundary of the index
    CDeviceModel model(options);
    auto now = clock_type::now();
    Broadcast(model, now);
    std::vector<transmit_frame_stu> answers = Drain(model, now);
    ASSERT_EQ(answers.size(), 300u);
    std::set<std::string> macs;
    for (const transmit_frame_stu& answer : answers) {
        EXPECT_EQ(ReadU16(answer.type), FRAME_TYPE_DISCOVER);
        EXPECT_EQ(ReadU16(answer.code), CODE_ACK);
        EXPECT_EQ(FrameDestination(answer), kAdapter);
        macs.insert(FormatMacText(answer.source));
    }
    EXPECT_EQ(macs.size(), 300u);
    EXPECT_EQ(*macs.begin(), "02:5A:00:00:00:01");
    EXPECT_EQ(*macs.rbegin(), "02:5A:00:00:01:2C");
    EXPECT_EQ(ReadFixedText(answers[0].ssid2), "Zorvu_2G_000001");
    EXPECT_EQ(ReadFixedText(answers[0].wpakey5), "key5-025A00000001");
}

TEST(DeviceModel, AnswersWaitForTheirDelayAndDuplicatesFollow) {
    sim_device_options options;
    options.count = 2;
    options.answer_delay = std::chrono::milliseconds(50);
    options.duplicate_answers = 2;
    CDeviceModel model(options);
    auto now = clock_type::now();
    Broadcast(model, now);
    EXPECT_TRUE(Drain(model, now).empty());
    ASSERT_TRUE(model.NextDue().has_value());
    EXPECT_EQ(*model.NextDue(), now + std::chrono::milliseconds(50));
    EXPECT_EQ(Drain(model, now + std::chrono::milliseconds(50)).size(), 6u);
    EXPECT_FALSE(model.NextDue().has_value());
}

TEST(DeviceModel, LossIsSeededAndOnlyFramesForTheDevicesCount) {
    sim_device_options options;
    options.count = 1000;
    options.receive_loss = 0.25;
    options.send_loss = 0.25;
    options.seed = 7;
    CDeviceModel first(options), second(options);
    auto now = clock_type::now();
    Broadcast(first, now);
    Broadcast(second, now);
    std::vector<transmit_frame_stu> a = Drain(first, now), b = Drain(second, now);
    ASSERT_EQ(a.size(), b.size());  // same seed, same losses
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(FrameSource(a[i]), FrameSource(b[i]));
    }
    const sim_model_stats& stats = first.Stats();
    EXPECT_EQ(stats.frames_received, 1000u);
    EXPECT_EQ(stats.frames_lost_inbound + stats.frames_lost_outbound + a.size(), 1000u);
    // About 44% lost in all; far from both 0 and everything.
    EXPECT_GT(a.size(), 450u);
    EXPECT_LT(a.size(), 650u);

    // Frames for somebody else, and frames that are not requests, get no answer.
    transmit_frame_stu unicast = BuildDiscoverRequest(kAdapter);
    SetFrameHeader(&unicast, {0x02, 0x77, 0, 0, 0, 1}, kAdapter);
    first.OnFrame(reinterpret_cast<const uint8_t*>(&unicast), kFrameSize, now);
    transmit_frame_stu answer = BuildDiscoverAnswer({0x02, 0x77, 0, 0, 0, 1}, kAdapter, {});
    SetFrameHeader(&answer, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, kAdapter);
    first.OnFrame(reinterpret_cast<const uint8_t*>(&answer), kFrameSize, now);
    EXPECT_TRUE(Drain(first, now).empty());
}

TEST(DeviceModel, FilledFieldsUseEveryByteOfTheirField) {
    sim_device_options options;
    options.fill_fields = true;
    CDeviceModel model(options);
    const sim_device& device = model.Devices()[0];
    EXPECT_EQ(device.ssid2.size(), kSsidFieldWidth);
    EXPECT_EQ(device.wpakey5.size(), kWpaKeyFieldWidth);
    EXPECT_EQ(device.ssid2.rfind("Zorvu_2G_000001", 0), 0u);
    auto now = clock_type::now();
    Broadcast(model, now);
    std::vector<transmit_frame_stu> answers = Drain(model, now);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(ReadFixedText(answers[0].ssid2), device.ssid2);
    EXPECT_EQ(ReadFixedText(answers[0].wpakey5), device.wpakey5);
}

TEST(DeviceModel, OptionsThatCannotWorkAreExplained) {
    const struct {
        std::vector<uint8_t> prefix;
        uint32_t count;
        double loss;
        bool ok;
    } cases[] = {
        {{0x02, 0x5A, 0x00}, 40, 0.0, true},
        {{0x02, 0x5A, 0x00, 0x00, 0x00}, 255, 0.0, true},
        {{0x02, 0x5A, 0x00, 0x00, 0x00}, 256, 0.0, false},  // index needs two bytes
        {{}, 1, 0.0, false},
        {{0x02, 0x5A, 0x00}, 0, 0.0, false},
        {{0x02, 0x5A, 0x00}, 1, 1.5, false},
    };
    for (const auto& c : cases) {
        sim_device_options options;
        options.mac_prefix = c.prefix;
        options.count = c.count;
        options.receive_loss = c.loss;
        EXPECT_EQ(CDeviceModel::ValidateOptions(options).empty(), c.ok)
            << c.prefix.size() << " prefix bytes, " << c.count << " devices";
    }
    std::vector<uint8_t> prefix;
    EXPECT_TRUE(ParseMacPrefix("02:5a:00", &prefix));
    EXPECT_EQ(prefix, (std::vector<uint8_t>{0x02, 0x5A, 0x00}));
    for (const char* bad : {"", "02:", "2:5A", "02:5A:00:00:00:00", "0g", "02::5A"}) {
        EXPECT_FALSE(ParseMacPrefix(bad, &prefix)) << bad;
    }
}

}  // namespace
}  // namespace plindar
