// A small offscreen SDL window with an initialised DispGL, and the log of the test run.
#pragma once

#include "DispGL.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstddef>
#include <string>
#include <vector>

// The text appended to "log.txt" since construction.
class LogMark
{
  public:
    LogMark();
    std::string Since() const;

  private:
    std::size_t offset = 0;
};

class DisplayTest : public ::testing::Test
{
  protected:
    static constexpr std::uint32_t kWidth = 64;
    static constexpr std::uint32_t kHeight = 64;

    void SetUp() override;
    void TearDown() override;
    // Shuts the display down now (once) and returns what that logged.
    std::string ShutdownAndLog();

    // RGBA float texels of level 0 of a colour texture.
    std::vector<float> ReadColor(TextureHandle handle);

    SDL_Window* window = nullptr;
    DispGL* display = nullptr;
    bool initialized = false;
    bool shutDown = false;
};
