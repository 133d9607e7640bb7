// Anti-theft protection from the command to the devices' reports.
#include <gtest/gtest.h>

#include "content/apply_jobs.h"
#include "protocol/transmit_test_fixture.h"

namespace plindar {
namespace {

using test::TransmitFixture;
using test::WaitFor;

antitheft_values Values(const std::string& lock_code) {
    antitheft_values values;
    values.lock_code = lock_code;
    values.confirm_lock_code = lock_code;
    values.ac_name = "AC-01";
    values.primary_dns = "8.8.8.8";
    return values;
}

class AntiTheftApplyTest : public TransmitFixture {};

TEST_F(AntiTheftApplyTest, EverySelectedDeviceGetsTheSameCommandAndReportsSuccess) {
    sim_device_options options;
    options.count = 4;
    StartDevices(options);
    ASSERT_TRUE(store_->SetParaStatus(Mac(3), STATUS_OPERATE_FAIL));  // from an earlier run
    std::vector<std::string> selected = {Mac(0), Mac(2), Mac(1)};
    apply_start started = SendAntiTheftCommand(*manager_, *store_, selected, Values("Ab12"));
    ASSERT_TRUE(started.ok) << started.message;
    EXPECT_EQ(started.started, selected);
    ASSERT_TRUE(WaitForWorkers());
    ASSERT_TRUE(WaitFor([&] {
        return Row(0).antitheft_status == STATUS_OPERATE_SUCCESS &&
               Row(1).antitheft_status == STATUS_OPERATE_SUCCESS &&
               Row(2).antitheft_status == STATUS_OPERATE_SUCCESS;
    }));
    const std::string command =
        R"({"Lockcode":"Ab12","Enable":"1","ACName":"AC-01","DNS1":"8.8.8.8","DNS2":"0.0.0.0"})";
    std::vector<sim_transfer_record> received = Received();
    ASSERT_EQ(received.size(), 3u);
    for (const sim_transfer_record& record : received) {
        EXPECT_EQ(record.type, FRAME_TYPE_ANTITHEFT);
        EXPECT_EQ(std::string(record.content.begin(), record.content.end()), command);
    }
    // The run started with a reset: the unselected device's old status is gone.
    ap_info_stu untouched = Row(3);
    EXPECT_EQ(untouched.para_status, STATUS_WAIT_OPERATE);
    EXPECT_EQ(untouched.antitheft_status, STATUS_WAIT_OPERATE);
    EXPECT_EQ(store_->GetOverallResult(Mac(0)), RESULT_SUCCESS);
}

TEST_F(AntiTheftApplyTest, ADeviceBoundToAnotherLockCodeReportsAMismatch) {
    sim_device_options options;
    options.lock_code = "Zz99";
    StartDevices(options);
    apply_start started = SendAntiTheftCommand(*manager_, *store_, {Mac(0)}, Values("Ab12"));
    ASSERT_TRUE(started.ok);
    ASSERT_TRUE(WaitFor([&] { return Row(0).antitheft_status == STATUS_LOCKCODE_MISMATCH; }));
    EXPECT_EQ(store_->GetOverallResult(Mac(0)), RESULT_FAILURE);

    // The right lock code is accepted.
    started = SendAntiTheftCommand(*manager_, *store_, {Mac(0)}, Values("Zz99"));
    ASSERT_TRUE(started.ok);
    ASSERT_TRUE(WaitFor([&] { return Row(0).antitheft_status == STATUS_OPERATE_SUCCESS; }));
}

TEST_F(AntiTheftApplyTest, ACommandTooLongForItsFieldIsRefusedBeforeAnyDeviceIsTouched) {
    StartDevices(sim_device_options{});
    ASSERT_TRUE(store_->SetAntiTheftStatus(Mac(0), STATUS_OPERATE_SUCCESS));
    antitheft_values values = Values(std::string(300, 'L'));  // e.g. from a template
    values.ac_name = std::string(300, 'N');
    apply_start refused = SendAntiTheftCommand(*manager_, *store_, {Mac(0)}, values);
    EXPECT_FALSE(refused.ok);
    EXPECT_FALSE(refused.message.empty());
    EXPECT_EQ(Row(0).antitheft_status, STATUS_OPERATE_SUCCESS);
    EXPECT_EQ(manager_->GetTransmitWorkers().Running(), 0u);
}

}  // namespace
}  // namespace plindar
