// The one top-level window, its input (Escape and close) and the other per-platform calls of the
// main loop.
#pragma once

#include "Disp.h"

// Set by releasing Escape or closing the window; never reset.
extern bool QuitRequested;

struct WindowPlacement
{
    int x;
    int y;
    int width;
    int height;
};

// Windowed: the outer size, centred by the requested client size (signed, truncating division;
// a screen smaller than the client gives negative coordinates). Fullscreen: exactly the client
// size at the origin.
WindowPlacement PlaceMainWindow(int width, int height, bool fullscreen, int outerWidth,
                                int outerHeight, int screenWidth, int screenHeight);

struct WindowSize
{
    int width;
    int height;
};

// The windowed client size on a screen: the requested one where it fits, otherwise the largest of
// its shape that does (the picture keeps its size and is scaled into it). Screens of unknown size
// take the requested size.
WindowSize FitWindowToScreen(int width, int height, int screenWidth, int screenHeight);

// On screen `display` (counted from 0; Windows has only its primary screen). Null on failure;
// logs nothing (the display's Init reports a null window).
WindowHandle CreateMainWindow(int width, int height, bool fullscreen, int display);

// Handles the main window's pending input: one message on Windows, every pending event on Linux.
void PumpMessages(WindowHandle window);

void HideCursorOverWindow();
void ShowCursorAgain();

// The 1 ms timer resolution the program holds for its lifetime (Windows only).
void BeginTimerPeriod();
void EndTimerPeriod();
