// The GPU test fixture and main: each run works in its own directory, where "log.txt" lands.
#include "DisplayFixture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace
{
std::string ReadLogFile()
{
    std::ifstream file("log.txt", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}
} // namespace

LogMark::LogMark() : offset(ReadLogFile().size()) {}

std::string LogMark::Since() const
{
    const std::string text = ReadLogFile();
    return offset < text.size() ? text.substr(offset) : std::string();
}

void DisplayTest::SetUp()
{
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SetGlContextAttributes();
    window =
        SDL_CreateWindow("disp test", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    display = new DispGL;
    g_display = display;
    ASSERT_TRUE(display->Init({kWidth, kHeight, RGBA8, 60}, false, window));
    initialized = true;
}

void DisplayTest::TearDown()
{
    if (initialized && !shutDown)
        display->Shutdown();
    delete display;
    display = nullptr;
    g_display = nullptr;
    if (window)
        SDL_DestroyWindow(window);
    SDL_Quit();
}

std::string DisplayTest::ShutdownAndLog()
{
    const LogMark mark;
    display->Shutdown();
    shutDown = true;
    return mark.Since();
}

std::vector<float> DisplayTest::ReadColor(TextureHandle handle)
{
    const sTexGL* record = display->FindTexture(handle);
    if (!record)
        return {};
    std::vector<float> texels(std::size_t(record->width) * record->height * 4);
    glGetTextureImage(record->texture, 0, GL_RGBA, GL_FLOAT, GLsizei(texels.size() * 4),
                      texels.data());
    return texels;
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    char directory[] = "/tmp/ombrel-disp-XXXXXX";
    if (!mkdtemp(directory) || chdir(directory) != 0)
    {
        std::perror("test directory");
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    std::remove("log.txt");
    if (chdir("/") == 0)
        rmdir(directory);
    return result;
}
