// Choosing the adapter and running a scan tick by tick, on a simulated segment.
#include "protocol/scan_run.h"

#include <gtest/gtest.h>

#include "protocol/ac_transmit_manage.h"
#include "protocol/adapter_choice.h"
#include "protocol/fixed_text.h"
#include "records/sql_management.h"
#include "sim/simulated_network.h"
#include "support/temp_folder.h"
#include "support/wait_for.h"

namespace plindar {
namespace {

constexpr uint32_t kDevices = 12;

class ScanRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim_device_options devices;
        devices.count = kDevices;
        network_ = std::make_unique<CSimulatedNetwork>(devices);
        std::string error;
        ASSERT_TRUE(network_->Start(&error)) << error;
        store_ = std::make_unique<CSqlManagement>(folder_.Path(), nullptr);
        manager_ = std::make_unique<AcTransmitManage>(store_.get(), network_->Provider());
        manager_->SetRunLogFolder(folder_.Path());
    }

    void TearDown() override {
        manager_.reset();
        store_.reset();
        network_->Stop();
    }

    test::TempFolder folder_;
    std::unique_ptr<CSimulatedNetwork> network_;
    std::unique_ptr<CSqlManagement> store_;
    std::unique_ptr<AcTransmitManage> manager_;
};

TEST_F(ScanRunTest, ChoosingAnAdapterMakesItTheOneInUse) {
    adapter_choice_stu choice = ChooseAdapter(*manager_, kSimAdapterName);
    ASSERT_EQ(choice.result, AdapterChoiceResult::Ok);
    EXPECT_EQ(choice.adapter_text, FormatAdapterText(choice.adapter));
    EXPECT_EQ(choice.device_name, manager_->GetAdapterDeviceName());
    EXPECT_EQ(manager_->GetAdapterMac(), kSimAdapterMac);

    EXPECT_EQ(ChooseAdapter(*manager_, "no-such0").result, AdapterChoiceResult::UnknownAdapter);
    // A refused choice leaves the adapter in use alone.
    EXPECT_EQ(manager_->GetAdapterMac(), kSimAdapterMac);
}

TEST_F(ScanRunTest, StartEmptiesTheStoreAndTicksEndTheScanOnceTheCountSettles) {
    ap_discover_stu stale{};
    WriteFixedText(stale.mac, "02:00:00:00:00:99");
    ASSERT_TRUE(store_->InsertDevice(stale));
    ASSERT_EQ(ChooseAdapter(*manager_, kSimAdapterName).result, AdapterChoiceResult::Ok);

    CScanRun scan(*manager_, *store_);
    ASSERT_TRUE(scan.Start());
    ASSERT_TRUE(test::WaitFor([&] { return store_->CountDevices() == int(kDevices); }));
    std::vector<ap_info_stu> rows;
    int total = 0, successes = 0, failures = 0;
    ASSERT_TRUE(store_->QueryDevices(&rows, &total, &successes, &failures, true, SORT_BY_MAC, ""));
    for (const ap_info_stu& row : rows) {
        EXPECT_NE(ReadFixedText(row.mac), "02:00:00:00:00:99");
    }

    // With the count steady the fourth check ends the scan, and not before.
    for (int tick = 1; tick < CScanCompletion::kSettleTicks; ++tick) {
        scan_tick_stu step = scan.Tick();
        EXPECT_EQ(step.device_count, int(kDevices));
        EXPECT_FALSE(step.done) << "tick " << tick;
    }
    EXPECT_TRUE(scan.Tick().done);
}

TEST_F(ScanRunTest, StartFailsWhenTheAdapterCannotBeListenedOn) {
    manager_->SetAdapterDeviceName("no-such0");
    CScanRun scan(*manager_, *store_);
    EXPECT_FALSE(scan.Start());
}

}  // namespace
}  // namespace plindar
