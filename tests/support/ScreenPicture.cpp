// ombrel-x11-picture (--screen SECONDS | FILE.ppm): where a picture lies in an image, for tests of
// how the fullscreen programs fill the screen. With --screen it waits up to SECONDS for the X
// root window to show something bright (the first presented frame) and measures that.
// Prints "W H  PX0 PY0 PX1 PY1  BX0 BY0 BX1 BY1": the image's size, the box (inclusive) of every
// pixel that is not pure black, and the box of the bright ones (the intro title).
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace
{
struct Box
{
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
    void Add(int x, int y)
    {
        x0 = x < x0 ? x : x0;
        y0 = y < y0 ? y : y0;
        x1 = x > x1 ? x : x1;
        y1 = y > y1 ? y : y1;
    }
    bool Empty() const { return x1 < 0; }
};

// RGB, 3 bytes a pixel, top row first.
struct Image
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

constexpr int kBrightLuma = 200; // of 255; the title's letters, not the scene behind them

void Measure(const Image& image, Box& picture, Box& bright)
{
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
        {
            const std::uint8_t* p = &image.rgb[(std::size_t(y) * image.width + x) * 3];
            if (p[0] | p[1] | p[2])
                picture.Add(x, y);
            if ((299 * p[0] + 587 * p[1] + 114 * p[2]) / 1000 > kBrightLuma)
                bright.Add(x, y);
        }
}

bool ReadPpm(const char* path, Image& image)
{
    std::ifstream file(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    file >> magic >> image.width >> image.height >> maxValue;
    file.get();
    if (!file || magic != "P6" || maxValue != 255 || image.width <= 0 || image.height <= 0)
        return false;
    image.rgb.resize(std::size_t(image.width) * image.height * 3);
    file.read(reinterpret_cast<char*>(image.rgb.data()), std::streamsize(image.rgb.size()));
    return bool(file);
}

std::uint8_t Channel(unsigned long pixel, unsigned long mask)
{
    return mask ? std::uint8_t((pixel & mask) >> __builtin_ctzl(mask)) : 0;
}

bool GrabRoot(Display* display, Image& image)
{
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* shot = XGetImage(display, root, 0, 0, unsigned(attributes.width),
                             unsigned(attributes.height), AllPlanes, ZPixmap);
    if (!shot)
        return false;
    image.width = attributes.width;
    image.height = attributes.height;
    image.rgb.resize(std::size_t(image.width) * image.height * 3);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
        {
            const unsigned long pixel = XGetPixel(shot, x, y);
            std::uint8_t* p = &image.rgb[(std::size_t(y) * image.width + x) * 3];
            p[0] = Channel(pixel, shot->red_mask);
            p[1] = Channel(pixel, shot->green_mask);
            p[2] = Channel(pixel, shot->blue_mask);
        }
    XDestroyImage(shot);
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--screen") == 0)
    {
        Display* display = XOpenDisplay(nullptr);
        if (!display)
        {
            std::fprintf(stderr, "ombrel-x11-picture: cannot open the X display\n");
            return 1;
        }
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[2]));
        Image image;
        while (GrabRoot(display, image))
        {
            Box picture, bright;
            Measure(image, picture, bright);
            if (!bright.Empty())
            {
                std::printf("%d %d  %d %d %d %d  %d %d %d %d\n", image.width, image.height,
                            picture.x0, picture.y0, picture.x1, picture.y1, bright.x0, bright.y0,
                            bright.x1, bright.y1);
                XCloseDisplay(display);
                return 0;
            }
            if (std::chrono::steady_clock::now() > deadline)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        std::fprintf(stderr, "ombrel-x11-picture: nothing bright on the screen within %s s\n",
                     argv[2]);
        XCloseDisplay(display);
        return 1;
    }
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: ombrel-x11-picture (--screen SECONDS | FILE.ppm)\n");
        return 2;
    }
    Image image;
    if (!ReadPpm(argv[1], image))
    {
        std::fprintf(stderr, "ombrel-x11-picture: %s is not a binary 8-bit PPM\n", argv[1]);
        return 1;
    }
    Box picture, bright;
    Measure(image, picture, bright);
    std::printf("%d %d  %d %d %d %d  %d %d %d %d\n", image.width, image.height, picture.x0,
                picture.y0, picture.x1, picture.y1, bright.x0, bright.y0, bright.x1, bright.y1);
    return 0;
}
