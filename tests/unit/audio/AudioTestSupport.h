// Signals and files shared by the audio tests.
#pragma once

#include "Mp3Decoder.h"
#include "Mp3Encoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <unistd.h>
#include <vector>

// The frequency at the centre of spectrum bin k.
inline double BinFrequency(int k)
{
    return k * static_cast<double>(MusicSampleRate) / 2048.0;
}

// Adds a sine of `amplitude` (1.0 = full scale) to frames [first, last) of interleaved stereo
// samples, on the left and/or right channel.
inline void AddSine(std::vector<std::int16_t>& samples, std::size_t first, std::size_t last,
                    double frequency, double amplitude, bool left = true, bool right = true)
{
    for (std::size_t i = first; i < last; ++i)
    {
        const double phase =
            2.0 * std::numbers::pi * frequency * static_cast<double>(i) / MusicSampleRate;
        const auto value =
            static_cast<std::int16_t>(std::lround(amplitude * 32767.0 * std::sin(phase)));
        if (left)
            samples[2 * i] = static_cast<std::int16_t>(samples[2 * i] + value);
        if (right)
            samples[2 * i + 1] = static_cast<std::int16_t>(samples[2 * i + 1] + value);
    }
}

// A file in a folder of its own for this test, removed with the folder when the test ends.
class TempFiles : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() /
                 ("ombrel-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
                  std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string PathOf(const std::string& name) const { return (folder / name).string(); }

    std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const
    {
        const std::string path = PathOf(name);
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        EXPECT_TRUE(file.good()) << path;
        return path;
    }

    // Encodes stereo samples at 44.1 kHz, 128 kbps, and writes them as `name`.
    std::string WriteMp3(const std::string& name, const std::vector<std::int16_t>& samples) const
    {
        std::vector<std::uint8_t> mp3;
        EXPECT_TRUE(EncodeMp3(samples.data(), samples.size() / 2, MusicSampleRate, 128, mp3));
        return WriteFile(name, mp3);
    }

    // `seconds` of a tone on spectrum bin `bin` at the file's rate, as LAME writes it through
    // ffmpeg; `options` set the rate, channels, bitrate mode and tags (ffmpeg's own flags).
    std::string WriteLameTone(const std::string& name, double seconds, int rate, int bin,
                              const std::string& options) const
    {
        const std::string path = PathOf(name);
        const std::string command =
            "ffmpeg -v error -y -f lavfi -i 'sine=frequency=" +
            std::to_string(bin * rate / 2048.0) + ":duration=" + std::to_string(seconds) +
            ":sample_rate=" + std::to_string(rate) + "' -ar " + std::to_string(rate) + " " +
            options + " -c:a libmp3lame '" + path + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return path;
    }

    std::filesystem::path folder;
};
