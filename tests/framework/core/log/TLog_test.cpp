#include "framework/core/log/TLog.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::regex kLinePattern(
    R"(^(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) )"
    R"([ 123][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}: (.*)$)");

class LogTest : public ::testing::Test {
protected:
    void TearDown() override { StartLog(nullptr); }

    std::string ReadFile() const {
        std::ifstream in(mFolder / "logfile.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    support::TempFolder mTemp{"corvalo-log-"};
    const fs::path mFolder = mTemp.Path();
};

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace

TEST_F(LogTest, Line_IsLocalTimeColonMessageNewline) {
    StartLog(mFolder.c_str());
    LogPrintf("hello %d %s", 42, "world");
    std::string text = ReadFile();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    std::smatch match;
    std::string line = text.substr(0, text.size() - 1);
    ASSERT_TRUE(std::regex_match(line, match, kLinePattern)) << line;
    EXPECT_EQ(match[3].str(), "hello 42 world");
    // 24 characters of time, then ": ".
    EXPECT_EQ(line.substr(24, 2), ": ");
    EXPECT_EQ(GetLogWritePosition(), text.size());
}

TEST_F(LogTest, Path_IsFolderPlusLogfile) {
    StartLog(mFolder.c_str());
    EXPECT_EQ(std::string(GetLogFilePath().CStr()), (mFolder / "logfile.txt").string());
}

TEST_F(LogTest, WithoutPath_LinesAreDropped) {
    for (const char* off : {static_cast<const char*>(nullptr), ""}) {
        StartLog(mFolder.c_str());
        StartLog(off);
        EXPECT_TRUE(GetLogFilePath().IsEmpty());
        LogPrintf("dropped");
        EXPECT_FALSE(fs::exists(mFolder / "logfile.txt"));
        EXPECT_FALSE(fs::exists("/logfile.txt"));
    }
}

TEST_F(LogTest, Start_DeletesOldFileAndStartsAtZero) {
    {
        std::ofstream old(mFolder / "logfile.txt");
        old << "old text that must go\n";
    }
    StartLog(mFolder.c_str());
    EXPECT_FALSE(fs::exists(mFolder / "logfile.txt"));
    EXPECT_EQ(GetLogWritePosition(), 0u);
    LogPrintf("new");
    std::string text = ReadFile();
    EXPECT_EQ(text.find("old text"), std::string::npos);
    EXPECT_NE(text.find(": new\n"), std::string::npos);
}

TEST_F(LogTest, Start_CreatesMissingFolderOneLevel) {
    fs::path folder = mFolder / "made";
    StartLog(folder.c_str());
    EXPECT_TRUE(fs::is_directory(folder));
    LogPrintf("in new folder");
    EXPECT_TRUE(fs::exists(folder / "logfile.txt"));
}

TEST_F(LogTest, UnwritableFolder_SendsTheLinesToStandardError) {
    fs::path folder = mFolder / "no" / "such" / "place";
    StartLog(folder.c_str());
    testing::internal::CaptureStderr();
    LogPrintf("nowhere to go");
    LogPrintf("still nowhere");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(GetLogWritePosition(), 0u);
    EXPECT_NE(said.find("cannot be written; its lines follow here"), std::string::npos) << said;
    EXPECT_NE(said.find(": nowhere to go\n"), std::string::npos) << said;
    EXPECT_NE(said.find(": still nowhere\n"), std::string::npos) << said;
}

// A full disk (here /dev/full behind the log's name): the lines are not
// lost but written to standard error, with one line that says why, and the
// write position stays.
TEST_F(LogTest, FullDisk_SendsTheLinesToStandardError) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    StartLog(mFolder.c_str());
    fs::create_symlink("/dev/full", mFolder / "logfile.txt");
    testing::internal::CaptureStderr();
    LogPrintf("disk is full");
    LogPrintf("and still full");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(GetLogWritePosition(), 0u);
    const size_t why = said.find("cannot be written");
    EXPECT_NE(why, std::string::npos) << said;
    EXPECT_EQ(said.find("cannot be written", why + 1), std::string::npos) << "said once";
    EXPECT_NE(said.find(": disk is full\n"), std::string::npos) << said;
    EXPECT_NE(said.find(": and still full\n"), std::string::npos) << said;
}

TEST_F(LogTest, MemoryMax_SetsLimitAndLeavesLogAlone) {
    StartLog(mFolder.c_str());
    LogPrintf("first");
    uint32_t position = GetLogWritePosition();
    struct Case {
        const char* text;
        int32_t limit;
    } cases[] = {
        {"__MEMORYMAX__=5000", 5000}, {"__MEMORYMAX__=-12", -12},
        {"__MEMORYMAX__=77abc", 77},  {"__MEMORYMAX__=", 0},
        {"__MEMORYMAX__", 0},         {"__MEMORYMAX__=99999999999", INT32_MAX},
    };
    for (const Case& c : cases) {
        StartLog(c.text);
        EXPECT_EQ(GetMemoryLimit(), c.limit) << c.text;
        EXPECT_EQ(std::string(GetLogFilePath().CStr()), (mFolder / "logfile.txt").string());
        EXPECT_EQ(GetLogWritePosition(), position);
    }
    EXPECT_TRUE(fs::exists(mFolder / "logfile.txt"));
}

// The counters follow the allocator: a large block shows in the memory in
// use while it lives, and the peak keeps the highest value read.
TEST(MemoryCounters, FollowTheAllocatorAndKeepThePeak) {
    constexpr size_t kBlock = 32u << 20;
    uint32_t before = GetMemoryInUse();
    EXPECT_GT(before, 0u) << "the program has allocated memory already";
    uint32_t during = 0;
    {
        std::vector<char> block(kBlock, 'x');
        during = GetMemoryInUse();
        EXPECT_GE(static_cast<uint64_t>(during), static_cast<uint64_t>(before) + kBlock / 2);
        EXPECT_EQ(block[kBlock - 1], 'x');
    }
    uint32_t after = GetMemoryInUse();
    EXPECT_LT(after, during);
    EXPECT_GE(GetMemoryPeak(), during);
    EXPECT_GE(GetMemoryPeak(), after);
}

// Fill the file to exactly the wrap limit, then check the bytes: a line at
// 102,400 is still written there; the one after goes to 51,200 behind the
// banner, and older text past the new line stays in the file.
TEST_F(LogTest, Wrap_AtLimitWritesThenReturnsBehindBanner) {
    StartLog(mFolder.c_str());
    const std::string filler(70, 'x');
    while (GetLogWritePosition() + 26 + filler.size() + 1 + 200 < kLogWrapLimit) {
        LogPrintf("%s", filler.c_str());
    }
    // A line of exactly the remaining length lands the position on the limit.
    size_t remaining = kLogWrapLimit - GetLogWritePosition();
    ASSERT_GT(remaining, 27u);
    LogPrintf("%s", std::string(remaining - 27, 'y').c_str());
    ASSERT_EQ(GetLogWritePosition(), kLogWrapLimit);
    std::string before = ReadFile();
    ASSERT_EQ(before.size(), kLogWrapLimit);

    LogPrintf("at the limit");
    std::string atLimit = ReadFile();
    EXPECT_EQ(atLimit.substr(0, kLogWrapLimit), before);
    EXPECT_NE(atLimit.find(": at the limit\n", kLogWrapLimit), std::string::npos);
    uint32_t end = GetLogWritePosition();
    EXPECT_EQ(end, atLimit.size());
    EXPECT_GT(end, kLogWrapLimit);

    LogPrintf("wrapped");
    std::string after = ReadFile();
    const std::string banner = kLogWrapBanner;
    ASSERT_EQ(banner.size(), 62u);
    EXPECT_EQ(banner, "\n\n\n\n ****************** LOG WRAP AROUND ******************\n\n\n\n");
    EXPECT_EQ(after.size(), atLimit.size());
    EXPECT_EQ(after.substr(0, kLogWrapTarget), before.substr(0, kLogWrapTarget));
    EXPECT_EQ(after.substr(kLogWrapTarget, banner.size()), banner);
    std::string newLine = after.substr(kLogWrapTarget + banner.size());
    newLine = newLine.substr(0, newLine.find('\n'));
    EXPECT_TRUE(std::regex_match(newLine, kLinePattern)) << newLine;
    EXPECT_NE(newLine.find(": wrapped"), std::string::npos);
    uint32_t newEnd = kLogWrapTarget + banner.size() + newLine.size() + 1;
    EXPECT_EQ(GetLogWritePosition(), newEnd);
    EXPECT_EQ(after.substr(newEnd), atLimit.substr(newEnd));

    LogPrintf("next");
    EXPECT_EQ(ReadFile().find(": next\n", newEnd), newEnd + 24);
}

TEST_F(LogTest, ManyThreads_EveryLineWholeAndCounted) {
    StartLog(mFolder.c_str());
    constexpr int kThreads = 4;
    constexpr int kLines = 150;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i) {
                LogPrintf("thread %d line %d", t, i);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::vector<std::string> lines = SplitLines(ReadFile());
    ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
    std::vector<int> next(kThreads, 0);
    for (const std::string& line : lines) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, kLinePattern)) << line;
        int thread = -1;
        int number = -1;
        ASSERT_EQ(std::sscanf(match[3].str().c_str(), "thread %d line %d", &thread, &number), 2);
        ASSERT_GE(thread, 0);
        ASSERT_LT(thread, kThreads);
        EXPECT_EQ(number, next[thread]++);
    }
}

// The time in front of each line is the local time: with the zone set five
// hours east of UTC, the hour is UTC's plus five.
TEST_F(LogTest, Line_TimeIsLocalNotUtc) {
    const char* oldZone = std::getenv("TZ");
    std::string saved = oldZone ? oldZone : "";
    setenv("TZ", "XYZ-5", 1);
    tzset();
    auto utcHourPlusFive = [] {
        time_t now = time(nullptr);
        struct tm utc {};
        gmtime_r(&now, &utc);
        return (utc.tm_hour + 5) % 24;
    };
    StartLog(mFolder.c_str());
    int before = utcHourPlusFive();
    LogPrintf("zoned");
    int after = utcHourPlusFive();
    if (oldZone) {
        setenv("TZ", saved.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
    std::string text = ReadFile();
    ASSERT_GE(text.size(), 24u);
    int hour = std::stoi(text.substr(11, 2));
    EXPECT_TRUE(hour == before || hour == after) << text;
}
