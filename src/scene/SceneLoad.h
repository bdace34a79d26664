// Scene files into scene graphs: the file read (SceneFile), its meshes turned to the renderer's
// axes and uploaded, its nodes built (SceneGraph).
#pragma once

#include "SceneFile.h"
#include "SceneGraph.h"

#include <cstdint>
#include <span>

// Builds the node for fileNode (a MeshNode owning converted, uploaded geometry when it references
// meshes), links it as the new first child of parent or hands it to *holder when parent is null,
// then builds its children. False after a log line when a mesh reference is out of range; what
// was built so far stays linked to parent or *holder for the caller to delete.
bool BuildNode(SceneNode** holder, SceneNode* parent, SceneData& data,
               const SceneFileNode& fileNode);

// What one scene file may ask of the GPU in vertex and index buffers. Every mesh reference gets
// buffers of its own, so a small file referencing one large mesh many times would otherwise ask
// for memory without bound; the show's own scenes ask for well under a tenth of this.
constexpr std::uint64_t kMaxSceneGeometryBytes = std::uint64_t{256} << 20;
// The vertex and index bytes that building the graph of `data` would upload.
std::uint64_t SceneGeometryBytes(const SceneData& data);

// Reads a whole file image and builds its scene graph; null after a log line on any fault (a
// scene past kMaxSceneGeometryBytes among them, refused before anything is uploaded).
SceneNode* LoadSceneFromImage(std::span<const std::uint8_t> image);
// Reads the file at path (in the system's "data\name" spelling) and builds its scene graph.
SceneNode* LoadScene(const char* path);

// Start-up and shutdown of one scene: a new SceneRoot with the loaded tree and its lists (an
// empty root when loading failed), and its release (geometry, nodes, the root itself).
SceneRoot* LoadSceneRoot(const char* path);
void FreeSceneRoot(SceneRoot* scene);
