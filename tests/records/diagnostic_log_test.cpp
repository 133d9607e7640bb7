// Tests of the diagnostic log's line format and where its lines go.
#include "records/diagnostic_log.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "records/program_folder.h"
#include "support/temp_folder.h"

namespace plindar {
namespace {

// Date and time with four-digit milliseconds, level, thread, function:line, message.
const std::regex kLinePattern(
    R"(\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}:0\d{3}\]\[(ERROR|INFO)\]\[ThreadID: (\d+)\]\[([^\]]*):(\d+)\](.*)\r\n)");

std::string CurrentThreadId() {
    return std::to_string(syscall(SYS_gettid));
}

TEST(DiagnosticLogTest, LineCarriesTimeLevelThreadPlaceAndMessage) {
    struct LevelCase {
        int level;
        const char* shown;
    };
    const LevelCase cases[] = {
        {DIAGNOSTIC_ERROR, "ERROR"}, {DIAGNOSTIC_INFO, "INFO"}, {0, "INFO"}, {7, "INFO"}};
    for (const LevelCase& c : cases) {
        const std::string line = FormatDiagnosticLine(c.level, "InitAdapter", 312, "no 100%d here");
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, kLinePattern)) << line;
        EXPECT_EQ(match[1], c.shown);
        EXPECT_EQ(match[2], CurrentThreadId());
        EXPECT_EQ(match[3], "InitAdapter");
        EXPECT_EQ(match[4], "312");
        EXPECT_EQ(match[5], "no 100%d here");
    }
}

TEST(DiagnosticLogTest, WriteAppendsCrLfLinesToTheLogInTheProgramFolder) {
    // Must come before anything asks for the program folder; under ctest every
    // case is its own process, so this test fixes the folder for itself.
    test::TempFolder home;
    setenv("PLINDAR_HOME", home.Path().c_str(), 1);
    const std::string folder = GetProgramFolder();
    std::filesystem::create_directories(folder);
    const std::string path = folder + "Diagnostic.log";
    const std::string earlier = "earlier line\r\n";
    std::ofstream(path, std::ios::binary) << earlier;

    WRITE_DIAGNOSTIC(DIAGNOSTIC_ERROR, "open failed: %s (%d)", "eth0", 42);
    WriteDiagnostic(DIAGNOSTIC_INFO, "ScanDone", 77, "%u devices", 3u);

    const std::string log = test::ReadWholeFile(path);
    ASSERT_EQ(log.compare(0, earlier.size(), earlier), 0) << "earlier content was not kept";
    std::vector<std::string> lines;
    for (size_t start = earlier.size(); start < log.size();) {
        size_t end = log.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "unterminated line: " << log.substr(start);
        lines.push_back(log.substr(start, end + 2 - start));
        start = end + 2;
    }
    ASSERT_EQ(lines.size(), 2u);

    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[0], match, kLinePattern)) << lines[0];
    EXPECT_EQ(match[1], "ERROR");
    EXPECT_EQ(match[2], CurrentThreadId());
    EXPECT_EQ(match[3], "TestBody");
    EXPECT_EQ(match[5], "open failed: eth0 (42)");

    ASSERT_TRUE(std::regex_match(lines[1], match, kLinePattern)) << lines[1];
    EXPECT_EQ(match[1], "INFO");
    EXPECT_EQ(match[3], "ScanDone");
    EXPECT_EQ(match[4], "77");
    EXPECT_EQ(match[5], "3 devices");
}

}  // namespace
}  // namespace plindar
