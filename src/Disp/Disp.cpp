// The process-wide display objects, shared by the three back ends.
#include "Disp.h"
#include "ConstantBuffer.h"
#include "Logger.h"
#include "ShaderInterface.h"

Disp* g_display = nullptr;

ConstantBuffer* g_frameConstants = nullptr;
ConstantBuffer* g_objectConstants = nullptr;
ConstantBuffer* g_materialConstants = nullptr;

bool CreateConstantBuffers()
{
    Logger::Print("Creating CBuffers...\n");
    g_frameConstants = NewConstantBuffer();
    g_objectConstants = NewConstantBuffer();
    g_materialConstants = NewConstantBuffer();
    return g_frameConstants->Create(sizeof(CBufferFrameData)) &&
           g_objectConstants->Create(sizeof(CBufferObjectData)) &&
           g_materialConstants->Create(sizeof(CBufferMaterialData));
}
