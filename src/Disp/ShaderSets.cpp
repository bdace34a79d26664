// The four shader sets of the system, built from the embedded programs on every back end.
#include "ShaderSets.h"

#include "GpuPrograms.h"

namespace
{
constexpr InputElement kMeshElements[] = {
    {"POSITION", 0, 6, 3},
    {"NORMAL", 0, 6, 3},
    {"TEXCOORD", 0, 16, 2},
};

constexpr InputElement kScreenElements[] = {
    {"POSITION", 0, 6, 3},
    {"TEXCOORD", 0, 16, 2},
};

Shader* CreateNamedSet(const char* vertex, const char* pixel, const InputLayoutDesc* layout)
{
    return CreateShaderSet({FindGpuProgram(vertex), FindGpuProgram(pixel), layout});
}
} // namespace

const InputLayoutDesc kMeshLayout = {kMeshElements, 3};
const InputLayoutDesc kScreenLayout = {kScreenElements, 2};

Shader* CreateDefaultShaders()
{
    return CreateNamedSet("MaterialDefaultVS", "MaterialDefaultPS", &kMeshLayout);
}

Shader* CreatePbrShaders()
{
    return CreateNamedSet("PbrVS", "PbrPS", nullptr);
}

Shader* CreatePbrNoiseShaders()
{
    return CreateNamedSet("PbrNoiseVS", "PbrPS", nullptr);
}

Shader* CreatePostShaders()
{
    return CreateNamedSet("FullscreenVS", "PostPS", &kScreenLayout);
}
