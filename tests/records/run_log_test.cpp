// Tests of the daily run logs: file bytes, folders, headers, failures and threads.
#include "records/run_log.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <latch>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_folder.h"

namespace plindar {
namespace {

const std::string kHeader = "MAC\t\t\tType\t\tDate\n\r\n";
const std::string kMacA = "AA:BB:CC:DD:EE:01";
const std::string kMacB = "AA:BB:CC:DD:EE:02";

std::tm LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

std::string Entry(const std::string& mac, const std::string& word, const std::string& time) {
    return mac + "\t" + word + "\t" + time + "\n\r\n";
}

std::string TodayText() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof(text), "%Y-%m-%d", &local);
    return text;
}

class RunLogTest : public ::testing::Test {
protected:
    std::string DayFolder(const std::string& date) const {
        return home_.Path() + "Log/" + date + "/";
    }

    test::TempFolder home_;
    COperateCharacter writer_;
    const std::tm afternoon_ = LocalTime(2024, 3, 9, 14, 5, 7);
};

TEST_F(RunLogTest, FirstEntryOfTheDayCreatesFolderAndHeaderLaterEntriesOnlyAppend) {
    ASSERT_FALSE(test::FileExists(home_.Path() + "Log"));
    EXPECT_TRUE(WriteRunLog(RUN_LOG_PARA, &writer_, kMacA, true, home_.Path(), afternoon_));

    const std::string success = DayFolder("2024-03-09") + "Success.txt";
    const std::string first = kHeader + Entry(kMacA, "PARA_DATA", "2024-03-09 14:05:07");
    EXPECT_EQ(test::ReadWholeFile(success), first);

    // Two reports within one second share their time text.
    EXPECT_TRUE(WriteRunLog(RUN_LOG_LOGO, &writer_, kMacB, true, home_.Path(), afternoon_));
    EXPECT_EQ(test::ReadWholeFile(success),
              first + Entry(kMacB, "LOG_DATA", "2024-03-09 14:05:07"));
    EXPECT_FALSE(test::FileExists(DayFolder("2024-03-09") + "Fail.txt"));
}

TEST_F(RunLogTest, FailureGoesToFailTxtWithItsOwnHeaderAndLeavesSuccessUntouched) {
    ASSERT_TRUE(WriteRunLog(RUN_LOG_PARA, &writer_, kMacA, true, home_.Path(), afternoon_));
    const std::string success = DayFolder("2024-03-09") + "Success.txt";
    const std::string success_before = test::ReadWholeFile(success);

    const std::tm later = LocalTime(2024, 3, 9, 14, 6, 30);
    EXPECT_TRUE(WriteRunLog(RUN_LOG_LOGO, &writer_, kMacB, false, home_.Path(), later));
    EXPECT_EQ(test::ReadWholeFile(DayFolder("2024-03-09") + "Fail.txt"),
              kHeader + Entry(kMacB, "LOG_DATA", "2024-03-09 14:06:30"));
    EXPECT_EQ(test::ReadWholeFile(success), success_before);
}

TEST_F(RunLogTest, KindWordFollowsTheKindAndEveryOtherKindIsTheCommand) {
    struct KindCase {
        int kind;
        const char* word;
    };
    const KindCase cases[] = {{RUN_LOG_PARA, "PARA_DATA"},
                              {RUN_LOG_LOGO, "LOG_DATA"},
                              {RUN_LOG_ANTITHEFT, "JSON_CMD_DATA"},
                              {7, "JSON_CMD_DATA"},
                              {0, "JSON_CMD_DATA"},
                              {-1, "JSON_CMD_DATA"}};
    std::string expected = kHeader;
    for (const KindCase& c : cases) {
        EXPECT_TRUE(WriteRunLog(c.kind, &writer_, kMacA, false, home_.Path(), afternoon_));
        expected += Entry(kMacA, c.word, "2024-03-09 14:05:07");
    }
    EXPECT_EQ(test::ReadWholeFile(DayFolder("2024-03-09") + "Fail.txt"), expected);
}

TEST_F(RunLogTest, ExistingFileEvenAnEmptyOneGetsNoHeader) {
    const std::string folder = DayFolder("2024-03-09");
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "Success.txt", std::ios::binary).flush();
    const std::string earlier = "kept from an earlier run\n\r\n";
    std::ofstream(folder + "Fail.txt", std::ios::binary) << earlier;

    EXPECT_TRUE(WriteRunLog(RUN_LOG_ANTITHEFT, &writer_, kMacA, true, home_.Path(), afternoon_));
    EXPECT_TRUE(WriteRunLog(RUN_LOG_ANTITHEFT, &writer_, kMacB, false, home_.Path(), afternoon_));

    EXPECT_EQ(test::ReadWholeFile(folder + "Success.txt"),
              Entry(kMacA, "JSON_CMD_DATA", "2024-03-09 14:05:07"));
    EXPECT_EQ(test::ReadWholeFile(folder + "Fail.txt"),
              earlier + Entry(kMacB, "JSON_CMD_DATA", "2024-03-09 14:05:07"));
}

TEST_F(RunLogTest, DateFolderAndTimeTextComeFromTheSameClockReading) {
    EXPECT_TRUE(WriteRunLog(RUN_LOG_PARA, &writer_, kMacA, true, home_.Path(),
                            LocalTime(2023, 12, 31, 23, 59, 59)));
    EXPECT_TRUE(WriteRunLog(RUN_LOG_PARA, &writer_, kMacB, true, home_.Path(),
                            LocalTime(2024, 1, 1, 0, 0, 0)));

    EXPECT_EQ(test::ReadWholeFile(DayFolder("2023-12-31") + "Success.txt"),
              kHeader + Entry(kMacA, "PARA_DATA", "2023-12-31 23:59:59"));
    EXPECT_EQ(test::ReadWholeFile(DayFolder("2024-01-01") + "Success.txt"),
              kHeader + Entry(kMacB, "PARA_DATA", "2024-01-01 00:00:00"));
}

TEST_F(RunLogTest, ProgramFolderWithoutTrailingSlashStillHoldsTheLogFolder) {
    std::string folder = home_.Path();
    folder.pop_back();
    EXPECT_TRUE(WriteRunLog(RUN_LOG_LOGO, &writer_, kMacA, true, folder, afternoon_));
    EXPECT_EQ(test::ReadWholeFile(DayFolder("2024-03-09") + "Success.txt"),
              kHeader + Entry(kMacA, "LOG_DATA", "2024-03-09 14:05:07"));
}

TEST_F(RunLogTest, DefaultsUseTheProgramFolderAndTheLocalClock) {
    // Before anything asks for the program folder (each case is its own process).
    setenv("PLINDAR_HOME", home_.Path().c_str(), 1);
    const std::string day_before = TodayText();
    EXPECT_TRUE(WriteRunLog(RUN_LOG_ANTITHEFT, &writer_, kMacA, false));
    const std::string day_after = TodayText();

    // Around midnight the entry may belong to either day, but folder and time agree.
    std::string day = day_before;
    if (!test::FileExists(DayFolder(day) + "Fail.txt")) {
        day = day_after;
    }
    const std::string log = test::ReadWholeFile(DayFolder(day) + "Fail.txt");
    const std::string prefix = kHeader + kMacA + "\tJSON_CMD_DATA\t" + day + " ";
    ASSERT_EQ(log.compare(0, prefix.size(), prefix), 0) << log;
    EXPECT_EQ(log.size(), prefix.size() + std::string("hh:mm:ss\n\r\n").size()) << log;
}

TEST_F(RunLogTest, AppendLogTextWritesWholeTextsAndRefusesEmptyOnes) {
    const std::string path = home_.Path() + "append.txt";
    EXPECT_FALSE(writer_.AppendLogText("", path));
    EXPECT_FALSE(test::FileExists(path));

    // Far longer than any run-log line: written whole, nothing cut.
    const std::string long_text(1000, 'x');
    const std::string with_newlines = "a\nb\r\n";
    EXPECT_TRUE(writer_.AppendLogText(long_text, path));
    EXPECT_TRUE(writer_.AppendLogText(with_newlines, path));
    EXPECT_FALSE(writer_.AppendLogText("", path));
    EXPECT_EQ(test::ReadWholeFile(path), long_text + "\r\n" + with_newlines + "\r\n");
}

TEST_F(RunLogTest, UnwritableFilesLoseTheEntryQuietlyButLeaveADiagnostic) {
    setenv("PLINDAR_HOME", home_.Path().c_str(), 1);
    const std::string diagnostic = home_.Path() + "Diagnostic.log";

    // A folder where the file should be: it cannot be opened for appending.
    const std::string folder = DayFolder("2024-03-09");
    std::filesystem::create_directories(folder + "Success.txt");
    EXPECT_FALSE(writer_.AppendLogText("line", folder + "Success.txt"));
    EXPECT_FALSE(test::FileExists(diagnostic)) << "AppendLogText itself only reports by result";

    EXPECT_TRUE(WriteRunLog(RUN_LOG_PARA, &writer_, kMacA, true, home_.Path(), afternoon_));
    std::string log = test::ReadWholeFile(diagnostic);
    EXPECT_NE(log.find("[ERROR]"), std::string::npos) << log;
    EXPECT_NE(log.find(folder + "Success.txt"), std::string::npos) << log;

    // A plain file named like the Log folder: no day folder can be made under it.
    test::TempFolder other;
    std::ofstream(other.Path() + "Log", std::ios::binary) << "not a folder";
    EXPECT_TRUE(WriteRunLog(RUN_LOG_LOGO, &writer_, kMacB, false, other.Path(), afternoon_));
    EXPECT_EQ(test::ReadWholeFile(other.Path() + "Log"), "not a folder");
    log = test::ReadWholeFile(diagnostic);
    EXPECT_NE(log.find(other.Path() + "Log/2024-03-09/Fail.txt"), std::string::npos) << log;
    EXPECT_NE(log.find("cannot create the folder"), std::string::npos) << log;

    // No writer: nothing is written anywhere, and the caller still goes on.
    EXPECT_TRUE(WriteRunLog(RUN_LOG_ANTITHEFT, nullptr, kMacB, true, home_.Path(),
                            LocalTime(2024, 3, 10, 8, 0, 0)));
    EXPECT_FALSE(test::FileExists(DayFolder("2024-03-10")));
    log = test::ReadWholeFile(diagnostic);
    EXPECT_NE(log.find("no writer"), std::string::npos) << log;
}

TEST_F(RunLogTest, ThreadsSharingOneWriterGetOneHeaderAndWholeLines) {
    constexpr int kThreads = 8;
    constexpr int kEntriesPerThread = 50;
    std::latch start(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const std::string mac = "AA:BB:CC:DD:EE:" + std::to_string(10 + t);
            start.arrive_and_wait();
            for (int i = 0; i < kEntriesPerThread; ++i) {
                WriteRunLog(RUN_LOG_ANTITHEFT, &writer_, mac, true, home_.Path(), afternoon_);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }

    const std::string log = test::ReadWholeFile(DayFolder("2024-03-09") + "Success.txt");
    ASSERT_EQ(log.compare(0, kHeader.size(), kHeader), 0) << "the file must open with the header";
    std::map<std::string, int> entries;
    for (size_t start_at = kHeader.size(); start_at < log.size();) {
        size_t end = log.find("\n\r\n", start_at);
        ASSERT_NE(end, std::string::npos) << "unterminated record: " << log.substr(start_at);
        ++entries[log.substr(start_at, end + 3 - start_at)];
        start_at = end + 3;
    }
    ASSERT_EQ(entries.size(), static_cast<size_t>(kThreads)) << "a header or torn line crept in";
    for (int t = 0; t < kThreads; ++t) {
        const std::string mac = "AA:BB:CC:DD:EE:" + std::to_string(10 + t);
        EXPECT_EQ(entries[Entry(mac, "JSON_CMD_DATA", "2024-03-09 14:05:07")], kEntriesPerThread)
            << mac;
    }
}

}  // namespace
}  // namespace plindar
