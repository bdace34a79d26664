// Names of the result codes the display layer can meet, and the check that ends the process.
#include "CheckResult.h"

#include "ErrorBox.h"

#include <cstdio>

const char* ResultName(ResultCode code)
{
    switch (code)
    {
    case 0x00000000:
        return "S_OK";
    case 0x00000001:
        return "S_FALSE";
    case 0x80004005:
        return "E_FAIL";
    case 0x8007000E:
        return "E_OUTOFMEMORY";
    case 0x80070057:
        return "E_INVALIDARG";
    case 0x887A0001:
        return "DXGI_ERROR_INVALID_CALL";
    case 0x887A0002:
        return "DXGI_ERROR_NOT_FOUND";
    case 0x887A0004:
        return "DXGI_ERROR_UNSUPPORTED";
    case 0x887A000A:
        return "DXGI_ERROR_WAS_STILL_DRAWING";
    case 0x887C0001:
        return "D3D11_ERROR_TOO_MANY_UNIQUE_STATE_OBJECTS";
    case 0x887C0002:
        return "D3D11_ERROR_FILE_NOT_FOUND";
    case 0x887C0003:
        return "D3D11_ERROR_TOO_MANY_UNIQUE_VIEW_OBJECTS";
    case 0x887C0004:
        return "D3D11_ERROR_DEFERRED_CONTEXT_MAP_WITHOUT_INITIAL_DISCARD";
    default:
        return "Unknown status";
    }
}

void CheckResult(const char* expression, ResultCode code, const char* sourcePath, int line)
{
    if (code == 0)
        return;
    char text[512];
    std::snprintf(text, sizeof text, "%s failed (%s) [%s, line %d]", expression, ResultName(code),
                  sourcePath, line);
    ShowErrorBox(text, BoxOwner::None);
    EndProcess(code);
}
