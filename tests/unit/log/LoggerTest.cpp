// The log file's life, the error prefix, and the fatal result check with its exit code.
#include "CheckResult.h"
#include "Logger.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace
{
// Each case runs in a child process in a fresh directory, since the log is opened once per run.
class LoggerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("ombrel-logger-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    int RunInChild(const std::function<void()>& body)
    {
        const pid_t pid = fork();
        if (pid == 0)
        {
            if (chdir(dir.c_str()) != 0 || !std::freopen("stderr.txt", "w", stderr))
                _exit(99);
            body();
            std::exit(0); // runs static destructors, as a normal process end does
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    bool LogExists() const { return fs::exists(dir / "log.txt"); }

    std::string ReadLog() const { return ReadFile("log.txt"); }
    std::string ReadStderr() const { return ReadFile("stderr.txt"); }

    std::string ReadFile(const char* name) const
    {
        std::ifstream in(dir / name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path dir;
};

TEST_F(LoggerTest, FirstPrintCreatesTheFileAndTruncatesAnOldOne)
{
    std::ofstream(dir / "log.txt") << "left from an earlier run\n";
    EXPECT_EQ(RunInChild([] {
                  Logger::Print("Starting application...\n");
                  Logger::Print("%d textures\n", 8);
              }),
              0);
    EXPECT_EQ(ReadLog(), "Starting application...\n8 textures\n");
}

TEST_F(LoggerTest, ErrorBeforeAnyPrintCreatesNoFile)
{
    EXPECT_EQ(RunInChild([] { Logger::Error("Failed to init bass"); }), 0);
    EXPECT_FALSE(LogExists());
}

TEST_F(LoggerTest, ErrorTextsCarryThePrefixAndTextsWithoutLineFeedRunTogether)
{
    RunInChild([] {
        Logger::Print("Starting application...\n");
        Logger::Print("CreateBuffer failed.");
        Logger::Print("CreateBuffer failed.");
        Logger::Error("Failed to open music file.");
        Logger::Print("\n");
    });
    EXPECT_EQ(ReadLog(), "Starting application...\nCreateBuffer failed.CreateBuffer failed."
                         "[ERROR] Failed to open music file.\n");
}

TEST_F(LoggerTest, ErrorBoxFallsBackToStderrWithoutADisplay)
{
    RunInChild([] { Logger::Error("Failed to init shaders for %s.", "post processing"); });
    EXPECT_EQ(ReadStderr(), "ERROR: Failed to init shaders for post processing.\n");
}

TEST_F(LoggerTest, LogThatCannotBeCreatedDropsMessagesWarningOnEveryAttempt)
{
    fs::create_directory(dir / "log.txt"); // not openable as a file, whatever our rights
    EXPECT_EQ(RunInChild([] {
                  Logger::Print("one\n");
                  Logger::Error("two");
                  Logger::Print("three\n");
              }),
              0);
    EXPECT_EQ(ReadStderr(), "[WARNING] Failed to create log file!\n"
                            "ERROR: two\n"
                            "[WARNING] Failed to create log file!\n");
}

TEST(ResultName, NamesTheKnownCodesAndNothingElse)
{
    const struct
    {
        ResultCode code;
        const char* name;
    } cases[] = {
        {0x00000000, "S_OK"},
        {0x00000001, "S_FALSE"},
        {0x80004005, "E_FAIL"},
        {0x8007000E, "E_OUTOFMEMORY"},
        {0x80070057, "E_INVALIDARG"},
        {0x887A0001, "DXGI_ERROR_INVALID_CALL"},
        {0x887A0002, "DXGI_ERROR_NOT_FOUND"},
        {0x887A0004, "DXGI_ERROR_UNSUPPORTED"},
        {0x887A000A, "DXGI_ERROR_WAS_STILL_DRAWING"},
        {0x887C0001, "D3D11_ERROR_TOO_MANY_UNIQUE_STATE_OBJECTS"},
        {0x887C0002, "D3D11_ERROR_FILE_NOT_FOUND"},
        {0x887C0003, "D3D11_ERROR_TOO_MANY_UNIQUE_VIEW_OBJECTS"},
        {0x887C0004, "D3D11_ERROR_DEFERRED_CONTEXT_MAP_WITHOUT_INITIAL_DISCARD"},
        {0x887A0003, "Unknown status"},
        {0x00000002, "Unknown status"},
        {0xFFFFFFFF, "Unknown status"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(ResultName(c.code), c.name) << std::hex << c.code;
}

TEST(CheckResultDeathTest, ZeroReturns)
{
    CheckResult("hr", 0, "src/Disp/DispD3D11.cpp", 10);
    SUCCEED();
}

// A Linux parent sees the low eight bits of the exit code.
TEST(CheckResultDeathTest, FailureShowsTheTextAndEndsWithTheCode)
{
    EXPECT_EXIT(CheckResult("hr", 0x8007000E, "src/Disp/DispD3D11.cpp", 321),
                ::testing::ExitedWithCode(0x0E),
                "hr failed \\(E_OUTOFMEMORY\\) \\[src/Disp/DispD3D11.cpp, line 321\\]");
}

TEST(CheckResultDeathTest, SFalseAlsoEndsTheProcess)
{
    EXPECT_EXIT(CheckResult("hr", 1, "f.cpp", 1), ::testing::ExitedWithCode(1),
                "hr failed \\(S_FALSE\\)");
}

TEST(CheckResultDeathTest, UnknownCodeSaysUnknownStatus)
{
    EXPECT_EXIT(CheckResult("hr", 0x887A0003, "f.cpp", 1), ::testing::ExitedWithCode(0x03),
                "hr failed \\(Unknown status\\)");
}

TEST(CheckResultDeathTest, FatalCheckWritesNothingToTheLog)
{
    const fs::path dir = fs::temp_directory_path() / ("ombrel-check-" + std::to_string(getpid()));
    fs::create_directories(dir);
    EXPECT_EXIT(
        {
            if (chdir(dir.c_str()) != 0)
                std::_Exit(99);
            Logger::Print("before\n");
            CHECK_RESULT(static_cast<ResultCode>(0x80004005));
        },
        ::testing::ExitedWithCode(0x05), "failed \\(E_FAIL\\)");
    std::ifstream in(dir / "log.txt");
    std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(log, "before\n");
    fs::remove_all(dir);
}
} // namespace
