// Result reports: each one a run-log entry and the device's status.
#include <gtest/gtest.h>

#include <filesystem>

#include "transmit_test_fixture.h"

namespace plindar {
namespace {

using test::TransmitFixture;
using test::WaitFor;

class StatusListenerTest : public TransmitFixture {
protected:
    void SetUp() override {
        sim_device_options options;
        options.count = 2;
        StartDevices(options);
        device_side_ = network_->Segment()->OpenEndpoint(SIM_STATION_DEVICES, 1 << 20);
    }

    // Sends a frame from `source` as a device would, and waits until the listener
    // has passed it to report handling.
    void Report(const mac_address& source, uint16_t type, uint16_t code) {
        uint64_t before = manager_->GetReportFrameCount();
        transmit_frame_stu frame = BuildDiscoverRequest(source);
        SetFrameHeader(&frame, kSimAdapterMac, source);
        WriteU16(frame.type, type);
        WriteU16(frame.code, code);
        ASSERT_TRUE(device_side_->Send(reinterpret_cast<const uint8_t*>(&frame), kFrameSize));
        ASSERT_TRUE(WaitFor([&] { return manager_->GetReportFrameCount() > before; }));
    }

    // The entries (after the header) of today's run-log file, "" when missing.
    std::vector<std::string> Entries(const char* file) {
        std::vector<std::string> entries;
        std::filesystem::path log = folder_.Path() + "Log";
        if (!std::filesystem::exists(log)) {
            return entries;
        }
        for (const auto& day : std::filesystem::directory_iterator(log)) {
            std::string text = test::ReadWholeFile((day.path() / file).string());
            size_t start = text.find("\n\r\n");
            while (start != std::string::npos && start + 3 < text.size()) {
                size_t end = text.find("\n\r\n", start + 3);
                entries.push_back(text.substr(start + 3, end - start - 3));
                start = end;
            }
        }
        return entries;
    }

    std::unique_ptr<CSimEndpoint> device_side_;
};

TEST_F(StatusListenerTest, EachReportIsLoggedAndBecomesTheOperationsStatus) {
    const struct {
        uint16_t type, code;
        int32_t ap_info_stu::*column;
        int status;
        const char* file;
        const char* kind;
    } cases[] = {
        {1, 6, &ap_info_stu::para_status, STATUS_OPERATE_SUCCESS, "Success.txt", "PARA_DATA"},
        {1, 5, &ap_info_stu::para_status, STATUS_OPERATE_FAIL, "Fail.txt", "PARA_DATA"},
        {2, 8, &ap_info_stu::logo_status, STATUS_OPERATE_SUCCESS, "Success.txt", "LOG_DATA"},
        {2, 7, &ap_info_stu::logo_status, STATUS_OPERATE_FAIL, "Fail.txt", "LOG_DATA"},
        {3, 10, &ap_info_stu::antitheft_status, STATUS_OPERATE_SUCCESS, "Success.txt",
         "JSON_CMD_DATA"},
        {3, 9, &ap_info_stu::antitheft_status, STATUS_LOCKCODE_MISMATCH, "Fail.txt",
         "JSON_CMD_DATA"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(store_->ResetAllStatuses());
        size_t logged = Entries(c.file).size();
        Report(MacBytes(0), c.type, c.code);
        EXPECT_EQ(Row(0).*c.column, c.status) << c.type << "/" << c.code;
        std::vector<std::string> entries = Entries(c.file);
        ASSERT_EQ(entries.size(), logged + 1) << c.type << "/" << c.code;
        EXPECT_EQ(entries.back().substr(0, 17 + 1 + strlen(c.kind) + 1),
                  Mac(0) + "\t" + c.kind + "\t")
            << entries.back();
        EXPECT_EQ(Row(1).*c.column, STATUS_WAIT_OPERATE);  // the other device is untouched
    }
}

TEST_F(StatusListenerTest, AcknowledgementsAndUnknownFramesAreNotReports) {
    for (uint16_t type : {1, 2, 3}) {
        Report(MacBytes(0), type, CODE_ACK);
    }
    Report(MacBytes(0), 0, CODE_DISCOVER_REQ);
    Report(MacBytes(0), 9, CODE_PARA_OK);
    Report(MacBytes(0), 1, 8);  // a logo code with the configuration type
    EXPECT_EQ(manager_->GetRecordedReportCount(), 0u);
    EXPECT_TRUE(Entries("Success.txt").empty());
    EXPECT_TRUE(Entries("Fail.txt").empty());
    ap_info_stu row = Row(0);
    EXPECT_EQ(row.para_status, STATUS_WAIT_OPERATE);
    EXPECT_EQ(row.logo_status, STATUS_WAIT_OPERATE);
    EXPECT_EQ(row.antitheft_status, STATUS_WAIT_OPERATE);
}

TEST_F(StatusListenerTest, RepeatedAndLateReportsAreAllLoggedAndTheLastOneStays) {
    ASSERT_TRUE(store_->SetLogoStatus(Mac(0), STATUS_TRANSMIT_FINISH));
    Report(MacBytes(0), FRAME_TYPE_LOGO, CODE_LOGO_OK);
    EXPECT_EQ(Row(0).logo_status, STATUS_OPERATE_SUCCESS);
    Report(MacBytes(0), FRAME_TYPE_LOGO, CODE_LOGO_FAIL);
    Report(MacBytes(0), FRAME_TYPE_LOGO, CODE_LOGO_FAIL);
    EXPECT_EQ(Row(0).logo_status, STATUS_OPERATE_FAIL);
    EXPECT_EQ(Entries("Success.txt").size(), 1u);
    EXPECT_EQ(Entries("Fail.txt").size(), 2u);

    // A device the store does not know: logged all the same, no row appears.
    mac_address stranger = {0x02, 0x77, 0, 0, 0, 9};
    Report(stranger, FRAME_TYPE_PARA, CODE_PARA_OK);
    std::vector<std::string> success = Entries("Success.txt");
    ASSERT_EQ(success.size(), 2u);
    EXPECT_EQ(success.back().substr(0, 17), "02:77:00:00:00:09");
    EXPECT_EQ(store_->CountDevices(), 2);
}

}  // namespace
}  // namespace plindar
