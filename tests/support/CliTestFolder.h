#pragma once
// frameloom-cli run as a user runs it: every test gets a folder of its own, and
// shell command lines run in it with stdout and stderr captured apart.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

struct TRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

inline std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class TCliTestFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        Dir = std::filesystem::temp_directory_path() / ("frameloom-cli-" + std::to_string(::getpid()) + "-" +
                                                        test->test_suite_name() + "-" + test->name());
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }

    std::string Path(const std::string& name) const { return (Dir / name).string(); }

    // A shell command line run in the test's folder.
    TRun Shell(const std::string& command) {
        const std::filesystem::path out = Dir / "stdout.txt", err = Dir / "stderr.txt";
        const int raw = std::system(("(cd '" + Dir.string() + "' && " + command + ") >'" + out.string() +
                                     "' 2>'" + err.string() + "'")
                                        .c_str());
        TRun run;
        run.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.Out = ReadAll(out);
        run.Err = ReadAll(err);
        return run;
    }

    std::filesystem::path Dir;
};
