// libFuzzer target: any bytes as a scene file, through reading, building, listing and release.
#include "SceneDraw.h"
#include "SceneGraph.h"
#include "SceneLoad.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SceneRoot* scene = new SceneRoot;
    scene->root = LoadSceneFromImage({data, size});
    CollectNodes(*scene);
    for (std::uint32_t i = 0; i < scene->meshNodeCount; ++i)
        DrawMeshNode(*scene->meshNodes[i]);
    FreeSceneRoot(scene);
    return 0;
}
