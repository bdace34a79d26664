// The eight scenes of the presentation, shaped for the cameras of their segments.
#pragma once

#include "SceneWriter.h"

#include <string>
#include <vector>

namespace assets
{

// Scene names in the program's load order (file "<name>.bin"), and the builder of each.
const std::vector<std::string>& SceneNames();
Scene BuildScene(const std::string& name);

} // namespace assets
