// The programs' command line: the build's own settings without options, the viewer's choices,
// and one line for what it does not take.
#include "ProgramOptions.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
constexpr BuildSettings kWindowed{1920, 1080, false};

bool Parse(std::vector<const char*> args, ProgramOptions& options, std::string& error)
{
    args.insert(args.begin(), "ombrel-window");
    return ParseProgramOptions(int(args.size()), args.data(), kWindowed, options, error);
}

TEST(ProgramOptions, NoneAreTheBuildsOwnAndEachChoiceIsTaken)
{
    ProgramOptions options;
    std::string error;
    ASSERT_TRUE(Parse({}, options, error));
    EXPECT_EQ(options.width, 1920);
    EXPECT_EQ(options.height, 1080);
    EXPECT_FALSE(options.fullscreen || options.help || options.version);
    EXPECT_EQ(options.display, 0);

    ASSERT_TRUE(Parse({"--size", "1280x720", "--fullscreen", "--display", "1"}, options, error));
    EXPECT_EQ(options.width, 1280);
    EXPECT_EQ(options.height, 720);
    EXPECT_TRUE(options.fullscreen);
    EXPECT_EQ(options.display, 1);
    ASSERT_TRUE(Parse({"--version", "-h"}, options, error));
    EXPECT_TRUE(options.version && options.help);
}

TEST(ProgramOptions, WhatItDoesNotTakeIsOneLine)
{
    const struct
    {
        std::vector<const char*> args;
        const char* error;
    } cases[] = {
        {{"--size"}, "--size wants WIDTHxHEIGHT, each 64 to 16384"},
        {{"--size", "1280"}, "--size wants WIDTHxHEIGHT, each 64 to 16384"},
        {{"--size", "1280x720x3"}, "--size wants WIDTHxHEIGHT, each 64 to 16384"},
        {{"--size", "32x32"}, "--size wants WIDTHxHEIGHT, each 64 to 16384"},
        {{"--size", "-1280x720"}, "--size wants WIDTHxHEIGHT, each 64 to 16384"},
        {{"--size", "99999999999x720"}, "--size wants WIDTHxHEIGHT, each 64 to 16384"},
        {{"--display", "one"}, "--display wants a screen number from 0"},
        {{"--display", "-1"}, "--display wants a screen number from 0"},
        {{"--colour"}, "unknown option '--colour'"},
    };
    for (const auto& c : cases)
    {
        ProgramOptions options;
        std::string error;
        EXPECT_FALSE(Parse(c.args, options, error)) << c.error;
        EXPECT_EQ(error, c.error);
    }
}
} // namespace
