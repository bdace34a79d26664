// The main window on Windows: class "Ulvo_Wnd", its window procedure and the message pump.
#include "Window.h"

#include <windows.h>

bool QuitRequested = false;

namespace
{
constexpr DWORD kWindowedStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kFullscreenStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
static_assert(kWindowedStyle == 0x16CF0000 && kFullscreenStyle == 0x96000000);
} // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_CREATE:
        ShowWindow(window, SW_SHOW);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
    {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_CLOSE:
        QuitRequested = true;
        DestroyWindow(window);
        return 0;
    case WM_KEYUP:
        if (wParam == VK_ESCAPE)
            QuitRequested = true;
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

WindowHandle CreateMainWindow(int width, int height, bool fullscreen, int)
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = module;
    windowClass.hIcon = LoadIconA(module, MAKEINTRESOURCEA(32512));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "Ulvo_Wnd";
    if (!RegisterClassA(&windowClass))
        return nullptr;

    const DWORD style = fullscreen ? kFullscreenStyle : kWindowedStyle;
    RECT rect{0, 0, width, height};
    AdjustWindowRect(&rect, style, FALSE);
    const WindowPlacement place = PlaceMainWindow(
        width, height, fullscreen, rect.right - rect.left, rect.bottom - rect.top,
        GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));

    HWND window = CreateWindowExA(0, "Ulvo_Wnd", "Ombrel", style, place.x, place.y, place.width,
                                  place.height, nullptr, nullptr, nullptr, nullptr);
    if (!window)
        return nullptr;

    // Lets the default handler send the usual size notification for the client area.
    RECT client;
    GetClientRect(window, &client);
    WINDOWPOS position{};
    position.hwnd = window;
    position.cx = client.right;
    position.cy = client.bottom;
    position.flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER;
    SendMessageA(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
    return window;
}

// One message a frame: Windows merges pointer moves into one pending message, so Escape never
// waits long behind them.
void PumpMessages(WindowHandle window)
{
    MSG message;
    if (PeekMessageA(&message, window, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void HideCursorOverWindow()
{
    SetCursor(nullptr);
}

void ShowCursorAgain()
{
    ShowCursor(TRUE);
}

void BeginTimerPeriod()
{
    timeBeginPeriod(1);
}

void EndTimerPeriod()
{
    timeEndPeriod(1);
}
