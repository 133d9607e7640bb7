// The wait for result reports: one poll per tick, over when every device has
// succeeded or failed or when the longest wait has passed.
#include "records/report_wait.h"

#include <gtest/gtest.h>

#include "protocol/fixed_text.h"
#include "records/device_result.h"
#include "records/sql_management.h"
#include "support/temp_folder.h"

namespace plindar {
namespace {

constexpr int kOperating = 1;
constexpr int kOperateSuccess = 2;
constexpr int kTransmitFail = 5;

class ReportWaitTest : public ::testing::Test {
protected:
    void SetUp() override {
        store_ = std::make_unique<CSqlManagement>(folder_.Path(), nullptr);
        ASSERT_TRUE(store_->IsOpen());
        for (const char* mac : kMacs) {
            ap_discover_stu device{};
            WriteFixedText(device.mac, mac);
            ASSERT_TRUE(store_->InsertDevice(device));
            ASSERT_TRUE(store_->SetAntiTheftStatus(mac, kOperating));
        }
    }

    // The counters the device list shows, from the stored results.
    std::pair<int, int> StoredSuccessesAndFailures() {
        std::vector<ap_info_stu> rows;
        int total = 0, successes = 0, failures = 0;
        EXPECT_TRUE(
            store_->QueryDevices(&rows, &total, &successes, &failures, true, SORT_BY_MAC, ""));
        return {successes, failures};
    }

    static constexpr const char* kMacs[] = {"02:5A:00:00:00:01", "02:5A:00:00:00:02"};
    test::TempFolder folder_;
    std::unique_ptr<CSqlManagement> store_;
};

TEST_F(ReportWaitTest, GoesOnWhileADeviceIsUnderWayAndEndsWhenAllHaveSettled) {
    const auto start = CReportWait::clock::now();
    CReportWait wait(*store_, {kMacs[0], kMacs[1]}, start);

    EXPECT_FALSE(wait.Tick(start + std::chrono::seconds(1)));
    EXPECT_EQ(StoredSuccessesAndFailures(), std::make_pair(0, 0));

    store_->SetAntiTheftStatus(kMacs[0], kOperateSuccess);
    EXPECT_FALSE(wait.Tick(start + std::chrono::seconds(2)));
    EXPECT_EQ(StoredSuccessesAndFailures(), std::make_pair(1, 0));

    // A failure settles a device as much as a success does.
    store_->SetAntiTheftStatus(kMacs[1], kTransmitFail);
    EXPECT_TRUE(wait.Tick(start + std::chrono::seconds(3)));
    EXPECT_EQ(StoredSuccessesAndFailures(), std::make_pair(1, 1));
    EXPECT_EQ(wait.Results(), (std::vector<int>{RESULT_SUCCESS, RESULT_FAILURE}));
}

TEST_F(ReportWaitTest, EndsAtTheLongestWaitWithTheLatestResultsStored) {
    const auto start = CReportWait::clock::now();
    CReportWait wait(*store_, {kMacs[0], kMacs[1]}, start);
    store_->SetAntiTheftStatus(kMacs[0], kOperateSuccess);

    EXPECT_FALSE(wait.Tick(start + CReportWait::kLongestWait - std::chrono::milliseconds(1)));
    EXPECT_TRUE(wait.Tick(start + CReportWait::kLongestWait));
    EXPECT_EQ(StoredSuccessesAndFailures(), std::make_pair(1, 0));
}

}  // namespace
}  // namespace plindar
