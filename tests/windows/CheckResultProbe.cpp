// A Direct3D 11 call that fails through CHECK_RESULT, as a program would meet one: a buffer of no
// bytes is an invalid argument. The process must end with the box and the call's result code.
#include "CheckResult.h"

#include <d3d11.h>

int main()
{
    ID3D11Device* device = nullptr;
    CHECK_RESULT(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0,
                                   D3D11_SDK_VERSION, &device, nullptr, nullptr));
    D3D11_BUFFER_DESC desc = {};
    desc.ByteWidth = 0;
    desc.Usage = D3D11_USAGE_DEFAULT;
    desc.BindFlags = D3D11_BIND_VERTEX_BUFFER;
    ID3D11Buffer* buffer = nullptr;
    CHECK_RESULT(device->CreateBuffer(&desc, nullptr, &buffer));
    return 0;
}
