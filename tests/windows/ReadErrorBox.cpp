// read-error-box: prints the text of the message box titled "ERROR" that another program of the
// same Wine session shows, waiting up to 60 s for it; the box stays open. Exit code 1 if none.
#include <windows.h>

#include <cstdio>

namespace
{
BOOL CALLBACK PrintStaticText(HWND child, LPARAM)
{
    char className[32] = {};
    char text[1024] = {};
    GetClassNameA(child, className, sizeof className);
    // The icon is a Static control too, without text.
    if (lstrcmpiA(className, "Static") == 0 && GetWindowTextA(child, text, sizeof text) > 0)
        std::printf("%s\n", text);
    return TRUE;
}
} // namespace

int main()
{
    for (int attempt = 0; attempt < 600; ++attempt)
    {
        if (HWND box = FindWindowA("#32770", "ERROR"))
        {
            EnumChildWindows(box, PrintStaticText, 0);
            return 0;
        }
        Sleep(100);
    }
    std::fprintf(stderr, "read-error-box: no box titled ERROR\n");
    return 1;
}
