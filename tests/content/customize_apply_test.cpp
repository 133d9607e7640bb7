// Customization runs: each device gets its own configuration file, written before
// its worker starts, and the logo.
#include <gtest/gtest.h>

#include <cstring>

#include "content/apply_jobs.h"
#include "content/config_xml.h"
#include "protocol/transmit_test_fixture.h"

namespace plindar {
namespace {

using test::TransmitFixture;
using test::WaitFor;

const char kConfig[] =
    "<Config>\r\n"
    "  <Value Name=\"LOID_OLD\" Value=\"template-loid\"/>\r\n"
    "  <Value Name=\"SUSER_PASSWORD\" Value=\"admin\"/>\r\n"
    "  <Dir Name=\"ATM_VC_TBL\">\r\n"
    "    <Value Name=\"WanName\" Value=\"INTERNET\"/>\r\n"
    "    <Value Name=\"vid\" Value=\"100\"/>\r\n"
    "    <Value Name=\"ChannelMode\" Value=\"1\"/>\r\n"
    "  </Dir>\r\n"
    "</Config>\r\n";

class CustomizeApplyTest : public TransmitFixture {
protected:
    std::string ReceivedBy(size_t device, uint16_t type) {
        for (const sim_transfer_record& record : Received()) {
            if (record.device == MacBytes(device) && record.type == type) {
                return std::string(record.content.begin(), record.content.end());
            }
        }
        return "<nothing>";
    }

    bool AllSucceeded(size_t devices, int32_t ap_info_stu::*column) {
        for (size_t i = 0; i < devices; ++i) {
            if (Row(i).*column != STATUS_OPERATE_SUCCESS) {
                return false;
            }
        }
        return true;
    }
};

TEST_F(CustomizeApplyTest, EachDeviceReceivesItsOwnRewrittenFileAndTheLogo) {
    sim_device_options options;
    options.count = 3;
    StartDevices(options);
    customize_run run;
    run.program_folder = folder_.Path();
    run.chosen_xml = WriteFile("config.xml", kConfig);
    run.logo_path = WriteFile("logo.jpg", Pattern(3000));
    run.mode = 3;
    run.sheet_generated = true;
    custom_value_stu templ{};
    ASSERT_TRUE(ParseTemplateXml(run.chosen_xml, &templ));
    run.dual_band = templ.dualBand;
    for (int i = 0; i < 3; ++i) {
        custom_value_stu values = templ;
        std::snprintf(values.loid, sizeof(values.loid), "loid-of-%d", i);
        std::snprintf(values.vid[0], sizeof(values.vid[0]), "%d", 200 + i);
        run.records.push_back(values);
    }
    std::vector<std::string> macs = {Mac(0), Mac(1), Mac(2)};
    apply_start started = StartCustomizeJobs(*manager_, *store_, macs, run);
    ASSERT_TRUE(started.ok) << started.message;
    EXPECT_TRUE(started.warnings.empty());
    ASSERT_TRUE(WaitForWorkers());
    ASSERT_TRUE(WaitFor([&] {
        return AllSucceeded(3, &ap_info_stu::para_status) &&
               AllSucceeded(3, &ap_info_stu::logo_status);
    }));
    for (size_t i = 0; i < 3; ++i) {
        std::string expected = RewriteXmlText(run.dual_band, run.records[i], kConfig);
        EXPECT_EQ(ReceivedBy(i, FRAME_TYPE_PARA), expected) << i;
        EXPECT_EQ(test::ReadWholeFile(DeviceXmlPath(folder_.Path(), Mac(i))), expected) << i;
        EXPECT_NE(expected.find("loid-of-" + std::to_string(i)), std::string::npos);
        EXPECT_EQ(ReceivedBy(i, FRAME_TYPE_LOGO), Pattern(3000)) << i;
    }
}

TEST_F(CustomizeApplyTest, WithoutASheetEveryDeviceGetsAnIdenticalCopyAndModeOneSendsOnlyTheLogo) {
    sim_device_options options;
    options.count = 2;
    StartDevices(options);
    customize_run run;
    run.program_folder = folder_.Path();
    run.chosen_xml = WriteFile("config.xml", kConfig);
    run.mode = 2;
    apply_start started = StartCustomizeJobs(*manager_, *store_, {Mac(0), Mac(1)}, run);
    ASSERT_TRUE(started.ok) << started.message;
    ASSERT_TRUE(WaitForWorkers());
    ASSERT_TRUE(WaitFor([&] { return AllSucceeded(2, &ap_info_stu::para_status); }));
    EXPECT_EQ(ReceivedBy(0, FRAME_TYPE_PARA), kConfig);
    EXPECT_EQ(ReceivedBy(1, FRAME_TYPE_PARA), kConfig);
    EXPECT_EQ(Row(0).logo_status, STATUS_WAIT_OPERATE);

    run.mode = 1;
    run.logo_path = WriteFile("logo.jpg", Pattern(100));
    started = StartCustomizeJobs(*manager_, *store_, {Mac(1)}, run);
    ASSERT_TRUE(started.ok);
    ASSERT_TRUE(WaitFor([&] { return Row(1).logo_status == STATUS_OPERATE_SUCCESS; }));
    EXPECT_EQ(Row(1).para_status, STATUS_WAIT_OPERATE);  // reset, and not sent
    EXPECT_EQ(Received().size(), 3u);
}

}  // namespace
}  // namespace plindar
