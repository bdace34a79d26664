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
// the timeline's beat detector on it.
MusicAnalysis AnalyseMusic(const DecodedMusic& music, double frameRate);

// Level of a frequency band relative to the bass band (60-250 Hz), in dB.
struct BandLevel
{
    double low, high; // Hz
    double decibels;
};

// The mix's balance from `from` to `to` seconds: the power spectrum of the mono mix averaged over
// half-overlapping Hann windows of 8192 frames, summed per band, 20-60 Hz up to 4-8 kHz.
std::vector<BandLevel> MeasureBandBalance(const DecodedMusic& music, double from, double to);

// The share of the beats counted from `from` to `to` that come no earlier than a kick's onset and
// at most `tolerance` seconds after it; 0 when no beat is counted there.
double BeatsOnKicks(const std::vector<double>& beats, const std::vector<double>& kicks, double from,
                    double to, double tolerance);

struct Loudness
{
    double integratedLufs, truePeakDbtp;
};

// EBU R128 integrated loudness and true peak of an audio file, as ffmpeg's ebur128 filter
// measures them (runs the ffmpeg program). Throws when ffmpeg cannot run or prints no summary.
Loudness MeasureLoudness(const std::string& path);

// Draws bins 1 to 3, the beats, the kick onsets and the segment starts over the whole track into a
// PNG. Throws when the font or the file cannot be opened.
void WriteSyncPlot(const MusicAnalysis& analysis, const std::vector<double>& kicks,
                   const std::string& fontFile, const std::string& path);

} // namespace assets
