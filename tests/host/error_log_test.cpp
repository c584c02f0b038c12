#include "host/error_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/debug_output.h"

namespace chronova::host {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Whether text has the pattern's characters, where '#' stands for any digit.
bool Matches(std::string_view text, std::string_view pattern) {
    return text.size() == pattern.size() && std::equal(text.begin(), text.end(), pattern.begin(), [](char t, char p) {
               return p == '#' ? std::isdigit(static_cast<unsigned char>(t)) != 0 : t == p;
           });
}

class ErrorLogTest : public ::testing::Test {
protected:
    void SetUp() override { fs::remove_all(folder_); }
    void TearDown() override { fs::remove_all(folder_); }

    const fs::path folder_ = fs::temp_directory_path() / ("chronova_error_log_" + std::to_string(getpid()));
};

TEST_F(ErrorLogTest, RecordsAppendWithTimeLinesAndNeverRewriteEarlierOnes) {
    const fs::path path = folder_ / "deep" / "er" / "error.log";
    ErrorLog log(path);
    log.Record("first\r\n\tline two");
    log.Commit(true);
    const std::string after_first = ReadFile(path);
    log.Record("second");
    log.Commit(false);

    EXPECT_TRUE(Matches(after_first, "=== ####-##-##T##:##:##.###Z ===\nfirst\n\tline two\n\n")) << after_first;
    const std::string after_second = ReadFile(path);
    EXPECT_EQ(after_second.substr(0, after_first.size()), after_first);
    EXPECT_EQ(after_second.substr(after_second.size() - 9), "\nsecond\n\n");
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600U);
}

TEST_F(ErrorLogTest, RecordsOfManyWritersStayWhole) {
    constexpr int kWriters = 4;
    constexpr int kRecords = 25;
    constexpr size_t kSize = 20000; // larger than any stream buffer, so a split write would show
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([this, w] {
            ErrorLog log(folder_ / "error.log");
            for (int r = 0; r < kRecords; ++r) {
                log.Record("<" + std::string(kSize, static_cast<char>('a' + w)) + ">");
                log.Commit(r % 5 == 0);
            }
        });
    }
    for (std::thread& writer : writers) {
        writer.join();
    }
    const std::string text = ReadFile(folder_ / "error.log");
    int whole = 0;
    for (size_t open = text.find('<'); open != std::string::npos; open = text.find('<', open + 1), ++whole) {
        ASSERT_EQ(text.find_first_not_of(text[open + 1], open + 1), open + 1 + kSize);
        ASSERT_EQ(text[open + 1 + kSize], '>');
    }
    EXPECT_EQ(whole, kWriters * kRecords);
}

TEST_F(ErrorLogTest, UnwritableLogIsReportedOnceAndNeverThrows) {
    fs::create_directories(folder_);
    std::ofstream(folder_ / "file") << "not a folder";
    ErrorLog log(folder_ / "file" / "error.log");
    platform::ScopedDebugCapture capture;
    for (const char* text : {"lost one", "lost two"}) {
        log.Record(text);
        log.Commit(true);
    }
    const auto& lines = capture.Lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.find("cannot open") != std::string::npos; }),
              1);
    // The texts themselves still reach the debug output.
    EXPECT_NE(std::find(lines.begin(), lines.end(), "lost two"), lines.end());
}

void ExpectDefaultPath(const char* chronova, const char* xdg, const fs::path& expected) {
    const std::pair<const char*, const char*> settings[] = {
        {"CHRONOVA_ERROR_LOG", chronova}, {"XDG_STATE_HOME", xdg}, {"HOME", "/home/u"}};
    std::vector<std::pair<const char*, std::string>> saved;
    for (const auto& [name, value] : settings) {
        saved.emplace_back(name, std::getenv(name) != nullptr ? std::getenv(name) : "");
        setenv(name, value, 1);
    }
    EXPECT_EQ(DefaultErrorLogPath(), expected) << chronova << " | " << xdg;
    for (const auto& [name, value] : saved) {
        setenv(name, value.c_str(), 1);
    }
}

TEST_F(ErrorLogTest, DefaultPathFollowsTheEnvironment) {
    ExpectDefaultPath("/tmp/x/my.log", "/state", "/tmp/x/my.log");
    ExpectDefaultPath("", "/state", "/state/chronova/error.log");
    ExpectDefaultPath("", "", "/home/u/.local/state/chronova/error.log");
    ExpectDefaultPath("", "relative/state", "/home/u/.local/state/chronova/error.log"); // relative: ignored
}

} // namespace
} // namespace chronova::host
