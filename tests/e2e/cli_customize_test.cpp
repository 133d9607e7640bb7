// Customization as an operator runs it: the batch sheet made, checked and used,
// and every device receiving its own configuration file and the logo.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "content/biff8_writer.h"
#include "content/xls_reader.h"
#include "support/child_process.h"
#include "support/temp_folder.h"
#include "support/veth_pair.h"

namespace plindar {
namespace {

using test::BackgroundProcess;
using test::CliCommand;
using test::process_result;
using test::RunProgram;
using test::StagedProgram;

const char kConfig[] =
    "<Config>\r\n"
    "  <Value Name=\"LOID_OLD\" Value=\"loid0001\"/>\r\n"
    "  <Value Name=\"LOID_PASSWD_OLD\" Value=\"pw01\"/>\r\n"
    "  <Value Name=\"SUSER_PASSWORD\" Value=\"admin123\"/>\r\n"
    "  <Dir Name=\"ATM_VC_TBL\">\r\n"
    "    <Value Name=\"WanName\" Value=\"INTERNET_R_VID_100\"/>\r\n"
    "    <Value Name=\"vid\" Value=\"100\"/>\r\n"
    "    <Value Name=\"pppUser\" Value=\"user1\"/>\r\n"
    "    <Value Name=\"pppPasswd\" Value=\"pass1\"/>\r\n"
    "    <Value Name=\"ChannelMode\" Value=\"2\"/>\r\n"
    "  </Dir>\r\n"
    "</Config>\r\n";

// Copies a sheet cell by cell through our reader and writer, changing the cells
// named by (row, header text), as an operator would edit them.
bool EditSheet(const std::string& from, const std::string& to,
               const std::map<std::pair<uint32_t, std::string>, std::string>& edits) {
    CXlsReader reader;
    if (!reader.Open(from) || !reader.SelectSheet(0)) {
        return false;
    }
    std::map<std::pair<uint32_t, uint32_t>, std::string> changes;
    for (const auto& [cell, text] : edits) {
        for (uint32_t column = 0; column < 32; ++column) {
            if (reader.ReadCellText(0, column) == cell.second) {
                changes[{cell.first, column}] = text;
            }
        }
    }
    if (changes.size() != edits.size()) {
        return false;
    }
    CBiff8Workbook workbook;
    int sheet = workbook.AddSheet("Sheet1");
    for (uint32_t row = 0; row < 64; ++row) {
        for (uint32_t column = 0; column < 32; ++column) {
            auto change = changes.find({row, column});
            std::string text =
                change != changes.end() ? change->second : reader.ReadCellText(row, column);
            if (!text.empty()) {
                workbook.SetText(sheet, row, column, text);
            }
        }
    }
    return workbook.Save(to);
}

class CliCustomizeTest : public ::testing::Test {
protected:
    void SetUp() override {
        config_ = home_.Path() + "device.xml";
        std::ofstream(config_, std::ios::binary) << kConfig;
    }
    process_result MakeSheet(std::vector<std::string> link) {
        link.insert(link.end(),
                    {"sheet", "--config", config_, "--out", home_.Path() + "batch.xls"});
        return RunProgram(CliCommand(home_.Path(), link));
    }

    test::TempFolder home_;
    std::string config_;
};

TEST_F(CliCustomizeTest, ASheetValueThatBreaksItsRuleIsReportedWithItsExactMessage) {
    std::vector<std::string> link = {"--simulate", "3", "--sim-seed", "1"};
    process_result sheet = MakeSheet(link);
    ASSERT_EQ(sheet.exit_code, 0) << sheet.err;
    std::string batch = home_.Path() + "batch.xls";

    process_result check = RunProgram(CliCommand(
        home_.Path(), {"--simulate", "3", "check", "--config", config_, "--sheet", batch}));
    EXPECT_EQ(check.exit_code, 0) << check.err;
    EXPECT_EQ(check.out, "ok\n");

    std::string edited = home_.Path() + "edited.xls";
    ASSERT_TRUE(EditSheet(batch, edited, {{{2, "vid1"}, "5000"}}));
    check = RunProgram(CliCommand(
        home_.Path(), {"--simulate", "3", "check", "--config", config_, "--sheet", edited}));
    EXPECT_EQ(check.exit_code, 2);
    EXPECT_NE(check.err.find("The MAC:02:5A:00:00:00:02 vid1 value:5000 is invalid."),
              std::string::npos)
        << check.err;
}

TEST_F(CliCustomizeTest, EveryDeviceGetsItsOwnFileAndTheLogoOverVeth) {
    test::VethPair veth;
    PLINDAR_REQUIRE_VETH(veth);
    test::TempFolder store;
    BackgroundProcess devsim({StagedProgram("plindar-devsim"), "--interface", veth.Devices(),
                              "--count", "4", "--store", store.Path()});
    ASSERT_TRUE(devsim.WaitForLine("ready"));
    process_result sheet = MakeSheet({"--adapter", veth.Host()});
    ASSERT_EQ(sheet.exit_code, 0) << sheet.err;
    std::string batch = home_.Path() + "batch.xls";
    std::map<std::pair<uint32_t, std::string>, std::string> changes;
    for (uint32_t row = 1; row <= 4; ++row) {
        changes[{row, "loid"}] = "loid-" + std::to_string(row);
    }
    ASSERT_TRUE(EditSheet(batch, batch, changes));

    // A logo larger than 229 x 51 is cropped around its centre.
    std::string logo = home_.Path() + "brand.ppm";
    {
        std::ofstream out(logo, std::ios::binary);
        out << "P6\n400 120\n255\n";
        for (int i = 0; i < 400 * 120; ++i) {
            out << static_cast<char>(i % 251) << static_cast<char>(i % 13) << '\x80';
        }
    }
    process_result run = RunProgram(
        CliCommand(home_.Path(), {"--adapter", veth.Host(), "customize", "--logo", logo, "--config",
                                  config_, "--sheet", batch, "--devices", "all", "--json"}));
    devsim.Stop();
    ASSERT_EQ(run.exit_code, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("\"total\": 4, \"succeeded\": 4"), std::string::npos) << run.out;

    std::vector<std::string> logos;
    for (const auto& entry : std::filesystem::directory_iterator(home_.Path() + "ModifyPicture")) {
        logos.push_back(entry.path().string());
    }
    ASSERT_EQ(logos.size(), 1u);
    std::string sent_logo = test::ReadWholeFile(logos[0]);
    for (int device = 1; device <= 4; ++device) {
        char mac[16];
        std::snprintf(mac, sizeof(mac), "025A000000%02X", device);
        std::string folder = store.Path() + mac + "/";
        std::string para = test::ReadWholeFile(folder + "para.1");
        EXPECT_EQ(para, test::ReadWholeFile(home_.Path() + "ModifyXml/" + mac + ".xml")) << mac;
        EXPECT_NE(
            para.find("<Value Name=\"LOID_OLD\" Value=\"loid-" + std::to_string(device) + "\"/>"),
            std::string::npos)
            << para;
        EXPECT_EQ(test::ReadWholeFile(folder + "logo.1"), sent_logo) << mac;
    }
}

}  // namespace
}  // namespace plindar
