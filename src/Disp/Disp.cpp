// The process-wide display objects, shared by the three back ends.
#include "Disp.h"
#include "ConstantBuffer.h"

Disp* g_display = nullptr;

ConstantBuffer* g_frameConstants = nullptr;
ConstantBuffer* g_objectConstants = nullptr;
ConstantBuffer* g_materialConstants = nullptr;
