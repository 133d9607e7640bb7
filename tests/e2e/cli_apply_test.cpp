// The apply commands as an operator runs them: anti-theft on the simulated
// segment, and a configuration file over a lossy veth pair to plindar-devsim.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <string>
#include <vector>

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

size_t Count(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

// Entries (lines after the header) of every run-log file of that name.
size_t RunLogEntries(const std::string& home, const char* file) {
    size_t entries = 0;
    std::filesystem::path log = home + "Log";
    if (!std::filesystem::exists(log)) {
        return 0;
    }
    for (const auto& day : std::filesystem::directory_iterator(log)) {
        std::string text = test::ReadWholeFile((day.path() / file).string());
        size_t records = Count(text, "\n\r\n");
        entries += records > 0 ? records - 1 : 0;
    }
    return entries;
}

TEST(CliApply, AntiTheftReachesEverySimulatedDeviceAndEachReportIsLogged) {
    test::TempFolder home;
    process_result run = RunProgram(CliCommand(
        home.Path(), {"--simulate", "24", "antitheft", "--lockcode", "Ab12", "--confirm", "Ab12",
                      "--acname", "AC-01", "--dns1", "8.8.8.8", "--devices", "all", "--json"}));
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(Count(run.out, "\"antitheft\": {\"code\": 2, \"text\": \"Operate success\"}"), 24u)
        << run.out;
    EXPECT_NE(run.out.find("\"total\": 24, \"succeeded\": 24, \"failed\": 0"), std::string::npos);
    EXPECT_EQ(RunLogEntries(home.Path(), "Success.txt"), 24u);
}

TEST(CliApply, DevicesBoundToAnotherLockCodeFailWithAMismatch) {
    test::TempFolder home;
    process_result run = RunProgram(CliCommand(
        home.Path(),
        {"--simulate", "3", "--sim-lockcode", "Zz99", "antitheft", "--lockcode", "Ab12",
         "--confirm", "Ab12", "--disable", "--devices", "02:5A:00:00:00:01,02:5a:00:00:00:03"}));
    EXPECT_EQ(run.exit_code, 1) << run.err;
    EXPECT_EQ(Count(run.out, "7 Lockcode mismatch  failed"), 2u) << run.out;
    EXPECT_EQ(run.out.find("02:5A:00:00:00:02"), std::string::npos) << run.out;
    EXPECT_EQ(RunLogEntries(home.Path(), "Fail.txt"), 2u);
}

TEST(CliApply, BadInputIsRefusedWithTheExactMessageBeforeAnythingIsSent) {
    test::TempFolder home;
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"antitheft", "--lockcode", "Ab12", "--confirm", "Ab13", "--acname", "AC", "--devices",
          "all"},
         "The input information of the two is inconsistent!"},
        {{"antitheft", "--lockcode", "Ab12", "--confirm", "Ab12", "--devices", "all"},
         "Please input the AC Name information!"},
        {{"antitheft", "--lockcode", "Ab12", "--confirm", "Ab12", "--acname", "AC", "--dns2",
          "dns.example", "--devices", "all"},
         "The Secondary DNS is invalid!"},
        {{"antitheft", "--lockcode", "Ab12", "--confirm", "Ab12", "--acname", "AC"},
         "--devices all"},
        {{"send-config", "--file", "/no/such/file.xml", "--devices", "all"}, "cannot read"},
        {{"send-logo", "--file", "/etc/hostname", "--devices", "02:5A:00:00:00:09"},
         "device 02:5A:00:00:00:09 was not found by the scan"},
        {{"send-logo", "--file", "/etc/hostname", "--devices", "02:5A:00:00:00"},
         "is not a MAC address"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--simulate", "2"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        process_result run = RunProgram(CliCommand(home.Path(), args));
        EXPECT_EQ(run.exit_code, 2) << c.message << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_EQ(RunLogEntries(home.Path(), "Success.txt"), 0u);
}

TEST(CliApplyOverVeth, AConfigurationFileSurvivesLossAndDuplicationOnEveryDevice) {
    test::VethPair veth;
    PLINDAR_REQUIRE_VETH(veth);
    test::TempFolder home;
    test::TempFolder store;
    std::string config = home.Path() + "config.xml";
    {
        std::mt19937 random(42);
        std::string content(100 * 1000, '\0');
        for (char& byte : content) {
            byte = static_cast<char>(random() & 0xFF);
        }
        std::ofstream(config, std::ios::binary) << content;
    }
    // A chunk fails only when all five of its copies or their acknowledgements are
    // lost. At 1% each way that is about 3e-9 per chunk, so chance cannot fail this
    // test, yet some thirty frames of the run are lost and resent. (At 3% the odds
    // were about one run in five hundred of a device failing for good: the resend
    // budget at work, not a fault.)
    BackgroundProcess devsim({StagedProgram("plindar-devsim"),
                              "--interface",
                              veth.Devices(),
                              "--count",
                              "16",
                              "--rx-loss",
                              "0.01",
                              "--tx-loss",
                              "0.01",
                              "--rx-dup",
                              "0.02",
                              "--tx-dup",
                              "0.02",
                              "--seed",
                              "7",
                              "--report-copies",
                              "3",
                              "--lossless-discovery",
                              "--store",
                              store.Path()});
    ASSERT_TRUE(devsim.WaitForLine("ready"));
    process_result run =
        RunProgram(CliCommand(home.Path(), {"--adapter", veth.Host(), "send-config", "--file",
                                            config, "--devices", "all", "--json"}));
    std::string summary;
    EXPECT_EQ(devsim.Stop(&summary), 0);
    // What both ends saw, for a failure that a loaded machine may show only once.
    std::string diagnostic = std::filesystem::exists(home.Path() + "Diagnostic.log")
                                 ? test::ReadWholeFile(home.Path() + "Diagnostic.log")
                                 : "";
    ASSERT_EQ(run.exit_code, 0) << run.out << run.err << summary << "\n" << diagnostic;
    EXPECT_EQ(Count(run.out, "\"config\": {\"code\": 2, \"text\": \"Operate success\"}"), 16u)
        << run.out;

    std::string source = test::ReadWholeFile(config);
    size_t devices = 0;
    for (const auto& folder : std::filesystem::directory_iterator(store.Path())) {
        ++devices;
        EXPECT_TRUE(test::ReadWholeFile((folder.path() / "para.1").string()) == source)
            << folder.path();
        EXPECT_FALSE(std::filesystem::exists(folder.path() / "para.2")) << folder.path();
    }
    EXPECT_EQ(devices, 16u);

    std::smatch losses;
    ASSERT_TRUE(std::regex_search(summary, losses, std::regex("lost in (\\d+), lost out (\\d+)")))
        << summary;
    EXPECT_GT(std::stoul(losses[1].str()), 0u) << summary;
    EXPECT_GT(std::stoul(losses[2].str()), 0u) << summary;

    // Every report that went on the wire is one run-log entry.
    std::smatch reports;
    ASSERT_TRUE(std::regex_search(summary, reports, std::regex("reports (\\d+)"))) << summary;
    EXPECT_EQ(RunLogEntries(home.Path(), "Success.txt"), std::stoul(reports[1].str()));
    EXPECT_GE(std::stoul(reports[1].str()), 16u);
}

}  // namespace
}  // namespace plindar
