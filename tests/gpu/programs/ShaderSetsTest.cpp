// The four shader sets build from the complete programs, layouts included, without a log line.
#include "ProgramFixture.h"

#include <memory>

class ShaderSetsTest : public ProgramTest
{
};

TEST_F(ShaderSetsTest, AllFourSetsBuildFromTheEmbeddedPrograms)
{
    const LogMark mark;
    Shader* (*const creators[])() = {CreateDefaultShaders, CreatePbrShaders, CreatePbrNoiseShaders,
                                     CreatePostShaders};
    for (Shader* (*create)() : creators)
    {
        std::unique_ptr<Shader> set(create());
        EXPECT_NE(set, nullptr);
    }
    EXPECT_EQ(mark.Since(), "");
}
