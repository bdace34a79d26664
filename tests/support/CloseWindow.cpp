// ombrel-x11-close NAME: asks the X11 window titled NAME to close, as a window manager's close
// button does (WM_DELETE_WINDOW), so tests can close a window under Xvfb without a window manager.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstring>

namespace
{
Window FindByName(Display* display, Window window, const char* name)
{
    char* windowName = nullptr;
    if (XFetchName(display, window, &windowName) && windowName)
    {
        const bool match = std::strcmp(windowName, name) == 0;
        XFree(windowName);
        if (match)
            return window;
    }
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i)
        found = FindByName(display, children[i], name);
    if (children)
        XFree(children);
    return found;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: ombrel-x11-close WINDOW_NAME\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display)
    {
        std::fprintf(stderr, "ombrel-x11-close: cannot open the X display\n");
        return 1;
    }
    const Window window = FindByName(display, DefaultRootWindow(display), argv[1]);
    if (!window)
    {
        std::fprintf(stderr, "ombrel-x11-close: no window named '%s'\n", argv[1]);
        XCloseDisplay(display);
        return 1;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XCloseDisplay(display);
    return 0;
}
