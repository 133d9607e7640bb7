// plindar-cli as an operator runs it: on the simulated segment, and over a real
// veth pair against plindar-devsim.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_folder.h"
#include "support/veth_pair.h"

namespace plindar {
namespace {

using test::BackgroundProcess;
using test::process_result;
using test::RunProgram;
using test::StagedProgram;

std::string MacOf(int index) {
    char text[32];
    std::snprintf(text, sizeof(text), "02:5A:00:00:%02X:%02X", (index >> 8) & 0xFF, index & 0xFF);
    return text;
}

std::string Number(int index) {
    char text[8];
    std::snprintf(text, sizeof(text), "%06d", index);
    return text;
}

std::string MacHex(int index) {
    std::string mac = MacOf(index);
    mac.erase(std::remove(mac.begin(), mac.end(), ':'), mac.end());
    return mac;
}

// Every device of a default batch of `count`, in MAC order, with its own texts.
void ExpectDefaultDevicesInJson(const std::string& json, int count) {
    EXPECT_NE(json.find("\"count\": " + std::to_string(count)), std::string::npos) << json;
    size_t position = 0;
    for (int i = 1; i <= count; ++i) {
        size_t found = json.find("{\"mac\": \"" + MacOf(i) + "\"", position);
        ASSERT_NE(found, std::string::npos) << "device " << i << " missing or out of order";
        size_t end = json.find('}', found);
        std::string object = json.substr(found, end - found);
        EXPECT_NE(object.find("\"ssid2\": \"Zorvu_2G_" + Number(i) + "\""), std::string::npos)
            << object;
        EXPECT_NE(object.find("\"ssid5\": \"Zorvu_5G_" + Number(i) + "\""), std::string::npos)
            << object;
        EXPECT_NE(object.find("\"wpakey2\": \"key2-" + MacHex(i) + "\""), std::string::npos)
            << object;
        EXPECT_NE(object.find("\"wpakey5\": \"key5-" + MacHex(i) + "\""), std::string::npos)
            << object;
        EXPECT_NE(object.find("\"date\": \"20"), std::string::npos) << object;
        position = end;
    }
    EXPECT_EQ(json.find("{\"mac\": \"" + MacOf(count + 1) + "\""), std::string::npos);
}

TEST(CliScan, FindsEverySimulatedDeviceInMacOrder) {
    test::TempFolder home;
    process_result run = RunProgram({StagedProgram("plindar-cli"), "--simulate", "40", "--home",
                                     home.Path(), "scan", "--json"});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    ExpectDefaultDevicesInJson(run.out, 40);
    // The store lives for one run only.
    EXPECT_FALSE(test::FileExists(home.Path() + "data.mdb"));

    process_result text = RunProgram(
        {StagedProgram("plindar-cli"), "--simulate", "3", "--home", home.Path(), "scan"});
    ASSERT_EQ(text.exit_code, 0) << text.err;
    EXPECT_NE(text.out.find("02:5A:00:00:00:03  "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("3 devices found on Simulated segment (02:50:4c:44:00:01)."),
              std::string::npos)
        << text.out;
}

TEST(CliScan, BadUsageExitsWithTwoAndSaysWhatIsWrong) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{}, "no command given"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"--simulate", "0", "scan"}, "--simulate needs a device count"},
        {{"--simulate", "4", "--adapter", "eth0", "scan"}, "exclude each other"},
        {{"scan"}, "--adapter NAME"},
        {{"--adapter", "no-such-if0", "scan"}, "unknown adapter 'no-such-if0'"},
        {{"--bogus", "scan"}, "unknown option '--bogus'"},
    };
    test::TempFolder home;
    for (const auto& c : cases) {
        std::vector<std::string> argv = {StagedProgram("plindar-cli"), "--home", home.Path()};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        process_result run = RunProgram(argv);
        EXPECT_EQ(run.exit_code, 2) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    process_result help = RunProgram({StagedProgram("plindar-cli"), "--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_NE(help.out.find("Usage: plindar-cli"), std::string::npos);
}

class CliScanOverVeth : public ::testing::Test {
protected:
    process_result Scan() {
        return RunProgram({StagedProgram("plindar-cli"), "--home", home_.Path(), "--adapter",
                           veth_.Host(), "scan", "--json"});
    }

    test::VethPair veth_;
    test::TempFolder home_;
};

TEST_F(CliScanOverVeth, FindsFortyDevicesWithTheirFieldsIntact) {
    PLINDAR_REQUIRE_VETH(veth_);
    BackgroundProcess devsim({StagedProgram("plindar-devsim"), "--interface", veth_.Devices(),
                              "--count", "40", "--duplicate", "1"});
    ASSERT_TRUE(devsim.WaitForLine("ready"));
    process_result run = Scan();
    ASSERT_EQ(run.exit_code, 0) << run.err;
    ExpectDefaultDevicesInJson(run.out, 40);
    std::string summary;
    EXPECT_EQ(devsim.Stop(&summary), 0);
    EXPECT_NE(summary.find("sent 80"), std::string::npos) << summary;  // 40 answers, twice

    process_result adapters = RunProgram({StagedProgram("plindar-cli"), "adapters"});
    EXPECT_NE(adapters.out.find(veth_.Host() + "\t"), std::string::npos) << adapters.out;
}

TEST_F(CliScanOverVeth, TextsFillingTheirWholeFieldArriveCutOnlyToTheStoresWidths) {
    PLINDAR_REQUIRE_VETH(veth_);
    BackgroundProcess devsim({StagedProgram("plindar-devsim"), "--interface", veth_.Devices(),
                              "--count", "2", "--fill-fields", "--ssid2", "{n}-net"});
    ASSERT_TRUE(devsim.WaitForLine("ready"));
    process_result run = Scan();
    ASSERT_EQ(run.exit_code, 0) << run.err;
    // 34 bytes sent without a terminator; the store keeps 33 characters.
    std::string ssid2 = "000001-net" + std::string("abcdefghijklmnopqrstuvwxyz").substr(0, 23);
    EXPECT_NE(run.out.find("\"ssid2\": \"" + ssid2 + "\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"count\": 2"), std::string::npos) << run.out;
}

TEST_F(CliScanOverVeth, ASilentSegmentYieldsNoDevice) {
    PLINDAR_REQUIRE_VETH(veth_);
    process_result run = Scan();
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_NE(run.out.find("\"count\": 0, \"devices\": []"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace plindar
