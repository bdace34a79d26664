// What the programs see of the music: spectrum bins per frame and the beats the detector counts.
#pragma once

#include "Mp3Decoder.h"

#include <string>
#include <vector>

namespace assets
{

struct SegmentMark
{
    double start;
    const char* name;
};

// The nine segments of the timeline at their nominal starts, and the end of the last.
const std::vector<SegmentMark>& TimelineSegments();
constexpr double kTimelineEnd = 147.0;

struct MusicAnalysis
{
    double frameRate = 60;
    std::vector<float> bin1, bin2, bin3; // one value per frame, frame i at i / frameRate seconds
    std::vector<double> beats;           // times at which the detector counts a beat
};

// Reads the spectrum at every frame as the player does (window starting at the position) and runs
// the beat rule: S[3] > 0.01 and more than one second since the last counted beat.
MusicAnalysis AnalyseMusic(const DecodedMusic& music, double frameRate);

// Draws bins 1 to 3, the beats and the segment starts over the whole track into a PNG.
// Throws when the font or the file cannot be opened.
void WriteSyncPlot(const MusicAnalysis& analysis, const std::string& fontFile,
                   const std::string& path);

} // namespace assets
