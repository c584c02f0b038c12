// The real program stopped by signals in the middle of an animation: what it says, how it ends, and what it leaves
// in the output and data folders, then what the next run does with the leftovers of one that was killed.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>

#include "apps/program_run.h"
#include "generator/sample_data.h"
#include "platform/temporary_files.h"
#include "support/scratch_folder.h"

namespace chronova::cli {
namespace {

namespace fs = std::filesystem;

// Every file under a folder with its contents, to tell whether a run changed anything there.
std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        files[fs::relative(entry.path(), folder).string()] =
            entry.is_regular_file() ? testing::ReadContents(entry.path()) : "<folder>";
    }
    return files;
}

// The temporary files in a folder, by the process that made each.
std::map<std::string, pid_t> TemporaryFiles(const fs::path& folder) {
    std::map<std::string, pid_t> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (const std::optional<pid_t> writer = platform::WriterOfTemporaryFile(name)) {
            files[name] = *writer;
        }
    }
    return files;
}

class InterruptedRunTest : public ::testing::Test {
protected:
    // The sample data, generated once for the suite; every test checks that it stays as it was.
    static void SetUpTestSuite() {
        data_folder_ = new testing::ScratchFolder();
        sample_data::GenerateSampleData(data_folder_->Path());
    }
    static void TearDownTestSuite() {
        delete data_folder_;
        data_folder_ = nullptr;
    }

    void SetUp() override {
        fs::create_directory(out_);
        fs::create_directory(logs_);
        data_before_ = Contents(data_folder_->Path());
    }

    // Side files of the rasters go to the test's own cache, never to the user's.
    std::vector<std::string> Settings() const { return {"CHRONOVA_SIDE_FILE_CACHE=" + (folder_ / "cache").string()}; }

    std::vector<std::string> Animate(const std::string& size) const {
        const std::string project = (data_folder_->Path() / sample_data::kDemoProjectFileName).string();
        return {"animate", project, "--out", animation_.string(), "--size", size, "--quiet"};
    }

    // Starts an animation big enough to be stopped half-way, and returns once its temporary file is there; the run
    // is in its frames from then until it ends.
    std::unique_ptr<ProgramRun> StartAnimation() {
        auto run = std::make_unique<ProgramRun>(Animate("2048x1536"), logs_, Settings());
        EXPECT_TRUE(run->Started()) << ChronovaProgram();
        while (run->Started() && TemporaryFiles(out_).empty() && !run->Ended()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_FALSE(run->Ended()) << "the run ended before it was stopped: " << run->Err();
        return run;
    }

    void ExpectStoppedCleanly(int signal, int exit_status) {
        std::ofstream(animation_) << "the previous animation";
        std::unique_ptr<ProgramRun> run = StartAnimation();
        ASSERT_FALSE(run->Ended());
        ASSERT_EQ(::kill(run->Pid(), signal), 0);
        const int status = run->Wait();
        ASSERT_TRUE(WIFEXITED(status)) << "status " << status << ": " << run->Err();
        EXPECT_EQ(WEXITSTATUS(status), exit_status);
        EXPECT_EQ(run->Err(), "chronova: interrupted\n");
        EXPECT_TRUE(TemporaryFiles(out_).empty());
        EXPECT_EQ(testing::ReadContents(animation_), "the previous animation");
        EXPECT_EQ(Contents(data_folder_->Path()), data_before_);
    }

    static testing::ScratchFolder* data_folder_;
    testing::ScratchFolder folder_;
    const fs::path out_ = folder_ / "out";
    const fs::path logs_ = folder_ / "logs";
    const fs::path animation_ = out_ / "storm.gif";
    std::map<std::string, std::string> data_before_;
};

testing::ScratchFolder* InterruptedRunTest::data_folder_ = nullptr;

TEST_F(InterruptedRunTest, CtrlCRemovesTheUnfinishedAnimation) {
    ExpectStoppedCleanly(SIGINT, 130);
}

TEST_F(InterruptedRunTest, TerminationRemovesTheUnfinishedAnimation) {
    ExpectStoppedCleanly(SIGTERM, 143);
}

TEST_F(InterruptedRunTest, TheNextRunRemovesWhatAKilledRunLeft) {
    std::ofstream(animation_) << "the previous animation";
    std::unique_ptr<ProgramRun> killed = StartAnimation();
    ASSERT_FALSE(killed->Ended());
    const pid_t pid = killed->Pid();
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    const int status = killed->Wait();
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    const std::map<std::string, pid_t> left = TemporaryFiles(out_);
    ASSERT_EQ(left.size(), 1u) << "nothing can clean up after SIGKILL";
    EXPECT_EQ(left.begin()->second, pid);
    EXPECT_EQ(testing::ReadContents(animation_), "the previous animation");

    ProgramRun next(Animate("160x120"), logs_, Settings());
    const int next_status = next.Wait();
    ASSERT_TRUE(WIFEXITED(next_status) && WEXITSTATUS(next_status) == 0) << next_status << ": " << next.Err();
    EXPECT_TRUE(TemporaryFiles(out_).empty());
    EXPECT_EQ(testing::ReadContents(animation_).substr(0, 6), "GIF89a");
    EXPECT_EQ(Contents(data_folder_->Path()), data_before_);
}

} // namespace
} // namespace chronova::cli
