// Writes scenes in the presentation's binary scene format.
#pragma once

#include "Mesh.h"

#include <cstdint>
#include <string>
#include <vector>

namespace assets
{

struct SceneMesh
{
    std::string name;
    Mesh mesh;
};

// meshes[k] becomes mesh node k of the loaded scene (its index in the loader's mesh-node list).
struct Scene
{
    std::string name;
    std::vector<SceneMesh> meshes;
};

// The file: a plain root with one child per mesh. The loader prepends children, so the children
// are written last mesh first; each references the mesh record of its own index. Geometry is
// stored Z-up with faces wound the other way, which the loader's axis swap undoes.
// Throws if a mesh exceeds the 16-bit index limits.
std::vector<std::uint8_t> WriteScene(const Scene& scene);

} // namespace assets
