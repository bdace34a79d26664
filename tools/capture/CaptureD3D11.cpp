// The capture tool's back end on Windows: a hidden window, Direct3D 11 timestamp queries, the
// back buffer copied to a staging texture, and Ctrl-C through the console's handler.
#include "CaptureBackEnd.h"

#include "DispDX11.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace
{
volatile LONG g_stopRequested = 0;

BOOL WINAPI RequestStop(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    InterlockedExchange(&g_stopRequested, 1);
    return TRUE;
}

DispDX11* Display()
{
    return static_cast<DispDX11*>(g_display);
}

template <typename T> void Release(T*& object)
{
    if (object)
        object->Release();
    object = nullptr;
}

// One staging texture, kept while the back buffer's size and format stay.
ID3D11Texture2D* g_staging = nullptr;
D3D11_TEXTURE2D_DESC g_stagingDesc{};

// Spins on a query's data, the queries being short, for at most `wait`: nothing when the
// query has not answered by then or failed.
template <typename T>
std::optional<T> QueryData(ID3D11DeviceContext* context, ID3D11Query* query,
                           std::chrono::milliseconds wait = kQueryWait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    T data{};
    for (;;)
    {
        const HRESULT result = context->GetData(query, &data, sizeof data, 0);
        if (result == S_OK)
            return data;
        if (result != S_FALSE || std::chrono::steady_clock::now() > deadline)
            return std::nullopt;
        Sleep(0);
    }
}

// A pair of timestamps around each pass inside one disjoint query per frame, which gives the
// tick frequency and says whether the ticks could be trusted.
class D3D11PassTimer final : public PassTimer
{
  public:
    D3D11PassTimer()
    {
        ID3D11Device* device = Display()->device;
        D3D11_QUERY_DESC desc{D3D11_QUERY_TIMESTAMP_DISJOINT, 0};
        device->CreateQuery(&desc, &disjoint);
        desc.Query = D3D11_QUERY_TIMESTAMP;
        for (int pass = 0; pass < kCapturePassCount; ++pass)
        {
            device->CreateQuery(&desc, &begin[pass]);
            device->CreateQuery(&desc, &end[pass]);
        }
    }
    ~D3D11PassTimer() override
    {
        Release(disjoint);
        for (int pass = 0; pass < kCapturePassCount; ++pass)
        {
            Release(begin[pass]);
            Release(end[pass]);
        }
    }

    void BeginFrame() override
    {
        if (disjoint)
            Display()->context->Begin(disjoint);
    }
    void Begin(CapturePass pass) override
    {
        if (begin[pass])
            Display()->context->End(begin[pass]);
    }
    void End(CapturePass pass) override
    {
        if (end[pass])
            Display()->context->End(end[pass]);
    }
    void EndFrame() override
    {
        if (!disjoint)
            return;
        ID3D11DeviceContext* context = Display()->context;
        context->End(disjoint);
        const auto data = QueryData<D3D11_QUERY_DATA_TIMESTAMP_DISJOINT>(context, disjoint);
        frequency = data && !data->Disjoint ? data->Frequency : 0;
    }
    std::optional<double> Nanoseconds(CapturePass pass) override
    {
        if (frequency == 0 || !begin[pass] || !end[pass])
            return std::nullopt;
        ID3D11DeviceContext* context = Display()->context;
        const auto first = QueryData<UINT64>(context, begin[pass]);
        const auto last = QueryData<UINT64>(context, end[pass]);
        if (!first || !last)
            return std::nullopt;
        return *last > *first ? double(*last - *first) * 1e9 / double(frequency) : 0;
    }

  private:
    ID3D11Query* disjoint = nullptr;
    ID3D11Query* begin[kCapturePassCount] = {};
    ID3D11Query* end[kCapturePassCount] = {};
    UINT64 frequency = 0;
};
} // namespace

void PrepareCaptureProcess()
{
    // No system box for a missing drive or a crash: the capture runs unattended.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetConsoleCtrlHandler(RequestStop, TRUE);
}

bool StopRequested()
{
    return g_stopRequested != 0;
}

WindowHandle CreateCaptureWindow(int width, int height)
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = module;
    windowClass.lpszClassName = "Ombrel_Capture";
    // Never shown: the swap chain only needs a window of the client size to belong to.
    const DWORD style = WS_OVERLAPPEDWINDOW;
    RECT rect{0, 0, width, height};
    AdjustWindowRect(&rect, style, FALSE);
    HWND window = RegisterClassA(&windowClass)
                      ? CreateWindowExA(0, "Ombrel_Capture", "Ombrel capture", style, 0, 0,
                                        rect.right - rect.left, rect.bottom - rect.top, nullptr,
                                        nullptr, module, nullptr)
                      : nullptr;
    if (window == nullptr)
        std::fprintf(stderr, "ombrel-capture: no window to draw in (error %lu)\n", GetLastError());
    return window;
}

std::unique_ptr<PassTimer> CreatePassTimer()
{
    return std::make_unique<D3D11PassTimer>();
}

bool ReadBackBuffer(std::vector<std::uint8_t>& pixels)
{
    DispDX11* display = Display();
    const sTexD3D11* record = display->FindTexture(display->GetBackBuffer());
    if (!record || !record->texture)
        return false;
    D3D11_TEXTURE2D_DESC desc;
    record->texture->GetDesc(&desc);
    desc.MipLevels = 1;
    desc.ArraySize = 1;
    desc.SampleDesc = {1, 0};
    desc.Usage = D3D11_USAGE_STAGING;
    desc.BindFlags = 0;
    desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    desc.MiscFlags = 0;
    if (g_staging && std::memcmp(&g_stagingDesc, &desc, sizeof desc) != 0)
        Release(g_staging);
    if (!g_staging && FAILED(display->device->CreateTexture2D(&desc, nullptr, &g_staging)))
        return false;
    g_stagingDesc = desc;

    display->context->CopyResource(g_staging, record->texture);
    D3D11_MAPPED_SUBRESOURCE mapped;
    if (FAILED(display->context->Map(g_staging, 0, D3D11_MAP_READ, 0, &mapped)))
        return false;
    const std::size_t rowBytes = std::size_t(desc.Width) * 4;
    pixels.resize(rowBytes * desc.Height);
    // Direct3D's first row is the top one, as the PNG and the video want it.
    for (UINT y = 0; y < desc.Height; ++y)
        std::memcpy(pixels.data() + y * rowBytes,
                    static_cast<const std::uint8_t*>(mapped.pData) + y * mapped.RowPitch, rowBytes);
    display->context->Unmap(g_staging, 0);
    if (desc.Format == DXGI_FORMAT_B8G8R8A8_UNORM)
        for (std::size_t i = 0; i < pixels.size(); i += 4)
            std::swap(pixels[i], pixels[i + 2]);
    return true;
}

void ReleaseReadBack()
{
    Release(g_staging);
}

void WaitForGpu()
{
    ID3D11DeviceContext* context = Display()->context;
    D3D11_QUERY_DESC desc{D3D11_QUERY_EVENT, 0};
    ID3D11Query* event = nullptr;
    if (FAILED(Display()->device->CreateQuery(&desc, &event)))
        return;
    context->End(event);
    if (!QueryData<BOOL>(context, event, 5 * kQueryWait))
        std::fprintf(
            stderr, "ombrel-capture: the GPU did not finish its work in %lld s; going on\n",
            (long long)std::chrono::duration_cast<std::chrono::seconds>(5 * kQueryWait).count());
    event->Release();
}

std::string RendererName()
{
    IDXGIDevice* dxgiDevice = nullptr;
    std::string name = "Direct3D 11";
    if (FAILED(Display()->device->QueryInterface(__uuidof(IDXGIDevice),
                                                 reinterpret_cast<void**>(&dxgiDevice))))
        return name;
    IDXGIAdapter* adapter = nullptr;
    DXGI_ADAPTER_DESC desc;
    if (SUCCEEDED(dxgiDevice->GetAdapter(&adapter)) && SUCCEEDED(adapter->GetDesc(&desc)))
    {
        char text[128];
        WideCharToMultiByte(CP_UTF8, 0, desc.Description, -1, text, sizeof text, nullptr, nullptr);
        name += std::string(", ") + text;
    }
    Release(adapter);
    dxgiDevice->Release();
    return name;
}
