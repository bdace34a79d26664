// The texture front over a scripted back end: what each call asks of the back end, what a
// failure at each step logs, and that only what was made is registered and deleted once.
#include "DispFront.h"

#include "Logger.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
struct Record : ListNode
{
    explicit Record(int serial) : serial(serial) {}
    int serial;
};

const char* KindName(TextureKind kind)
{
    static const char* const names[] = {"sampled", "render", "depth"};
    return names[int(kind)];
}

class ScriptedDisp final : public DispFront
{
  public:
    bool Init(const DisplayMode&, bool, WindowHandle) override { return true; }
    void Shutdown() override {}
    void SetViewport(float, float, float, float) override {}
    void Reserved1() override {}
    std::uint32_t Present() override { return 0; }
    void SetRenderTarget(RenderTargetPair) override {}
    void Reserved2() override {}
    void BindTexture(std::uint32_t, TextureHandle) override {}

    int SerialOf(TextureHandle handle) const
    {
        const ListNode* record = FindRecord(handle);
        return record ? static_cast<const Record*>(record)->serial : -1;
    }

    std::vector<std::string> calls;
    bool failAllocation = false;
    bool failViews = false;

  private:
    ListNode* AllocateTexture(const TextureRequest& request) override
    {
        std::string call = std::string("allocate ") + KindName(request.kind);
        if (request.data)
            call += " data " + std::to_string(request.layout.count) + "x" +
                    std::to_string(request.layout.entries[0].size);
        calls.push_back(call);
        if (failAllocation)
        {
            Logger::Print("no memory.\n");
            return nullptr;
        }
        return new Record(++made);
    }
    bool CreateViews(ListNode* record, const TextureRequest&) override
    {
        calls.push_back("views " + std::to_string(static_cast<Record*>(record)->serial));
        if (failViews)
            Logger::Print("no view.\n");
        return !failViews;
    }
    void DeleteRecord(ListNode* record) override
    {
        calls.push_back("delete " + std::to_string(static_cast<Record*>(record)->serial));
        delete record;
    }

    int made = 0;
};

std::string ReadLog()
{
    std::ifstream file("log.txt", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

struct LogFolder
{
    LogFolder() { entered = std::filesystem::create_directories(dir) && chdir(dir.c_str()) == 0; }
    ~LogFolder()
    {
        if (entered && chdir("/") == 0)
            std::filesystem::remove_all(dir);
    }

    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("ombrel-disp-front-" + std::to_string(getpid()));
    bool entered = false;
};

class DispFrontTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        // One folder per process: the log stays in the folder it was first opened in.
        static const LogFolder folder;
        ASSERT_TRUE(folder.entered);
        logStart = ReadLog().size();
    }

    std::string LogSince() const { return ReadLog().substr(logStart); }
    std::vector<std::string> TakeCalls() { return std::exchange(display.calls, {}); }

    ScriptedDisp display;
    std::size_t logStart = 0;
};

using Calls = std::vector<std::string>;
} // namespace

TEST_F(DispFrontTest, EachCallMakesItsKindAndReleaseDeletesOnce)
{
    const std::uint8_t pixels[8 * 8 * 4] = {};
    const TextureHandle image = display.CreateTexture(8, 8, RGBA8, 1, 0, pixels, sizeof pixels);
    const TextureHandle color = display.CreateRenderTarget(8, 8, RGBA16F, 1, 0);
    const TextureHandle depth = display.CreateDepthTarget(8, 8, D24S8, 1, 0);
    EXPECT_EQ(TakeCalls(), (Calls{"allocate sampled data 1x256", "views 1", "allocate render",
                                  "views 2", "allocate depth", "views 3"}));
    EXPECT_EQ(image.value, 0x00000000u);
    EXPECT_EQ(color.value, 0x01000000u);
    EXPECT_EQ(depth.value, 0x02000000u);
    EXPECT_EQ(display.SerialOf(color), 2);

    display.ReleaseTexture(color);
    display.ReleaseTexture(color);
    display.ReleaseTexture(TextureHandle{0x07000000});
    display.ReleaseTexture(kNoTexture);
    EXPECT_EQ(TakeCalls(), (Calls{"delete 2"}));
    EXPECT_EQ(display.SerialOf(color), -1);
    EXPECT_EQ(display.SerialOf(depth), 3);

    display.ReleaseTexture(image);
    display.ReleaseTexture(depth);
    EXPECT_EQ(TakeCalls(), (Calls{"delete 1", "delete 3"}));
    EXPECT_EQ(LogSince(), "");
}

TEST_F(DispFrontTest, AFailedStepLogsItselfAndRegistersNothing)
{
    const std::uint8_t pixels[8 * 8 * 4] = {};
    // Data one byte short, and what Direct3D refuses, never reach the back end.
    EXPECT_EQ(display.CreateTexture(8, 8, RGBA8, 1, 0, pixels, sizeof pixels - 1).value, 0u);
    EXPECT_EQ(display.CreateRenderTarget(8, 8, BC1, 1, 0).value, 0u);
    EXPECT_EQ(TakeCalls(), Calls{});
    EXPECT_EQ(LogSince(), "CreateTexture2D failed.\n[ERROR] CreateTexture failed.\n"
                          "CreateTexture2D failed.\n[ERROR] CreateTexture failed.\n");

    logStart = ReadLog().size();
    display.failAllocation = true;
    EXPECT_EQ(display.CreateRenderTarget(8, 8, RGBA8, 1, 0).value, 0u);
    EXPECT_EQ(TakeCalls(), Calls{"allocate render"});
    EXPECT_EQ(LogSince(), "no memory.\n[ERROR] CreateTexture failed.\n");

    logStart = ReadLog().size();
    display.failAllocation = false;
    display.failViews = true;
    EXPECT_EQ(display.CreateDepthTarget(8, 8, D32F, 1, 0).value, 0u);
    EXPECT_EQ(TakeCalls(), (Calls{"allocate depth", "views 1", "delete 1"}));
    EXPECT_EQ(LogSince(), "no view.\n");

    display.failViews = false;
    const TextureHandle first = display.CreateTexture(8, 8, RGBA8, 1, 0, pixels, sizeof pixels);
    EXPECT_EQ(first.value, 0u); // the failures took no chain
    display.ReleaseTexture(first);
}
