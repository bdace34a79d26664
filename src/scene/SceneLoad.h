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

// Reads a whole file image and builds its scene graph; null after a log line on any fault.
SceneNode* LoadSceneFromImage(std::span<const std::uint8_t> image);
// Reads the file at path (in the system's "data\name" spelling) and builds its scene graph.
SceneNode* LoadScene(const char* path);

// Start-up and shutdown of one scene: a new SceneRoot with the loaded tree and its lists (an
// empty root when loading failed), and its release (geometry, nodes, the root itself).
SceneRoot* LoadSceneRoot(const char* path);
void FreeSceneRoot(SceneRoot* scene);
