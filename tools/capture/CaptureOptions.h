// The command line of ombrel-capture: what to render, at which size and rate, and where to.
#pragma once

#include <string>
#include <vector>

struct CaptureOptions
{
    std::string outFile; // --out FILE.mp4
    std::string pngDir;  // --png-dir DIR
    int fps = 60;
    int width = 1920;
    int height = 1080;
    int videoKbps = 0;   // --video-bitrate: the picture's cap; 0: as the video sites ask
    int audioKbps = 384; // --audio-bitrate
    double from = 0.0;
    double to = 150.0;
    std::vector<double> at; // --at: just these moments, as PNGs
    std::vector<int> shots; // --shot: held on every frame, or one for each --at moment
    bool bench = false;
    bool noParticles = false; // diagnostics: simulate the particles but draw none
    bool help = false;
};

// Reads the arguments after the program name. Throws std::invalid_argument with a one-line
// message on a bad or conflicting option.
CaptureOptions ParseCaptureOptions(const std::vector<std::string>& args);

const char* CaptureUsage();
