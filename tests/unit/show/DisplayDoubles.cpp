// The display layer's globals and factory for the tests, which link no back end.
#include "DisplayDoubles.h"

std::vector<std::string> g_deviceLog;

ConstantBuffer* g_frameConstants = nullptr;
ConstantBuffer* g_objectConstants = nullptr;
ConstantBuffer* g_materialConstants = nullptr;

// No test here builds a scene from a file.
Geometry* CreateGeometry()
{
    return nullptr;
}
